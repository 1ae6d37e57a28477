#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF, no final exclusive-or) in its
// table-driven form with one table per result byte. The data files carry it low byte first.
class Crc16
{
public:
    Crc16(); // Init_CRC

    // Calc_CRC: runs over `count` bytes; afterwards CrcA is the low and CrcB the high byte.
    void Calc_CRC(const std::uint8_t *bytes, qsizetype count);
    void Calc_CRC(const QByteArray &bytes)
    {
        Calc_CRC(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size());
    }

    std::uint8_t CrcA = 0xFF;
    std::uint8_t CrcB = 0xFF;
    std::uint16_t value() const { return std::uint16_t(CrcB << 8 | CrcA); }

    const std::array<std::uint8_t, 256> &hiTable() const { return m_hi; }
    const std::array<std::uint8_t, 256> &loTable() const { return m_lo; }

    static std::uint16_t of(const QByteArray &bytes)
    {
        Crc16 c;
        c.Calc_CRC(bytes);
        return c.value();
    }

private:
    std::array<std::uint8_t, 256> m_hi{}; // CrcHiTbl: 0x00, 0xC1, 0x81, 0x40, ...
    std::array<std::uint8_t, 256> m_lo{}; // CrcLoTbl: 0x00, 0xC0, 0xC1, 0x01, ...
};
