// The spreadsheet export, checked by reading the written workbooks back with a real reader
// (openpyxl), not with the library that wrote them.

#include "acquisition/readings_table.h"
#include "common/app_info.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "output/spreadsheet_export.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using Rows = QList<QStringList>;

namespace {

class RecordingOpener : public SpreadsheetOpener
{
public:
    explicit RecordingOpener(bool answer) : m_answer(answer) {}
    bool open(const QString &path) override
    {
        opened << path;
        return m_answer;
    }
    QStringList opened;

private:
    bool m_answer;
};

void fill(ReadingsTable &table, const Rows &rows)
{
    int cols = 0;
    for (const QStringList &r : rows)
        cols = std::max(cols, int(r.size()));
    table.setCols(cols);
    table.setRows(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            table.setText(r, c, rows[r][c]);
}

const QStringList kSixHeadings{"No.", "Date", "Time", "Temp(°C)", "RH (%)", "Voltage(V)"};

// A reading row of the six-column layout, numbered n.
QStringList reading(int n)
{
    return {QString::number(n), QStringLiteral("14/03/2024"),
            QStringLiteral("10:%1:00").arg(n % 60, 2, 10, QLatin1Char('0')),
            n % 7 == 0 ? QStringLiteral("***") : QStringLiteral("%1.5").arg(n % 50, 2, 10, QLatin1Char('0')),
            QStringLiteral("45.0"), QStringLiteral("3.600")};
}

} // namespace

class TestSpreadsheetExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void layout_data();
    void layout();
    void exportOutcome_data();
    void exportOutcome();
    void eachExportGetsItsOwnFile();
    void unwritablePathIsReportedNotHidden();
    void desktopWithoutSpreadsheetProgramIsAFailure();

private:
    QJsonObject readBack(const QString &path);
    QString m_python;
    QString m_reader;
};

void TestSpreadsheetExport::initTestCase()
{
    // The date and time cells must show the table's texts of the regional settings in use.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    datetext::localeChanged();
    m_reader = QStringLiteral(KESTRUN_WORKBOOK_READER);
    QVERIFY2(QFileInfo::exists(m_reader), qPrintable(m_reader));
    // The distribution's python carries python3-openpyxl; a python found first on PATH may not.
    QStringList candidates{qEnvironmentVariable("KESTRUN_PYTHON"), QStringLiteral("/usr/bin/python3"),
                           QStandardPaths::findExecutable(QStringLiteral("python3"))};
    for (const QString &py : candidates) {
        if (py.isEmpty())
            continue;
        QProcess p;
        p.start(py, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) {
            m_python = py;
            break;
        }
    }
    QVERIFY2(!m_python.isEmpty(), "no python3 with openpyxl (scripts/install-deps installs it)");
}

