#include "common/messages.h"
#include "common/output_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What a name is, without following it.
enum class Kind { Missing, Regular, Link, Folder, Fifo, Socket, Device };

Kind kindOf(const QString &path, bool followed = false)
{
    struct stat st{};
    const QByteArray name = QFile::encodeName(path);
    if ((followed ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0)
        return Kind::Missing;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISDIR(st.st_mode))
        return Kind::Folder;
    if (S_ISFIFO(st.st_mode))
        return Kind::Fifo;
    if (S_ISSOCK(st.st_mode))
        return Kind::Socket;
    return Kind::Device;
}

// Everything under `dir`, links not followed.
QStringList entries(const QDir &dir)
{
    QStringList out;
    QDirIterator it(dir.path(), QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << dir.relativeFilePath(it.next());
    out.sort();
    return out;
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool link(const QString &target, const QString &name)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData()) == 0;
}

bool fifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A listening Unix socket at `path`; its descriptor stays open for the test's life.
bool socketAt(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, name.constData(), size_t(name.size()));
    return ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 && ::listen(fd, 1) == 0;
}

// Prepares the row's folder; returns the name to write to (empty when it could not be made).
using Setup = std::function<QString(const QDir &)>;

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestOutputFile : public QObject
{
    Q_OBJECT

    const QByteArray m_bytes = QByteArrayLiteral("\"18\",\"33001\",\"1\"\r\n#1900-01-05#\r\n");

private Q_SLOTS:
    // Each row writes m_bytes to a name: afterwards the name is what it was (a link stays a
    // link, a FIFO a FIFO), the bytes are where they belong, and the folder holds nothing it
    // did not hold before but the file that was new.
    void write_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("problem"); // empty: written; "*" stands for any text
        QTest::addColumn<Kind>("kind");       // of the name afterwards
        QTest::addColumn<QString>("holder");  // where the bytes are then; empty: not a file
        QTest::addColumn<QString>("created"); // what is new in the folder

        QTest::newRow("a new file")
            << Setup([](const QDir &d) { return d.filePath("new.brv2"); }) << QString()
            << Kind::Regular << "new.brv2" << "new.brv2";
        QTest::newRow("a file written before")
            << Setup([](const QDir &d) {
                   return put(d.filePath("set.brv2"), "old") ? d.filePath("set.brv2") : QString();
               })
            << QString() << Kind::Regular << "set.brv2" << QString();
        QTest::newRow("a link to a file in another folder")
            << Setup([](const QDir &d) {
                   return d.mkdir("kept") && put(d.filePath("kept/set.brv2"), "old") &&
                                  link("kept/set.brv2", d.filePath("set.brv2"))
                              ? d.filePath("set.brv2")
                              : QString();
               })
            << QString() << Kind::Link << "kept/set.brv2" << QString();
        QTest::newRow("a chain of links")
            << Setup([](const QDir &d) {
                   return d.mkdir("kept") && put(d.filePath("kept/set.brv2"), "old") &&
                                  link(d.filePath("kept/set.brv2"), d.filePath("kept/latest")) &&
                                  link("kept/latest", d.filePath("set.brv2"))
                              ? d.filePath("set.brv2")
                              : QString();
               })
            << QString() << Kind::Link << "kept/set.brv2" << QString();
        QTest::newRow("a link to a file not there yet")
            << Setup([](const QDir &d) {
                   return d.mkdir("kept") && link("kept/set.brv2", d.filePath("set.brv2"))
                              ? d.filePath("set.brv2")
                              : QString();
               })
            << QString() << Kind::Link << "kept/set.brv2" << "kept/set.brv2";
        QTest::newRow("a FIFO")
            << Setup([](const QDir &d) {
                   return fifo(d.filePath("pipe")) ? d.filePath("pipe") : QString();
               })
            << QString() << Kind::Fifo << QString() << QString();
        QTest::newRow("a link to a FIFO")
            << Setup([](const QDir &d) {
                   return fifo(d.filePath("pipe")) && link("pipe", d.filePath("set.brv2"))
                              ? d.filePath("set.brv2")
                              : QString();
               })
            << QString() << Kind::Link << QString() << QString();
        QTest::newRow("a device") << Setup([](const QDir &) { return QStringLiteral("/dev/null"); })
                                  << QString() << Kind::Device << QString() << QString();
        // Nothing can be opened for writing there; it stays a socket.
        QTest::newRow("a socket")
            << Setup([](const QDir &d) {
                   return socketAt(d.filePath("sock")) ? d.filePath("sock") : QString();
               })
            << QStringLiteral("*") << Kind::Socket << QString() << QString();
        QTest::newRow("a folder")
            << Setup([](const QDir &d) { return d.mkdir("set.brv2") ? d.filePath("set.brv2") : QString(); })
            << msg::kOutputIsFolder << Kind::Folder << QString() << QString();
        QTest::newRow("a folder that is not there")
            << Setup([](const QDir &d) { return d.filePath("gone/set.brv2"); })
            << msg::kOutputNoFolder.arg("*") << Kind::Missing << QString() << QString();
        QTest::newRow("links in a loop")
            << Setup([](const QDir &d) {
                   return link("b", d.filePath("a")) && link("a", d.filePath("b")) ? d.filePath("a")
                                                                                  : QString();
               })
            << msg::kOutputTooManyLinks << Kind::Link << QString() << QString();
    }
    void write()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, problem);
        QFETCH(Kind, kind);
        QFETCH(QString, holder);
        QFETCH(QString, created);
        QTemporaryDir tmp;
        const QDir dir(tmp.path());
        const QString name = setup(dir);
        QVERIFY(!name.isEmpty());
        const QStringList before = entries(dir);

        // The reading end of a FIFO is opened first, so the writer's open does not wait; once
        // the writer has closed, the read ends with what was written. Had the FIFO been
        // replaced, it would never have had a writer and the read would bring nothing.
        const bool pipe = kindOf(name, true) == Kind::Fifo;
        int reader = -1;
        if (pipe) {
            reader = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
            QVERIFY(::fcntl(reader, F_SETFL, 0) == 0);
        }
        QString error;
        const bool written = outputfile::write(name, m_bytes, &error);
        QByteArray piped;
        if (pipe) {
            char buf[4096];
            for (ssize_t n; (n = ::read(reader, buf, sizeof buf)) > 0;)
                piped.append(buf, n);
            ::close(reader);
        }

        QVERIFY2(written == problem.isEmpty(), qPrintable(error));
        if (!problem.isEmpty())
            QVERIFY2(QRegularExpression(
                         QRegularExpression::escape(problem).replace("\\*", ".*"))
                         .match(error)
                         .hasMatch(),
                     qPrintable(error));
        QCOMPARE(kindOf(name), kind);
        if (!holder.isEmpty())
            QCOMPARE(contentOf(dir.filePath(holder)), m_bytes);
        if (pipe)
            QCOMPARE(piped, m_bytes);
        QStringList expected = before;
        if (!created.isEmpty())
            expected << created;
        expected.sort();
        QCOMPARE(entries(dir), expected);
    }

    // A replace that fails part-way, at the very path of the old file, leaves that file as it
    // was and nothing beside it. Meanwhile the process may write no file beyond 1 KiB, as a
    // full disk would stop it; that stops any user, root included.
    void aFailedReplaceKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("set.brv2");
        const QByteArray old(600, 'o');
        QString error;
        QVERIFY(outputfile::write(path, old, &error));
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool written = outputfile::write(path, QByteArray(4096, 'n'), &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.brv2"});
    }
};

QTEST_GUILESS_MAIN(TestOutputFile)
#include "test_output_file.moc"
