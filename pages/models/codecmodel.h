#pragma once
// Widget-free side of the codec register page: the fifteen (value, register) pairs of the
// codec section, their defaults and which bits the page may set.

#include <QtGlobal>

#include <array>

namespace CodecModel {

constexpr int Pairs = 15;

struct Pair
{
    quint8 reg; // codec register number, byte 2*i+1 of the section
    quint8 value; // default value, byte 2*i
    bool edited; // shown on the page
};

// The pairs in section order.
const std::array<Pair, Pairs> &pairs();
// The twelve edited registers in the order the page lists them.
const std::array<quint8, 12> &editedRegisters();

// Bits of a register that the page can set: bit 0 of register 42 stays 0.
quint8 settableBits(int reg);

// Writes the register byte of every pair (done at every construction of the page).
void writeRegisters(quint8 *section);
// Writes the section of a new image: the register and the default value of every pair.
void writeDefaults(quint8 *section);

// Offset of the value byte of register `reg` in the section, -1 when it has no pair.
int valueOffset(int reg);

} // namespace CodecModel
