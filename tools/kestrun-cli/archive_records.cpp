// `kestrun-cli archive withdraw|verify`: a run taken out of the list with its reason, and the
// archive's check of itself, on the same core as the window.

#include "tools/kestrun-cli/subcommands.h"

#include "archive/archive.h"
#include "archive/archive_texts.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/json_out.h"
#include "tools/kestrun-cli/subcommand_parser.h"

#include <QJsonObject>

int runArchiveWithdraw(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive withdraw"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const auto reason = p.required(QStringLiteral("reason"));
    if (!reason)
        return 1;
    const QString key = p.positionalArguments().first().trimmed().toLower();
    archive::Archive a;
    if (!a.db().withdraw(key, *reason))
        return console::fail(a.db().error());
    console::outLine(clitext::kWithdrawnLine.arg(key));
    return 0;
}

int runArchiveVerify(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive verify"));
    if (const auto status = p.parse(words))
        return *status;
    archive::Archive a;
    const auto check = a.db().verify();
    if (!check)
        return console::fail(a.db().error());
    if (p.isSet(QStringLiteral("json"))) {
        jsonout::print(QJsonDocument(QJsonObject{
            {QStringLiteral("ok"), check->ok()},
            {QStringLiteral("runs"), check->runs},
            {QStringLiteral("events"), check->events},
            {QStringLiteral("problem"), jsonout::orNull(check->problem)}}));
    } else if (check->ok()) {
        console::outLine(archivetext::kVerifiedLine.arg(check->runs).arg(check->events));
    } else {
        console::errLine(check->problem);
    }
    return check->ok() ? 0 : 1;
}
