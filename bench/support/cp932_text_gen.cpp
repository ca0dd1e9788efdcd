// Deterministic CP932 test texts for the benchmarks and the byte-touching floor loop.
#include "support/cp932_text_gen.h"

#include <random>

namespace benchtext {

namespace {

class TGenerator {
public:
    explicit TGenerator(uint32_t Seed) : FRng(Seed) {}

    int Below(int N) { return static_cast<int>(FRng() % static_cast<uint32_t>(N)); }

    void Pair(std::string& S, int Lead, int Trail) {
        S += static_cast<char>(Lead);
        S += static_cast<char>(Trail);
    }
    // A trail byte 0x40-0xFC without 0x7F.
    int Trail() {
        const int T = 0x40 + Below(0xFC - 0x40);
        return T >= 0x7F ? T + 1 : T;
    }

    void Piece(std::string& S) {
        static const char* const Words[] = {
            "the",        "feed", "item", "link", "update", "news", "rss", "site", "http://example.com/",
            "2024-06-11", "C++",  "x"};
        static const int FullMarks[] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x48,
                                        0x49, 0x5B, 0x69, 0x6A, 0x75, 0x76};
        const int K = Below(100);
        if (K < 30) { // an ASCII word and a space or a mark
            S += Words[Below(12)];
            S += " ,.;:!?()"[Below(9) == 0 ? 1 + Below(8) : 0];
        } else if (K < 48) { // hiragana
            for (int N = 1 + Below(6); N > 0; --N) Pair(S, 0x82, 0x9F + Below(0xF1 - 0x9F + 1));
        } else if (K < 58) { // katakana (trail 0x40-0x96 without 0x7F)
            for (int N = 1 + Below(5); N > 0; --N) {
                int T = 0x40 + Below(0x96 - 0x40);
                Pair(S, 0x83, T >= 0x7F ? T + 1 : T);
            }
        } else if (K < 74) { // kanji of both lead ranges
            for (int N = 1 + Below(4); N > 0; --N) {
                const int Lead =
                    Below(4) == 0 ? 0xE0 + Below(0xEA - 0xE0 + 1) : 0x88 + Below(0x9F - 0x88 + 1);
                Pair(S, Lead, Trail());
            }
        } else if (K < 80) { // full-width letters and digits
            for (int N = 1 + Below(4); N > 0; --N)
                Pair(S, 0x82, Below(2) ? 0x60 + Below(26) : 0x4F + Below(10));
        } else if (K < 88) { // full-width marks: 、。，．・？！（）「」
            Pair(S, 0x81, FullMarks[Below(12)]);
        } else if (K < 95) { // half-width katakana and its marks
            for (int N = 1 + Below(5); N > 0; --N) S += static_cast<char>(0xA1 + Below(0xDF - 0xA1 + 1));
        } else {
            S += '\t';
        }
    }

private:
    std::mt19937 FRng;
};

constexpr size_t HugeLineEvery = size_t{4} << 20;

} // namespace

std::string GenerateCp932Text(size_t Bytes, uint32_t Seed, TLineMix Mix) {
    const int LongestOrdinary = Mix == lmShort ? 110 : 200;
    TGenerator G(Seed);
    std::string Text;
    Text.reserve(Bytes + 256);
    size_t LinesSinceLong = 0;
    size_t NextHuge = HugeLineEvery / 2;
    while (Text.size() < Bytes) {
        size_t Length;
        if (Text.size() >= NextHuge) {
            Length = 200000;
            NextHuge += HugeLineEvery;
        } else if (++LinesSinceLong >= 1000) {
            Length = 5000;
            LinesSinceLong = 0;
        } else {
            Length = static_cast<size_t>(G.Below(LongestOrdinary + 1));
        }
        const size_t Start = Text.size();
        while (Text.size() - Start < Length) G.Piece(Text);
        // Cut back to the length on a character boundary.
        size_t I = Start;
        while (I < Text.size() && I - Start < Length) {
            const unsigned char B = static_cast<unsigned char>(Text[I]);
            const bool Lead = (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
            if (Lead && I + 2 - Start > Length) break;
            I += Lead ? 2 : 1;
        }
        Text.resize(I);
        Text += "\r\n";
    }
    // Exactly Bytes: drop the tail, then mend a double-byte character or a CR LF that the
    // cut split.
    Text.resize(Bytes);
    size_t LastLead = std::string::npos;
    for (size_t I = 0; I < Bytes;) {
        const unsigned char B = static_cast<unsigned char>(Text[I]);
        const bool Lead = (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
        LastLead = Lead ? I : std::string::npos;
        I += Lead ? 2 : 1;
    }
    if (LastLead != std::string::npos && LastLead + 1 >= Bytes) Text[LastLead] = 'x';
    if (!Text.empty() && Text.back() == '\r') Text.back() = 'y';
    return Text;
}

std::vector<std::string_view> SplitCrlfLines(std::string_view Text) {
    std::vector<std::string_view> Lines;
    size_t Start = 0;
    while (Start < Text.size()) {
        size_t End = Text.find("\r\n", Start);
        if (End == std::string_view::npos) End = Text.size();
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + 2;
    }
    return Lines;
}

uint64_t TouchBytes(const std::vector<std::string_view>& Lines) {
    uint64_t Sum = 0;
    for (std::string_view L : Lines)
        for (char C : L) Sum += static_cast<unsigned char>(C);
    return Sum;
}

size_t TotalBytes(const std::vector<std::string_view>& Lines) {
    size_t N = 0;
    for (std::string_view L : Lines) N += L.size();
    return N;
}

} // namespace benchtext
