// `kestrun-cli archive sign KEY --meaning reviewed|approved`: one person signs one archived run
// with their own login password, through the same core act as the window's Sign....

#include "tools/kestrun-cli/subcommands.h"

#include "archive/archive.h"
#include "archive/signer_name.h"
#include "archive/signing.h"
#include "auth/account.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/password_input.h"
#include "tools/kestrun-cli/subcommand_parser.h"

namespace {

const QString kMeaning = QStringLiteral("meaning");
const QString kName = QStringLiteral("name");
const QString kFromStdin = QStringLiteral("password-stdin");

// The name printed with the signature; a name given is set first (an audited change). Empty
// after a failure, which is reported.
QString nameToPrint(const SubcommandParser &p, archive::ArchiveDb &db, const QString &login)
{
    if (p.isSet(kName)) {
        const QString given = p.value(kName).trimmed();
        if (given.isEmpty()) {
            p.usageError(clitext::kEmptyName);
            return {};
        }
        if (archive::nameFromAccount(login)) {
            console::errLine(clitext::kNameFromAccount.arg(auth::fullName(login)));
            return {};
        }
        if (!archive::setProgramName(db, given)) {
            console::errLine(db.error());
            return {};
        }
    }
    const QString name = archive::printedName(login);
    if (name.isEmpty())
        console::errLine(clitext::kNeedName);
    return name;
}

} // namespace

int runArchiveSign(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("archive sign"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const auto meaningText = p.required(kMeaning);
    if (!meaningText)
        return 1;
    const auto meaning = archive::meaningFromName(meaningText->trimmed().toLower());
    if (!meaning)
        return p.usageError(clitext::kNotAMeaning.arg(*meaningText));
    const QString key = p.positionalArguments().first().trimmed().toLower();
    const QString login = auth::currentLogin();

    archive::Archive a;
    const QString name = nameToPrint(p, a.db(), login);
    if (name.isEmpty())
        return 1;
    std::optional<QByteArray> password =
        p.isSet(kFromStdin)
            ? passwordinput::fromStandardInput()
            : passwordinput::fromTerminal(clitext::kPasswordPrompt.arg(login).toUtf8());
    if (!password)
        return console::fail(p.isSet(kFromStdin) ? clitext::kNoPasswordLine
                                                 : clitext::kNoTerminal);
    const archive::SigningOutcome outcome =
        archive::signRun(a.db(), {key, *meaning, login, name}, *password);
    auth::wipe(*password);
    if (!outcome.ok())
        return console::fail(outcome.message);
    console::outLine(clitext::kSignedRun.arg(key, archive::signatureLine(*outcome.signature)));
    return 0;
}
