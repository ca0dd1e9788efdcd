// Searching code page 932 text with case and width folding: the options, the buffer matcher
// and the full-width conversion. TEditor::Search feeds the matcher chunks of rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A set of search options (a bit mask; combine with |).
using TSearchOptions = uint16_t;
constexpr TSearchOptions soDown = 1 << 0;             // forward, toward the end; absent: backward
constexpr TSearchOptions soMatchCase = 1 << 1;        // compare case-sensitively
constexpr TSearchOptions soWholeWord = 1 << 2;        // only whole words
constexpr TSearchOptions soFuzzy = 1 << 3;            // fold half-width against full-width
constexpr TSearchOptions soIgnoreLineBreaks = 1 << 7; // CR and LF may be skipped inside a match
constexpr TSearchOptions soIgnoreSpaces = 1 << 8;     // tab, space and 0x81 0x40 likewise

// Where a search starts and what it found: on input Start is the offset to search from and
// Length the length of the current hit (skipped over when searching down); on success
// Length is the number of text bytes the match covers.
struct TSearchInfo {
    int Start = 0;
    int Length = 0;
};

// What lies beside a buffer cut out of a longer text, for the whole-word tests at its ends.
struct TSearchContext {
    bool WordBefore = false; // the character before the buffer belongs to a word
    bool WordAfter = false;  // the character after the buffer belongs to a word
};

// S with every single byte replaced by its full-width form; double-byte characters copied.
// A half-width katakana followed by its voiced or semi-voiced mark becomes one character.
std::string ToFullWidth(std::string_view S);

// A pattern prepared for one set of options, to be run over any number of buffers.
class TSearchMatcher {
public:
    TSearchMatcher(std::string_view Pattern, TSearchOptions Options);

    bool Empty() const { return FChars.empty(); }
    TSearchOptions Options() const { return FOptions; }
    // The prepared pattern (upper-cased, widened) as the candidates are compared with it.
    const std::string& Prepared() const { return FPattern; }

    // Runs the candidate loop over Buffer: the offset of the match (Position.Length is then
    // the bytes it covers) or -1.
    int Find(std::string_view Buffer, TSearchInfo& Position) const;

    // The candidates Find tries for Position: offsets From to To (none when To < From).
    void CandidateRange(std::string_view Buffer, const TSearchInfo& Position, int& From, int& To) const;
    // The first (soDown) or last candidate in From..To whose match lies within Buffer, or -1;
    // Len is then the bytes it covers. From must be a character start.
    int FindIn(std::string_view Buffer, int From, int To, const TSearchContext& Context, int& Len) const;
    // The first candidate in From..To that the end of Buffer cuts off, or -1: its characters
    // match up to there, so the text after the buffer decides it.
    int CutOff(std::string_view Buffer, int From, int To, const TSearchContext& Context) const;

    // Whether the pattern matches at offset X of Buffer, X being a character start (the
    // whole-word tests excluded); End is then the offset after the match.
    bool MatchAt(const unsigned char* B, int N, int X, int& End) const;

private:
    bool CharEquals(uint16_t P, uint16_t T) const;
    // MatchAt's comparison: the end of the match, or -1; Cut tells whether it failed only for
    // want of text after the buffer.
    int MatchEnd(const unsigned char* B, int N, int X, bool& Cut) const;
    // Whether a match may start at X: a character start, and with soWholeWord a word start.
    bool MayStartAt(const unsigned char* B, int N, int X, const TSearchContext& Context) const;
    // The text character at Y (Y < N) as it is compared: its code and byte length.
    uint16_t TextChar(const unsigned char* B, int N, int Y, int& Len) const;
    int Check(const unsigned char* B, int N, int X, const TSearchContext& Context) const;
    // The first candidate of a prefilter's bit mask (bit K: position X + K) that Check
    // accepts, with its length in Len; -1 when none does.
    int FirstInMask(const unsigned char* B, int N, int X, uint32_t Mask, const TSearchContext& Context,
                    int& Len) const;
    bool PairMayStart(unsigned char B0, unsigned char B1) const;
    void PrepareFilter();
    // FNibbleLow, FNibbleHigh and FNibbleScan from FPair and the alternatives.
    void PrepareNibbles();
    int ScanDown(const unsigned char* B, int N, int From, int To, const TSearchContext& Context,
                 int& Len) const;
    // ScanDown's prefilter 32 bytes a step (AVX2, used when the processor has it): the match
    // found, or -1 with X left where the narrower loops go on.
    int ScanDownWide(const unsigned char* B, int N, int& X, int To, const TSearchContext& Context,
                     int& Len) const;
    // The same with the byte classes of FNibbleLow/FNibbleHigh: two table look-ups a load
    // whatever the number of alternatives (used for FNibbleScan).
    int ScanDownNibbles(const unsigned char* B, int N, int& X, int To, const TSearchContext& Context,
                        int& Len) const;
    int ScanUp(const unsigned char* B, int N, int From, int To, const TSearchContext& Context,
               int& Len) const;

    TSearchOptions FOptions;
    std::string FPattern;
    std::vector<uint16_t> FChars; // pattern characters: a byte, or lead << 8 | trail
    // FPair[b0] bit b1: a match can start at a character whose first two bytes are b0 b1.
    uint64_t FPair[256][4] = {};
    // The same as at most four alternatives of a first byte and up to four second bytes.
    struct TAlternative {
        unsigned char First;
        int SecondCount; // 0: any second byte
        unsigned char Second[4];
    };
    TAlternative FAlternatives[4] = {};
    int FAlternativeCount = 0;
    bool FVectorScan = false;
    // The pairs as up to four groups of first bytes that share their second bytes: byte b is
    // in class bit J when FNibbleLow[b & 15] and FNibbleHigh[b >> 4] both have bit J (bits 0-3
    // first bytes, 4-7 the second bytes that go with them). Where the groups' sets split into
    // at most four pairs of nibble rectangles, the classes are exactly the pairs; otherwise
    // each group has one bit and its sets widen to the nibbles their bytes have. Either way
    // the filter lets through every pair FPair holds, and the pair table and the candidate
    // check sort out the rest.
    unsigned char FNibbleLow[16] = {};
    unsigned char FNibbleHigh[16] = {};
    // Whether ScanDown filters by the byte classes: where they exist (at most four groups),
    // the processor has AVX2 and the alternatives would take more compares than two look-ups.
    bool FNibbleScan = false;
};

// The candidate loop over Buffer for Pattern: a pointer to the match in Buffer, or null.
const char* SearchBuffer(std::string_view Buffer, TSearchInfo& Position, std::string_view Pattern,
                         TSearchOptions Options);
// False for an empty pattern or buffer; else SearchBuffer, and on success Position.Start is
// the offset of the match.
bool SearchText(std::string_view Buffer, TSearchInfo& Position, std::string_view Pattern,
                TSearchOptions Options);
