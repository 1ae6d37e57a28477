#pragma once

#include "common/logger_identity.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// The logger's answer to "R","P": the 40-byte parameter block. Callers decide how many bytes
// they require (the clock query takes 19 or more, the dialogs exactly 40); the accessors read
// only what is there and give 0 for bytes past the end.
class ParamReply
{
public:
    explicit ParamReply(QByteArray bytes) : m_b(std::move(bytes)) {}

    std::uint8_t byte(int offset) const
    {
        return offset >= 0 && offset < m_b.size() ? std::uint8_t(m_b.at(offset)) : 0;
    }
    int size() const { return int(m_b.size()); }

    std::uint8_t status() const { return byte(6); }
    bool memoryFull() const { return status() & 0x01; }
    bool started() const { return status() & 0x02; }
    bool waitingForDelayedStart() const { return status() & 0x04; }
    char intervalUnit() const { return char(byte(7)); }
    int intervalCount() const { return byte(8) * 10 + byte(9); }
    int clockSeconds() const; // BCD decoded
    int clockMinutes() const;
    int clockHours() const;
    int storedBytes() const { return byte(17) * 256 + byte(16); }
    std::uint8_t model() const { return byte(18); }
    std::uint8_t id(int i) const { return byte(19 + i); } // day, month, year - 2000
    bool enabled() const { return !(byte(22) == 0xFF && byte(23) == 0xFF); }
    int serial() const { return byte(22) * 256 + byte(23); }
    // The 16 location bytes, each taken as the character with that code.
    QString location() const;

    // "#0000" serial, then the three identification bytes in "#00", blank-separated.
    QString serialText() const;
    // Serial number, identification bytes and location as data.
    LoggerIdentity identity() const;

private:
    QByteArray m_b;
};
