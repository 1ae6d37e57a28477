// `kestrun-cli archive rejudge`: an archived run judged again under the limits that apply
// today, by the same code and the same record as the window's "Judge again...".

#include "tools/kestrun-cli/subcommands.h"
#include "tools/kestrun-cli/site_store.h"

#include "archive/archive.h"
#include "archive/archive_texts.h"
#include "archive/judge_again.h"
#include "run/run_document.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommand_parser.h"

int runArchiveRejudge(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive rejudge"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const QString key = p.positionalArguments().first().trimmed().toLower();
    const QString reason = p.value(QStringLiteral("reason")).trimmed();
    if (reason.isEmpty())
        return p.usageError(archivetext::kRejudgeReasonRequired);
    archive::Archive a;
    RunDocument doc(&archivecli::siteLimits());
    QString why;
    const auto compared = archive::compareWithToday(a.db(), key, doc, &why);
    if (!compared)
        return console::fail(why);
    const QString kept = compared->kept.status.value_or(QString());
    if (!compared->today.status)
        return console::fail(archivetext::kCannotJudgeToday.arg(compared->today.refusal));
    // The same verdict again would only repeat the record: said, and nothing is written.
    if (!compared->differs()) {
        console::outLine(archivetext::kVerdictStays.arg(key, kept));
        return 0;
    }
    if (!a.db().rejudge(key, compared->today.status, compared->today.limits, reason))
        return console::fail(a.db().error());
    console::outLine(archivetext::kRejudged.arg(key, kept, *compared->today.status));
    return 0;
}
