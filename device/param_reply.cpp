#include "device/param_reply.h"

#include "common/numfmt.h"
#include "device/command_frame.h"

int ParamReply::clockSeconds() const { return frames::bcd(byte(10)); }
int ParamReply::clockMinutes() const { return frames::bcd(byte(12)); }
int ParamReply::clockHours() const { return frames::bcd(byte(14)); }

QString ParamReply::location() const
{
    QString s;
    s.reserve(16);
    for (int i = 24; i < 40; ++i)
        s.append(QChar(byte(i)));
    return s;
}

LoggerIdentity ParamReply::identity() const
{
    const std::uint8_t ids[3] = {id(0), id(1), id(2)};
    return LoggerIdentity::fromLogger(serial(), ids, location());
}

QString ParamReply::serialText() const { return identity().serialText(); }
