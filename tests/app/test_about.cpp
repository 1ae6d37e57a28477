// The splash window and the About box.

#include "app/about/frm_about.h"
#include "app/about/frm_splash.h"
#include "app/about/sys_info.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/prompter.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Registry = QMap<QString, QString>; // "key|value" -> text

namespace {

enum Trigger { Key, ClickFrame, ClickPicture, Timer };

void fire(frmSplash &splash, int trigger)
{
    switch (trigger) {
    case Key:
        QTest::keyClick(&splash, Qt::Key_Space);
        break;
    case ClickFrame:
        QTest::mouseClick(splash.Frame1, Qt::LeftButton, {}, QPoint(3, splash.Frame1->height() - 3));
        break;
    case ClickPicture:
        QTest::mouseClick(splash.Image1, Qt::LeftButton, {}, QPoint(100, 100));
        break;
    case Timer:
        splash.Timer1_Timer();
        break;
    }
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splashTexts();
    void splashHandsOverOnce_data();
    void splashHandsOverOnce();
    void splashTimerHandsOverByItself();
    void aboutTexts();
    void okClosesAndDestroys();
    void sysInfo_data();
    void sysInfo();
    void sysInfoStartsDesktopProgram();
};

void TestAbout::splashTexts()
{
    frmSplash splash;
    QCOMPARE(splash.lblVersion->text(), QStringLiteral("(QTRN) Version 2.1.2"));
    QCOMPARE(splash.lblProductName->text(), appinfo::title());
    QVERIFY(!splash.Label1->text().isEmpty());
    QVERIFY(!splash.Image1->pixmap().isNull());
    QVERIFY(splash.Timer1->isActive());
    QCOMPARE(splash.Timer1->interval(), 5000);
}

void TestAbout::splashHandsOverOnce_data()
{
    QTest::addColumn<int>("first");
    QTest::newRow("key") << int(Key);
    QTest::newRow("click on the frame") << int(ClickFrame);
    QTest::newRow("click on the picture") << int(ClickPicture);
    QTest::newRow("timer") << int(Timer);
}

void TestAbout::splashHandsOverOnce()
{
    QFETCH(int, first);
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    bool visibleDuringHandOver = true;
    QSignalSpy spy(&splash, &frmSplash::handOver);
    connect(&splash, &frmSplash::handOver, this,
            [&] { visibleDuringHandOver = splash.isVisible(); });

    fire(splash, first);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!visibleDuringHandOver);
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.Timer1->isActive());

    // Whatever comes later finds nothing left to do.
    for (int later : {Key, ClickFrame, ClickPicture, Timer})
        fire(splash, later);
    QCOMPARE(spy.count(), 1);
}

void TestAbout::splashTimerHandsOverByItself()
{
    frmSplash splash;
    splash.Timer1->setInterval(1); // the real timer, not a direct call
    QSignalSpy spy(&splash, &frmSplash::handOver);
    splash.show();
    QVERIFY(spy.wait(2000));
    QCOMPARE(spy.count(), 1);
}

void TestAbout::aboutTexts()
{
    ScriptedPrompter prompter;
    QPointer<frmAbout> about = new frmAbout(prompter);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->windowTitle(), QStringLiteral("About BRIVAK QTRN 2.1.0"));
    QCOMPARE(about->lblTitle->text(), appinfo::title());
    QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 2.1.2"));
    QCOMPARE(about->lblDescription->text(),
             QStringLiteral("Temperature, Relative Humidity and Voltage Data Logger"));
    QVERIFY(!about->lblDisclaimer->text().isEmpty());
    QVERIFY(!about->imgLogo->pixmap().isNull());
    QCOMPARE(about->cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(about->cmdSysInfo->text(), QStringLiteral("&System Info..."));
    QVERIFY(!about->isModal());
    QVERIFY(prompter.shown.isEmpty());
    delete about;
}

void TestAbout::okClosesAndDestroys()
{
    ScriptedPrompter prompter;
    QPointer<frmAbout> about = new frmAbout(prompter);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::mouseClick(about->cmdOK, Qt::LeftButton);
    QVERIFY(about.isNull() || !about->isVisible());
    QTRY_VERIFY(about.isNull());
}

