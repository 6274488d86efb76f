#pragma once
// Widget-free side of the vocoder page "Вокодер": the encoder and decoder sections' fields,
// defaults, the clamping of stored values, the gain words and the list of coding rates.

#include <QStringList>
#include <QtGlobal>

namespace VocModel {

// Encoder section: 10 bytes at image offset 128, five little-endian words.
constexpr int EncoderSize = 10;
constexpr int EncoderWords = EncoderSize / 2;
enum EncoderWord { EncFlags, Rate, Packet, VadGain, AncGain };
// Decoder section: 6 bytes at image offset 138, three little-endian words.
constexpr int DecoderSize = 6;
constexpr int DecoderWords = DecoderSize / 2;
enum DecoderWord { DecFlags, Buffer, Reserved };

constexpr int MaxRate = 8; // "17.6"
constexpr int MaxPacketCode = 3; // 60 ms
constexpr int MaxBufferCode = 8; // 180 ms
constexpr int TimeUnit = 20; // ms per packet or buffer code step

// The coding rates of the rate index, in kbit/s.
QStringList rateTexts();

// A gain 0..255 as its word (gain x 128) and back.
inline quint16 gainWord(int gain)
{
    return quint16((gain & 0xFF) << 7);
}
inline int gainOf(quint16 word)
{
    return (word >> 7) & 0xFF;
}

// What the controls show.
struct Values
{
    bool ptt = false;
    bool vad = false;
    bool vbr = false;
    bool anc = false;
    int rate = 0; // index into rateTexts()
    int packetMs = 0;
    int vadGain = 0;
    int ancGain = 0;
    bool adjust = false; // buffer control
    int bufferMs = 0;
};

// Writes both sections of a new image.
void writeDefaults(quint8 *encoder, quint8 *decoder);
// Reads the fields. A rate index above 8, a packet code above 3 and a buffer code above 8 are
// written back clamped. VAD and VBR exclude each other: where both are set, VBR wins.
Values load(quint8 *encoder, quint8 *decoder);
// Writes the fields; the reserved decoder word is left alone.
void store(quint8 *encoder, quint8 *decoder, const Values &v);

} // namespace VocModel
