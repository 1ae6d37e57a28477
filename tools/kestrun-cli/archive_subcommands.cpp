// `kestrun-cli archive list|get|import|sync` and the download's storing: the same archive core
// as the window, in the place KESTRUN_ARCHIVE or the window's setting chooses.

#include "tools/kestrun-cli/archive_store.h"
#include "tools/kestrun-cli/subcommands.h"

#include "analysis/quantity.h"
#include "archive/archive.h"
#include "archive/archive_texts.h"
#include "archive/record_of_run.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/output_file.h"
#include "common/text_from_file.h"
#include "datafile/brv2_file.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "tools/kestrun-cli/command_group.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/json_out.h"
#include "tools/kestrun-cli/subcommand_parser.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace {

using archive::RunRecord;

const QString kNoArchive = QStringLiteral("no-archive");

using archivecli::noteReadOnly;
using jsonout::orNull;

QString localIso(const QDateTime &t)
{
    return archive::timeText(t.isValid() ? t.toLocalTime() : t);
}

// Per sensor of the model (keyed as in the summary's JSON) its failed readings; null for a
// run stored before they were kept.
QJsonValue failedOf(const RunRecord &r)
{
    const std::vector<analysis::Quantity> sensors = analysis::sensorsOf(r.model);
    QJsonObject out;
    for (size_t i = 0; i < sensors.size() && i < r.failed.size(); ++i) {
        if (const auto &f = r.failed[i])
            out[analysis::key(sensors[i])] =
                QJsonObject{{QStringLiteral("readings"), f->readings},
                            {QStringLiteral("longest_s"), f->longestSeconds},
                            {QStringLiteral("first_at"), orNull(archive::timeText(f->firstAt))}};
    }
    return out.isEmpty() ? QJsonValue() : QJsonValue(out);
}

QJsonObject jsonOf(const RunRecord &r)
{
    return {
        {QStringLiteral("key"), r.key},
        {QStringLiteral("stored_at"), localIso(r.storedAt)},
        {QStringLiteral("source"), runOriginName(r.source)},
        {QStringLiteral("serial"), r.serial >= 0 ? QJsonValue(r.serial) : QJsonValue()},
        {QStringLiteral("location"), r.location},
        {QStringLiteral("model"), orNull(model::label(r.model))},
        {QStringLiteral("model_code"), r.model},
        {QStringLiteral("readings"), r.readings},
        {QStringLiteral("first"), orNull(archive::timeText(r.first))},
        {QStringLiteral("last"), orNull(archive::timeText(r.last))},
        {QStringLiteral("status"), r.status ? QJsonValue(*r.status) : QJsonValue()},
        {QStringLiteral("failed"), failedOf(r)},
        {QStringLiteral("withdrawn"), r.withdrawn},
        {QStringLiteral("user"), r.user},
        {QStringLiteral("computer"), r.computer},
    };
}

QString textLine(const RunRecord &r)
{
    return QStringList{r.key,
                       localIso(r.storedAt),
                       runOriginName(r.source),
                       r.serial >= 0 ? QString::number(r.serial) : QString(),
                       textfromfile::shown(r.location),
                       model::label(r.model),
                       QString::number(r.readings),
                       archive::timeText(r.first),
                       archive::timeText(r.last),
                       archive::shownVerdict(r)}
        .join(QLatin1Char('\t'));
}

int runList(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive list"));
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
            return p.usageError(clitext::kNotADate.arg(name, p.value(name)));
        (end ? filter.until : filter.since) = t;
    }
    filter.location = p.value(QStringLiteral("location"));
    filter.alarmsOnly = p.isSet(QStringLiteral("alarms"));
    filter.withdrawn = p.isSet(QStringLiteral("withdrawn"));

    archive::Archive a;
    const auto runs = a.db().list(filter);
    if (!runs)
        return console::fail(a.db().error());
    noteReadOnly(a.db());
    if (p.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const RunRecord &r : *runs)
            array.append(jsonOf(r));
        jsonout::print(QJsonDocument(array));
        return 0;
    }
    for (const RunRecord &r : *runs)
        console::outLine(textLine(r));
    return 0;
}

