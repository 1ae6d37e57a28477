#include "auth/password_check.h"

#include "auth/account.h"
#include "auth/auth_texts.h"

#include <QFileInfo>

#include <security/pam_appl.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string.h> // explicit_bzero

namespace auth {

namespace {

using Outcome = PasswordCheck::Outcome;

// Where Linux-PAM looks for a service's file: the administrator's folder, then the vendor's.
// A system without the first reads /etc/pam.conf instead, which is PAM's own business.
const QString kPamDir = QStringLiteral("/etc/pam.d");
const QString kVendorPamDir = QStringLiteral("/usr/lib/pam.d");

// Without a file of its own a service falls back to PAM's "other" rules, which a site may
// have set to anything. A signature is only checked under rules written for it.
bool serviceSetUp(const QString &service)
{
    if (!QFileInfo(kPamDir).isDir())
        return true;
    return QFileInfo::exists(kPamDir + QLatin1Char('/') + service) ||
           QFileInfo::exists(kVendorPamDir + QLatin1Char('/') + service);
}

// What the modules ask for during one check and what they say.
struct Conversation
{
    const QByteArray *password = nullptr;
    QByteArray login;
    QStringList messages;
};

// A response's text: PAM frees it (and Linux-PAM wipes a password it was given).
char *responseText(const QByteArray &bytes)
{
    char *text = static_cast<char *>(std::malloc(size_t(bytes.size()) + 1));
    if (text) {
        std::memcpy(text, bytes.constData(), size_t(bytes.size()));
        text[bytes.size()] = '\0';
    }
    return text;
}

void freeResponses(pam_response *responses, int count)
{
    for (int i = 0; i < count; ++i)
        if (char *text = responses[i].resp) {
            explicit_bzero(text, std::strlen(text));
            std::free(text);
        }
    std::free(responses);
}

int converse(int count, const pam_message **messages, pam_response **out, void *data)
{
    if (count <= 0 || !out)
        return PAM_CONV_ERR;
    auto *conversation = static_cast<Conversation *>(data);
    auto *responses = static_cast<pam_response *>(std::calloc(size_t(count), sizeof(pam_response)));
    if (!responses)
        return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i) {
        const pam_message *m = messages[i];
        switch (m->msg_style) {
        case PAM_PROMPT_ECHO_OFF:
            responses[i].resp = responseText(*conversation->password);
            break;
        case PAM_PROMPT_ECHO_ON:
            responses[i].resp = responseText(conversation->login);
            break;
        case PAM_ERROR_MSG:
        case PAM_TEXT_INFO:
            if (m->msg)
                conversation->messages << QString::fromLocal8Bit(m->msg).trimmed();
            continue;
        default: // a binary prompt, which nothing here can answer
            freeResponses(responses, count);
            return PAM_CONV_ERR;
        }
        if (!responses[i].resp) {
            freeResponses(responses, count);
            return PAM_BUF_ERR;
        }
    }
    *out = responses;
    return PAM_SUCCESS;
}

PasswordCheck refused(Outcome outcome, const QString &reason)
{
    return {outcome, reason, {}};
}

PasswordCheck failed(pam_handle_t *pam, int rc)
{
    return refused(Outcome::Failed,
                   kCheckFailed.arg(QString::fromLocal8Bit(pam_strerror(pam, rc))));
}

// The authentication step: is this the account's password?
std::optional<PasswordCheck> authenticationRefusal(pam_handle_t *pam, int rc)
{
    switch (rc) {
    case PAM_SUCCESS:
        return std::nullopt;
    case PAM_AUTH_ERR:
    case PAM_USER_UNKNOWN: // unknown to the modules: its password cannot be right
    case PAM_CRED_INSUFFICIENT:
    case PAM_MAXTRIES:
        return refused(Outcome::WrongPassword, kWrongPassword);
    case PAM_PERM_DENIED:
        return refused(Outcome::AccountRefused, kAccountRefused);
    default:
        return failed(pam, rc);
    }
}

// The account step: may the account be used now?
PasswordCheck accountOutcome(pam_handle_t *pam, int rc)
{
    switch (rc) {
    case PAM_SUCCESS:
        return {Outcome::Ok, {}, {}};
    case PAM_NEW_AUTHTOK_REQD:
        return refused(Outcome::PasswordExpired, kPasswordExpired);
    case PAM_ACCT_EXPIRED:
    case PAM_PERM_DENIED:
    case PAM_AUTH_ERR:
    case PAM_USER_UNKNOWN:
        return refused(Outcome::AccountRefused, kAccountRefused);
    default:
        return failed(pam, rc);
    }
}

PasswordCheck askPam(const QString &login, const QByteArray &password, const QString &service)
{
    Conversation conversation{&password, login.toLocal8Bit(), {}};
    const pam_conv conv{&converse, &conversation};
    pam_handle_t *pam = nullptr;
    int rc =
        pam_start(service.toLocal8Bit().constData(), conversation.login.constData(), &conv, &pam);
    if (rc != PAM_SUCCESS) {
        PasswordCheck check = failed(pam, rc);
        if (pam)
            pam_end(pam, rc);
        return check;
    }
    rc = pam_authenticate(pam, PAM_DISALLOW_NULL_AUTHTOK);
    std::optional<PasswordCheck> check = authenticationRefusal(pam, rc);
    if (!check) {
        rc = pam_acct_mgmt(pam, PAM_DISALLOW_NULL_AUTHTOK);
        check = accountOutcome(pam, rc);
    }
    pam_end(pam, rc);
    check->systemMessages = conversation.messages;
    return *check;
}

PasswordCheck check(const QString &login, const QByteArray &password, const QString &service)
{
    if (!serviceSetUp(service))
        return refused(Outcome::NotSetUp,
                       kPamNotSetUp.arg(service, kPamDir + QLatin1Char('/') + service));
    if (!hasAccount(login))
        return refused(Outcome::UnknownLogin, kUnknownLogin.arg(login));
    // A module may let an account without a password in with an empty one; a signature
    // always takes one.
    if (password.isEmpty())
        return refused(Outcome::WrongPassword, kWrongPassword);
    return askPam(login, password, service);
}

} // namespace

PasswordCheck checkPassword(const QString &login, QByteArray &password, const QString &service)
{
    PasswordCheck outcome = check(login, password, service);
    wipe(password);
    return outcome;
}

void wipe(QByteArray &secret)
{
    // Writing through data() would first copy bytes shared with another QByteArray and wipe
    // only the copy: overwrite them where they lie instead. Literals and raw data are not
    // Qt's allocation and not ours to write.
    if (!secret.isEmpty() && secret.data_ptr().isMutable())
        explicit_bzero(const_cast<char *>(secret.constData()), size_t(secret.size()));
    secret.clear();
}

} // namespace auth
