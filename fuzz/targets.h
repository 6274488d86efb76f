#pragma once
// The fuzz targets: each feeds one parser the bytes a file or the controller would feed it and
// checks what must hold whatever the bytes. Linked into one libFuzzer executable per target
// (fuzzmain.cpp) and into the replay tool that runs the corpus in the ordinary build.

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// What one input came to: the file was accepted or the exchange succeeded, or not.
enum class Outcome { Accepted, Refused };

struct Target
{
    const char *name;
    Outcome (*run)(const uint8_t *data, size_t size);
};

const QList<Target> &targets();
const Target *findTarget(const QString &name);

// Breaks the run with a message when a property every input must keep does not hold.
[[noreturn]] void violated(const char *what, const char *file, int line);

} // namespace fuzzing

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::fuzzing::violated(#cond, __FILE__, __LINE__);                                        \
    } while (0)
