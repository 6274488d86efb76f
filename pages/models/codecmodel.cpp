#include "pages/models/codecmodel.h"

namespace CodecModel {

const std::array<Pair, Pairs> &pairs()
{
    static const std::array<Pair, Pairs> table = {{
        {0, 0, false},
        {1, 128, false},
        {101, 1, false},
        {2, 0, true},
        {3, 48, true},
        {7, 10, true},
        {8, 192, true},
        {9, 64, true},
        {12, 0, true},
        {37, 192, true},
        {38, 22, true},
        {40, 128, true},
        {42, 74, true},
        {43, 0, true},
        {44, 0, true},
    }};
    return table;
}

const std::array<quint8, 12> &editedRegisters()
{
    static const std::array<quint8, 12> regs = {2, 3, 7, 8, 9, 12, 37, 38, 40, 42, 43, 44};
    return regs;
}

quint8 settableBits(int reg)
{
    return reg == 42 ? 0xFE : 0xFF;
}

void writeRegisters(quint8 *section)
{
    for (int i = 0; i < Pairs; ++i)
        section[2 * i + 1] = pairs()[size_t(i)].reg;
}

void writeDefaults(quint8 *section)
{
    writeRegisters(section);
    for (int i = 0; i < Pairs; ++i)
        section[2 * i] = pairs()[size_t(i)].value;
}

int valueOffset(int reg)
{
    for (int i = 0; i < Pairs; ++i)
        if (pairs()[size_t(i)].reg == reg)
            return 2 * i;
    return -1;
}

} // namespace CodecModel
