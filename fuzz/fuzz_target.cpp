// libFuzzer entry point of one target (FUZZ_TARGET names it); a failed property aborts.
#include "fuzz_checks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzzcheck::Target* target = [] {
        for (const auto& t : fuzzcheck::targets())
            if (std::strcmp(t.name, FUZZ_TARGET) == 0)
                return &t;
        std::abort();
    }();
    const QString problem = target->check(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", FUZZ_TARGET, problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
