// Constant tables of the search matcher: upper-casing, word separators, full-width forms of
// single bytes, half-width katakana cells and the case folds of double-byte letters.
#pragma once

#include <array>
#include <cstdint>

namespace search_tables {

// Every byte upper-cased as the code page upper-cases text (a-z to A-Z). Filled once by
// InitializeSearchTables, which runs when the program starts.
extern unsigned char UpperTable[256];
// How often InitializeSearchTables ran; only the first run fills the table.
extern int InitializationCount;
void InitializeSearchTables();

struct TByteSet {
    uint64_t Bits[4];
    constexpr bool Contains(unsigned char B) const { return (Bits[B >> 6] >> (B & 63)) & 1; }
};

constexpr unsigned char KanaVoicedFlag = 0x80;

// JIS X 0208 (row, cell) to its Shift_JIS code.
constexpr uint16_t JisToShiftJis(int Row, int Cell) {
    int S1 = ((Row + 1) >> 1) + 0x70;
    if (S1 >= 0xA0) S1 += 0x40;
    int S2;
    if (Row & 1) {
        S2 = Cell + 0x1F;
        if (S2 >= 0x7F) ++S2;
    } else {
        S2 = Cell + 0x7E;
    }
    return static_cast<uint16_t>((S1 << 8) | S2);
}

namespace detail {

constexpr TByteSet MakeSeparators() {
    TByteSet S{};
    auto Range = [&S](int From, int To) {
        for (int B = From; B <= To; ++B) S.Bits[B >> 6] |= uint64_t{1} << (B & 63);
    };
    Range(0x00, 0x2F);
    Range(0x3A, 0x40);
    Range(0x5B, 0x60);
    Range(0x7B, 0x80);
    Range(0xA0, 0xA5);
    Range(0xFD, 0xFF);
    return S;
}

constexpr std::array<uint16_t, 256> MakeFullWidth() {
    std::array<uint16_t, 256> T{};
    for (int B = 0; B < 256; ++B) T[B] = static_cast<uint16_t>(B);
    auto Map = [&T](int From, int To, int Code) {
        for (int B = From; B <= To; ++B) T[B] = static_cast<uint16_t>(Code + (B - From));
    };
    Map(0x20, 0x20, 0x8140);
    Map(0x21, 0x21, 0x8149);
    Map(0x22, 0x22, 0x8168);
    Map(0x23, 0x23, 0x8194);
    Map(0x24, 0x24, 0x8190);
    Map(0x25, 0x25, 0x8193);
    Map(0x26, 0x26, 0x8195);
    Map(0x27, 0x27, 0x8166);
    Map(0x28, 0x29, 0x8169);
    Map(0x2A, 0x2A, 0x8196);
    Map(0x2B, 0x2B, 0x817B);
    Map(0x2C, 0x2C, 0x8143);
    Map(0x2D, 0x2D, 0x817C);
    Map(0x2E, 0x2E, 0x8144);
    Map(0x2F, 0x2F, 0x815E);
    Map(0x30, 0x39, 0x824F);
    Map(0x3A, 0x3B, 0x8146);
    Map(0x3C, 0x3C, 0x8183);
    Map(0x3D, 0x3D, 0x8181);
    Map(0x3E, 0x3E, 0x8184);
    Map(0x3F, 0x3F, 0x8148);
    Map(0x40, 0x40, 0x8197);
    Map(0x41, 0x5A, 0x8260);
    Map(0x5B, 0x5B, 0x816D);
    Map(0x5C, 0x5C, 0x818F);
    Map(0x5D, 0x5D, 0x816E);
    Map(0x5E, 0x5E, 0x814F);
    Map(0x5F, 0x5F, 0x8151);
    Map(0x60, 0x60, 0x814D);
    Map(0x61, 0x7A, 0x8281);
    Map(0x7B, 0x7B, 0x816F);
    Map(0x7C, 0x7C, 0x8162);
    Map(0x7D, 0x7D, 0x8170);
    Map(0x7E, 0x7E, 0x8150);
    Map(0xA1, 0xA1, 0x8142);
    Map(0xA2, 0xA3, 0x8175);
    Map(0xA4, 0xA4, 0x8141);
    Map(0xA5, 0xA5, 0x8144);
    Map(0xA6, 0xA6, 0x8392);
    Map(0xA7, 0xA7, 0x8340);
    Map(0xA8, 0xA8, 0x8342);
    Map(0xA9, 0xA9, 0x8344);
    Map(0xAA, 0xAA, 0x8346);
    Map(0xAB, 0xAB, 0x8348);
    Map(0xAC, 0xAC, 0x8383);
    Map(0xAD, 0xAD, 0x8385);
    Map(0xAE, 0xAE, 0x8387);
    Map(0xAF, 0xAF, 0x8362);
    Map(0xB0, 0xB0, 0x815B);
    Map(0xB1, 0xB1, 0x8341);
    Map(0xB2, 0xB2, 0x8343);
    Map(0xB3, 0xB3, 0x8345);
    Map(0xB4, 0xB4, 0x8347);
    Map(0xB5, 0xB6, 0x8349);
    Map(0xB7, 0xB7, 0x834C);
    Map(0xB8, 0xB8, 0x834E);
    Map(0xB9, 0xB9, 0x8350);
    Map(0xBA, 0xBA, 0x8352);
    Map(0xBB, 0xBB, 0x8354);
    Map(0xBC, 0xBC, 0x8356);
    Map(0xBD, 0xBD, 0x8358);
    Map(0xBE, 0xBE, 0x835A);
    Map(0xBF, 0xBF, 0x835C);
    Map(0xC0, 0xC0, 0x835E);
    Map(0xC1, 0xC1, 0x8360);
    Map(0xC2, 0xC2, 0x8363);
    Map(0xC3, 0xC3, 0x8365);
    Map(0xC4, 0xC4, 0x8367);
    Map(0xC5, 0xCA, 0x8369);
    Map(0xCB, 0xCB, 0x8371);
    Map(0xCC, 0xCC, 0x8374);
    Map(0xCD, 0xCD, 0x8377);
    Map(0xCE, 0xCE, 0x837A);
    Map(0xCF, 0xD0, 0x837D);
    Map(0xD1, 0xD3, 0x8380);
    Map(0xD4, 0xD4, 0x8384);
    Map(0xD5, 0xD5, 0x8386);
    Map(0xD6, 0xDB, 0x8388);
    Map(0xDC, 0xDC, 0x838F);
    Map(0xDD, 0xDD, 0x8393);
    Map(0xDE, 0xDF, 0x814A);
    return T;
}

// The JIS X 0208 cell of a katakana in row 0x25 from its Shift_JIS code (lead 0x83).
constexpr int KatakanaCell(uint16_t Code) {
    const int Trail = Code & 0xFF;
    return Trail < 0x7F ? Trail - 0x1F : Trail - 0x20;
}

constexpr std::array<unsigned char, 256> MakeKanaJis() {
    std::array<unsigned char, 256> T{};
    for (int B = 0xA6; B <= 0xDD; ++B) {
        if (B == 0xB0) continue;
        int Cell = KatakanaCell(MakeFullWidth()[B]);
        if ((B >= 0xB6 && B <= 0xC4) || (B >= 0xCA && B <= 0xCE)) Cell |= KanaVoicedFlag;
        T[B] = static_cast<unsigned char>(Cell);
    }
    return T;
}

constexpr std::array<unsigned char, 256> MakeFold(int From, int To, int UpperFrom) {
    std::array<unsigned char, 256> T{};
    for (int B = From; B <= To; ++B) T[B] = static_cast<unsigned char>(UpperFrom + (B - From));
    return T;
}

constexpr std::array<unsigned char, 256> MakeCyrillicFold() {
    std::array<unsigned char, 256> T = MakeFold(0x70, 0x7E, 0x40);
    for (int B = 0x80; B <= 0x91; ++B) T[B] = static_cast<unsigned char>(0x4F + (B - 0x80));
    return T;
}

} // namespace detail

// The bytes that end a word for whole-word matching (the editor's delimiters and "_").
inline constexpr TByteSet WordSeparators = detail::MakeSeparators();

// The full-width form of every single byte: a double-byte code (>= 0x100) or the byte
// itself for bytes that have none.
inline constexpr std::array<uint16_t, 256> FullWidthTable = detail::MakeFullWidth();

namespace detail {

// The trail bytes of the full-width forms of the separators; those forms all have lead 0x81.
constexpr TByteSet MakeFullWidthSeparators() {
    TByteSet S{};
    for (int B = 0; B < 256; ++B) {
        const uint16_t Wide = FullWidthTable[B];
        if (!WordSeparators.Contains(static_cast<unsigned char>(B)) || Wide < 0x100) continue;
        if ((Wide >> 8) != 0x81) throw "a full-width separator outside lead 0x81";
        S.Bits[(Wide & 0xFF) >> 6] |= uint64_t{1} << (Wide & 63);
    }
    return S;
}

} // namespace detail

// The double-byte characters that end a word: the full-width forms of WordSeparators (the
// full-width blank, punctuation and brackets), given by their trail bytes under lead 0x81.
inline constexpr TByteSet FullWidthSeparatorTrails = detail::MakeFullWidthSeparators();

// Whether a character (a byte, or lead << 8 | trail) ends a word.
constexpr bool IsWordSeparator(uint16_t Char) {
    if (Char < 0x100) return WordSeparators.Contains(static_cast<unsigned char>(Char));
    return (Char >> 8) == 0x81 && FullWidthSeparatorTrails.Contains(static_cast<unsigned char>(Char & 0xFF));
}

// For the half-width katakana 0xA6-0xDD (0xB0 excepted): the cell of the same katakana in
// row 0x25 of JIS X 0208, with KanaVoicedFlag set for those that take a voiced-sound mark
// (ka-to, ha-ho); 0 for every other byte.
inline constexpr std::array<unsigned char, 256> KanaJisTable = detail::MakeKanaJis();

// Case folds of double-byte letters: for a lowercase trail byte of the lead, the trail of
// its uppercase letter under the same lead; 0 where the trail is no lowercase letter.
inline constexpr std::array<unsigned char, 256> LowerToUpper82 = detail::MakeFold(0x81, 0x9A, 0x60); // a-z
inline constexpr std::array<unsigned char, 256> LowerToUpper83 = detail::MakeFold(0xBF, 0xD6, 0x9F); // Greek
inline constexpr std::array<unsigned char, 256> LowerToUpper84 = detail::MakeCyrillicFold(); // Cyrillic
// Small Roman numerals (lead 0xEE, trails 0xEF-0xF8) to the trail of the capital numeral
// under lead 0x87; 0 elsewhere.
inline constexpr std::array<unsigned char, 256> RomanEEto87 = detail::MakeFold(0xEF, 0xF8, 0x54);

} // namespace search_tables