QJsonObject TestSpreadsheetExport::readBack(const QString &path)
{
    QProcess p;
    p.start(m_python, {m_reader, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

void TestSpreadsheetExport::layout_data()
{
    QTest::addColumn<Rows>("rows");
    // Per reading row, what each cell is in the sheet ("***" is always red text).
    QTest::addColumn<QStringList>("kinds");
    // Per column, the number format of its numbers, dates and times; empty: not checked (a
    // heading the program does not write, "No.", leaves the format to each cell's text).
    QTest::addColumn<QStringList>("formats");
    // Column 5 holds no reading in the program's table: its texts stay texts.
    const QString sixKinds = QStringLiteral("number date time number number text");
    // Separators are literal: a spreadsheet would otherwise show its own regional ones.
    const QStringList sixFormats{"",           "dd\\/mm\\/yyyy", "hh\\:mm\\:ss",
                                 "00.0;-00.0", "00.0;-00.0",     "0.000;-0.000"};

    Rows six{kSixHeadings};
    for (int n = 1; n <= 8; ++n)
        six << reading(n);
    QTest::newRow("six columns fill A to F") << six << QStringList(8, sixKinds) << sixFormats;

    QTest::newRow("humidity readings with invalid cells")
        << Rows{{"No.", "Date", "Time", "Temp(°C)", "RH (%)"},
                {"1", "01/02/2024", "23:59:30", "05.3", "***"},
                {"2", "02/02/2024", "00:00:00", "***", "***"},
                {"3", "02/02/2024", "00:00:30", "-01.5", "100.0"}}
        << QStringList(3, "number date time number number") << sixFormats.mid(0, 5);

    QTest::newRow("leading zeros and number-like texts stay texts")
        << Rows{{"No.", "Date", "Time", "Voltage(V)"},
                {"0001", "2024-02-01", "08:00:00", "0.000"},
                {"2", "2024-02-01", "08:00:10", "1E3"}}
        << QStringList{"number text time number", "number text time text"} << QStringList();

    QTest::newRow("a minus sign on zero stays, degF in two decimals")
        << Rows{{" S.No", "Date", "Time", "Temp(°F)"},
                {"1", "14/03/2024", "10:00:00", "-00.0"},
                {"2", "14/03/2024", "10:00:10", "-03.25"}}
        << QStringList(2, "number date time number") << QStringList{"0;-0", "", "", ""};

    QTest::newRow("headings only") << Rows{kSixHeadings} << QStringList() << sixFormats;

    QTest::newRow("empty cells keep their place")
        << Rows{{"No.", "Date", "Time", "Temp(°C)", "", "Voltage(V)"},
                {"1", "", "10:00:00", "20.0", "", ""}}
        << QStringList{"number none time number none none"} << sixFormats;

    Rows many{kSixHeadings};
    for (int n = 1; n <= 400; ++n)
        many << reading(n);
    QTest::newRow("many rows stay in order") << many << QStringList(400, sixKinds) << sixFormats;
}

void TestSpreadsheetExport::layout()
{
    QFETCH(Rows, rows);
    QFETCH(QStringList, kinds);
    QFETCH(QStringList, formats);
    ReadingsTable table;
    fill(table, rows);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedPrompter prompter;
    RecordingOpener opener(true);
    const spreadsheet::Result result = spreadsheet::exportTable(table, prompter, opener, dir.path());
    QCOMPARE(prompter.messages(), QStringList());
    QCOMPARE(int(result.outcome), int(spreadsheet::Outcome::Opened));
    QCOMPARE(opener.opened, QStringList{result.path});

    const QJsonObject book = readBack(result.path);
    QVERIFY2(!book.isEmpty(), "the workbook could not be read back");
    QCOMPARE(book["sheets"].toInt(), 1);
    QCOMPARE(book["maxRow"].toInt(), table.rows() + 2);
    QCOMPARE(book["maxCol"].toInt(), std::max(table.cols(), 3));

    QHash<QString, QJsonObject> byRef;
    for (const QJsonValue &v : book["cells"].toArray())
        byRef.insert(v["ref"].toString(), v.toObject());

    const QJsonObject title = byRef.take(QStringLiteral("C1"));
    QCOMPARE(title["value"].toString(), msg::kSheetTitle);
    QCOMPARE(title["font"].toString(), QStringLiteral("Verdana"));
    QVERIFY(title["bold"].toBool());
    QCOMPARE(title["size"].toDouble(), 12.0);

    for (int r = 0; r < table.rows(); ++r) {
        for (int c = 0; c < table.cols(); ++c) {
            const QString ref = QChar('A' + c) + QString::number(r + 3);
            QVERIFY2(byRef.contains(ref), qPrintable(ref + " missing"));
            const QJsonObject cell = byRef.take(ref);
            const QString want = table.text(r, c);
            const QString kind = r == 0 || want == QLatin1String("***")
                                     ? QStringLiteral("text")
                                     : kinds.at(r - 1).split(' ').at(c);
            if (want.isEmpty()) {
                QVERIFY2(cell["value"].isNull(), qPrintable(ref));
            } else {
                QVERIFY2(cell["kind"].toString() == kind,
                         qPrintable(ref + ' ' + want + " is " + cell["kind"].toString()));
                QCOMPARE(cell["shown"].toString(), want);
                QCOMPARE(cell["red"].toBool(), want == QLatin1String("***"));
                if (kind != QLatin1String("text") && !formats.value(c).isEmpty())
                    QCOMPARE(cell["format"].toString(), formats.at(c));
            }
            QCOMPARE(cell["size"].toDouble(), 8.0);
            QVERIFY(!cell["bold"].toBool());
        }
    }
    // Nothing else: row 2 is empty and nothing lies beside the table.
    QVERIFY2(byRef.isEmpty(), qPrintable(QStringList(byRef.keys()).join(' ')));
}

void TestSpreadsheetExport::exportOutcome_data()
{
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<bool>("openerAnswers");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("fileKept");

    QTest::newRow("written and opened")
        << true << true << int(spreadsheet::Outcome::Opened) << true;
    QTest::newRow("written, nothing opens it")
        << true << false << int(spreadsheet::Outcome::NotOpened) << true;
    QTest::newRow("folder cannot be written")
        << false << true << int(spreadsheet::Outcome::NotWritten) << false;
}

void TestSpreadsheetExport::exportOutcome()
{
    QFETCH(bool, folderExists);
    QFETCH(bool, openerAnswers);
    QFETCH(int, outcome);
    QFETCH(bool, fileKept);

    ReadingsTable table;
    fill(table, Rows{kSixHeadings, reading(1), reading(2)});
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = folderExists ? dir.path() : dir.filePath(QStringLiteral("gone/deeper"));

    ScriptedPrompter prompter;
    RecordingOpener opener(openerAnswers);
    const spreadsheet::Result result = spreadsheet::exportTable(table, prompter, opener, folder);
    QCOMPARE(int(result.outcome), outcome);

    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    if (fileKept) {
        QCOMPARE(files.size(), 1);
        QCOMPARE(QFileInfo(result.path).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        QVERIFY(result.path.endsWith(QLatin1String(".xlsx")));
        QCOMPARE(opener.opened, QStringList{result.path});
        QCOMPARE(readBack(result.path)["maxRow"].toInt(), 5);
    } else {
        QVERIFY(files.isEmpty());
        QVERIFY(result.path.isEmpty());
        QVERIFY(opener.opened.isEmpty());
    }

    if (outcome == int(spreadsheet::Outcome::Opened)) {
        QVERIFY(prompter.shown.isEmpty());
        return;
    }
    QVERIFY(!prompter.shown.isEmpty());
    QCOMPARE(prompter.shown[0].text, msg::kExcelNotAvailable);
    for (const ScriptedPrompter::Shown &s : prompter.shown) {
        QCOMPARE(s.kind, QStringLiteral("message"));
        QCOMPARE(s.title, appinfo::title());
        QCOMPARE(int(s.icon), int(Prompter::Icon::Information));
    }
    if (outcome == int(spreadsheet::Outcome::NotOpened)) {
        // The export is not lost: the user is told where the workbook is.
        QCOMPARE(prompter.shown.size(), 2);
        QVERIFY2(prompter.shown[1].text.contains(QDir::toNativeSeparators(result.path)),
                 qPrintable(prompter.shown[1].text));
    } else {
        QCOMPARE(prompter.shown.size(), 1);
    }
}

void TestSpreadsheetExport::eachExportGetsItsOwnFile()
{
    // The first workbook may still be open in the spreadsheet program when the user exports
    // again; it must not be overwritten.
    ReadingsTable table;
    fill(table, Rows{kSixHeadings, reading(1)});
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    RecordingOpener opener(true);
    const auto first = spreadsheet::exportTable(table, prompter, opener, dir.path());
    table.setText(1, 3, QStringLiteral("99.9"));
    const auto second = spreadsheet::exportTable(table, prompter, opener, dir.path());
    QVERIFY(first.path != second.path);

    auto valueOfD4 = [this](const QString &path) {
        for (const QJsonValue &v : readBack(path)["cells"].toArray())
            if (v["ref"].toString() == QLatin1String("D4"))
                return v["shown"].toString();
        return QString();
    };
    QCOMPARE(valueOfD4(first.path), reading(1)[3]);
    QCOMPARE(valueOfD4(second.path), QStringLiteral("99.9"));
}

void TestSpreadsheetExport::unwritablePathIsReportedNotHidden()
{
    // A target that is a folder cannot become a workbook: the writer must say so.
    ReadingsTable table;
    fill(table, Rows{kSixHeadings, reading(1)});
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("a-folder.xlsx"));
    QVERIFY(QDir().mkpath(target));
    QString error;
    QVERIFY(!spreadsheet::writeWorkbook(table, target, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(target).isDir());
}

void TestSpreadsheetExport::desktopWithoutSpreadsheetProgramIsAFailure()
{
    // A desktop whose registry of programs knows none for workbooks: xdg-open would start, find
    // nothing and tell no one. The opener must answer false so the user learns where the file is.
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString mark = bin.filePath(QStringLiteral("xdg-open-was-called"));
    auto script = [&](const QString &name, const QString &body) {
        QFile f(bin.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        f.close();
        QFile::setPermissions(f.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    script(QStringLiteral("xdg-mime"), QStringLiteral("exit 0"));
    script(QStringLiteral("xdg-open"), QStringLiteral(": > '%1'").arg(mark));

    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const bool opened = DesktopSpreadsheetOpener().open(bin.filePath(QStringLiteral("x.xlsx")));
    qputenv("PATH", savedPath);
    QVERIFY(!opened);
    QVERIFY(!QFile::exists(mark));
}

QTEST_GUILESS_MAIN(TestSpreadsheetExport)
#include "test_spreadsheet_export.moc"
