#pragma once
// Layout of the 402-byte configuration image: offsets and sizes of every field and section.

#include <QtGlobal>

// The image itself: 402 bytes as they stand in memory and in files (little-endian words,
// the checksum word excepted).
struct TK440
{

    static constexpr int Size = 402;

    // Checksum word of bytes 2..401 (the exchanged CRC-16/USB, little-endian).
    static constexpr int CrcOffset = 0;
    static constexpr int CrcSize = 2;

    // Configuration area: the checksum and the fourteen block sections without gaps.
    static constexpr int ConfigAreaSize = 182;

    static constexpr int CodecOffset = 2;
    static constexpr int CodecSize = 30;
    static constexpr int ReceiverOffset = 32;
    static constexpr int ReceiverSize = 18;
    static constexpr int InpRadioOffset = 50;
    static constexpr int InpRadioSize = 18;
    static constexpr int OutRadioOffset = 68;
    static constexpr int OutRadioSize = 10;
    static constexpr int TransmitterOffset = 78;
    static constexpr int TransmitterSize = 10;
    static constexpr int OutRecOffset = 88;
    static constexpr int OutRecSize = 10;
    static constexpr int OutExtOffset = 98;
    static constexpr int OutExtSize = 10;
    static constexpr int OutAccOffset = 108;
    static constexpr int OutAccSize = 10;
    static constexpr int AmpOffset = 118;
    static constexpr int AmpSize = 4;
    static constexpr int OutRec2Offset = 122;
    static constexpr int OutRec2Size = 6;
    static constexpr int VocOffset = 128;
    static constexpr int VocSize = 10;
    static constexpr int Voc2Offset = 138;
    static constexpr int Voc2Size = 6;
    static constexpr int LinkOffset = 144;
    static constexpr int LinkSize = 20;
    static constexpr int ModemOffset = 164;
    static constexpr int ModemSize = 18;

    // Information area, edited by the Info page.
    static constexpr int InfoOffset = 182;
    static constexpr int InfoSize = 206;
    static constexpr int SerialOffset = 182; // quint16: 0..1000
    static constexpr int YearOffset = 184; // quint16
    static constexpr int MonthOffset = 186; // quint8: 1..12
    static constexpr int DayOffset = 187; // quint8: 1..31
    static constexpr int DescLenOffset = 188; // quint8: 0..199
    static constexpr int DescOffset = 189;
    static constexpr int DescSize = 199;

    // Identification of the controller.
    static constexpr int IdentOffset = 388;
    static constexpr int IdentSize = 14;
    static constexpr int ModelOffset = 388; // quint16
    static constexpr int VersionOffset = 390; // minor at 390, major at 391
    static constexpr int CpuSerialOffset = 392; // four quint16
    static constexpr int CpuSerialSize = 8;
    static constexpr int CpuIdOffset = 400; // quint16

    // Bytes the checksum covers.
    static constexpr int CheckedOffset = 2;
    static constexpr int CheckedSize = Size - CheckedOffset;

    static constexpr quint16 ModelRA = 0x0300;
    static constexpr quint16 ModelRB = 0x0301;
    // Software version carried by new images and shown in the About window: 2.1.
    static constexpr quint16 NewImageVersion = 0x0201;

    quint8 b[Size];

    quint16 word(int offset) const { return quint16(b[offset] | (b[offset + 1] << 8)); }
    void setWord(int offset, quint16 value)
    {
        b[offset] = quint8(value);
        b[offset + 1] = quint8(value >> 8);
    }
    quint16 model() const { return word(ModelOffset); }
    char *data() { return reinterpret_cast<char *>(b); }
    const char *data() const { return reinterpret_cast<const char *>(b); }
};

static_assert(sizeof(TK440) == TK440::Size);
static_assert(TK440::InfoOffset + TK440::InfoSize == TK440::IdentOffset);
static_assert(TK440::IdentOffset + TK440::IdentSize == TK440::Size);
static_assert(TK440::ModemOffset + TK440::ModemSize == TK440::ConfigAreaSize);
static_assert(TK440::DescOffset + TK440::DescSize == TK440::IdentOffset);
