// Fuzz target: arbitrary bytes as a settings file. Every key named in the file is read;
// one key is then written, and it must read back as written while every other key keeps
// its value and the file keeps all its other lines.
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/exceptions.h"
#include "platform/profile.h"
#include "platform/streams.h"
#include "scratch_file.h"

namespace {

void Fail(const char* What, const std::string& Detail) {
    std::fprintf(stderr, "profile: %s %s\n", What, Detail.c_str());
    std::abort();
}

std::string Trim(const std::string& S) {
    size_t B = 0, E = S.size();
    while (B < E && (S[B] == ' ' || S[B] == '\t')) ++B;
    while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t')) --E;
    return S.substr(B, E - B);
}

// Section and key names as they appear in the file (the reader's own rules decide
// which of them are real keys; names that are not simply read as missing).
std::vector<std::pair<std::string, std::string>> NamesIn(const std::string& Text) {
    std::vector<std::pair<std::string, std::string>> Keys;
    std::string Section;
    size_t At = 0;
    while (At < Text.size() && Keys.size() < 16) {
        size_t End = Text.find_first_of("\r\n", At);
        if (End == std::string::npos) End = Text.size();
        const std::string Line = Trim(Text.substr(At, End - At));
        At = End + 1;
        if (!Line.empty() && Line[0] == '[') {
            const size_t Close = Line.find(']');
            Section = Trim(Line.substr(1, Close == std::string::npos ? std::string::npos : Close - 1));
        } else if (const size_t Eq = Line.find('='); Eq != std::string::npos && Eq > 0) {
            const std::string Key = Trim(Line.substr(0, Eq));
            if (!Key.empty() && Section.find(']') == std::string::npos) Keys.emplace_back(Section, Key);
        }
    }
    return Keys;
}

std::string ReadFile(const std::string& Path) {
    TFileStream F(Path, fmOpenRead);
    std::string S(static_cast<size_t>(F.GetSize()), '\0');
    if (!S.empty()) F.ReadBuffer(S.data(), static_cast<int64_t>(S.size()));
    return S;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const TScratchFile File("feedloom-fuzz-profile");
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    {
        TFileStream F(File.Path(), fmCreate);
        F.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    }
    TIniFile Ini(File.Path());
    const auto Keys = NamesIn(Text);
    std::vector<std::string> Before;
    for (const auto& [Section, Key] : Keys) {
        Before.push_back(Ini.ReadString(Section, Key, "\x01missing"));
        int32_t V = 0;
        const bool IsInt = ProfileStrToInt(Before.back(), V);
        if (IsInt && Ini.ReadInteger(Section, Key, 7) != V) Fail("integer differs for", Key);
    }

    // Write a key picked by the input (an existing one or a new one) with a plain value.
    const std::string Section = Keys.empty() ? "Fuzz" : Keys[Size % Keys.size()].first;
    std::string Key = Keys.empty() || Size % 3 == 0 ? "FuzzKey" : Keys[Size % Keys.size()].second;
    // A key that starts like a comment or a section header would write a line that is no key.
    if (Key[0] == ';' || Key[0] == '[') Key = "FuzzKey";
    const std::string Value = "v" + std::to_string(Size);
    try {
        Ini.WriteString(Section, Key, Value);
    } catch (const EIniFileException&) {
        // A name the rules refuse: the file must be as it was.
        if (ReadFile(File.Path()) != Text) Fail("refused write changed the file", Key);
        return 0;
    }
    if (Ini.ReadString(Section, Key, "") != Value)
        Fail("written value does not read back:", Section + "/" + Key);
    for (size_t I = 0; I < Keys.size(); ++I) {
        const auto& [S, K] = Keys[I];
        if (S.size() == Section.size() && K.size() == Key.size() &&
            strncasecmp(S.c_str(), Section.c_str(), S.size()) == 0 &&
            strncasecmp(K.c_str(), Key.c_str(), K.size()) == 0)
            continue;
        if (Ini.ReadString(S, K, "\x01missing") != Before[I]) Fail("another key changed:", S + "/" + K);
    }
    return 0;
}
