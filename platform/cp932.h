// Code page 932 (Windows Shift-JIS): lead bytes, conversions, upper-casing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cp932 {

// The lead-byte ranges of the code page: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char B) {
    return (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
}
constexpr bool IsLeadByte(char B) {
    return IsLeadByte(static_cast<unsigned char>(B));
}

// What ToUtf16 puts in place of bytes that have no character (Windows' default
// character for this code page, KATAKANA MIDDLE DOT; FromUtf16 turns it into 0x81 0x45).
constexpr char16_t kReplacementChar = u'\u30FB';

// CP932 bytes to UTF-16 by Windows' table, one unit per character. Never fails:
// - a lead byte followed by a valid trail byte (0x40-0x7E, 0x80-0xFC) is one character;
//   an unmapped pair gives one kReplacementChar and both bytes are consumed;
// - a lead byte followed by anything else (or by nothing, at the end) gives one
//   kReplacementChar for the lead byte alone; the next byte is decoded on its own;
// - the single bytes 0x80, 0xA0, 0xFD, 0xFE, 0xFF give U+0080, U+F8F0-U+F8F3 as on
//   Windows, so that they survive a round trip.
std::u16string ToUtf16(std::string_view Bytes);
// Bytes of the character that starts at byte I of Bytes as ToUtf16 reads it: 2 for a lead
// byte followed by a valid trail byte, else 1. ToUtf16 gives one unit per such character.
constexpr int CharLength(std::string_view Bytes, size_t I) {
    if (I + 1 >= Bytes.size() || !IsLeadByte(Bytes[I])) return 1;
    const auto T = static_cast<unsigned char>(Bytes[I + 1]);
    return (T >= 0x40 && T <= 0x7E) || (T >= 0x80 && T <= 0xFC) ? 2 : 1;
}
// ToUtf16(Bytes).size(), without converting.
size_t Utf16Length(std::string_view Bytes);
// UTF-16 to CP932 by Windows' table. Where several codes decode to one character the
// code Windows produces is chosen (JIS X 0208 before NEC row 13 before the IBM
// extension 0xFA-0xFC; the NEC-selected IBM rows 0xED/0xEE are never produced). A few
// look-alikes take their best-fit code (U+00A5 -> 0x5C, U+203E -> 0x7E, U+301C -> 0x8160,
// U+2016, U+2212, U+2014, U+00A2, U+00A3, U+00AC). Any other character with no CP932
// form, an unpaired surrogate, and a character beyond the BMP become one '?'.
std::string FromUtf16(std::u16string_view Text);
// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Utf16ToUtf8(std::u16string_view Text);
// UTF-8 to UTF-16 (a malformed sequence becomes U+FFFD).
std::u16string Utf8ToUtf16(std::string_view Text);
// Convenience edges: CP932 <-> UTF-8.
std::string ToUtf8(std::string_view Bytes);
std::string FromUtf8(std::string_view Utf8);

// A CP932 string from a UTF-8 literal in the source: `cp932::Literal("追加(&A)")`.
// Converted once per call; keep the result where it is used repeatedly.
std::string Literal(std::string_view Utf8);

// Upper-cases single-byte a-z; double-byte characters (lead and trail) are untouched.
std::string UpperCase(std::string_view Bytes);
// The 256-byte table that maps every single byte to its upper case (a-z to A-Z).
const unsigned char* UpperTable();

} // namespace cp932
