// Fuzz target: random edits of the screen rows, driven by the input bytes, checked against a
// plain string reference after every step and through a full undo and redo of each segment.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_bytes.h"
#include "tests/model/screen_strings_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TFuzzBytes Bytes{Data, Size};
    screen_test::TExerciser X;
    while (!Bytes.Exhausted()) {
        const std::string E = X.Segment(Bytes, 64);
        if (!E.empty()) {
            std::fprintf(stderr, "screen rows: %s\n", E.c_str());
            std::abort();
        }
    }
    return 0;
}
