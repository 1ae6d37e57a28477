#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// The six-byte command frame: two command letters (or a letter and a parameter), three
// parameter bytes, and byte 5, the exclusive-or of bytes 0 to 4.
//
// A window keeps one CommandBuffer for its whole life and reuses it: a command sets the bytes it
// names and the check byte is computed again; the bytes it does not name keep what the previous
// command left there. Loggers rely on nothing else, but that is what they have always been sent.
class CommandBuffer
{
public:
    void set(int index, std::uint8_t value) { m_bytes.at(index) = value; }
    void setLetters(char a, char b)
    {
        set(0, std::uint8_t(a));
        set(1, std::uint8_t(b));
    }
    void setAll(char a, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4)
    {
        set(0, std::uint8_t(a));
        set(1, b1);
        set(2, b2);
        set(3, b3);
        set(4, b4);
    }
    std::uint8_t at(int index) const { return m_bytes.at(index); }
    // The frame with its check byte recomputed.
    QByteArray frame();

private:
    std::array<std::uint8_t, 6> m_bytes{};
};

namespace frames {

std::uint8_t checkByte(const QByteArray &first5);
// A fresh frame from five bytes.
QByteArray make(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2 = 0, std::uint8_t b3 = 0,
                std::uint8_t b4 = 0);

// A nine-byte-or-longer reply whose bytes 6, 7 and 8 are 1, 2 and 3.
bool isAcknowledgement(const QByteArray &reply);
// The acknowledgement as the logger sends it (bytes 0-5 are not examined by the program).
QByteArray acknowledgement();

// Decodes a BCD byte: (b div 16) * 10 + (b mod 16).
inline int bcd(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

} // namespace frames
