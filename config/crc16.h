#pragma once
// Checksum calculator of the configuration image: CRC-16/USB delivered with its bytes exchanged.

#include <QtGlobal>
#include <array>

class Crc16
{
public:
    Crc16();

    // Checksum word of `length` bytes; 0 for an empty range.
    quint16 compute(const void *data, qsizetype length) const;

private:
    std::array<quint16, 256> table;
};
