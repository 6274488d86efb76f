#pragma once
// Widget-free side of the output pages ("Выходной усилитель", "Выход приемника"/"Выход
// микрофона", "Выход гарнитуры", "Выход аксессуарный", "Регистратор"): each is a mixer of four
// channels in front of one output amplifier of the codec. One table row per page says where its
// section lies, which codec registers its pairs feed, how its amplifier is switched, and its
// defaults; the conversions between a value byte and the controls are shared.

#include <QString>
#include <QtGlobal>

#include <array>

namespace OutputModel {

// The mixer section: five (value byte, register byte) pairs.
constexpr int Pairs = 5;
constexpr int SectionSize = 2 * Pairs;
// Pairs of the channels (object-name stems of the controls) and of the amplifier.
constexpr int PairPga1 = 0;
constexpr int PairDac1 = 1;
constexpr int PairPga2 = 2;
constexpr int PairDac2 = 3;
constexpr int PairAmp = 4;

constexpr quint8 RoutedBit = 0x80;
constexpr int MaxStep = 118; // steps 0..117 attenuate, 118 is "Откл."
constexpr int MaxGain = 9; // amplifier gain 0..9 dB

enum class Output { Transmitter, Radio, Headset, Accessory, Recorder };

// What a page does when its live test mode sends the pair-1 channel: besides the codec register
// command, repeat the two bytes as parameter command 5 or 6, or nothing more.
enum class Pair1Echo { None, Param5, Param6 };

struct Profile
{
    Output output;
    int offset; // image offset of the mixer section
    std::array<quint8, Pairs> regs; // codec register of each pair
    quint8 onCode; // low four bits of the amplifier byte when on
    quint8 offCode; // ... and when off
    // The amplifier reads as on when (byte & onMask) is non-zero (onAnyBit) or equals onCode.
    quint8 onMask;
    bool onAnyBit;
    Pair1Echo echo;
};

const Profile &profile(Output output);

// Channel value byte <-> group box and dial. Steps above 118 load as 118.
struct Channel
{
    bool routed = false;
    int step = MaxStep;
};
Channel loadChannel(quint8 value);
quint8 storeChannel(const Channel &c);

// Amplifier value byte <-> group box and dial. Gains above 9 load as 9.
struct Amplifier
{
    bool on = false;
    int gain = 0;
};
Amplifier loadAmplifier(const Profile &profile, quint8 value);
quint8 storeAmplifier(const Profile &profile, const Amplifier &a);

// Writes the register byte of every pair (every time a page is built).
void writeRegisters(const Profile &profile, quint8 *section);
// Value bytes of the defaults of a page on an image of `model`.
std::array<quint8, Pairs> defaultValues(const Profile &profile, quint16 model);
// Writes the registers and the default values into the mixer section.
void writeDefaults(const Profile &profile, quint8 *section, quint16 model);

// Titles of the pair-1 and pair-0 group boxes ("boxDac1", "boxPga1") as the page shows them on
// a model; empty strings when the page keeps the titles of its form.
struct Titles
{
    QString dac1;
    QString pga1;
};
Titles channelTitles(const Profile &profile, quint16 model);

// True when the "Уровень Rx" box of the recorder is shown on the model.
bool recorderLevelShown(quint16 model);

// The recorder section: three 16-bit little-endian words at image offset 122.
namespace Recorder {
constexpr int SectionSize = 6;
constexpr quint16 LevelOn = 0x1; // boxVol
constexpr quint16 Ptt = 0x2; // checkPtt
constexpr quint16 TxLamp = 0x4; // checkTx
constexpr quint16 RxLamp = 0x8; // checkRx
constexpr quint16 FlagMask = 0xF;

struct Values
{
    quint16 flags = 0; // LevelOn | Ptt | TxLamp | RxLamp
    int level = 0; // 0..255
};
Values load(const quint8 *section);
// Writes the flags and the level; the reserved word stays as it is.
void store(quint8 *section, const Values &v);
// Flags 2 (PTT key on), level 127, reserved word 0.
void writeDefaults(quint8 *section);
} // namespace Recorder

} // namespace OutputModel
