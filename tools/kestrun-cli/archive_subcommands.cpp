// `kestrun-cli archive list|get|import|sync` and the download's storing: the same archive core
// as the window, in the place KESTRUN_ARCHIVE or the window's setting chooses.

#include "tools/kestrun-cli/archive_store.h"
#include "tools/kestrun-cli/subcommands.h"

#include "archive/archive.h"
#include "archive/record_from_set.h"
#include "common/model_codes.h"
#include "datafile/brv2_file.h"
#include "datafile/set_io.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommand_parser.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

using archive::RunRecord;

const QString kNoArchive = QStringLiteral("no-archive");

QJsonValue orNull(const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

QString localIso(const QDateTime &t)
{
    return archive::timeText(t.isValid() ? t.toLocalTime() : t);
}

QJsonObject jsonOf(const RunRecord &r)
{
    return {
        {QStringLiteral("key"), r.key},
        {QStringLiteral("stored_at"), localIso(r.storedAt)},
        {QStringLiteral("source"), archive::sourceName(r.source)},
        {QStringLiteral("serial"), r.serial >= 0 ? QJsonValue(r.serial) : QJsonValue()},
        {QStringLiteral("location"), r.location},
        {QStringLiteral("model"), orNull(model::label(r.model))},
        {QStringLiteral("model_code"), r.model},
        {QStringLiteral("readings"), r.readings},
        {QStringLiteral("first"), orNull(archive::timeText(r.first))},
        {QStringLiteral("last"), orNull(archive::timeText(r.last))},
        {QStringLiteral("status"), r.status ? QJsonValue(*r.status) : QJsonValue()},
    };
}

QString textLine(const RunRecord &r)
{
    return QStringList{r.key,
                       localIso(r.storedAt),
                       archive::sourceName(r.source),
                       r.serial >= 0 ? QString::number(r.serial) : QString(),
                       r.location,
                       model::label(r.model),
                       QString::number(r.readings),
                       archive::timeText(r.first),
                       archive::timeText(r.last),
                       r.status.value_or(QString())}
        .join(QLatin1Char('\t'));
}

int runList(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive list"),
                       QStringLiteral("Lists the archived runs, newest stored first: one "
                                      "tab-separated line a run (key, stored at, source, serial, "
                                      "location, model, readings, first and last reading, "
                                      "verdict), or a JSON array with --json."));
    p.addOption({QStringLiteral("serial"), QStringLiteral("Only the logger of serial number N."),
                 QStringLiteral("N")});
    p.addOption({QStringLiteral("since"),
                 QStringLiteral("Only runs with readings on or after DATE (YYYY-MM-DD, or "
                                "YYYY-MM-DDTHH:MM:SS)."),
                 QStringLiteral("DATE")});
    p.addOption({QStringLiteral("until"),
                 QStringLiteral("Only runs with readings on or before DATE."), QStringLiteral("DATE")});
    p.addOption({QStringLiteral("alarms"), QStringLiteral("Only runs whose verdict is ALARM.")});
    p.addOption({QStringLiteral("json"), QStringLiteral("Print a JSON array.")});
    if (const auto status = p.parse(words))
        return *status;
    archive::RunFilter filter;
    if (p.isSet(QStringLiteral("serial"))) {
        const auto n = p.number(QStringLiteral("serial"), 0, 9999);
        if (!n)
            return 1;
        filter.serial = *n;
    }
    for (const bool end : {false, true}) {
        const QString name = end ? QStringLiteral("until") : QStringLiteral("since");
        if (!p.isSet(name))
            continue;
        const QDateTime t = archive::parseBound(p.value(name), end);
        if (!t.isValid())
            return p.usageError(QStringLiteral("--%1 must be a date such as 2024-05-17, not '%2'")
                                    .arg(name, p.value(name)));
        (end ? filter.until : filter.since) = t;
    }
    filter.alarmsOnly = p.isSet(QStringLiteral("alarms"));

    archive::Archive a;
    const auto runs = a.db().list(filter);
    if (!runs)
        return console::fail(a.db().error());
    if (p.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const RunRecord &r : *runs)
            array.append(jsonOf(r));
        console::out(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return 0;
    }
    for (const RunRecord &r : *runs)
        console::outLine(textLine(r));
    return 0;
}

