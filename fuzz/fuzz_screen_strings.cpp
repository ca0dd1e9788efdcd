// Fuzz target: random edits of the screen rows, driven by the input bytes, checked against a
// plain string reference after every step and through a full undo and redo of each segment.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/model/screen_strings_support.h"

namespace {

// Numbers taken from the input; once it is used up the run ends.
struct TFuzzBytes {
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
    unsigned Next(unsigned Bound) {
        if (Bound == 0) return 0;
        unsigned V = 0;
        if (Pos < Size) V = Data[Pos];
        if (Pos + 1 < Size && Bound > 256) V = V << 8 | Data[Pos + 1], ++Pos;
        ++Pos;
        return V % Bound;
    }
    bool Exhausted() const { return Pos >= Size; }
};

} // namespace

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
