// Profile (settings) files: sections in brackets and key=value lines, read and
// written one key at a time by the Windows profile rules.
#include "platform/profile.h"

#include <optional>
#include <vector>

#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/streams.h"

namespace {

bool IsBlank(char C) {
    return C == ' ' || C == '\t' || C == '\r';
}

std::string_view Trim(std::string_view S) {
    while (!S.empty() && IsBlank(S.front())) S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back())) S.remove_suffix(1);
    return S;
}

bool SameName(std::string_view A, std::string_view B) {
    return A.size() == B.size() && cp932::UpperCase(A) == cp932::UpperCase(B);
}

// One line of the file: its text without the line end, and the line end ("", "\n"
// or "\r\n").
struct TLine {
    std::string_view Text;
    std::string_view End;
};

std::vector<TLine> SplitLines(std::string_view Bytes) {
    std::vector<TLine> Lines;
    size_t Start = 0;
    while (Start < Bytes.size()) {
        size_t Lf = Bytes.find('\n', Start);
        if (Lf == std::string_view::npos) {
            Lines.push_back({Bytes.substr(Start), {}});
            break;
        }
        size_t TextEnd = Lf > Start && Bytes[Lf - 1] == '\r' ? Lf - 1 : Lf;
        Lines.push_back({Bytes.substr(Start, TextEnd - Start), Bytes.substr(TextEnd, Lf + 1 - TextEnd)});
        Start = Lf + 1;
    }
    return Lines;
}

// What a line is: a section header (Name), a key line (Name and Value) or other.
struct TLineKind {
    enum { lkOther, lkSection, lkKey } Kind = lkOther;
    std::string_view Name;
    std::string_view Value;
};

TLineKind Classify(std::string_view Text) {
    std::string_view S = Trim(Text);
    if (S.empty() || S.front() == ';') return {};
    if (S.front() == '[') {
        S.remove_prefix(1);
        size_t Close = S.find(']');
        return {TLineKind::lkSection, Trim(S.substr(0, Close)), {}};
    }
    size_t Eq = S.find('=');
    if (Eq == std::string_view::npos) return {};
    std::string_view Name = Trim(S.substr(0, Eq));
    if (Name.empty()) return {};
    return {TLineKind::lkKey, Name, S.substr(Eq + 1)};
}

// Where a key stands in the file, or where it would be added.
struct TLookup {
    std::optional<size_t> KeyLine;      // the key's line
    std::optional<size_t> InsertAfter;  // last key line (or header) of the section's first occurrence
    std::string_view KeyName, RawValue; // as in the file
};

TLookup Find(const std::vector<TLine>& Lines, std::string_view Section, std::string_view Ident) {
    TLookup R;
    bool InSection = false;
    bool InFirst = false;
    for (size_t I = 0; I < Lines.size(); ++I) {
        TLineKind K = Classify(Lines[I].Text);
        if (K.Kind == TLineKind::lkSection) {
            bool Match = SameName(K.Name, Section);
            InFirst = Match && !R.InsertAfter;
            if (InFirst) R.InsertAfter = I;
            InSection = Match;
        } else if (K.Kind == TLineKind::lkKey && InSection) {
            if (InFirst) R.InsertAfter = I;
            if (SameName(K.Name, Ident)) {
                R.KeyLine = I;
                R.KeyName = K.Name;
                R.RawValue = K.Value;
                return R;
            }
        }
    }
    return R;
}

// The file's bytes; nullopt when there is no file. EStreamError when it cannot be read.
std::optional<std::string> LoadFile(const std::string& FileName) {
    if (!FileExists(FileName)) return std::nullopt;
    TMemoryStream M;
    M.LoadFromFile(FileName);
    return std::string(static_cast<const char*>(M.Memory()), static_cast<size_t>(M.GetSize()));
}

[[noreturn]] void WriteFailed(const std::string& FileName) {
    throw EIniFileException(DisplayPath(FileName) + cp932::Literal(" に書き込めません"));
}

} // namespace

std::string ProfileValue(std::string_view Raw) {
    std::string_view S = Trim(Raw);
    if (S.size() >= 2 && (S.front() == '"' || S.front() == '\'') && S.back() == S.front()) {
        S.remove_prefix(1);
        S.remove_suffix(1);
    }
    if (S.size() <= kProfileValueMax) return std::string(S);
    size_t End = 0;
    while (End < S.size()) {
        size_t Next = End + (cp932::IsLeadByte(S[End]) && End + 1 < S.size() ? 2 : 1);
        if (Next > kProfileValueMax) break;
        End = Next;
    }
    return std::string(S.substr(0, End));
}

