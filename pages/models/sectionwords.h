#pragma once
// 16-bit words of a section of the image (little-endian, as the image holds them), and the
// section as host-order words for the live parameter commands.

#include <QtGlobal>

#include <array>
#include <cstring>

namespace SectionWords {

inline quint16 get(const quint8 *section, int word)
{
    return quint16(section[2 * word] | (section[2 * word + 1] << 8));
}

inline void set(quint8 *section, int word, quint16 value)
{
    section[2 * word] = quint8(value);
    section[2 * word + 1] = quint8(value >> 8);
}

// The stored word, clamped to `max` in the section too, so that the section already holds what
// the page shows.
inline int clamped(quint8 *section, int word, int max)
{
    const int v = get(section, word);
    if (v <= max)
        return v;
    set(section, word, quint16(max));
    return max;
}

// The section's words in host order, suitably aligned for the request operations.
template<int Words> std::array<quint16, Words> hostWords(const quint8 *section)
{
    std::array<quint16, Words> w {};
    for (int i = 0; i < Words; ++i)
        w[size_t(i)] = get(section, i);
    return w;
}

} // namespace SectionWords
