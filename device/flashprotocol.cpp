#include "device/flashprotocol.h"

#include <algorithm>

namespace flash {

namespace {

void appendWord(QByteArray &b, quint16 w)
{
    b.append(char(w >> 8));
    b.append(char(w & 0xFF));
}

// Command 2 with target 4; the header words are code, read count, write count, target.
QByteArray packet(quint16 readCount, const QByteArray &payload)
{
    QByteArray b;
    appendWord(b, CmdFlash);
    appendWord(b, readCount);
    appendWord(b, quint16(payload.size()));
    appendWord(b, TargetFlash);
    return b + payload;
}

// An instruction with a 24-bit address, high byte first.
QByteArray addressed(quint8 op, int address)
{
    QByteArray b;
    b.append(char(op));
    b.append(char((address >> 16) & 0xFF));
    b.append(char((address >> 8) & 0xFF));
    b.append(char(address & 0xFF));
    return b;
}

} // namespace

QByteArray readStatus()
{
    return packet(1, QByteArray(1, char(OpReadStatus)));
}

QByteArray writeEnable()
{
    return packet(0, QByteArray(1, char(OpWriteEnable)));
}

QByteArray sectorErase(int address)
{
    return packet(0, addressed(OpSectorErase, address));
}

QByteArray pageProgram(int address, const char *data, int size)
{
    return packet(0, addressed(OpPageProgram, address) + QByteArray(data, size));
}

QByteArray readData(int address, int count)
{
    return packet(quint16(count), addressed(OpReadData, address));
}

std::optional<quint8> statusOf(const QByteArray &reply)
{
    if (reply.size() <= HeaderSize)
        return std::nullopt;
    return quint8(reply[HeaderSize]);
}

int pageLimit(int payload)
{
    return payload > 259 ? PageSize : std::max(1, payload - 4);
}

QList<Step> writeSteps(int payload, int fileSize)
{
    const int limit = pageLimit(payload);
    QList<Step> steps;
    int address = 0;
    int remaining = std::max(0, fileSize);
    bool erased = false;
    while (remaining > 0 && address < FlashSize) {
        if (address % SectorSize == 0 && !erased) {
            steps.append({address, 0});
            erased = true;
            continue;
        }
        int size = limit;
        if (address % PageSize != 0)
            size = std::min(size, PageSize - address % PageSize);
        size = std::min(size, remaining);
        // A piece reaching its sector's end ends there, and the next sector is erased before
        // it is programmed.
        const int sectorEnd = (address / SectorSize + 1) * SectorSize;
        if (address + size >= sectorEnd) {
            size = sectorEnd - address;
            erased = false;
        }
        if (size <= PageSize - 1 && size % 2 == 0)
            --size;
        steps.append({address, size});
        address += size;
        remaining -= size;
    }
    return steps;
}

QList<int> readBackPieces(int payload, int written)
{
    QList<int> pieces;
    int size = pageLimit(payload);
    for (int left = std::max(0, written); left > 0; left -= size) {
        size = std::min(size, left);
        if (size % 2 == 0)
            --size;
        pieces.append(size);
    }
    return pieces;
}

} // namespace flash
