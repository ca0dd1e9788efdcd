// Double-byte string routines over CP932 text: lead bytes, character-aware tests,
// line splitting, and the per-column code map of a row with the measures built on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cp932.h"

class TStrings;

// A set of byte values (256 bits).
class TByteSet {
public:
    constexpr TByteSet() = default;
    constexpr bool Contains(unsigned char B) const { return (FBits[B >> 6] >> (B & 63)) & 1u; }
    constexpr bool Contains(char B) const { return Contains(static_cast<unsigned char>(B)); }
    constexpr void Include(unsigned char B) { FBits[B >> 6] |= uint64_t{1} << (B & 63); }
    constexpr void Exclude(unsigned char B) { FBits[B >> 6] &= ~(uint64_t{1} << (B & 63)); }
    constexpr void IncludeRange(unsigned char First, unsigned char Last) {
        for (int B = First; B <= Last; ++B) Include(static_cast<unsigned char>(B));
    }
    constexpr bool IsEmpty() const { return (FBits[0] | FBits[1] | FBits[2] | FBits[3]) == 0; }
    constexpr bool operator==(const TByteSet&) const = default;

private:
    uint64_t FBits[4] = {};
};

// The word-delimiter set of an editor.
using TDelimiters = TByteSet;

// The default delimiters: control characters, space, ASCII punctuation except "_", DEL,
// 0x80, 0xA0 and the half-width katakana punctuation 0xA1-0xA5, and 0xFD-0xFF.
constexpr TDelimiters DefaultDelimiters() {
    TDelimiters D;
    D.IncludeRange(0x00, 0x2F);
    D.IncludeRange(0x3A, 0x40);
    D.IncludeRange(0x5B, 0x5E);
    D.Include(0x60);
    D.IncludeRange(0x7B, 0x80);
    D.IncludeRange(0xA0, 0xA5);
    D.IncludeRange(0xFD, 0xFF);
    return D;
}

// The lead bytes of the code page, fixed when the program starts.
constexpr TByteSet MakeLeadByteSet() {
    TByteSet S;
    for (int B = 0; B < 256; ++B)
        if (cp932::IsLeadByte(static_cast<unsigned char>(B))) S.Include(static_cast<unsigned char>(B));
    return S;
}
inline constexpr TByteSet LeadByteSet = MakeLeadByteSet();

inline bool IsDBCSLeadByte(char B) {
    return LeadByteSet.Contains(B);
}

// Length of the character that starts at byte offset I (0-based) of S: 2 for a lead byte
// with a byte after it, else 1. A lead byte that is the last byte of S has no partner
// and counts as a character of its own, so that no walk ever reads past the text.
inline int CharLengthAt(std::string_view S, size_t I) {
    return (I + 1 < S.size() && IsDBCSLeadByte(S[I])) ? 2 : 1;
}

constexpr int Max(int A, int B) {
    return A > B ? A : B;
}
constexpr int Min(int A, int B) {
    return A < B ? A : B;
}

// Positions (Pos) below are 1-based byte positions.

// Number of bytes equal to C among the first min(length of S, Limit) bytes.
int CountChar(std::string_view S, char C, int Limit);
// Whether the byte at Pos is the lead (trail) byte of a double-byte character, walking S
// from its first byte by whole characters. False outside S.
bool IsLeadByteAt(std::string_view S, int Pos);
bool IsTrailByteAt(std::string_view S, int Pos);
// The byte at Pos; the zero byte when Pos < 1 or Pos > length of S.
char CharAt(std::string_view S, int Pos);
// Whether Sub occurs in S starting at a character boundary of S. An empty Sub, or an S
// shorter than Sub, gives false.
bool IncludesStr(std::string_view Sub, std::string_view S);

