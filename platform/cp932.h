// Code page 932 (Windows Shift-JIS): lead bytes, conversions, upper-casing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cp932 {

// The lead-byte ranges of the code page: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char B) { return (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC); }
constexpr bool IsLeadByte(char B) { return IsLeadByte(static_cast<unsigned char>(B)); }

// CP932 bytes to UTF-16 by Windows' table.
std::u16string ToUtf16(std::string_view Bytes);
// UTF-16 to CP932 by Windows' table; a character with no CP932 form becomes '?'.
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
