// Huge row files: a live run of weeks saved as rows, opened, summarized, reported and kept in
// the archive.

#include "tools/bench/child_run.h"
#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "acquisition/table_texts.h"
#include "analysis/limits.h"
#include "common/datetext.h"
#include "common/logger_identity.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "datafile/brv2_file.h"
#include "output/report.h"
#include "run/run_document.h"
#include "tools/logger-sim/reading_source.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace bench {

namespace {

// A week of live readings every 2 s from a humidity logger, and some 200 MB of a temperature
// logger's (150 days).
constexpr int kWeekRows = 321300;
constexpr int kBigRows = 6500000;
constexpr qint64 kLiveSeconds = 2;

// The files live as long as the program.
QTemporaryDir &folder()
{
    static QTemporaryDir *dir = [] {
        auto *d = new QTemporaryDir;
        qAddPostRoutine([] { delete dir; });
        return d;
    }();
    return *dir;
}

// A live run's row file: the simulated logger's readings, texts as the live readings make
// them (the humidity as a plain number), 2 % of them failed.
QString liveRowFile(const QString &name, int code, int rows, Stopwatch &sw)
{
    const QString path = folder().filePath(name);
    if (QFileInfo::exists(path))
        return path;
    ReadingSet set;
    const std::uint8_t id[3] = {15, 6, 24};
    set.setLoggerIdentity(LoggerIdentity::fromLogger(1234, id, QStringLiteral("Cold store 3")),
                          QStringLiteral("Cold store 3"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        sw.fail(out.errorString());
        return {};
    }
    QByteArray chunk = brv2::rowsHeader(code, 0, 2, set.locationCaption(), set.SerialText());
    loggersim::ReadingSource source;
    source.setInvalidShare(0.02);
    datetext::SharedTexts texts;
    const auto shown = [](double v, const char *pattern) {
        return sensor::isInvalid(v) ? tabletext::kInvalid : numfmt::picture(v, pattern);
    };
    QDateTime t(QDate(2024, 6, 1), QTime(8, 0), Qt::UTC);
    for (int r = 0; r < rows; ++r, t = t.addSecs(kLiveSeconds)) {
        const QList<quint16> w = source.reading(quint8(code), t);
        const QString &date = texts.date(t.date());
        const QString &time = texts.time(t.time());
        if (model::isHumidity(code)) {
            const double c = numfmt::roundHalfEven(sensor::Calc_RHTemp(w[0]), 1);
            const double h = numfmt::roundHalfEven(sensor::Calc_RH(w[1], c), 1);
            brv2::appendRow(chunk, {date, time, shown(c, "#00.0"),
                                    sensor::isInvalid(h) ? tabletext::kInvalid : numfmt::plain(h)});
        } else {
            const double c = numfmt::roundHalfEven(sensor::Calc_Temp(w[0]), 1);
            brv2::appendRow(chunk, {date, time, shown(c, "#00.0")});
        }
        if (chunk.size() > (1 << 20)) {
            out.write(chunk);
            chunk.clear();
        }
    }
    out.write(chunk);
    if (!out.flush())
        sw.fail(out.errorString());
    return path;
}

const QString &weekFile(Stopwatch &sw)
{
    static const QString path =
        liveRowFile(QStringLiteral("week.brv2"), kHumidityModel, kWeekRows, sw);
    return path;
}

const QString &bigFile(Stopwatch &sw)
{
    static const QString path =
        liveRowFile(QStringLiteral("150days.brv2"), kTemperatureModel, kBigRows, sw);
    return path;
}

// A band the warehouse leaves every afternoon.
analysis::Limits weekLimits()
{
    analysis::Limits limits;
    limits[analysis::Quantity::Temperature] = {25.0, 18.0};
    limits[analysis::Quantity::Humidity] = {65.0, std::nullopt};
    return limits;
}

// The week opened as the window and kestrun-cli open it, kept for the figures after opening.
RunDocument &openedWeek(Stopwatch &sw)
{
    static RunDocument *doc = [&sw] {
        auto *d = new RunDocument;
        qAddPostRoutine([] { delete doc; });
        d->openFile(weekFile(sw));
        return d;
    }();
    return *doc;
}

// kestrun-cli as a script runs it, with settings and archive of its own.
ChildRun runCli(const QStringList &arguments)
{
    const QByteArray home = QFile::encodeName(folder().filePath(QStringLiteral("home")));
    return runMeasured(QStringLiteral(KESTRUN_CLI), arguments,
                       {{"XDG_CONFIG_HOME", home + "/config"},
                        {"XDG_DATA_HOME", home + "/data"},
                        {"KESTRUN_ARCHIVE", home + "/archive"}});
}

// `kestrun-cli` with a fresh archive each run, so every import stores the run.
ChildRun runCliOnFile(const QStringList &arguments, const QString &file)
{
    QDir(folder().filePath(QStringLiteral("home"))).removeRecursively();
    QDir().mkpath(folder().filePath(QStringLiteral("home/archive")));
    return runCli(arguments + QStringList{file});
}

void recordPeak(Stopwatch &sw, const QStringList &arguments, const QString &file)
{
    if (file.isEmpty())
        return;
    const ChildRun run = runCliOnFile(arguments, file);
    if (!run.ok)
        sw.fail(run.error);
    sw.record(run.peakBytes);
}

} // namespace

void openWeekOfRows(Stopwatch &sw)
{
    const QString &path = weekFile(sw);
    auto doc = std::make_unique<RunDocument>();
    sw.start();
    const setio::Opened opened = doc->openFile(path);
    sw.stop();
    if (opened.status != setio::Status::Ok || doc->readingCount() != kWeekRows)
        sw.fail(QStringLiteral("%1 readings: %2").arg(doc->readingCount()).arg(opened.reason));
}

void summarizeWeekOfRows(Stopwatch &sw)
{
    RunDocument &doc = openedWeek(sw);
    sw.start();
    doc.setLimits(weekLimits());
    const analysis::Summary &s = doc.summary();
    sw.stop();
    if (s.readings != kWeekRows || s.sensors.size() != 2 || !s.sensors[0].above ||
        s.sensors[0].above->events() == 0)
        sw.fail(QStringLiteral("%1 readings, no excursion").arg(s.readings));
}

void reportWeekOfRows(Stopwatch &sw)
{
    RunDocument &doc = openedWeek(sw);
    doc.setLimits(weekLimits());
    const QString path = folder().filePath(QStringLiteral("week.pdf"));
    QString error;
    sw.start();
    const bool written = report::writeReport(doc, path, QDateTime::currentDateTime(), &error);
    sw.stop();
    if (!written)
        sw.fail(QStringLiteral("the report was not written: %1").arg(error));
}

void peakOfTable(Stopwatch &sw)
{
    recordPeak(sw, {QStringLiteral("table")}, weekFile(sw));
}

void peakOfSummary(Stopwatch &sw)
{
    recordPeak(sw, {QStringLiteral("summary")}, weekFile(sw));
}

void importBigFile(Stopwatch &sw)
{
    const QString &path = bigFile(sw);
    if (path.isEmpty())
        return;
    const ChildRun run = runCliOnFile({QStringLiteral("archive"), QStringLiteral("import")}, path);
    if (!run.ok)
        sw.fail(run.error);
    sw.record(run.seconds);
}

void peakOfImport(Stopwatch &sw)
{
    recordPeak(sw, {QStringLiteral("archive"), QStringLiteral("import")}, bigFile(sw));
}

} // namespace bench
