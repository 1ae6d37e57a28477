#include "auth/account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace auth {

namespace {

// One entry of the account database, looked up with a buffer that grows until it fits.
template <typename Lookup> QString field(Lookup lookup, char *passwd::*member)
{
    std::vector<char> buffer(1024);
    passwd entry{};
    passwd *found = nullptr;
    while (true) {
        const int rc = lookup(&entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || !found || !(found->*member))
            return {};
        return QString::fromLocal8Bit(found->*member);
    }
}

} // namespace

QString currentLogin()
{
    const uid_t uid = getuid();
    return field(
        [uid](passwd *e, char *b, size_t n, passwd **r) { return getpwuid_r(uid, e, b, n, r); },
        &passwd::pw_name);
}

namespace {

QString accountField(const QString &login, char *passwd::*member)
{
    if (login.isEmpty())
        return {};
    const QByteArray name = login.toLocal8Bit();
    return field([&name](passwd *e, char *b, size_t n,
                         passwd **r) { return getpwnam_r(name.constData(), e, b, n, r); },
                 member);
}

} // namespace

bool hasAccount(const QString &login)
{
    return !accountField(login, &passwd::pw_name).isEmpty();
}

QString fullName(const QString &login)
{
    return accountField(login, &passwd::pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
}

} // namespace auth
