// A logger that answers every frame with noise of the right length, through the real window:
// each command ends in one message (or, where the protocol has no check to fail, shows what it
// was told), the set shown stays, the window is usable, and once the noise stops the same
// command works.
#include "fault_support.h"

#include "acquisition/live_readings.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "device/device_details.h"
#include "device/frm_id_dev.h"

#include <QComboBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestE2eNoise : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;
    QTemporaryDir m_dir;

    bool download()
    {
        QSignalSpy done(f->main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
        f->toolbar(QStringLiteral("ReadData"));
        return done.wait(60000) || !done.isEmpty();
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<e2e::Fixture>();
        f->sim().state().model = 1;
        f->sim().state().serial = 45;
        f->sim().state().started = true;
        f->sim().core().fillHistory(10);
    }
    void cleanup() { f.reset(); }

    // Noise can pass for a parameter block: nothing in the protocol tells them apart, so the
    // clock query shows some time (or "stopped") and the details show what the bytes say. The
    // acknowledgements and the memory image carry marks that noise does not have.
    void noiseThenTheLoggerAgain_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("noise");    // the one message; empty: any one message
        QTest::addColumn<QString>("answered"); // the message once the noise stops
        QTest::newRow("clock") << "DeviceTime" << QString() << QString();
        QTest::newRow("stop") << "StopDevice" << msg::kNotStopped << msg::kDeviceIsStopped;
        QTest::newRow("clear and stop") << "ClearStop" << msg::kError << msg::kCleared;
        QTest::newRow("download") << "ReadData" << msg::kNotResponding << QString();
    }
    void noiseThenTheLoggerAgain()
    {
        QFETCH(QString, command);
        QFETCH(QString, noise);
        QFETCH(QString, answered);
        QVERIFY2(f->start(), qPrintable(f->why()));
        const QString file = m_dir.filePath(QStringLiteral("shown.brv2"));
        QVERIFY(e2e::writeSavedSet(file, 3, 20));
        f->prompter().fileAnswers = {file};
        f->toolbar(QStringLiteral("Open"));
        const e2e::Shown before = e2e::Shown::of(f->main());
        QCOMPARE(before.cells.size(), 21);
        f->prompter().clear();

        f->sim().faults().garbageReplies = -1;
        f->prompter().yesNoAnswers = {true};
        if (command == QLatin1String("ReadData")) {
            QVERIFY(download());
        } else {
            f->toolbar(command);
        }
        QTRY_VERIFY_WITH_TIMEOUT(f->deviceCommandsEnabled(), 20000);
        QCOMPARE(f->prompter().messages().size(), 1);
        if (!noise.isEmpty())
            QCOMPARE(f->prompter().messages().first(), noise);
        QVERIFY(e2e::Shown::of(f->main()) == before);
        QVERIFY(f->main().cursor().shape() != Qt::WaitCursor);

        f->sim().faults().garbageReplies = 0;
        f->prompter().clear();
        f->prompter().yesNoAnswers = {true};
        if (command == QLatin1String("ReadData")) {
            QVERIFY(download());
            QVERIFY(f->prompter().messages().isEmpty());
            QCOMPARE(f->main().data()->table().rows(), 11);
            return;
        }
        f->toolbar(command);
        QTRY_COMPARE_WITH_TIMEOUT(f->prompter().messages().size(), 1, 20000);
        if (answered.isEmpty())
            QVERIFY(datetext::parseTime(f->prompter().messages().first()).isValid());
        else
            QCOMPARE(f->prompter().messages().first(), answered);
        QVERIFY(f->deviceCommandsEnabled());
    }

    // A live run on noise: the parameter block gives some model code and the readings are
    // shown as that model's (or refused with "Error" when their length does not fit). The run
    // stops on request and starts again on the logger's own readings.
    void liveRunOnNoise()
    {
        f->sim().faults().garbageReplies = -1;
        QVERIFY2(f->start(), qPrintable(f->why()));
        f->toolbar(QStringLiteral("RealTime"));
        f->main().ComboRTC()->setCurrentIndex(0); // "2 Seconds"
        QSignalSpy rows(&f->main().live(), &LiveReadings::rowAdded);
        QSignalSpy failed(&f->main().live(), &LiveReadings::failed);
        f->toolbar(QStringLiteral("RTCStart"));
        QTRY_VERIFY_WITH_TIMEOUT(rows.size() >= 2 || !failed.isEmpty(), 15000);
        if (failed.isEmpty()) {
            QVERIFY(f->prompter().messages().isEmpty());
            f->toolbar(QStringLiteral("RTCStart")); // Stop Reading
        } else {
            QCOMPARE(f->prompter().messages(), QStringList{msg::kLiveError});
        }
        QVERIFY(!f->main().live().isRunning());
        QVERIFY(f->deviceCommandsEnabled());

        f->sim().faults().garbageReplies = 0;
        f->prompter().clear();
        rows.clear();
        f->toolbar(QStringLiteral("RTCStart"));
        QTRY_VERIFY_WITH_TIMEOUT(!rows.isEmpty(), 10000);
        double v = 0;
        QVERIFY(numfmt::parse(f->main().data()->table().text(1, 3), &v));
        QCOMPARE(int(f->main().data()->MODEL), 1);
        f->toolbar(QStringLiteral("RTCDone"));
        QVERIFY(f->prompter().messages().isEmpty());
    }

    void detailsShowWhatTheNoiseSays()
    {
        f->sim().faults().garbageReplies = 1;
        QVERIFY2(f->start(), qPrintable(f->why()));
        f->toolbar(QStringLiteral("IdentyDevice"));
        QPointer<frmIDdev> dlg = f->main().findChild<frmIDdev *>();
        QVERIFY(dlg);
        QTRY_VERIFY_WITH_TIMEOUT(!dlg->details().busy(), 5000);
        QVERIFY(f->prompter().messages().isEmpty());
        QVERIFY(f->deviceCommandsDisabled());
        dlg->close();
        QTRY_VERIFY(f->deviceCommandsEnabled());

        // The next request gets the logger's own block.
        f->toolbar(QStringLiteral("IdentyDevice"));
        QTRY_VERIFY_WITH_TIMEOUT(f->main().findChild<frmIDdev *>() != nullptr, 2000);
        QPointer<frmIDdev> again;
        for (frmIDdev *d : f->main().findChildren<frmIDdev *>())
            if (!d->details().isClosed())
                again = d;
        QVERIFY(again);
        QTRY_COMPARE_WITH_TIMEOUT(again->details().labels().lserno1.left(10), QStringLiteral(":     0045"), 5000);
        again->close();
    }
};

QTEST_MAIN(TestE2eNoise)
#include "test_e2e_noise.moc"