// A set of characters for O(1) membership tests with IncludesStr's rule: a character C
// (one or two bytes) is in the set when IncludesStr(C, S) holds for the string S it was
// built from, i.e. C occurs in S at a character boundary of S. Single bytes and byte pairs
// are kept apart (256 and 65536 bits); an empty C, or one of three or more bytes, is in
// no set.
class TCharSet {
public:
    TCharSet() = default;
    explicit TCharSet(std::string_view S) { Assign(S); }
    void Assign(std::string_view S);
    bool Contains(std::string_view C) const {
        if (C.size() == 1) return FSingle.Contains(C[0]);
        if (C.size() == 2) return ContainsPair(C[0], C[1]);
        return false;
    }
    bool ContainsPair(char First, char Second) const {
        const unsigned Index = static_cast<unsigned>(static_cast<unsigned char>(First)) << 8 |
                               static_cast<unsigned char>(Second);
        return (FPairs[Index >> 6] >> (Index & 63)) & 1u;
    }

private:
    TByteSet FSingle;
    uint64_t FPairs[65536 / 64] = {};
};

// Calls F(line) for every line of Text: a line ends at CR LF, a lone LF or a lone CR;
// a final line break does not start an empty last line; an empty Text has no lines.
// A NUL byte is an ordinary byte of its line.
template <class F> void ForEachLine(std::string_view Text, F&& Fn) {
    const size_t N = Text.size();
    size_t I = 0;
    while (I < N) {
        size_t J = I;
        while (J < N && Text[J] != '\r' && Text[J] != '\n') ++J;
        Fn(Text.substr(I, J - I));
        if (J < N && Text[J] == '\r') ++J;
        if (J < N && Text[J] == '\n') ++J;
        I = J;
    }
}
// Number of lines that ForEachLine yields.
int LineCount(std::string_view Text);
// Replaces the items of List by the lines of Text (rule of ForEachLine), inside one
// update bracket of List.
void SplitLines(std::string_view Text, TStrings& List);

// What the column map of a row depends on: the owner editor's delimiters and tab width,
// and the word-wrap state and width of its rows.
struct TColumnParams {
    TDelimiters Delimiters = DefaultDelimiters();
    int TabSpaceCount = 8;
    bool WordWrap = false;
    int WrapByte = 80;
};

// Codes of the column map, one per display column.
constexpr char cmWord = '1';      // single-byte character that is not a delimiter
constexpr char cmDelimiter = '2'; // single-byte delimiter (a tab's own first column too)
constexpr char cmTabFill = '3';   // the further columns of a tab
constexpr char cmLead = '4';      // first column of a double-byte character
constexpr char cmTrail = '5';     // second column of a double-byte character

// Columns without word wrap are limited to this many (the caret's column limit).
constexpr int MaxMapColumns = 1000;

// The map stops growing once it has this many columns: WrapByte + 3 while word wrap is
// on, else MaxMapColumns.
int ColumnMapLimit(const TColumnParams& P);
// Width of a row after a tab that starts at display width Width.
int TabStop(int Width, const TColumnParams& P);

// The column map of S up to its build limit.
std::string MakeColumnMap(std::string_view S, const TColumnParams& P);
// The same into Map (replacing its contents; its storage is reused).
void MakeColumnMap(std::string_view S, const TColumnParams& P, std::string& Map);
// Appends the map of S to Map, stopping as soon as Map has grown by at least Limit
// columns (a character and its tab fill are appended whole). Returns the bytes of S used.
size_t AppendColumnMap(std::string_view S, const TColumnParams& P, int Limit, std::string& Map);

// Display columns that S occupies (no limit; builds no map).
int DisplayWidth(std::string_view S, const TColumnParams& P);
// DisplayWidth of row Row of Rows; 0 outside the list.
int RowWidth(const TStrings& Rows, int Row, const TColumnParams& P);
inline int RowWidth(std::string_view RowText, const TColumnParams& P) {
    return DisplayWidth(RowText, P);
}
// S with each tab replaced by the spaces it occupies.
std::string ExpandTabs(std::string_view S, const TColumnParams& P);

// The 0-based byte index of 0-based display column Col of a row, from the row's column
// map: Col minus the tab fill columns among the first Col + 1 codes, limited to
// 0..ByteLength. A column inside a tab's fill gives the tab's byte.
int ColumnToByteIndex(std::string_view ColumnMap, int Col, int ByteLength);
// The same for the row text S (builds its map).
int ColumnToByteIndex(std::string_view S, int Col, const TColumnParams& P);
