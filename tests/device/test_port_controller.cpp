#include "common/messages.h"
#include "common/prompter.h"
#include "device/comport_file.h"
#include "tests/support/fake_serial_link.h"
#include "device/port_controller.h"
#include "device/port_mapping.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPortController : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray comportBytes() const
    {
        QFile f(comportfile::path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath("Comport.txt"));
        comportfile::setFolder(m_dir.path());
        for (int n = 1; n <= 12; ++n)
            qputenv(QStringLiteral("KESTRUN_COM%1").arg(n).toLatin1(),
                    QStringLiteral("/dev/fake%1").arg(n).toLatin1());
    }

    void choosingAPortWritesComportBeforeOpening_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("COM3 exists") << 3 << true << QByteArray("3\r\n") << true << QStringList();
        // An invalid COM3 is still remembered for the next start.
        QTest::newRow("COM3 missing")
            << 3 << false << QByteArray("3\r\n") << false << QStringList{msg::kInvalidPort};
        QTest::newRow("COM1") << 1 << true << QByteArray("1\r\n") << true << QStringList();
    }
    void choosingAPortWritesComportBeforeOpening()
    {
        QFETCH(int, port);
        QFETCH(bool, exists);
        QFETCH(QByteArray, file);
        QFETCH(bool, ok);
        QFETCH(QStringList, messages);
        FakeSerialLink link;
        link.existing = exists ? QStringList{portmap::deviceFor(port)} : QStringList{};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        QByteArray fileAtOpen;
        // The file must already be on disk when the port is opened.
        connect(&pc, &PortController::statusChanged, this,
                [&] { fileAtOpen = comportBytes(); });
        pc.chooseCom(port);
        QCOMPARE(comportBytes(), file);
        QCOMPARE(fileAtOpen, file);
        QCOMPARE(pc.ok_port(), ok);
        QCOMPARE(link.isOpen(), ok);
        QCOMPARE(prompter.messages(), messages);
        QCOMPARE(int(pc.tick()), port);
        if (ok)
            QCOMPARE(link.baud, 1200);
    }

    void unwritableComportFileLeavesEverythingAsItWas()
    {
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(1), portmap::deviceFor(2)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseCom(1);
        QVERIFY(link.isOpen());
        comportfile::setFolder(m_dir.filePath("no/such/folder"));
        pc.chooseCom(2);
        QCOMPARE(prompter.messages(), QStringList{msg::kFileAccessingError});
        QCOMPARE(link.deviceName(), portmap::deviceFor(1)); // still the old port
        QCOMPARE(int(pc.tick()), 1);
        QCOMPARE(int(pc.comm_port()), 2); // the new number is already held
    }

    void choosingTheOpenPortReopensIt()
    {
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(2)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseCom(2);
        link.feed("stale");
        pc.chooseCom(2);
        QVERIFY(link.isOpen());
        QVERIFY(pc.ok_port());
    }

    // A port that exists but cannot be opened: no box, the old port closed, ok_port false so
    // every device command answers that the port is invalid, and the status bar says why.
    void unopenablePortIsSilentButNotUsable_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("why");
        QTest::newRow("busy") << true << "/dev/fake2: in use by another program";
        QTest::newRow("no permission")
            << false << "/dev/fake2: no permission to open it; join the group dialout";
    }
    void unopenablePortIsSilentButNotUsable()
    {
        QFETCH(bool, busy);
        QFETCH(QString, why);
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(1), portmap::deviceFor(2)};
        (busy ? link.busy : link.denied) = {portmap::deviceFor(2)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseCom(1);
        pc.chooseCom(2);
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(!pc.ok_port());
        QVERIFY(!link.isOpen());
        QVERIFY2(pc.statusText().contains(why), qPrintable(pc.statusText()));
    }

    void otherAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("port"); // 0: nothing changes
        QTest::newRow("12") << "12" << 12;
        QTest::newRow("blanks") << " 7 " << 7;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("too large") << "70000" << 0;
        QTest::newRow("half to even") << "6.5" << 6;
    }
    void otherAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(int, port);
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(6), portmap::deviceFor(7), portmap::deviceFor(12)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseOther(answer);
        if (port == 0) {
            QCOMPARE(int(pc.comm_port()), 0);
            QCOMPARE(comportBytes(), QByteArray("<missing>"));
            QCOMPARE(int(pc.tick()), int(PortController::TickNone));
            QVERIFY(!link.isOpen());
        } else {
            QCOMPARE(int(pc.comm_port()), port);
            QCOMPARE(link.deviceName(), portmap::deviceFor(port));
            QCOMPARE(int(pc.tick()), int(PortController::TickOther));
        }
        QVERIFY(prompter.messages().isEmpty());
    }

    void cancelledOtherChangesNothing()
    {
        FakeSerialLink link;
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseOther(std::nullopt);
        QCOMPARE(int(pc.comm_port()), 0);
        QVERIFY(prompter.shown.isEmpty());
    }

    void activationReadsComport_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("tick");
        QTest::addColumn<bool>("opened");
        QTest::newRow("7 ticks Other") << QByteArray("7\r\n") << int(PortController::TickOther)
                                       << true;
        QTest::newRow("2") << QByteArray("2\r\n") << 2 << true;
        QTest::newRow("garbage") << QByteArray("COM2\r\n") << int(PortController::TickNone)
                                 << false;
        QTest::newRow("empty") << QByteArray() << int(PortController::TickNone) << false;
    }
    void activationReadsComport()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, tick);
        QFETCH(bool, opened);
        QFile f(comportfile::path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(2), portmap::deviceFor(7)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        QCOMPARE(pc.activate(), opened);
        QCOMPARE(int(pc.tick()), tick);
        QCOMPARE(pc.ok_port(), opened);
        QVERIFY(prompter.messages().isEmpty()); // garbage and missing files are silent
    }

    void activationWithOpenPortLeavesIt()
    {
        QVERIFY(comportfile::write(2));
        FakeSerialLink link;
        link.existing = {portmap::deviceFor(2)};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        QVERIFY(pc.activate());
        link.feed("x");
        QVERIFY(!pc.activate()); // the failure path: already open
        QCOMPARE(link.rx, QByteArray("x"));
        QVERIFY(link.isOpen());
    }

    void activationOfMissingPortSaysInvalid()
    {
        QVERIFY(comportfile::write(4));
        FakeSerialLink link;
        link.existing = {};
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        QVERIFY(!pc.activate());
        QCOMPARE(prompter.messages(), QStringList{msg::kInvalidPort});
        QCOMPARE(int(pc.tick()), 4);
        QVERIFY(!pc.ok_port());
    }

    void lostPortClearsOkPort()
    {
        FakeSerialLink link;
        ScriptedPrompter prompter;
        PortController pc(link, prompter);
        pc.chooseCom(1);
        QVERIFY(pc.ok_port());
        connect(&link, &SerialLink::lost, &pc, &PortController::portLost);
        link.pull(); // closed, then reported
        QVERIFY(!pc.ok_port());
        QVERIFY(pc.statusText().contains(QStringLiteral("connection lost (gone)")));
    }

    // Where Comport.txt goes for a program folder and the user running the program: "program"
    // or "user" (the per-user data folder), written first, then the folders read in turn.
    void comportPlaces_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("owner"); // -1: the system does not say
        QTest::addColumn<int>("user");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QStringList>("places");
        const QStringList own{"program", "program"};
        const QStringList data{"user", "user"};
        // The system's: never written, the file an earlier version left there still read.
        const QStringList system{"user", "user", "program"};
        QTest::newRow("installed, run as root") << "/usr/bin" << 0 << 0 << true << system;
        QTest::newRow("installed, run by a user") << "/usr/bin" << 0 << 1000 << false << system;
        QTest::newRow("under /usr, owned by the user") << "/usr/local/kestrun" << 1000 << 1000 << true << system;
        QTest::newRow("a user's folder, run as root") << "/home/ann/kestrun" << 1000 << 0 << true << system;
        QTest::newRow("another user's folder") << "/opt/kestrun" << 1001 << 1000 << false << system;
        QTest::newRow("the user's own folder") << "/home/ann/kestrun" << 1000 << 1000 << true << own;
        QTest::newRow("the user's own, not writable") << "/home/ann/kestrun" << 1000 << 1000 << false << data;
        QTest::newRow("a name that begins like /usr") << "/usrdata/kestrun" << 1000 << 1000 << true << own;
        QTest::newRow("no owner known, writable") << "C:/Kestrun" << -1 << 0 << true << own;
        QTest::newRow("folder unknown") << "" << -1 << 0 << false << data;
    }
    void comportPlaces()
    {
        QFETCH(QString, folder);
        QFETCH(int, owner);
        QFETCH(int, user);
        QFETCH(bool, writable);
        QFETCH(QStringList, places);
        comportfile::ProgramFolder program{folder, std::nullopt, writable};
        if (owner >= 0)
            program.owner = uint(owner);
        const QString userData = QStringLiteral("/home/ann/.local/share/Brivak/Kestrun");
        const comportfile::Places got = comportfile::places(program, uint(user), userData);
        QStringList named{got.written};
        named += got.read;
        named.replaceInStrings(QRegularExpression("^" + QRegularExpression::escape(userData) + "$"), "user");
        if (!folder.isEmpty())
            named.replaceInStrings(QRegularExpression("^" + QRegularExpression::escape(folder) + "$"), "program");
        QCOMPARE(named, places);
    }
};

QTEST_GUILESS_MAIN(TestPortController)
#include "test_port_controller.moc"
