#include "common/logger_identity.h"

#include "common/numfmt.h"

namespace {

// A caption's value: without the colon and the blanks the labels put before it.
QString captionValue(const QString &caption)
{
    QString s = caption.trimmed();
    if (s.startsWith(QLatin1Char(':')))
        s.remove(0, 1);
    return s.trimmed();
}

} // namespace

LoggerIdentity LoggerIdentity::fromLogger(int serial, const std::uint8_t id[3],
                                          const QString &location)
{
    LoggerIdentity out;
    out.serial = numfmt::picture(serial, "#0000");
    out.idBytes = numfmt::picture(id[0], "#00") + QLatin1Char(' ') + numfmt::picture(id[1], "#00") +
                  QLatin1Char(' ') + numfmt::picture(id[2], "#00");
    out.location = location.trimmed();
    return out;
}

LoggerIdentity LoggerIdentity::fromCaptions(const QString &serialCaption,
                                            const QString &locationCaption)
{
    const QString value = captionValue(serialCaption);
    LoggerIdentity out;
    out.serial = value.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    out.idBytes = value.section(QLatin1Char(' '), 1, -1, QString::SectionSkipEmpty);
    out.location = captionValue(locationCaption);
    return out;
}

QString LoggerIdentity::serialText() const
{
    return idBytes.isEmpty() ? serial : serial + QLatin1Char(' ') + idBytes;
}

int LoggerIdentity::serialNumber() const
{
    bool ok = false;
    const int n = serial.toInt(&ok);
    return ok ? n : -1;
}
