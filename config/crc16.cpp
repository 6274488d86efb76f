#include "config/crc16.h"

namespace {
// Reflected single-bit entries of polynomial 0xA001 for index bits 0x80 down to 0x01.
constexpr quint16 bitEntries[8] = {0xA001, 0xF001, 0xD801, 0xCC01, 0xC601, 0xC301, 0xC181, 0xC0C1};

constexpr quint16 exchanged(quint16 w)
{
    return quint16((w << 8) | (w >> 8));
}
} // namespace

Crc16::Crc16()
{
    for (int i = 0; i < 256; ++i) {
        quint16 entry = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (i & (0x80 >> bit))
                entry ^= exchanged(bitEntries[bit]);
        }
        table[i] = entry;
    }
}

quint16 Crc16::compute(const void *data, qsizetype length) const
{
    if (length <= 0)
        return 0;
    const auto *p = static_cast<const quint8 *>(data);
    quint16 c = 0xFFFF;
    for (qsizetype i = 0; i < length; ++i)
        c = quint16((c << 8) ^ table[(c >> 8) ^ p[i]]);
    return quint16(~c);
}
