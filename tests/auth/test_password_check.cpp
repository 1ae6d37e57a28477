#include "auth/account.h"
#include "auth/auth_texts.h"
#include "auth/password_check.h"

#include <QFile>
#include <QProcess>
#include <QUuid>
#include <QtTest>

#include <optional>

#include <unistd.h>

using Outcome = auth::PasswordCheck::Outcome;

// The password check through the system's own PAM stack and the project's service file, for
// accounts the test makes: one with a full name, one whose account has expired, one whose
// password must be changed. Making accounts and reading other accounts' passwords needs root;
// as an ordinary user the rows that need them are skipped and say why.
class TestPasswordCheck : public QObject
{
    Q_OBJECT

    // Each run has names of its own: several runs may share a machine.
    const QString m_tag = QString::number(getpid());
    const QString m_service = QStringLiteral("kestrun-test-") + m_tag;
    const QString m_password = QStringLiteral("Kt-") + QUuid::createUuid().toString(QUuid::Id128);
    QString m_skip;
    QStringList m_made;
    bool m_serviceMade = false;

    QString login(const QString &role) const { return QStringLiteral("kt") + m_tag + role; }
    QString serviceFile() const { return QStringLiteral("/etc/pam.d/") + m_service; }

    // What `program` printed, or nothing when it failed.
    static std::optional<QByteArray> run(const QString &program, const QStringList &args,
                                         const QByteArray &input = {})
    {
        QProcess p;
        p.start(program, args);
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            qWarning("%s %s: %s", qPrintable(program), qPrintable(args.join(u' ')),
                     p.readAllStandardError().constData());
            return std::nullopt;
        }
        return p.readAllStandardOutput();
    }

    // The outcome of a check made by the account `user` itself, as the program run by that
    // user makes it (-1: the check did not run).
    static int checkedAs(const QString &user, const QString &login, const QByteArray &password,
                         const QString &service)
    {
        const std::optional<QByteArray> out =
            run(QStringLiteral("runuser"),
                {QStringLiteral("-u"), user, QStringLiteral("--"),
                 QStringLiteral(KESTRUN_CHECK_AS_USER), login, service},
                password + '\n');
        bool ok = false;
        const int outcome = out ? out->trimmed().toInt(&ok) : -1;
        return ok ? outcome : -1;
    }

    bool makeAccount(const QString &role, const QStringList &options)
    {
        const QString name = login(role);
        if (!run(QStringLiteral("useradd"), QStringList{QStringLiteral("-M"), QStringLiteral("-s"),
                                                        QStringLiteral("/usr/sbin/nologin")}
                                                << options << name))
            return false;
        m_made << name;
        return run(QStringLiteral("chpasswd"), {}, (name + u':' + m_password + u'\n').toUtf8())
            .has_value();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (geteuid() != 0) {
            m_skip = QStringLiteral("making throwaway accounts and checking their passwords "
                                    "needs root");
            return;
        }
        // The service file exactly as the package installs it, under this run's name.
        const QString source =
            qEnvironmentVariable("KESTRUN_SOURCE_DIR") + QStringLiteral("/auth/pam.d/kestrun");
        QVERIFY2(QFile::copy(source, serviceFile()), qPrintable(source));
        m_serviceMade = true;
        QVERIFY(makeAccount(QStringLiteral("signer"),
                            {QStringLiteral("-c"), QStringLiteral("Test Signer,Room 1,,")}));
        QVERIFY(makeAccount(QStringLiteral("expired"),
                            {QStringLiteral("-e"), QStringLiteral("2000-01-02")}));
        QVERIFY(makeAccount(QStringLiteral("renew"), {}));
        QVERIFY(run(QStringLiteral("chage"),
                    {QStringLiteral("-d"), QStringLiteral("0"), login(QStringLiteral("renew"))}));
    }

    void cleanupTestCase()
    {
        for (const QString &name : std::as_const(m_made))
            run(QStringLiteral("userdel"), {name});
        if (m_serviceMade)
            QFile::remove(serviceFile());
    }

    void checkPassword_data()
    {
        QTest::addColumn<QString>("role");  // whose account (none: a name without one)
        QTest::addColumn<QString>("given"); // "right", "wrong" or "empty"
        QTest::addColumn<bool>("serviceSetUp");
        QTest::addColumn<bool>("asSigner"); // checked by the signer's account, not by root
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("reason");

        QTest::newRow("the right password")
            << "signer"
            << "right" << true << false << int(Outcome::Ok) << QString();
        QTest::newRow("a wrong password")
            << "signer"
            << "wrong" << true << false << int(Outcome::WrongPassword) << auth::kWrongPassword;
        QTest::newRow("no password")
            << "signer"
            << "empty" << true << false << int(Outcome::WrongPassword) << auth::kWrongPassword;
        QTest::newRow("a login without an account")
            << "none"
            << "right" << true << false << int(Outcome::UnknownLogin)
            << auth::kUnknownLogin.arg(login(QStringLiteral("none")));
        QTest::newRow("an expired account, the right password")
            << "expired"
            << "right" << true << false << int(Outcome::AccountRefused) << auth::kAccountRefused;
        // Without the password nobody learns what state the account is in.
        QTest::newRow("an expired account, a wrong password")
            << "expired"
            << "wrong" << true << false << int(Outcome::WrongPassword) << auth::kWrongPassword;
        QTest::newRow("a password that must be changed")
            << "renew"
            << "right" << true << false << int(Outcome::PasswordExpired) << auth::kPasswordExpired;
        QTest::newRow("no service file")
            << "signer"
            << "right" << false << false << int(Outcome::NotSetUp)
            << auth::kPamNotSetUp.arg(m_service + QStringLiteral("-none"),
                                      serviceFile() + QStringLiteral("-none"));
        // As the program runs for a user: the system checks that user's own password, and no
        // other account's (whatever that account's state).
        QTest::newRow("the signer's own password, as the signer")
            << "signer"
            << "right" << true << true << int(Outcome::Ok) << QString();
        QTest::newRow("a wrong password, as the signer")
            << "signer"
            << "wrong" << true << true << int(Outcome::WrongPassword) << auth::kWrongPassword;
        QTest::newRow("another account's password, as the signer")
            << "expired"
            << "right" << true << true << int(Outcome::WrongPassword) << auth::kWrongPassword;
    }

    void checkPassword()
    {
        QFETCH(QString, role);
        QFETCH(QString, given);
        QFETCH(bool, serviceSetUp);
        QFETCH(bool, asSigner);
        QFETCH(int, expected);
        QFETCH(QString, reason);
        if (serviceSetUp && !m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));

        const QString secret = given == QLatin1String("right")   ? m_password
                               : given == QLatin1String("wrong") ? m_password + u'x'
                                                                 : QString();
        if (asSigner) {
            QCOMPARE(
                checkedAs(login(QStringLiteral("signer")), login(role), secret.toUtf8(), m_service),
                expected);
            return;
        }
        QByteArray password = secret.toUtf8();
        const QByteArray shared = password; // the same bytes, as a caller's copy would hold
        const auth::PasswordCheck check = auth::checkPassword(
            login(role), password, serviceSetUp ? m_service : m_service + QStringLiteral("-none"));

        QCOMPARE(int(check.outcome), expected);
        QCOMPARE(check.ok(), expected == int(Outcome::Ok));
        QCOMPARE(check.reason, reason);
        // The password is gone from the caller's buffer and from the copy that shared it, and
        // nothing the check says repeats it.
        QVERIFY(password.isEmpty());
        QCOMPARE(shared, QByteArray(secret.toUtf8().size(), '\0'));
        for (const QString &said : check.systemMessages + QStringList{check.reason})
            QVERIFY(secret.isEmpty() || !said.contains(secret));
    }

    void fullName_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the first field of the comment") << "signer"
                                                        << "Test Signer";
        QTest::newRow("no comment") << "expired"
                                    << "";
        QTest::newRow("no account") << "none"
                                    << "";
    }

    void fullName()
    {
        QFETCH(QString, role);
        QFETCH(QString, expected);
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        QCOMPARE(auth::fullName(login(role)), expected);
    }

    // The account the program runs as, as the system's own tool names it.
    void currentLogin()
    {
        const std::optional<QByteArray> id = run(QStringLiteral("id"), {QStringLiteral("-un")});
        QVERIFY(id);
        QCOMPARE(auth::currentLogin(), QString::fromLocal8Bit(id->trimmed()));
    }
};

QTEST_GUILESS_MAIN(TestPasswordCheck)
#include "test_password_check.moc"