int runGet(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive get"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const auto output = p.required(QStringLiteral("output"));
    if (!output)
        return 1;
    archive::Archive a;
    const auto bytes = a.db().bytes(p.positionalArguments().first().trimmed().toLower());
    if (!bytes)
        return console::fail(a.db().error());
    noteReadOnly(a.db());
    QString error;
    const QString path = outputfile::absoluteName(*output);
    if (!outputfile::write(path, *bytes, &error))
        return console::fail(outputfile::failureText(path, error));
    return 0;
}

// The record of the ".brv2" file on standard input, read to its end.
std::optional<RunRecord> recordFromStandardInput(QString *why)
{
    QFile in;
    std::optional<QByteArray> bytes;
    if (in.open(fileno(stdin), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        bytes = brv2::readStream(in, why);
    else
        *why = in.errorString();
    if (!bytes) {
        *why = msg::kFileError + QStringLiteral(": ") + *why;
        return std::nullopt;
    }
    return archive::recordFromBytes(*bytes, why);
}

int runImport(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive import"));
    const auto files = std::count_if(words.cbegin(), words.cend(), [](const QString &w) {
        return w == outputfile::kStandardStream || !w.startsWith(QLatin1Char('-'));
    });
    if (const auto status = p.parse(words, std::max(1, int(files))))
        return *status;
    archive::Archive a;
    int status = 0;
    int waiting = 0; // kept here since the shared archive was given up on
    for (const QString &file : p.positionalArguments()) {
        QString why;
        const auto run = file == outputfile::kStandardStream ? recordFromStandardInput(&why)
                                                             : archive::recordFromFile(file, &why);
        if (!run) {
            console::errLine(QStringLiteral("%1: %2").arg(file, why));
            status = 1;
            continue;
        }
        const auto stored = a.store(*run);
        // Kept here because the shared archive was given up on: told once, at the end.
        if (stored.ok() && stored.keptHere && !a.gaveUpBecause().isEmpty())
            ++waiting;
        else if (!stored.message.isEmpty())
            console::errLine(QStringLiteral("%1: %2").arg(file, stored.message));
        if (!stored.ok()) {
            // The archive itself failed: the next file would fail the same way.
            return 1;
        }
        console::outLine(run->key + QLatin1Char('\t') + file);
    }
    // The shared archive's absence is told once, for every run it left waiting here.
    if (waiting > 0)
        console::errLine(archivetext::kWaitingHere.arg(a.gaveUpBecause(), QString::number(waiting)));
    return status;
}

int runSync(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive sync"));
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

} // namespace

int runArchive(const QStringList &words)
{
    return commandgroup::run(
        QStringLiteral("archive"),
        QStringLiteral(
            "Every run the program reads is kept in the archive: a SQLite file in the per-user "
            "data\nfolder, or the PostgreSQL database named by KESTRUN_ARCHIVE (a folder for "
            "SQLite, or a\nlibpq connection string such as 'service=loggers') or by the window's "
            "Archive setting."),
        {{"list", runList},
         {"get", runGet},
         {"import", runImport},
         {"sync", runSync},
         {"withdraw", runArchiveWithdraw},
         {"verify", runArchiveVerify}},
        words);
}

namespace archivecli {

void storeDownload(const SubcommandParser &parser, const archive::RunRecord &run)
{
    if (parser.isSet(kNoArchive))
        return;
    archive::Archive a;
    const auto outcome = a.store(run);
    if (!outcome.message.isEmpty())
        console::errLine(outcome.message);
}

void noteReadOnly(const archive::ArchiveDb &db)
{
    if (const QString note = db.readOnlyNote(); !note.isEmpty())
        console::errLine(note);
}

} // namespace archivecli
