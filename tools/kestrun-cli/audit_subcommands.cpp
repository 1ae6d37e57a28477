// `kestrun-cli audit list`: the archive's audit trail, read as the Audit Trail window reads it,
// from the archive KESTRUN_ARCHIVE or the window's setting chooses.

#include "tools/kestrun-cli/subcommands.h"

#include "archive/archive.h"
#include "archive/trail_listing.h"
#include "common/text_from_file.h"
#include "tools/kestrun-cli/archive_store.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "tools/kestrun-cli/command_group.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/json_out.h"
#include "tools/kestrun-cli/subcommand_parser.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The filter the options describe; nullopt after a usage error.
std::optional<archive::AuditFilter> filterOf(SubcommandParser &p)
{
    archive::AuditFilter filter;
    filter.run = p.value(QStringLiteral("run")).trimmed().toLower();
    filter.user = p.value(QStringLiteral("user")).trimmed();
    filter.action = p.value(QStringLiteral("action")).trimmed();
    if (!filter.action.isEmpty() && !archive::actionNames().contains(filter.action)) {
        p.usageError(clitext::kNotAnAction.arg(filter.action,
                                               archive::actionNames().join(QStringLiteral(", "))));
        return std::nullopt;
    }
    for (const bool end : {false, true}) {
        const QString name = end ? QStringLiteral("until") : QStringLiteral("since");
        if (!p.isSet(name))
            continue;
        const QDateTime t = archive::eventBound(p.value(name), end);
        if (!t.isValid()) {
            p.usageError(clitext::kNotADate.arg(name, p.value(name)));
            return std::nullopt;
        }
        (end ? filter.until : filter.since) = t;
    }
    return filter;
}

int runList(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("audit list"));
    if (const auto status = p.parse(words))
        return *status;
    const auto filter = filterOf(p);
    if (!filter)
        return 1;
    archive::Archive a;
    const auto events = a.db().events(*filter);
    if (!events)
        return console::fail(a.db().error());
    archivecli::noteReadOnly(a.db());
    if (p.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const archive::AuditEvent &e : *events)
            array.append(archive::eventJson(e));
        jsonout::print(QJsonDocument(array));
        return 0;
    }
    for (const archive::AuditEvent &e : *events) {
        QStringList fields = archive::eventFields(e);
        // A reason or a detail typed by someone stays on its line, whatever it holds.
        for (QString &f : fields)
            f = textfromfile::shown(f);
        console::outLine(fields.join(QLatin1Char('\t')));
    }
    return 0;
}

} // namespace

int runAudit(const QStringList &words)
{
    return commandgroup::run(
        QStringLiteral("audit"),
        QStringLiteral("The archive's audit trail: every run stored, withdrawn, signed or judged "
                       "again, every\nchange of limits or of the archive's place, every report "
                       "and export, oldest first."),
        {{"list", runList}}, words);
}
