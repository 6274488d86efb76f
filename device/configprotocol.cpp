#include "device/configprotocol.h"

#include "config/tk440.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace configuration {

static_assert(ConfigBytes == TK440::IdentOffset);

namespace {
QByteArray memoryHeader(quint16 readCount, quint16 writeCount, quint16 offset)
{
    QByteArray p(10, '\0');
    qToBigEndian<quint16>(CmdMemory, p.data());
    qToBigEndian<quint16>(readCount, p.data() + 2);
    qToBigEndian<quint16>(writeCount, p.data() + 4);
    qToBigEndian<quint16>(TargetConfig, p.data() + 6);
    qToBigEndian<quint16>(offset, p.data() + 8);
    return p;
}

// Cuts count bytes into blocks of at most `block` bytes, stopping past the end of memory.
QList<Block> blocks(int block, int count, bool oddBelowFull)
{
    QList<Block> out;
    int offset = 0;
    int remaining = count;
    while (remaining > 0) {
        int size = std::min(block, remaining);
        if (oddBelowFull && size < WriteBlock && size % 2 == 0)
            --size;
        out.append({offset, size});
        offset += size;
        remaining -= size;
        if (offset > MaxOffset)
            break;
    }
    return out;
}
} // namespace

QByteArray identifyRequest()
{
    // Words 1 to 3 carry nothing; they go out as zeros.
    QByteArray p(HeaderSize, '\0');
    qToBigEndian<quint16>(CmdIdentify, p.data());
    return p;
}

Identification parseIdentification(const QByteArray &reply)
{
    Identification id;
    if (reply.size() < IdentReplySize)
        return id;
    if (qFromBigEndian<quint16>(reply.constData()) != CmdIdentify) {
        id.status = Identification::WrongCommand;
        return id;
    }
    quint16 words[7];
    for (int i = 0; i < 7; ++i)
        words[i] = qFromBigEndian<quint16>(reply.constData() + HeaderSize + 2 * i);
    static_assert(sizeof words == sizeof(TDev));
    std::memcpy(&id.dev, words, sizeof words);
    id.status = Identification::Ok;
    return id;
}

QByteArray memoryRead(quint16 count, quint16 offset)
{
    return memoryHeader(count, 2, offset);
}

QByteArray memoryWrite(quint16 offset, const char *data, int size)
{
    return memoryHeader(0, quint16(size + 2), offset) + QByteArray(data, size);
}

QList<Block> readBlocks(int payload, int count)
{
    return blocks(std::max(1, std::min(payload, count)), count, false);
}

QList<Block> writeBlocks(int payload, int count)
{
    // At least one byte per block, whatever payload size the controller announced.
    return blocks(std::max(1, payload > 66 ? WriteBlock : payload - 3), count, true);
}

quint16 imageModel(const char *record)
{
    return quint16(quint8(record[TK440::ModelOffset])
                   | (quint8(record[TK440::ModelOffset + 1]) << 8));
}

int differingBytes(const char *a, const char *b, int size)
{
    int n = 0;
    for (int i = 0; i < size; ++i) {
        if (a[i] != b[i])
            ++n;
    }
    return n;
}

} // namespace configuration
