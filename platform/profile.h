// Profile (settings) files: sections in brackets and key=value lines, read and
// written one key at a time by the Windows profile rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/object.h"

// Reading rules:
// - A section starts at a line whose first non-blank character is '['; its name runs
//   to the next ']' (blanks around it ignored). A key line is "key=value" inside a
//   section; lines starting with ';' and lines without '=' are not keys. Section and
//   key names are compared without regard to ASCII case.
// - The first matching key wins; when a section appears more than once, its
//   occurrences are searched in file order as one section.
// - A string value is the rest of its line with surrounding blanks (space, tab)
//   and then one pair of enclosing quotation marks (" or ') removed, cut to at most
//   2047 bytes without splitting a double-byte character.
// - A missing file, section or key gives the default, as does a file that cannot be
//   read.
//
// Writing rules (each write reads the file, changes one line and replaces the
// file atomically):
// - An existing key line is replaced by "key=value" (the key keeps its spelling in
//   the file, the line keeps its line end); a missing key is added after the last key
//   line of the section's first occurrence (or right after its header); a missing
//   section is added at the end with the key; a missing file is created. Every other
//   line is kept byte for byte, CR LF or LF as found; added lines use the file's first
//   line end, CR LF in a new file.
// - A value ends at its first CR or LF, so that a value can never break the file
//   into other lines or sections.
// - Failure (the file or its folder cannot be written, an existing file cannot be
//   read, a section name with ']' or a key with '=' or a line break) raises
//   EIniFileException "%s に書き込めません" with the file name; the file is then
//   unchanged.
class TIniFile : public TObject {
public:
    explicit TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    // The value as an integer by ProfileStrToInt; Default when there is none.
    int32_t ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default) const;
    // A non-zero integer is true, zero false; Default when the value is not an integer.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;

    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value);
    // Writes "1" or "0".
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

    // Several keys set by the writing rules above, in their order, with one replacement
    // of the file: after a failure the file holds none of them.
    struct TIniKey {
        std::string Section, Ident, Value;
    };
    void WriteStrings(const std::vector<TIniKey>& Keys);

private:
    std::string FFileName;
};

// The most bytes a string value reads as.
constexpr size_t kProfileValueMax = 2047;

// A raw value (the text after '=') as ReadString returns it.
std::string ProfileValue(std::string_view Raw);

// The integer rule of ReadInteger: optional sign and decimal digits within 32 bits,
// or "0x"/"0X" followed by one to eight hexadecimal digits (taken as a 32-bit pattern,
// so "0xFFFFFFFF" is -1). Anything else, "12abc", "0x" and "" included, is not an
// integer: false.
bool ProfileStrToInt(std::string_view Text, int32_t& Value);