int runGet(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive get"),
                       QStringLiteral("Writes the run of KEY (see 'archive list') to a \".brv2\" "
                                      "file, byte for byte as it was stored."));
    p.addPositional(QStringLiteral("KEY"), QStringLiteral("The run's key."), QStringLiteral("KEY"));
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("The \".brv2\" file to write (replaced if it exists)."),
                 QStringLiteral("FILE")});
    if (const auto status = p.parse(words, 1))
        return *status;
    const auto output = p.required(QStringLiteral("output"));
    if (!output)
        return 1;
    archive::Archive a;
    const auto bytes = a.db().bytes(p.positionalArguments().first().trimmed().toLower());
    if (!bytes)
        return console::fail(a.db().error());
    QString error;
    const QString path = QFileInfo(*output).absoluteFilePath();
    if (!brv2::writeFileAtomically(path, *bytes, &error))
        return console::fail(QStringLiteral("%1 could not be written: %2").arg(path, error));
    return 0;
}

int runImport(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive import"),
                       QStringLiteral("Brings \".brv2\" files into the archive, one \"KEY<tab>FILE\" "
                                      "line each. A file that cannot be read is named on standard "
                                      "error and skipped; the others go in (exit status 1 when "
                                      "any was skipped)."));
    p.addPositional(QStringLiteral("FILE"), QStringLiteral("The files to import."),
                    QStringLiteral("FILE..."));
    const auto files = std::count_if(words.cbegin(), words.cend(),
                                     [](const QString &w) { return !w.startsWith(QLatin1Char('-')); });
    if (const auto status = p.parse(words, std::max(1, int(files))))
        return *status;
    archive::Archive a;
    int status = 0;
    for (const QString &file : p.positionalArguments()) {
        QString why;
        const auto run = archive::recordFromFile(file, &why);
        if (!run) {
            console::errLine(QStringLiteral("%1: %2").arg(file, why));
            status = 1;
            continue;
        }
        const auto stored = a.store(*run);
        if (!stored.message.isEmpty())
            console::errLine(QStringLiteral("%1: %2").arg(file, stored.message));
        if (!stored.ok()) {
            // The archive itself failed: the next file would fail the same way.
            return 1;
        }
        console::outLine(run->key + QLatin1Char('\t') + file);
    }
    return status;
}

int runSync(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive sync"),
                       QStringLiteral("Sends the runs kept on this computer while the shared "
                                      "archive could not be reached, and says how many went."));
    if (const auto status = p.parse(words))
        return *status;
    archive::Archive a;
    const auto outcome = a.sync();
    if (!outcome.ok())
        return console::fail(QStringLiteral("%1 (%2 sent, %3 still waiting)")
                                 .arg(outcome.message)
                                 .arg(outcome.sent)
                                 .arg(outcome.waiting));
    console::outLine(QStringLiteral("%1 sent").arg(outcome.sent));
    return 0;
}

struct ArchiveCommand
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &);
};

constexpr ArchiveCommand kCommands[] = {
    {"list", "the archived runs, newest first (--json for scripts)", runList},
    {"get", "one run's \".brv2\" file, byte for byte", runGet},
    {"import", "bring \".brv2\" files into the archive", runImport},
    {"sync", "send runs kept here while the shared archive was away", runSync},
};

QString archiveOverview()
{
    QString text = QStringLiteral(
        "Usage: kestrun-cli archive <list|get|import|sync> [options]\n\n"
        "Every run the program reads is kept in the archive: a SQLite file in the per-user data\n"
        "folder, or the PostgreSQL database named by KESTRUN_ARCHIVE (a folder for SQLite, or a\n"
        "libpq connection string such as 'service=loggers') or by the window's Archive setting.\n\n");
    for (const ArchiveCommand &c : kCommands)
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(c.name), -8).arg(QLatin1String(c.summary));
    return text;
}

} // namespace

int runArchive(const QStringList &words)
{
    const QString first = words.value(0);
    for (const ArchiveCommand &c : kCommands)
        if (first == QLatin1String(c.name))
            return c.run(words.mid(1));
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        console::out(archiveOverview().toUtf8());
        return 0;
    }
    console::err(archiveOverview().toUtf8());
    return first.isEmpty() ? 1 : console::fail(QStringLiteral("kestrun-cli archive: no '%1'").arg(first));
}

namespace archivecli {

void addNoArchiveOption(SubcommandParser &parser)
{
    parser.addOption({kNoArchive, QStringLiteral("Do not keep the run in the archive.")});
}

void storeDownload(const SubcommandParser &parser, const ReadingSet &set)
{
    if (parser.isSet(kNoArchive))
        return;
    archive::Archive a;
    const auto outcome =
        a.store(archive::recordFromSet(set, archive::Source::Download, setio::kDownloaded));
    if (!outcome.message.isEmpty())
        console::errLine(outcome.message);
}

} // namespace archivecli
