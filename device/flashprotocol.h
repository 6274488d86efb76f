#pragma once
// Packets and reply checks of the firmware load: the serial flash instructions carried as the
// payload of command 2 with target 4, and the order in which a file is erased, programmed and
// read back. Pure functions: no worker, no transport.

#include <QByteArray>
#include <QList>

namespace flash {

constexpr quint16 CmdFlash = 2;
constexpr quint16 TargetFlash = 4;
constexpr int HeaderSize = 8;
constexpr int FlashSize = 0x20000; // bytes of a longer file beyond it are not written
constexpr int SectorSize = 0x8000; // erase unit
constexpr int PageSize = 256; // program unit
constexpr int BootPiece = 64; // boot-mode stream piece

constexpr quint8 OpReadStatus = 0x05;
constexpr quint8 OpWriteEnable = 0x06;
constexpr quint8 OpSectorErase = 0xD8;
constexpr quint8 OpPageProgram = 0x02;
constexpr quint8 OpReadData = 0x03;

constexpr quint8 StatusBusy = 0x01; // bit 0 of the status register

QByteArray readStatus(); // RDSR, 9 bytes
QByteArray writeEnable(); // WREN, 9 bytes
QByteArray sectorErase(int address); // SE, 12 bytes
QByteArray pageProgram(int address, const char *data, int size); // WrData, size + 12 bytes
QByteArray readData(int address, int count); // RdData, 12 bytes

// The status register in a RDSR reply; none when the reply ends before it.
std::optional<quint8> statusOf(const QByteArray &reply);

// Largest page piece one transfer carries for the announced payload size N: 256 when N is
// above 259, else N - 4 (the instruction and its address take 4 bytes), and never below 1.
int pageLimit(int payload);

// One step of the write: a sector erase (size 0) or a page piece.
struct Step
{
    int address;
    int size;
    bool isErase() const { return size == 0; }
    friend bool operator==(const Step &, const Step &) = default;
};
// The erases and page pieces that write a file of fileSize bytes: a sector is erased before its
// first byte is programmed, pieces end at page and sector ends, a piece shorter than a page has
// an odd length, and nothing is written at or beyond FlashSize.
QList<Step> writeSteps(int payload, int fileSize);

// Lengths of the read-back pieces of the first written bytes: at most the page limit, odd.
QList<int> readBackPieces(int payload, int written);

} // namespace flash
