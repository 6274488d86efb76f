#pragma once
// Widget-free side of the link page "Протокол": the link section's fields, defaults, the
// clamping of stored values and the quantisation of what the user types.

#include <QtGlobal>

namespace LinkModel {

// The section: 20 bytes at image offset 144, ten little-endian words.
constexpr int Size = 20;
constexpr int Words = Size / 2;
enum Word { N1, N2, N3, K, T0, T1, T2, T3, Loss, Flags };

constexpr int MaxN1Code = 31; // 512 bytes
constexpr int N1Unit = 16; // bytes per N1 code step
constexpr int MaxCount = 255; // N2, N3
constexpr int MaxK = 32;
constexpr int TimerUnit = 20; // ms per timer code step
constexpr int MaxTimerCode = 255; // 5100 ms

// What the controls show, in their units (bytes, counts, ms).
struct Values
{
    int n1Bytes = 0;
    int n2 = 0;
    int n3 = 0;
    int k = 0;
    int t0Ms = 0;
    int t1Ms = 0;
    int t2Ms = 0;
    int t3Ms = 0;
    bool ack = false;
    bool adaptive = false;
};

// Writes the section of a new image; T0 depends on the model (bit 0 of its code).
void writeDefaults(quint8 *section, quint16 model);
// Reads the fields. N1 codes above 31, counts above 255, K above 32 and timer codes above 255
// are written back clamped. The loss-detection word is not read.
Values load(quint8 *section);
// Writes all ten words, the loss-detection time included; flags bits other than the two
// check boxes become 0.
void store(quint8 *section, const Values &v);

// What the spin boxes accept: N1 rounded down to a multiple of 16 bytes, times to 20 ms.
inline int quantiseN1(int bytes)
{
    return bytes - bytes % N1Unit;
}
inline int quantiseMs(int ms)
{
    return ms - ms % TimerUnit;
}
// Connection-loss detection time T3 x (N3 + 1): in ms for display, as a stored 16-bit code.
inline int lossMs(int t3Ms, int n3)
{
    return t3Ms * (n3 + 1);
}
inline quint16 lossWord(int t3Code, int n3)
{
    return quint16(t3Code * (n3 + 1));
}

} // namespace LinkModel
