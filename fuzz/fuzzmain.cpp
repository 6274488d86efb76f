// One libFuzzer executable per target: K330_FUZZ_TARGET names the target it runs.

#include "fuzz/targets.h"

#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

namespace {
const fuzzing::Target *target = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The exchanges' own diagnostics would be printed for every input.
    QLoggingCategory::setFilterRules(QStringLiteral("k330.*=false"));
    target = fuzzing::findTarget(QStringLiteral(K330_FUZZ_TARGET));
    if (!target) {
        std::fprintf(stderr, "no fuzz target %s\n", K330_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    target->run(data, size);
    return 0;
}
