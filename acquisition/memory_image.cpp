#include "acquisition/memory_image.h"


namespace memimage {
namespace {
std::uint8_t at(const QByteArray &b, qsizetype i) { return std::uint8_t(b.at(i)); }
int bcd(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }
} // namespace

Check checkShape(const QByteArray &image, int expectedDataBytes)
{
    const qsizetype n = image.size();
    if (n > kMaxImage)
        return Check::TooLong;
    if (n < 2)
        return Check::TooShort;
    if (!image.endsWith("END"))
        return Check::NoEnd;
    if (n < qsizetype(expectedDataBytes) + kOverhead)
        return Check::TooShort;
    if ((n - kOverhead) % 2 != 0)
        return Check::OddData;
    return Check::Ok;
}

Check check(const QByteArray &image, int expectedDataBytes)
{
    const Check shape = checkShape(image, expectedDataBytes);
    if (shape != Check::Ok)
        return shape;
    return checksum(image) == storedChecksum(image) ? Check::Ok : Check::BadChecksum;
}

std::uint32_t checksum(const QByteArray &image)
{
    std::uint32_t s = 0;
    const qsizetype last = image.size() - 41;
    for (qsizetype i = kLeadIn; i <= last; ++i)
        s = ((s * 2) & 0xFFFFFF) + at(image, i);
    return s;
}

std::uint32_t storedChecksum(const QByteArray &image)
{
    const qsizetype n = image.size();
    if (n < kTrailer)
        return 0xFFFFFFFF;
    return std::uint32_t(at(image, n - 38)) << 16 | std::uint32_t(at(image, n - 39)) << 8 |
           at(image, n - 40);
}

std::vector<std::int32_t> words(const QByteArray &image)
{
    std::vector<std::int32_t> out;
    if (image.size() < kOverhead)
        return out;
    const qsizetype count = (image.size() - kOverhead) / 2;
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        out.push_back(at(image, kLeadIn + 2 * i) + 256 * at(image, kLeadIn + 2 * i + 1));
    return out;
}

LoggerIdentity Trailer::identity() const { return LoggerIdentity::fromLogger(serial, id, location); }

Trailer readTrailer(const QByteArray &image)
{
    Trailer t;
    const qsizetype n = image.size();
    if (n < kTrailer)
        return t;
    t.location.reserve(16);
    for (qsizetype i = n - 19; i <= n - 4; ++i)
        t.location.append(QChar(at(image, i)));
    t.serial = at(image, n - 21) * 256 + at(image, n - 20);
    t.enabled = !(at(image, n - 21) == 0xFF && at(image, n - 20) == 0xFF);
    for (int k = 0; k < 3; ++k)
        t.id[k] = at(image, n - 24 + k);
    t.serialText = t.identity().serialText();
    t.intervalUnit = char(at(image, n - 36));
    t.intervalValue = 10 * at(image, n - 35) + at(image, n - 34);
    t.minute = bcd(at(image, n - 33));
    t.hour = bcd(at(image, n - 32));
    t.day = bcd(at(image, n - 30) & 63);
    t.month = bcd(at(image, n - 31));
    t.year = (at(image, n - 30) >> 6) + 4 * at(image, n - 26);
    return t;
}

QString describe(Check result, const QByteArray &image, int expectedDataBytes)
{
    const qsizetype n = image.size();
    switch (result) {
    case Check::Ok:
        break;
    case Check::TooShort:
        return QStringLiteral("the image has %1 bytes, at least %2 wanted")
            .arg(n)
            .arg(qMax(2, expectedDataBytes + kOverhead));
    case Check::NoEnd:
        return QStringLiteral("the image of %1 bytes does not end in \"END\"").arg(n);
    case Check::OddData:
        return QStringLiteral("the image's data part has an odd number of bytes (%1)")
            .arg(n - kOverhead);
    case Check::TooLong:
        return QStringLiteral("the image has %1 bytes, more than the %2 of the receive buffer")
            .arg(n)
            .arg(kMaxImage);
    case Check::BadChecksum:
        return QStringLiteral("the image's checksum is 0x%1, its trailer says 0x%2")
            .arg(checksum(image), 6, 16, QLatin1Char('0'))
            .arg(storedChecksum(image), 6, 16, QLatin1Char('0'));
    }
    return QString();
}

} // namespace memimage
