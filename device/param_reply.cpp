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

QString ParamReply::serialText() const
{
    return numfmt::picture(serial(), "#0000") + QLatin1Char(' ') +
           numfmt::picture(id(0), "#00") + QLatin1Char(' ') + numfmt::picture(id(1), "#00") +
           QLatin1Char(' ') + numfmt::picture(id(2), "#00");
}
