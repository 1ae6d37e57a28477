// The Start Device window: that its widgets show and pass on what StartDevice holds, that the
// user's typing reaches the logic as typed, and that it closes through its closing steps.

#include "tests/support/fake_host.h"

#include "common/clock.h"
#include "common/messages.h"
#include "device/command_frame.h"
#include "device/frm_data1.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>

namespace {

QByteArray block(bool enabled)
{
    QByteArray p(40, '\0');
    p[22] = p[23] = char(enabled ? 0x00 : 0xFF);
    return p;
}

} // namespace

class TestFrmData1 : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    QPointer<Frmdata1> m_dlg;
    FixedClock m_clock{QDateTime(QDate(2031, 11, 2), QTime(8, 30, 15))};

    template<typename T> T *w(const char *name) const
    {
        T *found = m_dlg->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    void answer(const QByteArray &reply)
    {
        m_host->port.feed(reply);
        m_dlg->logic().TimerPara().onTimer();
    }
    void retype(const char *box, const QString &text)
    {
        QLineEdit *e = w<QLineEdit>(box);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    QStringList items() const
    {
        QStringList l;
        auto *c = w<QComboBox>("CmbInterval");
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }

private Q_SLOTS:
    void initTestCase() { Clock::install(&m_clock); }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_clock.set(QDateTime(QDate(2031, 11, 2), QTime(8, 30, 15)));
        m_host = std::make_unique<FakeHost>();
        m_dlg = new Frmdata1(*m_host);
        m_dlg->show();
        m_dlg->logic().presetByOpener();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    }
    void cleanup()
    {
        delete m_dlg.data();
        m_host.reset();
    }

    void openedAsTheMainWindowLeavesIt()
    {
        QCOMPARE(m_dlg->windowTitle(), msg::kStartDeviceCaption);
        QCOMPARE(m_host->port.written, QList<QByteArray>{frames::make('R', 'P')});
        QCOMPARE(m_dlg->cursor().shape(), Qt::WaitCursor);
        QVERIFY(!w<QPushButton>("Command2")->isEnabled());
        QCOMPARE(w<QPushButton>("Command2")->text(), msg::kSend);
        QCOMPARE(w<QPushButton>("Command1")->text(), msg::kExit);

        auto *date = w<QDateEdit>("DtpDate");
        QCOMPARE(date->displayFormat(), QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(date->minimumDate(), QDate(2000, 1, 1));
        QCOMPARE(date->date(), QDate(2031, 11, 2));
        QCOMPARE(w<QTimeEdit>("DtpTime")->time(), QTime(8, 30, 15));
        QVERIFY(w<QRadioButton>("OptMinute")->isChecked());
        QVERIFY(!w<QComboBox>("CmbInterval")->isEditable());
        QCOMPARE(items().size(), 59);
        QCOMPARE(w<QComboBox>("CmbInterval")->currentText(), QStringLiteral("1"));
        QVERIFY(w<QRadioButton>("Optstrt")->isChecked());
        QCOMPARE(w<QLineEdit>("hrs")->text(), QStringLiteral("0"));
        QCOMPARE(w<QLineEdit>("min")->text(), QStringLiteral("1"));
        QVERIFY(!w<QLineEdit>("hrs")->isEnabled());
        QVERIFY(!w<QLineEdit>("min")->isEnabled());
        QCOMPARE(w<QLineEdit>("TxtLocation")->maxLength(), 16);
        QVERIFY(!w<QProgressBar>("ProgressBar1")->isVisible());
        QCOMPARE(w<QProgressBar>("ProgressBar1")->maximum(), 12);

        answer(block(true));
        QVERIFY(w<QPushButton>("Command2")->isEnabled());
        QCOMPARE(m_dlg->cursor().shape(), Qt::ArrowCursor);
    }

    void optionsAndLists()
    {
        QTest::mouseClick(w<QRadioButton>("OptSecond"), Qt::LeftButton);
        QCOMPARE(items(), (QStringList{"5", "10", "15", "30"}));
        QCOMPARE(w<QComboBox>("CmbInterval")->currentText(), QStringLiteral("5"));
        w<QComboBox>("CmbInterval")->setCurrentIndex(3);
        QCOMPARE(m_dlg->logic().intervalText(), QStringLiteral("30"));
        QTest::mouseClick(w<QRadioButton>("OptHour"), Qt::LeftButton);
        QCOMPARE(items().size(), 24);
        QCOMPARE(m_dlg->logic().intervalText(), QStringLiteral("1"));

        QTest::mouseClick(w<QRadioButton>("Optlater"), Qt::LeftButton);
        QVERIFY(m_dlg->logic().startLater());
        QVERIFY(!w<QRadioButton>("Optstrt")->isChecked());
        QVERIFY(w<QLineEdit>("hrs")->isEnabled());
        QVERIFY(w<QLineEdit>("min")->isEnabled());
        QTest::mouseClick(w<QRadioButton>("Optstrt"), Qt::LeftButton);
        QVERIFY(!m_dlg->logic().startLater());
        QVERIFY(!w<QLineEdit>("hrs")->isEnabled());
    }

    // A corrected field is selected, so what the user types next replaces it.
    void typingDelays()
    {
        QTest::mouseClick(w<QRadioButton>("Optlater"), Qt::LeftButton);
        retype("min", QStringLiteral("30"));
        QCOMPARE(w<QLineEdit>("min")->text(), QStringLiteral("30"));
        QCOMPARE(m_dlg->logic().min(), QStringLiteral("30"));
        retype("min", QStringLiteral("75"));
        QCOMPARE(w<QLineEdit>("min")->text(), QStringLiteral("59"));
        retype("hrs", QStringLiteral("30"));
        QCOMPARE(w<QLineEdit>("hrs")->text(), QStringLiteral("24"));
        QCOMPARE(w<QLineEdit>("min")->text(), QStringLiteral("0"));
        retype("hrs", QStringLiteral("2"));
        QCOMPARE(m_dlg->logic().delayMinutes(), 120);
    }

    // StartTimer moves the picker; the user moving it stops StartTimer.
    void timeFollowsTheClockUntilChanged()
    {
        m_clock.advanceSecs(2);
        m_dlg->logic().onStartTimer();
        QCOMPARE(w<QTimeEdit>("DtpTime")->time(), QTime(8, 30, 17));
        QVERIFY(m_dlg->logic().StartTimer().isActive());

        auto *t = w<QTimeEdit>("DtpTime");
        t->setFocus();
        t->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(t, Qt::Key_Up);
        QCOMPARE(m_dlg->logic().time(), QTime(9, 30, 17));
        QVERIFY(!m_dlg->logic().StartTimer().isActive());
        m_clock.advanceSecs(2);
        m_dlg->logic().onStartTimer();
        QCOMPARE(t->time(), QTime(9, 30, 17));
    }

    // "Send" runs the steps with the settings locked; a step that waits says so; closing ends
    // it and hands the main window back once.
    void sendWaitAndClose()
    {
        QSignalSpy closed(m_dlg.data(), &Frmdata1::closed);
        answer(block(true));
        QTest::keyClicks(w<QLineEdit>("TxtLocation"), QStringLiteral("Dock 3"));
        m_host->port.written.clear();
        QTest::mouseClick(w<QPushButton>("Command2"), Qt::LeftButton);
        QCOMPARE(m_host->port.written, QList<QByteArray>{frames::make('S', 'S', 5, 1, 0)});
        QVERIFY(!w<QPushButton>("Command2")->isEnabled());
        QVERIFY(w<QProgressBar>("ProgressBar1")->isVisible());
        QCOMPARE(w<QProgressBar>("ProgressBar1")->value(), 1);
        QVERIFY(!w<QLineEdit>("TxtLocation")->isEnabled());
        QVERIFY(!w<QRadioButton>("OptHour")->isEnabled());
        QVERIFY(!w<QLabel>("LblStatus")->isVisible());

        m_dlg->logic().SendTimer().onTimer();
        m_dlg->logic().SendTimer().onTimer();
        QVERIFY(w<QLabel>("LblStatus")->isVisible());
        QCOMPARE(w<QLabel>("LblStatus")->text(), msg::kWaitingForStep.arg(1).arg("seconds").arg(3));

        // Escape is no way around the closing steps.
        QTest::keyClick(m_dlg, Qt::Key_Escape);
        QVERIFY(m_dlg->isVisible());
        QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(closed.size(), 1);
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_dlg->logic().SendTimer().isRunning());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_dlg.isNull());
    }

    void neverEnabledCloses()
    {
        QSignalSpy closed(m_dlg.data(), &Frmdata1::closed);
        answer(block(false));
        QCOMPARE(m_host->prompts.messages(), QStringList{msg::kNotEnabled});
        QCOMPARE(closed.size(), 1);
        QVERIFY(!m_dlg->isVisible());
        QVERIFY(m_host->enabled);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_dlg.isNull());
    }
};

QTEST_MAIN(TestFrmData1)
#include "test_frm_data1.moc"
