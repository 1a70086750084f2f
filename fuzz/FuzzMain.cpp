// libFuzzer main of one target; TARNWERK_FUZZ_TARGET names it (see fuzz/CMakeLists.txt).
#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzEntries.h"

#ifndef TARNWERK_FUZZ_TARGET
#error "TARNWERK_FUZZ_TARGET must name a target of AllTargets()"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarnwerk::fuzz;
    static const FuzzTarget* const target = FindTarget(TARNWERK_FUZZ_TARGET);
    static const ScratchDir scratch;  // one folder per fuzzing process, emptied by every run
    if (target == nullptr) {
        std::fprintf(stderr, "unknown fuzz target %s\n", TARNWERK_FUZZ_TARGET);
        std::abort();
    }
    const std::string problem = target->run(Input(data, size), scratch);
    if (!problem.empty()) {
        std::fprintf(stderr, "tarnwerk fuzz target %s: %s\n", TARNWERK_FUZZ_TARGET, problem.c_str());
        std::abort();
    }
    return 0;
}
