// Deterministic CP932 test texts for the benchmarks, and the byte-touching floor loop that
// their figures are compared with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace benchtext {

// How long the ordinary lines of a text are.
enum TLineMix {
    lmLong,  // 0-200 bytes: about 937,000 lines in 100 MiB (mean line 112 bytes)
    lmShort, // 0-110 bytes: about 1.6 million lines in 100 MiB (mean line 65 bytes)
};

// A CP932 text of exactly Bytes bytes, the same for the same Seed and Mix: lines joined by
// CR LF, mixing ASCII words and punctuation, hiragana, katakana, kanji, full-width letters
// and marks, half-width katakana and tabs. Most lines are as long as Mix says; about every
// 1,000th line is 5,000 bytes, and every 4 MiB one line is 200,000 bytes. No double-byte
// character is split, not even at the end.
std::string GenerateCp932Text(size_t Bytes, uint32_t Seed = 1, TLineMix Mix = lmLong);

// The lines of Text, split at CR LF (views into Text; no final empty line).
std::vector<std::string_view> SplitCrlfLines(std::string_view Text);

// The floor: reads every byte of every line once and returns a checksum, so that a figure
// can be read as a multiple of the cost of touching the same bytes.
uint64_t TouchBytes(const std::vector<std::string_view>& Lines);

// Total bytes of the lines (without line breaks).
size_t TotalBytes(const std::vector<std::string_view>& Lines);

} // namespace benchtext
