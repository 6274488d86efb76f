#pragma once
// Packets and reply checks of the configuration exchanges: identification (command 1) and the
// memory form of command 3 on the configuration memory (target 0x50). Pure functions: no
// worker, no transport.

#include "config/records.h"

#include <QByteArray>
#include <QList>

namespace configuration {

constexpr quint16 CmdIdentify = 1;
constexpr quint16 CmdMemory = 3;
constexpr quint16 TargetConfig = 0x50;
constexpr int HeaderSize = 8; // four header words of a command or a reply
constexpr int IdentReplySize = HeaderSize + int(sizeof(TDev)); // 22
constexpr int ConfigBytes = 388; // the configuration memory the terminal uses
constexpr int WriteBlock = 64; // largest write block
constexpr int MaxOffset = 0x3FFF; // the configuration memory is 16 KiB

// Controller software versions the terminal works with (2.0 and 2.1).
constexpr bool isSupportedVersion(quint16 version)
{
    return version == 0x0200 || version == 0x0201;
}

// The identification request: command 1, the other header words zero.
QByteArray identifyRequest();

// An identification reply: the record after the header, or why there is none.
struct Identification
{
    enum Status {
        Ok,
        Short, // fewer than 22 bytes: a failed receive
        WrongCommand, // word 0 is not the identification command
    };
    Status status = Short;
    TDev dev {}; // host-order words; valid with Ok
};
Identification parseIdentification(const QByteArray &reply);

// Memory-form requests: header words (command, read count, write count, target), then the
// 16-bit offset high byte first, then the bytes to write.
QByteArray memoryRead(quint16 count, quint16 offset); // 10 bytes
QByteArray memoryWrite(quint16 offset, const char *data, int size); // 10 + size bytes

// A reply to a memory read carries the whole block after its header; anything shorter is a
// failed receive (the missing bytes would be taken from whatever the buffer held).
constexpr bool isCompleteBlock(int received, int blockSize)
{
    return received >= 1 && received >= HeaderSize + blockSize;
}

// One block of a memory exchange.
struct Block
{
    int offset;
    int size;
    friend bool operator==(const Block &, const Block &) = default;
};

// Blocks that read count bytes from offset 0 with the announced payload size: as large as the
// payload allows.
QList<Block> readBlocks(int payload, int count);
// Blocks that write count bytes from offset 0: 64 bytes where the payload allows, otherwise
// payload - 3; a block shorter than 64 bytes is odd (its last byte goes into the next block).
QList<Block> writeBlocks(int payload, int count);

// Model code of a configuration record (little-endian word at its model offset).
quint16 imageModel(const char *record);
// Number of positions at which the two byte ranges differ.
int differingBytes(const char *a, const char *b, int size);

} // namespace configuration
