#include "run/run_document.h"
#include "acquisition/live_readings.h"
#include "acquisition/readings_table.h"
#include "app/frm_main.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "device/port_controller.h"
#include "tests/support/fake_serial_link.h"
#include "view/frm_data.h"

#include <QComboBox>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

namespace {
const QStringList kDeviceButtons{"ReadData",     "RealTime",   "DeviceTime", "IdentyDevice",
                                 "StartDevice", "StopDevice", "ClearStop"};
}

class TestFrmMain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeSerialLink *m_link = nullptr;
    ScriptedPrompter *m_prompter = nullptr;
    FrmMain *m_main = nullptr;

    void openPort()
    {
        m_main->port().chooseCom(1);
        QVERIFY(m_main->ok_port());
    }

private Q_SLOTS:
    void init()
    {
        comportfile::setFolder(m_dir.path());
        QFile::remove(comportfile::path());
        qputenv("KESTRUN_COM1", "/dev/fake1");
        m_link = new FakeSerialLink;
        m_prompter = new ScriptedPrompter;
        m_main = new FrmMain(m_link, m_prompter);
    }
    void cleanup()
    {
        delete m_main;
        delete m_prompter;
        delete m_link;
    }

    void menuCaptions()
    {
        QStringList captions;
        for (QAction *a : m_main->menuBar()->actions())
            if (a->isVisible())
                captions << a->text();
        const QStringList expected{"     &File         ",          "     &Setting              ",
                                   "    &View           ",         "     Data               ",
                                   "     &Device                 ", "     Export         ",
                                   "    &Help                "};
        QCOMPARE(captions, expected);
        QVERIFY(!m_main->menu("Graph")->menuAction()->isVisible());
        QVERIFY(!m_main->menu("BaudRate")->menuAction()->isVisible());
        QCOMPARE(m_main->menuAction("ClearStopDevice")->text(), QStringLiteral("Clear && Stop Device"));
        QCOMPARE(m_main->menuAction("About")->text(), QStringLiteral("About     "));
        for (const char *disabled : {"SaveAs", "PageSetup", "PrintPreview", "m101"})
            QVERIFY2(!m_main->menuAction(disabled)->isEnabled(), disabled);
        QVERIFY(m_main->menuAction("m102")->isChecked());
    }

    void toolbarKeysAndTips_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("tip");
        const QList<std::tuple<int, const char *, const char *>> rows{
            {3, "New", "New"},
            {4, "Open", "Open"},
            {5, "Save", "Save"},
            {6, "Print", "Print Data"},
            {7, "Print_G", "Print Graph"},
            {11, "Zoomin", "Zoom in"},
            {12, "Zoomout", "Zoom out"},
            {13, "CancZoom", "Normal"},
            {14, "Pointer", "Cursor"},
            {18, "ReadData", "Read Data"},
            {19, "RealTime", "Read Real Time Data"},
            {23, "DeviceTime", "Device Time"},
            {24, "IdentyDevice", "Identify Device"},
            {25, "StartDevice", "Start Device"},
            {26, "StopDevice", "Stop Device"},
            {27, "ClearStop", "Clear and Stop"},
            {30, "ExportExcel", "Export to Excel"}};
        for (const auto &[pos, key, tip] : rows)
            QTest::newRow(key) << pos << QString::fromLatin1(key) << QString::fromLatin1(tip);
    }
    void toolbarKeysAndTips()
    {
        QFETCH(int, position);
        QFETCH(QString, key);
        QFETCH(QString, tip);
        const QList<QAction *> actions = m_main->mainToolbar()->actions();
        QCOMPARE(actions.size(), 30);
        QAction *a = actions.at(position - 1);
        QCOMPARE(a->objectName(), key);
        QCOMPARE(a->toolTip(), tip);
        QVERIFY(!a->isSeparator());
    }

    void liveToolbarIntervals()
    {
        QComboBox *c = m_main->ComboRTC();
        QCOMPARE(c->count(), 17);
        QCOMPARE(c->itemText(0), QStringLiteral("2 Seconds"));
        QCOMPARE(c->itemData(5).toInt(), 60);
        QCOMPARE(c->itemText(16), QStringLiteral("24 Hours"));
        QCOMPARE(c->itemData(16).toInt(), 86400);
        QVERIFY(m_main->liveToolbar()->isHidden());
    }

    void enablingTable()
    {
        m_main->Dsb_Controls();
        for (const QString &k : kDeviceButtons)
            QVERIFY2(!m_main->toolbarAction(k)->isEnabled(), qPrintable(k));
        for (const char *m : {"data", "Device", "Setting"})
            QVERIFY(!m_main->menu(m)->menuAction()->isEnabled());
        QVERIFY(!m_main->menuAction("mOpen")->isEnabled());
        QVERIFY(!m_main->menuAction("mNew")->isEnabled());
        // Everything else stays as it was.
        for (const char *k : {"New", "Open", "Save", "Print", "Zoomin", "ExportExcel"})
            QVERIFY2(m_main->toolbarAction(k)->isEnabled(), k);
        QVERIFY(m_main->menuAction("Save")->isEnabled());
        QVERIFY(m_main->menu("View")->menuAction()->isEnabled());
        m_main->Enb_Controls();
        for (const QString &k : kDeviceButtons)
            QVERIFY(m_main->toolbarAction(k)->isEnabled());
        QVERIFY(m_main->menu("Setting")->menuAction()->isEnabled());
        QVERIFY(m_main->menuAction("mNew")->isEnabled());
    }

    void deviceCommandsNeedAPort_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("Read Data") << "ReadData";
        QTest::newRow("Real Time") << "RealTime";
        QTest::newRow("Identify") << "IdentyDevice";
    }
    void deviceCommandsNeedAPort()
    {
        QFETCH(QString, key);
        QSignalSpy read(m_main, &FrmMain::readDataRequested);
        QSignalSpy identify(m_main, &FrmMain::identifyRequested);
        m_main->toolbarAction(key)->trigger();
        QCOMPARE(m_prompter->messages(), QStringList{msg::kInvalidPort});
        QCOMPARE(m_prompter->shown.first().title, appinfo::title());
        QVERIFY(m_link->written.isEmpty());
        QCOMPARE(read.count() + identify.count(), 0);
        QVERIFY(m_main->liveToolbar()->isHidden());
    }

    void startConfirmation_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("text");
        QTest::newRow("menu, six blanks") << true << msg::kConfirmStartMenu;
        QTest::newRow("toolbar, seven blanks") << false << msg::kConfirmStartToolbar;
    }
    void startConfirmation()
    {
        QFETCH(bool, fromMenu);
        QFETCH(QString, text);
        QVERIFY(text.contains(fromMenu ? "any,      Do" : "any,       Do"));
        openPort();
        QSignalSpy start(m_main, &FrmMain::startDeviceRequested);
        QAction *a = fromMenu ? m_main->menuAction("StartDevice") : m_main->toolbarAction("StartDevice");
        m_prompter->yesNoAnswers = {false};
        a->trigger();
        QCOMPARE(m_prompter->shown.last().text, text);
        QCOMPARE(m_prompter->shown.last().title, msg::kTitleWarning);
        QCOMPARE(m_prompter->shown.last().icon, Prompter::Icon::Information);
        QCOMPARE(start.count(), 0);
        QVERIFY(m_main->isEnabled());
        m_prompter->yesNoAnswers = {true};
        a->trigger();
        QCOMPARE(start.count(), 1);
        QVERIFY(!m_main->M_Show);
        QVERIFY(!m_main->isEnabled());
    }

    void readDataRequestsTheDownload()
    {
        openPort();
        QSignalSpy read(m_main, &FrmMain::readDataRequested);
        m_main->menuAction("ReadData")->trigger();
        QCOMPARE(read.count(), 1);
    }

    void liveReadingToolbar()
    {
        openPort();
        m_main->toolbarAction("RealTime")->trigger();
        QVERIFY(!m_main->liveToolbar()->isHidden());
        QVERIFY(m_main->mainToolbar()->isHidden());
        QCOMPARE(m_main->document().origin(), RunOrigin::Live);
        QCOMPARE(m_main->ComboRTC()->currentText(), QStringLiteral("5 Seconds"));

        QAction *start = m_main->toolbarAction("RTCStart");
        m_link->feed("late bytes");
        start->trigger();
        QCOMPARE(start->text(), QStringLiteral("Stop Reading"));
        QVERIFY(m_main->RTC_On);
        QVERIFY(!m_main->ComboRTC()->isEnabled());
        QVERIFY(!m_main->toolbarAction("ReadData")->isEnabled());
        QCOMPARE(m_link->written.last(), QByteArray::fromHex("525000000002"));
        QVERIFY(m_link->rx.isEmpty()); // discarded before the request
        QCOMPARE(m_main->live().RTCinter, 1);
        QVERIFY(m_main->live().TimerRTC().isActive());

        start->trigger(); // Stop Reading: the live toolbar stays
        QCOMPARE(start->text(), QStringLiteral("Start Reading"));
        QVERIFY(!m_main->RTC_On);
        QVERIFY(!m_main->liveToolbar()->isHidden());
        QVERIFY(m_main->toolbarAction("ReadData")->isEnabled());

        m_main->toolbarAction("RTCDone")->trigger();
        QVERIFY(m_main->liveToolbar()->isHidden());
        QVERIFY(!m_main->mainToolbar()->isHidden());
        // The next run starts with RTC_On false.
        m_main->toolbarAction("RealTime")->trigger();
        QVERIFY(!m_main->RTC_On);
    }

    void newFileResetsTheDataWindow()
    {
        FrmData *d = m_main->data();
        ReadingsTable &t = d->table();
        t.setRows(10);
        d->MODEL = 2;
        d->zoomin = true;
        d->R = 5;
        d->setSerialCaption(QStringLiteral(":     0045 06 05 13"));
        m_main->setWindowTitle(QStringLiteral("x"));
        m_main->menuAction("mNew")->trigger();
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cols(), 6);
        QCOMPARE(t.text(0, 3), QStringLiteral("Temp(°C)"));
        QCOMPARE(t.text(0, 4), QStringLiteral("RH (%)"));
        QCOMPARE(t.text(0, 5), QStringLiteral("Voltage(V)"));
        QCOMPARE(d->MODEL, 0);
        QVERIFY(!d->zoomin);
        QCOMPARE(d->R, 20.0);
        QVERIFY(d->serialCaption().isEmpty());
        QCOMPARE(m_main->windowTitle(), QStringLiteral("BRIVAK QTRN"));
    }

    void settingMenuIsOffDuringAnExchange()
    {
        m_main->Dsb_Controls();
        QVERIFY(!m_main->menu("Setting")->menuAction()->isEnabled());
        m_main->Enb_Controls();
    }

    void otherPortThroughInputBox()
    {
        qputenv("KESTRUN_COM12", "/dev/fake12");
        m_link->existing << "/dev/fake12";
        m_prompter->inputAnswers = {QStringLiteral("12")};
        m_main->menuAction("ComOther")->trigger();
        QCOMPARE(m_prompter->shown.first().text, msg::kEnterCommPort);
        QCOMPARE(m_prompter->lastInputDefault, QStringLiteral("0"));
        QCOMPARE(int(m_main->comm_port()), 12);
        QVERIFY(m_main->menuAction("ComOther")->isChecked());
        QVERIFY(!m_main->menuAction("Com1")->isChecked());
        QCOMPARE(m_link->deviceName(), QStringLiteral("/dev/fake12"));
        QVERIFY(m_main->statusPanel(0)->text().contains("/dev/fake12"));
    }

    // The Comm Port entries as the user picks them: the chosen entry alone is ticked and its
    // port opened afresh, whatever the click did to that entry's own tick; after "File
    // Accessing Error" the ticks are as before.
    void commPortTicks_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("com2"); // "", "busy", or "unwritable" (Comport.txt)
        QTest::addColumn<int>("ticked");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("opens");
        QTest::newRow("the open port again") << 1 << "" << 1 << true << QStringList{} << 1;
        QTest::newRow("a busy port") << 2 << "busy" << 2 << false << QStringList{} << 1;
        QTest::newRow("File Accessing Error")
            << 2 << "unwritable" << 1 << true << QStringList{msg::kFileAccessingError} << 0;
    }
    void commPortTicks()
    {
        QFETCH(int, chosen);
        QFETCH(QString, com2);
        QFETCH(int, ticked);
        QFETCH(bool, ok);
        QFETCH(QStringList, messages);
        QFETCH(int, opens);
        qputenv("KESTRUN_COM2", "/dev/fake2");
        m_link->existing << "/dev/fake2";
        if (com2 == QLatin1String("busy"))
            m_link->busy << "/dev/fake2";
        m_main->menuAction("Com1")->trigger();
        QVERIFY(m_main->ok_port());
        if (com2 == QLatin1String("unwritable"))
            comportfile::setFolder(m_dir.filePath("no/such/folder"));
        const int before = m_link->opens;

        m_main->menuAction(QStringLiteral("Com%1").arg(chosen))->trigger();
        for (int n = 1; n <= 5; ++n) {
            const QString name = n == 5 ? QStringLiteral("ComOther") : QStringLiteral("Com%1").arg(n);
            QVERIFY2(m_main->menuAction(name)->isChecked() == (n == ticked), qPrintable(name));
        }
        QCOMPARE(m_main->ok_port(), ok);
        QCOMPARE(m_prompter->messages(), messages);
        QCOMPARE(m_link->opens - before, opens);
    }

    void exitBreaksAndClosesThePort()
    {
        openPort();
        m_main->menuAction("Exit")->trigger();
        QVERIFY(m_link->breakOn);
        QVERIFY(!m_link->isOpen());
    }

    void activationReopensFromComport()
    {
        QVERIFY(comportfile::write(1));
        m_main->Activation();
        QVERIFY(m_main->ok_port());
        QVERIFY(m_main->menuAction("Com1")->isChecked());
        // Activation while the Start Device dialog is up brings it back.
        QSignalSpy start(m_main, &FrmMain::startDeviceRequested);
        m_main->M_Show = false;
        m_main->Activation();
        QCOMPARE(start.count(), 1);
    }

    // Activation ends a zoom mode and gives the graph its default pointer back; the view and
    // the marker size that belongs to it stay.
    void activationEndsZoomModes()
    {
        FrmData *d = m_main->data();
        d->R = 7.5; // as a zoomed view leaves it
        m_main->toolbarAction("Zoomin")->trigger();
        QVERIFY(d->PicGraph()->testAttribute(Qt::WA_SetCursor));
        m_main->Activation();
        QVERIFY(!d->zoomin && !d->zoomout);
        QVERIFY(!d->PicGraph()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(d->R, 7.5);
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frm_main.moc"
