#pragma once
// Widget-free side of the input pages ("Входной усилитель", "Вход микрофона"/"Вход приемника"):
// nine codec register values of one analogue input path, their conversions to and from the
// controls, the read-out texts and the defaults.

#include <QString>
#include <QtGlobal>

#include <array>

namespace InputModel {

// The section: nine (value byte, register byte) pairs.
constexpr int Pairs = 9;
constexpr int SectionSize = 2 * Pairs;
constexpr int PairLine1 = 0;
constexpr int PairLine2 = 1;
constexpr int PairGain = 2;
constexpr int PairAgcGain = 3;
constexpr int PairNoise = 4;
constexpr int PairDetect = 5;
constexpr int PairAttack = 6;
constexpr int PairDecay = 7;
constexpr int PairAgc = 8;

constexpr int LineSteps = 8; // attenuation steps 0..8 of 1.5 dB
constexpr int LineOff = 15; // step code of a line switched off
constexpr int MaxGain = 119; // gain steps of 0.5 dB
constexpr int AgcLevels = 8;

enum class Input { Receiver, Radio };

struct Profile
{
    Input input;
    int offset; // image offset of the section
    std::array<quint8, Pairs> regs; // codec register of each pair
    quint8 defaultGain; // value byte of pair 2 in the defaults
};

const Profile &profile(Input input);

// What the controls show for a section.
struct Values
{
    bool line1On = false;
    int line1 = LineSteps; // 0..8
    bool line2On = false;
    int line2 = LineSteps;
    bool ampOn = false;
    int gain = 0; // 0..119
    int agcGain = 0; // 0..119
    int noiseLevel = 0; // 0..31, 0 = "Откл."
    int gate = 0; // noise gate threshold code 0..3
    bool clip = false;
    int detNoise = 0; // 0..31
    int detSignal = 0; // 0..7
    int attack = 0; // 0..7
    int decay = 0; // 0..7
    bool agc = false; // AGC mode rather than fixed gain
    int agcLevel = 0; // target level code 0..7
};

// Value bytes (byte 2k of pair k) -> controls; steps beyond a control's range come back clamped.
Values load(const quint8 *section);
// Controls -> value bytes; the register bytes are not touched.
void store(quint8 *section, const Values &v);

// Writes the register byte of every pair (every time a page is built).
void writeRegisters(const Profile &profile, quint8 *section);
std::array<quint8, Pairs> defaultValues(const Profile &profile);
// Writes the registers and the default values.
void writeDefaults(const Profile &profile, quint8 *section);

// Line attenuation: step <-> dB (-1.5 dB a step; dB values between steps fall to the step
// nearer 0 dB).
double lineDb(int step);
int lineStep(double db);
// Gains: step <-> dB (0.5 dB a step).
double gainDb(int step);
int gainStep(double db);

// AGC target level of code T in dB, and the spin box's single step while it shows it.
double agcLevelDb(int code);
double agcLevelSingleStep(int code);
// The code whose level band holds x dB; with the single steps above, stepping the spin box
// walks through the eight levels.
int agcLevelCode(double db);

// Read-out texts in milliseconds or dB.
QString decayText(int code);
QString attackText(int code);
QString noiseDelayText(int code);
QString signalDelayText(int code);
QString noiseLevelText(int code);

} // namespace InputModel
