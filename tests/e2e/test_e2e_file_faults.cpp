// Hostile files and failing disks through the real window: a malformed ".brv2" file is refused
// with one message and the set shown stays; a save that cannot complete says so and leaves the
// file saved there before as it was; opening never writes to a file.
#include "fault_support.h"

#include "app/app_help.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "datafile/brv2_file.h"
#include "datafile/set_io.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Replaces the first occurrence of `from` after `start` with `to`.
QByteArray replaced(QByteArray b, const QByteArray &from, const QByteArray &to, int start = 0)
{
    const qsizetype at = b.indexOf(from, start);
    if (at >= 0)
        b.replace(at, from.size(), to);
    return b;
}

QByteArray noise(int n)
{
    QByteArray b;
    quint32 x = 12345;
    for (int i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        b.append(char(x >> 24));
    }
    return b;
}

QByteArray rowFile(int model, const QList<QStringList> &rows)
{
    return brv2::encodeRows(model, 0, 2, QStringLiteral(":    STORE"),
                            QStringLiteral(":     0512 06 05 24"), rows);
}

// A file-size limit for this process: writes beyond it fail as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the process
        rlimit r = m_old;
        r.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

// The superuser writes wherever it likes; without the capability that overrides file
// permissions (dropped for this thread only, and given back) a read-only folder holds for it too.
class PermissionsHold
{
public:
    PermissionsHold()
    {
        if (::geteuid() != 0) {
            m_ok = true;
            return;
        }
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        m_ok = m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionsHold()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
    bool m_dropped = false;
};

} // namespace

