// tarnwerk-fuzz-seeds <folder>: writes the seed corpus of every fuzz target into the folder.
#include <cstdio>

#include "fuzz/SeedCorpus.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    return tarnwerk::fuzz::WriteSeedCorpus(argv[1]) ? 0 : 1;
}
