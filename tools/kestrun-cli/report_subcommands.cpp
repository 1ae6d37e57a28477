// `kestrun-cli verify`: a report checked on its own and against the archive; and the trail's
// events of the files the file subcommands write.

#include "tools/kestrun-cli/report_subcommands.h"
#include "tools/kestrun-cli/subcommands.h"

#include "archive/archive.h"
#include "output/output_trail.h"
#include "output/report_verify.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommand_parser.h"

namespace reportcli {

void recordWritten(archive::ArchiveDb &db, const QString &action, const QString &runSha256,
                   const QJsonObject &details)
{
    report::OutputTrail trail;
    if (const QString note = trail.written(db, action, runSha256, details); !note.isEmpty())
        console::errLine(note);
}

} // namespace reportcli

int runVerify(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("verify"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const bool alone = p.isSet(QStringLiteral("no-archive"));
    archive::Archive a;
    const report::Verification v =
        report::verifyReport(p.positionalArguments().first(), alone ? nullptr : &a.db());
    if (!v.ok)
        return console::fail(v.line);
    console::outLine(v.line);
    return 0;
}
