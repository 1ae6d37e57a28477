#include "datafile/crc16.h"

Crc16::Crc16()
{
    for (int i = 0; i < 256; ++i) {
        std::uint16_t crc = std::uint16_t(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
        m_hi[i] = std::uint8_t(crc & 0xFF);
        m_lo[i] = std::uint8_t(crc >> 8);
    }
}

void Crc16::Calc_CRC(const std::uint8_t *bytes, qsizetype count)
{
    CrcA = 0xFF;
    CrcB = 0xFF;
    for (qsizetype k = 0; k < count; ++k) {
        const std::uint8_t index = bytes[k] ^ CrcA;
        CrcA = m_hi[index] ^ CrcB;
        CrcB = m_lo[index];
    }
}
