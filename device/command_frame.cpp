#include "device/command_frame.h"

QByteArray CommandBuffer::frame()
{
    std::uint8_t x = 0;
    for (int i = 0; i < 5; ++i)
        x ^= m_bytes[i];
    m_bytes[5] = x;
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), 6);
}

namespace frames {

std::uint8_t checkByte(const QByteArray &first5)
{
    std::uint8_t x = 0;
    for (int i = 0; i < 5 && i < first5.size(); ++i)
        x ^= std::uint8_t(first5.at(i));
    return x;
}

QByteArray make(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                std::uint8_t b4)
{
    CommandBuffer buf;
    buf.setAll(char(b0), b1, b2, b3, b4);
    return buf.frame();
}

bool isAcknowledgement(const QByteArray &reply)
{
    return reply.size() >= 9 && reply.at(6) == 1 && reply.at(7) == 2 && reply.at(8) == 3;
}

QByteArray acknowledgement()
{
    return QByteArray::fromHex("000000000000010203");
}

} // namespace frames
