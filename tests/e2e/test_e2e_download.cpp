// Read Data, Save and Open through the real window against the simulated logger.
#include "run/run_document.h"
#include "tests/support/e2e_fixture.h"

#include "acquisition/download.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "view/frm_data.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int kDownloadMs = 40000;
using Setup = std::function<void(loggersim::LoggerSim &)>;

struct Snapshot
{
    QList<QStringList> cells;
    QString serial, location;
};

Snapshot snapshot(FrmData *d)
{
    Snapshot s;
    const ReadingsTable &t = d->table();
    for (int r = 0; r < t.rows(); ++r) {
        QStringList row;
        for (int c = 0; c < t.cols(); ++c)
            row << t.text(r, c);
        s.cells << row;
    }
    s.serial = d->serialCaption();
    s.location = d->locationCaption();
    return s;
}
} // namespace

class TestE2eDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;
    QTemporaryDir m_dir;

    DataCommands *commands() { return f->main().findChild<DataCommands *>(); }

    // Read Data through the toolbar; true when the download ended within the time.
    bool download()
    {
        QSignalSpy done(commands(), &DataCommands::downloadFinished);
        f->toolbar(QStringLiteral("ReadData"));
        return done.wait(kDownloadMs) || done.count() > 0;
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<e2e::Fixture>();
        e2e::enableLogger(f->sim().state(), "LAB A", 15);
    }
    void cleanup() { f.reset(); }

    void downloadsEachFamily_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("heading");
        QTest::newRow("RV-110") << 1 << 4 << "Temp(°C)";
        QTest::newRow("RV-220 humidity") << 6 << 5 << "Temp(°C)";
        QTest::newRow("RV-410 voltage") << 3 << 4 << "Voltage(V)";
        QTest::newRow("RV-420 CO2") << 32 << 4 << "CO2(PPM)";
    }
    void downloadsEachFamily()
    {
        QFETCH(int, model);
        QFETCH(int, columns);
        QFETCH(QString, heading);
        f->sim().state().model = quint8(model);
        f->sim().core().fillHistory(120);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(f->prompter().messages().join('|')));
        FrmData *d = f->main().data();
        QCOMPARE(d->table().rows(), 121);
        QCOMPARE(d->table().cols(), columns);
        QCOMPARE(d->table().text(0, 3), heading);
        QCOMPARE(int(d->MODEL), model);
        QCOMPARE(d->serialCaption(), QStringLiteral(":     0045 06 05 13"));
        QCOMPARE(d->locationCaption(), QStringLiteral(":    LAB A           "));
        QCOMPARE(f->main().document().origin(), RunOrigin::Download);
        QVERIFY(f->deviceCommandsEnabled());
        QVERIFY(!d->progressBar()->isVisible());
        // The newest reading is the last row, stamped with the logger's newest reading time.
        const QDateTime newest = f->sim().state().newestReading;
        QCOMPARE(d->table().text(120, 2), datetext::timeText(QTime(newest.time().hour(), newest.time().minute())));
    }

    // While the image comes in at 240 bytes a second (about 2.7 s) the commands stay off and
    // the progress display shows the caption, the bar and, once the rate is known, the time
    // left.
    void commandsStayOffWhileDownloading()
    {
        f->sim().state().model = 1;
        f->sim().core().fillHistory(300);
        f->sim().setPace(240);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QSignalSpy done(commands(), &DataCommands::downloadFinished);
        f->toolbar(QStringLiteral("ReadData"));
        QVERIFY(f->deviceCommandsDisabled());
        FrmData *d = f->main().data();
        QTRY_VERIFY_WITH_TIMEOUT(d->progressBar()->isVisibleTo(d), 1000);
        QCOMPARE(d->progressLabel()->text(), msg::kReading);
        const QRegularExpression left(QStringLiteral("^about \\d s left$"));
        QTRY_VERIFY_WITH_TIMEOUT(left.match(d->timeLeftLabel()->text()).hasMatch(), 5000);
        QVERIFY(done.wait(kDownloadMs));
        QVERIFY(f->deviceCommandsEnabled());
        QVERIFY(!d->timeLeftLabel()->isVisible());
        QCOMPARE(d->table().rows(), 301);
    }

    void neverEnabledLogger()
    {
        f->sim().state().model = 1;
        f->sim().state().serial = loggersim::LoggerState::kNoSerial;
        f->sim().core().fillHistory(10);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        QCOMPARE(f->prompter().messages(), QStringList{msg::kNotEnabled});
        QCOMPARE(f->lastMessage().icon, Prompter::Icon::Information);
        QCOMPARE(f->main().data()->table().rows(), 1);
        QVERIFY(f->main().data()->serialCaption().isEmpty());
        QVERIFY(f->deviceCommandsEnabled());
    }

    // A complete image ends the download at once (no wait runs out); anything else still ends
    // through the 3 s silence and is asked for again, and pieces with gaps under 3 s make one.
    void imageOnTheLine_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("complete") << Setup([](loggersim::LoggerSim &) {}) << 31 << 2 << true;
        // The logger announces N bytes, then logs a reading before the memory request.
        QTest::newRow("a reading logged between the requests")
            << Setup([](loggersim::LoggerSim &s) {
                   s.state().started = true;
                   QObject::connect(&s, &loggersim::LoggerSim::frameReceived, &s,
                                    [&s](const QByteArray &, loggersim::ReplyKind kind) {
                                        if (kind == loggersim::ReplyKind::Parameters)
                                            s.advanceClock(s.state().intervalSeconds());
                                    });
               })
            << 32 << 2 << true;
        // Six pieces 1 s apart: the first 3 s wait ends in the middle of the image.
        QTest::newRow("pieces with gaps of 1 s") << Setup([](loggersim::LoggerSim &s) {
            s.faults().imagePieceBytes = 20;
            s.faults().imageGapMs = 1000;
        }) << 31 << 2 << false;
        QTest::newRow("bad checksum once")
            << Setup([](loggersim::LoggerSim &s) { s.faults().badChecksumImages = 1; }) << 31 << 3
            << false;
        QTest::newRow("no END once")
            << Setup([](loggersim::LoggerSim &s) { s.faults().imagesWithoutEnd = 1; }) << 31 << 3
            << false;
        QTest::newRow("two bytes after the first image") << Setup([](loggersim::LoggerSim &s) {
            s.faults().lengthDelta = 2; // the parameter block and the first image
            s.faults().lengthDeltaReplies = 2;
        }) << 31 << 3 << false;
    }
    void imageOnTheLine()
    {
        QFETCH(Setup, setup);
        QFETCH(int, rows);
        QFETCH(int, requests);
        QFETCH(bool, atOnce);
        f->sim().state().model = 1;
        f->sim().core().fillHistory(30);
        setup(f->sim());
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        QVERIFY(f->prompter().messages().isEmpty());
        QCOMPARE(f->main().data()->table().rows(), rows);
        const Downloader &d = commands()->downloader();
        QCOMPARE(d.requests(), requests);
        QCOMPARE(d.waitsRunOut() == 0, atOnce);
    }

    // A line that drops in the middle of the image: test_e2e_line_faults.

    void saveAndOpenRoundTrip_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::newRow("degC") << false;
        QTest::newRow("degF") << true;
    }
    void saveAndOpenRoundTrip()
    {
        QFETCH(bool, fahrenheit);
        f->sim().state().model = 2;
        f->sim().core().fillHistory(50);
        QVERIFY2(f->start(), qPrintable(f->why()));
        FrmData *d = f->main().data();
        if (fahrenheit)
            d->Cels_Faren = 0; // the set is filled in degF directly
        QVERIFY(download());
        const Snapshot before = snapshot(d);
        QCOMPARE(before.cells.at(0).at(3), fahrenheit ? QStringLiteral("Temp(°F)") : QStringLiteral("Temp(°C)"));

        const QString path = m_dir.filePath(QStringLiteral("set%1").arg(fahrenheit));
        f->prompter().fileAnswers = {path};
        f->toolbar(QStringLiteral("Save"));
        QVERIFY(QFile::exists(path + ".brv2"));
        QCOMPARE(d->caption(), " - " + path + ".brv2");

        f->toolbar(QStringLiteral("New"));
        QCOMPARE(d->table().rows(), 1);
        f->prompter().fileAnswers = {path + ".brv2"};
        f->toolbar(QStringLiteral("Open"));
        QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(f->prompter().messages().join('|')));
        QCOMPARE(f->prompter().lastFilter, msg::kBrivakFilter);
        const Snapshot after = snapshot(d);
        QCOMPARE(after.cells, before.cells);
        QCOMPARE(after.serial, before.serial);
        QCOMPARE(after.location, before.location);
        QCOMPARE(d->caption(), path + ".brv2");
        QVERIFY(f->main().document().savedAsImage());
    }

    void corruptedFileKeepsTheWindow()
    {
        f->sim().state().model = 1;
        f->sim().core().fillHistory(20);
        QVERIFY2(f->start(), qPrintable(f->why()));
        QVERIFY(download());
        const QString path = m_dir.filePath("good.brv2");
        f->prompter().fileAnswers = {path};
        f->toolbar(QStringLiteral("Save"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const int at = bytes.indexOf("#1900", 200);
        bytes[at + 9] = bytes[at + 9] == '1' ? '2' : '1'; // one image byte changed
        file.resize(0);
        file.write(bytes);
        file.close();

        FrmData *d = f->main().data();
        const Snapshot before = snapshot(d);
        f->prompter().fileAnswers = {path};
        f->toolbar(QStringLiteral("Open"));
        QCOMPARE(f->prompter().messages(), QStringList{msg::kFileCorrupted});
        QCOMPARE(snapshot(d).cells, before.cells);
        QCOMPARE(int(d->MODEL), 1);
    }

    void nothingToSaveAfterNew()
    {
        QVERIFY2(f->start(), qPrintable(f->why()));
        f->toolbar(QStringLiteral("New"));
        f->toolbar(QStringLiteral("Save"));
        QCOMPARE(f->prompter().messages(), QStringList{msg::kNothingToSave});
        QVERIFY(f->prompter().fileAnswers.isEmpty());
    }
};

QTEST_MAIN(TestE2eDownload)
#include "test_e2e_download.moc"
