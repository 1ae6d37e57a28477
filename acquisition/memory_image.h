#pragma once

#include "common/logger_identity.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// The logger's memory image: a 6-byte lead-in, the reading words (two bytes each, low byte
// first, oldest first) and a 40-byte trailer that ends in "END" and carries a 24-bit checksum,
// the logging interval, the time of the newest reading and the logger's identity.
namespace memimage {

inline constexpr int kLeadIn = 6;
inline constexpr int kTrailer = 40;
inline constexpr int kOverhead = kLeadIn + kTrailer; // 46
inline constexpr int kMaxImage = 33001;              // the program's receive buffer

enum class Check {
    Ok,
    TooShort,    // fewer than 2 bytes, or shorter than the expected data + 46
    NoEnd,       // the last three bytes are not "END"
    OddData,     // the data part has an odd number of bytes
    TooLong,     // more than the receive buffer holds
    BadChecksum
};

// The shape checks (end marker, length, parity, size), then the checksum.
Check check(const QByteArray &image, int expectedDataBytes);
// What a check found wrong with `image`, in words; empty for Ok.
QString describe(Check result, const QByteArray &image, int expectedDataBytes);
Check checkShape(const QByteArray &image, int expectedDataBytes);

// s = ((s * 2) AND 0xFFFFFF) + b over the bytes from offset 6 to n - 41. The sum may pass
// 0xFFFFFF on its last addition; such an image can never match.
std::uint32_t checksum(const QByteArray &image);
std::uint32_t storedChecksum(const QByteArray &image);

// The reading words of the image.
std::vector<std::int32_t> words(const QByteArray &image);

struct Trailer
{
    char intervalUnit = 0; // 'S', 'M', 'H' (anything else leaves times unchanged)
    int intervalValue = 0;
    int minute = 0, hour = 0, day = 0, month = 0;
    int year = 0; // two-digit year as the logger counts it (4 x byte + two bits)
    std::uint8_t id[3] = {0, 0, 0};
    int serial = 0;
    bool enabled = true; // serial bytes other than 0xFF 0xFF
    QString location;    // 16 characters, one per byte
    QString serialText;  // "#0000" serial, then the identification bytes in "#00"

    LoggerIdentity identity() const;
};

// Decodes the trailer of an image of at least 46 bytes.
Trailer readTrailer(const QByteArray &image);

} // namespace memimage