void TestAbout::sysInfo_data()
{
    QTest::addColumn<bool>("hasRegistry");
    QTest::addColumn<Registry>("registry");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<bool>("startWorks");
    QTest::addColumn<QString>("started"); // the program asked to start; empty: none
    QTest::addColumn<bool>("unavailable");

    const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
    const QString locationKey =
        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");
    const QString msinfo = QStringLiteral("C:\\Program Files\\MSInfo\\msinfo32.exe");

    QTest::newRow("no registry, nothing installed")
        << false << Registry{} << QStringList{} << QStringList{} << true << QString() << true;
    QTest::newRow("no registry, one program on PATH")
        << false << Registry{} << QStringList{} << QStringList{"kinfocenter"} << true
        << QString("/usr/bin/kinfocenter") << false;
    QTest::newRow("no registry, the best program is taken")
        << false << Registry{} << QStringList{}
        << QStringList{"gnome-system-monitor", "hardinfo"} << true << QString("/usr/bin/hardinfo")
        << false;
    QTest::newRow("program found but does not start")
        << false << Registry{} << QStringList{} << QStringList{"hardinfo"} << false
        << QString("/usr/bin/hardinfo") << true;
    QTest::newRow("registry names the program")
        << true << Registry{{msinfoKey, msinfo}, {locationKey, "D:\\Elsewhere"}} << QStringList{}
        << QStringList{} << true << msinfo << false;
    QTest::newRow("registry names its folder and the file is there")
        << true << Registry{{locationKey, "D:\\Tools"}} << QStringList{"D:\\Tools\\MSINFO32.EXE"}
        << QStringList{} << true << QString("D:\\Tools\\MSINFO32.EXE") << false;
    QTest::newRow("registry names its folder but the file is missing")
        << true << Registry{{locationKey, "D:\\Tools"}} << QStringList{} << QStringList{} << true
        << QString() << true;
    QTest::newRow("registry without either value")
        << true << Registry{} << QStringList{} << QStringList{"hardinfo"} << true << QString()
        << true;
}

void TestAbout::sysInfo()
{
    QFETCH(bool, hasRegistry);
    QFETCH(Registry, registry);
    QFETCH(QStringList, files);
    QFETCH(QStringList, onPath);
    QFETCH(bool, startWorks);
    QFETCH(QString, started);
    QFETCH(bool, unavailable);

    QStringList starts;
    sysinfo::Tools tools;
    tools.hasRegistry = hasRegistry;
    tools.readKey = [&](quint32 root, const QString &key, const QString &value, QString &out) {
        out.clear();
        if (root != sysinfo::HKEY_LOCAL_MACHINE_ROOT || !registry.contains(key + '|' + value))
            return false;
        out = registry.value(key + '|' + value);
        return true;
    };
    tools.fileExists = [&](const QString &path) { return files.contains(path); };
    tools.findExecutable = [&](const QString &name) {
        return onPath.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    };
    tools.start = [&](const QString &program) {
        starts << program;
        return startWorks;
    };

    ScriptedPrompter prompter;
    frmAbout about(prompter);
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    about.setSysInfoTools(tools);
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);

    QCOMPARE(starts, started.isEmpty() ? QStringList{} : QStringList{started});
    if (unavailable) {
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].text, msg::kSysInfoUnavailable);
        QCOMPARE(prompter.shown[0].title, appinfo::title());
        QCOMPARE(int(prompter.shown[0].icon), int(Prompter::Icon::None));
    } else {
        QVERIFY(prompter.shown.isEmpty());
    }
}

void TestAbout::sysInfoStartsDesktopProgram()
{
    // The real lookup on PATH and a real detached start, of a stand-in that leaves a mark.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString mark = dir.filePath(QStringLiteral("started"));
    const QString tool = dir.filePath(QStringLiteral("kinfocenter"));
    {
        QFile f(tool);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(mark).toUtf8()); // no PATH needed
    }
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    ScriptedPrompter prompter;
    {
        frmAbout about(prompter);
        about.setAttribute(Qt::WA_DeleteOnClose, false);
        about.StartSysInfo();
    }
    qputenv("PATH", savedPath);
    QVERIFY(prompter.shown.isEmpty());
    QTRY_VERIFY(QFile::exists(mark));

    // With an empty PATH nothing is found, and the user is told.
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    {
        frmAbout about(prompter);
        about.setAttribute(Qt::WA_DeleteOnClose, false);
        about.StartSysInfo();
    }
    qputenv("PATH", savedPath);
    QCOMPARE(prompter.messages(), QStringList{msg::kSysInfoUnavailable});
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