class TestE2eFileFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_good;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    // The reason kept beside the outcome of opening `file` matches `pattern` exactly.
    static void checkReason(const QString &file, const QString &pattern)
    {
        ReadingSet scratch;
        const QString reason = setio::open(scratch, file).reason;
        const QRegularExpression want(QRegularExpression::anchoredPattern(pattern));
        QVERIFY2(want.match(reason).hasMatch(), qPrintable(reason));
    }

    void open(const QString &file)
    {
        f->prompter().fileAnswers = {file};
        f->toolbar(QStringLiteral("Open"));
    }
    void save(const QString &file)
    {
        f->prompter().fileAnswers = {file};
        f->toolbar(QStringLiteral("Save"));
    }
    // Another good file, opened by `openIt`, is shown without a word.
    void opensAnother(const std::function<void(const QString &)> &openIt)
    {
        f->prompter().clear();
        const QString other = path(QStringLiteral("other.brv2"));
        QVERIFY(e2e::writeSavedSet(other, 3, 25));
        openIt(other);
        QVERIFY(f->prompter().messages().isEmpty());
        QCOMPARE(f->main().data()->table().rows(), 26);
        QCOMPARE(f->main().data()->caption(), QFileInfo(other).absoluteFilePath());
    }
    QStringList folderEntries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_good = path(QStringLiteral("good.brv2"));
        QVERIFY(e2e::writeSavedSet(m_good, 2, 60));
        f = std::make_unique<e2e::Fixture>();
        QVERIFY2(f->start(), qPrintable(f->why()));
        open(m_good);
        QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(f->prompter().messages().join('|')));
        QCOMPARE(f->main().data()->table().rows(), 61);
        f->prompter().clear();
    }
    void cleanup()
    {
        f.reset();
        m_dir.reset();
    }

    void malformedFileKeepsTheWindow_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason"); // a regular expression
        QByteArray image;
        {
            QTemporaryDir d;
            const QString p = d.filePath(QStringLiteral("x.brv2"));
            QVERIFY(e2e::writeSavedSet(p, 1, 40));
            image = e2e::fileBytes(p);
        }
        QVERIFY(image.startsWith("1,126,1\r\n"));
        const QString error = msg::kFileError;
        const QString notADay = QStringLiteral("image record \\d+ is not a date of day 0 to 255");
        QTest::newRow("empty") << QByteArray() << error
                               << "the file ends before the header's model code";
        QTest::newRow("binary noise") << noise(3000) << error << ".+";
        QTest::newRow("cut short") << image.left(image.size() / 2) << error
                                   << "the file ends after 63 of 128 image records";
        QTest::newRow("cut inside a record") << image.left(image.lastIndexOf('#') - 3) << error
                                             << "the file ends after 127 of 128 image records";
        QTest::newRow("one image byte changed")
            << replaced(image, "#1899-12-30#", "#1899-12-31#", 200) << QString(msg::kFileCorrupted)
            << "the CRC does not match: its (low|high) byte is \\d+ in the file, \\d+ for the "
               "image";
        QTest::newRow("model code no number") << replaced(image, "1,126,1", "one,126,1") << error
                                              << "the header's model code is not a whole number";
        QTest::newRow("model code beyond a byte") << replaced(image, "1,126,1", "300,126,1")
                                                  << error << "the model code 300 is not 0 to 255";
        QTest::newRow("length beyond any logger")
            << replaced(image, "1,126,1", "1,99999999,1") << error
            << "the image length 99999999 is not 0 to 33001";
        QTest::newRow("length negative") << replaced(image, "1,126,1", "1,-5,1") << error
                                         << "the image length -5 is not 0 to 33001";
        QTest::newRow("length 1e308") << replaced(image, "1,126,1", "1,1e308,1") << error
                                      << "the header's image length is not a whole number";
        QTest::newRow("byte past 255")
            << replaced(image, "#1899-12-30#", "#1900-09-12#", 200) << error << notADay;
        QTest::newRow("byte no date")
            << replaced(image, "#1899-12-30#", "#abc#", 200) << error << notADay;
        QTest::newRow("byte as text") << replaced(image, "#1899-12-30#", "\"x\"", 200) << error
                                      << "image record \\d+ is not a #date#";
        QTest::newRow("records missing") << replaced(image, "1,126,1", "1,200,1") << error
                                         << "the file ends after 128 of 202 image records";
        QTest::newRow("too short for a trailer")
            << brv2::encodeImage(1, QByteArray(10, '\5')) << error
            << "the image holds 10 bytes, fewer than the 46 of "
               "a lead-in and trailer";
        const QStringList row{QStringLiteral("2024-01-05"), QStringLiteral("12:00:00"), QStringLiteral("21.5")};
        QTest::newRow("row value no number")
            << rowFile(1, {row, {row.at(0), row.at(1), QStringLiteral("warm")}}) << error
            << "row 2: the value field is not a number";
        QTest::newRow("row date no date")
            << rowFile(1, {row, {QStringLiteral("yesterday"), row.at(1), row.at(2)}}) << error
            << "row 2: the date field is not a date";
        QTest::newRow("row time no time")
            << rowFile(1, {row, {row.at(0), QStringLiteral("25:61:00"), row.at(2)}}) << error
            << "row 2: the time field is not a time";
        QTest::newRow("row field missing") << rowFile(2, {row + QStringList{"55.0"}, row}) << error
                                           << "row 2: the file ends inside the row";
        QTest::newRow("row quote not closed")
            << QByteArray(
                   "1,0,2\r\n\":    STORE\",\":     0512\"\r\n\"2024-01-05\",\"12:00:00\",\"21")
            << error << "row 1: the file ends inside the row";
        QTest::newRow("captions missing") << QByteArray("1,0,2\r\n") << error
                                          << "the location and serial-number captions are missing";
    }
    void malformedFileKeepsTheWindow()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        const QString bad = path(QStringLiteral("bad.brv2"));
        {
            QFile out(bad);
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(out.write(content), content.size());
        }
        const e2e::Shown before = e2e::Shown::of(f->main());
        open(bad);
        QCOMPARE(f->prompter().messages(), QStringList{message});
        checkReason(bad, reason);
        QVERIFY(e2e::Shown::of(f->main()) == before);
        QCOMPARE(e2e::fileBytes(bad), content);
        QCOMPARE(folderEntries(), (QStringList{"bad.brv2", "good.brv2"}));

        // The window goes on: the next file opens.
        opensAnother([this](const QString &file) { open(file); });
    }

    // A row file of weeks is read in the background: meanwhile the window shows how far it has
    // come and keeps the run it showed, with nothing open that could start something else;
    // then it shows the file, or says in one message that the file does not open.
    void largeFileIsReadInTheBackground_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("opens") << false;
        QTest::newRow("its last row is no row") << true;
    }
    void largeFileIsReadInTheBackground()
    {
        QFETCH(bool, damaged);
        constexpr int kRows = 40000; // some 1.4 MB
        QList<QStringList> rows;
        const QDateTime start(QDate(2024, 6, 1), QTime(8, 0), Qt::UTC);
        for (int i = 0; i < kRows; ++i) {
            const QDateTime t = start.addSecs(2 * i);
            rows << QStringList{datetext::dateText(t.date()), datetext::timeText(t.time()),
                                QString::number(4 + (i % 30) / 10.0, 'f', 1)};
        }
        if (damaged)
            rows.last()[0] = QStringLiteral("no date");
        const QString big = path(QStringLiteral("weeks.brv2"));
        QFile out(big);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(rowFile(1, rows)) > (1 << 20));
        out.close();

        FrmMain &main = f->main();
        FrmData *d = main.data();
        auto *commands = main.findChild<DataCommands *>();
        QVERIFY(commands);
        QSignalSpy opened(commands, &DataCommands::fileOpened);
        QSignalSpy progress(d->progressBar(), &QProgressBar::valueChanged);
        const e2e::Shown before = e2e::Shown::of(main);
        open(big);
        QVERIFY(!d->progressBar()->isHidden());
        QCOMPARE(d->progressLabel()->text(), msg::kReading);
        QVERIFY(!main.menuAction(QStringLiteral("mOpen"))->isEnabled());
        QVERIFY(e2e::Shown::of(main) == before);

        QVERIFY(opened.wait(60000));
        QVERIFY(!progress.isEmpty());
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress.at(i).at(0).toInt() > progress.at(i - 1).at(0).toInt());
        QVERIFY(d->progressBar()->isHidden());
        QVERIFY(main.menuAction(QStringLiteral("mOpen"))->isEnabled());
        if (damaged) {
            QCOMPARE(f->prompter().messages(), QStringList{msg::kFileError});
            QVERIFY(e2e::Shown::of(main) == before);
        } else {
            QVERIFY(f->prompter().messages().isEmpty());
            QCOMPARE(d->table().rows(), kRows + 1);
            QCOMPARE(d->table().text(kRows, 3), QStringLiteral("04.9"));
            QCOMPARE(d->caption(), QFileInfo(big).absoluteFilePath());
        }
    }

    // Names that are no file to read: each would otherwise be read for ever or not at all.
    void whatCannotBeReadKeepsTheWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        const QString special = QStringLiteral("it is not a regular file");
        QTest::newRow("a folder") << QStringLiteral("folder.brv2") << special;
        QTest::newRow("no such file")
            << QStringLiteral("missing.brv2") << QStringLiteral("there is no such file");
        QTest::newRow("a link to an endless device") << QStringLiteral("zero.brv2") << special;
        QTest::newRow("a pipe nobody writes") << QStringLiteral("pipe.brv2") << special;
    }
    void whatCannotBeReadKeepsTheWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder.brv2")));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero.brv2"))));
        QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.brv2"))).constData(), 0600), 0);
        const e2e::Shown before = e2e::Shown::of(f->main());
        open(path(name));
        QCOMPARE(f->prompter().messages(), QStringList{msg::kFileError});
        checkReason(path(name), reason);
        QVERIFY(e2e::Shown::of(f->main()) == before);
    }

    // A save that cannot be completed: one message, the file saved there before unchanged,
    // no half-written file left behind, and once the fault is gone the same save works.
    void failedSaveKeepsThePreviousFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("disk full") << QStringLiteral("full");
        QTest::newRow("folder read-only") << QStringLiteral("read-only");
    }
    void failedSaveKeepsThePreviousFile()
    {
        QFETCH(QString, fault);
        // Something larger than the earlier file is shown, so it needs more room.
        const QString big = path(QStringLiteral("big.brv2"));
        QVERIFY(e2e::writeSavedSet(big, 1, 900));
        open(big);
        QVERIFY(QFile::remove(big));
        const QByteArray earlier = e2e::fileBytes(m_good);
        const QString caption = f->main().data()->caption();
        f->prompter().clear();

        {
            std::unique_ptr<FileSizeLimit> limit;
            std::unique_ptr<PermissionsHold> permissions;
            if (fault == QLatin1String("full")) {
                limit = std::make_unique<FileSizeLimit>(4096);
                QVERIFY(limit->ok());
            } else {
                permissions = std::make_unique<PermissionsHold>();
                if (!permissions->ok())
                    QSKIP("file permissions cannot be made to hold for this user");
                QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
            }
            save(m_good);
            QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QString abs = QFileInfo(m_good).absoluteFilePath();
        QCOMPARE(f->prompter().messages().size(), 1);
        QVERIFY2(f->prompter().messages().first().startsWith(
                     msg::kSaveFailed.left(msg::kSaveFailed.indexOf(QLatin1String("%2"))).arg(abs)),
                 qPrintable(f->prompter().messages().first()));
        QCOMPARE(f->lastMessage().icon, Prompter::Icon::Warning);
        QCOMPARE(e2e::fileBytes(m_good), earlier);
        QCOMPARE(folderEntries(), QStringList{"good.brv2"});
        QCOMPARE(f->main().data()->caption(), caption);

        f->prompter().clear();
        save(m_good);
        QVERIFY(f->prompter().messages().isEmpty());
        QVERIFY(e2e::fileBytes(m_good).size() > earlier.size());
        QCOMPARE(f->main().data()->caption(), QStringLiteral(" - ") + abs);
    }

    void nameThatCannotBeAFile()
    {
        const QString plain = path(QStringLiteral("plain"));
        {
            QFile out(plain);
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        save(plain + QStringLiteral("/inside.brv2"));
        QCOMPARE(f->prompter().messages().size(), 1);
        QCOMPARE(f->lastMessage().icon, Prompter::Icon::Warning);
        QCOMPARE(folderEntries(), (QStringList{"good.brv2", "plain"}));
        QCOMPARE(e2e::fileBytes(plain), QByteArray());
    }

    // `kestrun FILE` (a double click in a file manager) takes Open's road, messages included.
    void fileNamedAtStartUp()
    {
        const auto openNamed = [this](const QString &file) {
            const apphelp::Start start =
                apphelp::readCommandLine({QStringLiteral("kestrun"), file});
            QVERIFY(!start.exitStatus);
            wiring::openFile(f->main(), start.file);
        };
        const e2e::Shown before = e2e::Shown::of(f->main());
        openNamed(path(QStringLiteral("missing.brv2")));
        QCOMPARE(f->prompter().messages(), QStringList{msg::kFileError});
        QVERIFY(e2e::Shown::of(f->main()) == before);

        opensAnother(openNamed);
    }

    // Opening reads: the bytes, the time stamp and the folder stay as they were, also for a
    // file nobody may write.
    void openingNeverWrites()
    {
        const QString rows = path(QStringLiteral("rows.brv2"));
        const QString locked = path(QStringLiteral("locked.brv2"));
        {
            QFile out(rows);
            QVERIFY(out.open(QIODevice::WriteOnly));
            const QStringList row{QStringLiteral("2024-01-05"), QStringLiteral("12:00:00"),
                                  QStringLiteral("21.5"), QStringLiteral("40.0")};
            out.write(rowFile(6, {row, row}));
        }
        QVERIFY(QFile::copy(m_good, locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        for (const QString &file : {m_good, rows, locked}) {
            const QByteArray bytes = e2e::fileBytes(file);
            const QDateTime stamp = QFileInfo(file).lastModified();
            const QStringList entries = folderEntries();
            f->prompter().clear();
            open(file);
            QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(file));
            QCOMPARE(e2e::fileBytes(file), bytes);
            QCOMPARE(QFileInfo(file).lastModified(), stamp);
            QCOMPARE(folderEntries(), entries);
        }
        QCOMPARE(f->main().data()->table().rows(), 61);
    }
};

QTEST_MAIN(TestE2eFileFaults)
#include "test_e2e_file_faults.moc"