bool ProfileStrToInt(std::string_view Text, int32_t& Value) {
    auto IsDigit = [](char C) { return C >= '0' && C <= '9'; };
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
        std::string_view Hex = Text.substr(2);
        if (Hex.size() > 8) return false;
        uint32_t V = 0;
        for (char C : Hex) {
            int D = IsDigit(C)               ? C - '0'
                    : (C >= 'a' && C <= 'f') ? C - 'a' + 10
                    : (C >= 'A' && C <= 'F') ? C - 'A' + 10
                                             : -1;
            if (D < 0) return false;
            V = V << 4 | static_cast<uint32_t>(D);
        }
        Value = static_cast<int32_t>(V);
        return true;
    }
    bool Negative = false;
    if (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) {
        Negative = Text[0] == '-';
        Text.remove_prefix(1);
    }
    if (Text.empty()) return false;
    int64_t V = 0;
    for (char C : Text) {
        if (!IsDigit(C)) return false;
        V = V * 10 + (C - '0');
        if (V > int64_t{1} << 31) return false;
    }
    if (Negative) V = -V;
    if (V < INT32_MIN || V > INT32_MAX) return false;
    Value = static_cast<int32_t>(V);
    return true;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    std::optional<std::string> Bytes;
    try {
        Bytes = LoadFile(FFileName);
    } catch (const EStreamError&) {
        return Default;
    }
    if (!Bytes) return Default;
    std::vector<TLine> Lines = SplitLines(*Bytes);
    TLookup L = Find(Lines, Trim(Section), Trim(Ident));
    return L.KeyLine ? ProfileValue(L.RawValue) : Default;
}

int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default) const {
    int32_t V;
    return ProfileStrToInt(ReadString(Section, Ident, std::string()), V) ? V : Default;
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

namespace {

// Bytes with one key set by the writing rules; false when the section or key name
// cannot be written.
bool SetKey(std::string& Bytes, const std::string& Section, const std::string& Ident,
            const std::string& Value) {
    std::string_view Sec = Trim(Section), Key = Trim(Ident);
    auto HasBreak = [](std::string_view S) { return S.find_first_of("\r\n") != std::string_view::npos; };
    if (Sec.empty() || Key.empty() || HasBreak(Sec) || HasBreak(Key) ||
        Sec.find(']') != std::string_view::npos || Key.find('=') != std::string_view::npos ||
        Key.front() == '[' || Key.front() == ';')
        return false;
    std::string_view Val = std::string_view(Value).substr(0, Value.find_first_of("\r\n"));

    std::vector<TLine> Lines = SplitLines(Bytes);
    std::string_view NewLine = "\r\n";
    for (const TLine& Line : Lines)
        if (!Line.End.empty()) {
            NewLine = Line.End;
            break;
        }

    TLookup L = Find(Lines, Sec, Key);
    std::string Out;
    Out.reserve(Bytes.size() + Sec.size() + Key.size() + Val.size() + 8);
    auto KeyLine = [&](std::string_view Name) {
        Out.append(Name);
        Out += '=';
        Out.append(Val);
    };
    for (size_t I = 0; I < Lines.size(); ++I) {
        if (L.KeyLine && *L.KeyLine == I) {
            KeyLine(L.KeyName);
            Out.append(Lines[I].End);
            continue;
        }
        Out.append(Lines[I].Text);
        if (!L.KeyLine && L.InsertAfter && *L.InsertAfter == I) {
            Out.append(Lines[I].End.empty() ? NewLine : Lines[I].End);
            KeyLine(Key);
            // The added line takes over the original line end, if any.
            if (!Lines[I].End.empty()) Out.append(Lines[I].End);
            continue;
        }
        Out.append(Lines[I].End);
    }
    if (!L.KeyLine && !L.InsertAfter) {
        if (!Lines.empty() && Lines.back().End.empty()) Out.append(NewLine);
        Out += '[';
        Out.append(Sec);
        Out += ']';
        Out.append(NewLine);
        KeyLine(Key);
        Out.append(NewLine);
    }

    Bytes = std::move(Out);
    return true;
}

} // namespace

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
    WriteStrings({{Section, Ident, Value}});
}

void TIniFile::WriteStrings(const std::vector<TIniKey>& Keys) {
    std::optional<std::string> Old;
    try {
        Old = LoadFile(FFileName);
    } catch (const EStreamError&) {
        WriteFailed(FFileName); // writing now would lose what cannot be read
    }
    std::string Bytes = Old.value_or(std::string());
    for (const TIniKey& K : Keys)
        if (!SetKey(Bytes, K.Section, K.Ident, K.Value)) WriteFailed(FFileName);
    try {
        AtomicWriteFile(FFileName, Bytes);
    } catch (const EStreamError&) {
        WriteFailed(FFileName);
    }
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}
