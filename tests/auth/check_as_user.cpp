// Checks a password as whoever runs it, the way the program does for its user: the login and
// the PAM service as arguments, the password on standard input; prints the outcome's number.
#include "auth/password_check.h"

#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    QByteArray password = in.readLine();
    if (password.endsWith('\n'))
        password.chop(1);
    const auth::PasswordCheck check = auth::checkPassword(QString::fromLocal8Bit(argv[1]), password,
                                                          QString::fromLocal8Bit(argv[2]));
    std::printf("%d\n", int(check.outcome));
    return 0;
}
