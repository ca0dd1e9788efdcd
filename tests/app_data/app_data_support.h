// Helpers of the application data tests: a temporary folder, whole-file reading, random
// stores of the kinds of text the files must carry.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "platform/cp932.h"

class TTempDir {
public:
    TTempDir() {
        std::string Pattern = (std::filesystem::temp_directory_path() / "feedloom-test-XXXXXX").string();
        if (mkdtemp(Pattern.data()) == nullptr) std::abort();
        FPath = Pattern;
    }
    ~TTempDir() {
        std::error_code Ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, Ignored);
        std::filesystem::remove_all(FPath, Ignored);
    }
    // A path inside the folder (the folder's names are ASCII, so CP932 and UTF-8 agree).
    std::string File(const std::string& Name) const { return FPath + "/" + Name; }

private:
    std::string FPath;
};

// A packed list's entries, for comparing and printing.
inline std::vector<std::string> Strings(const TPackedStrings& List) {
    return {List.begin(), List.end()};
}

inline std::string ReadFileBytes(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

inline void WriteFileBytes(const std::string& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

// The local time of a given UTC moment is that moment: the tests run in UTC.
inline std::time_t UtcTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    setenv("TZ", "UTC", 1);
    tzset();
    std::tm T{};
    T.tm_year = Year - 1900;
    T.tm_mon = Month - 1;
    T.tm_mday = Day;
    T.tm_hour = Hour;
    T.tm_min = Minute;
    T.tm_sec = Second;
    return timegm(&T);
}

// Random entries: Japanese, mixed text, ASCII longer than 255 bytes, empty entries,
// double-byte characters whose trail byte is 0x7C or 0x5C. Every entry survives CP932 ->
// UTF-16 -> CP932 unchanged, and none holds a line break.
class TRandomStore {
public:
    explicit TRandomStore(uint32_t Seed) : FRng(Seed) {}
    int Below(int N) { return static_cast<int>(FRng() % static_cast<uint32_t>(N)); }

    std::string Entry() {
        static const char* const Japanese[] = {"お知らせ", "日本語", "ソ", "表",  "ポ",
                                               "能",       "ｶﾅ",     "、", "漢字"};
        std::string S;
        switch (Below(5)) {
        case 0:
            return S; // empty
        case 1:
            for (int N = 256 + Below(300); N > 0; --N) S += static_cast<char>('a' + Below(26));
            return S;
        case 2: // Japanese only
            for (int N = 1 + Below(6); N > 0; --N) S += cp932::Literal(Japanese[Below(9)]);
            return S;
        default: // mixed
            for (int N = 1 + Below(12); N > 0; --N) {
                if (Below(3) == 0)
                    S += cp932::Literal(Japanese[Below(9)]);
                else
                    S += static_cast<char>(" &<>\"'|\\/:.=?abcXYZ019"[Below(23)]);
            }
            return S;
        }
    }

    void Fill(TAppData& Data, int MaxItems) {
        Data.SiteE = Entry();
        Data.NameE = Entry();
        Data.SpinEdit1 = SpinEdit1MinValue + Below(SpinEdit1MaxValue - SpinEdit1MinValue + 1);
        Data.Items.Clear();
        for (int N = Below(MaxItems + 1); N > 0; --N)
            Data.Items.InsertItem({Entry(), Entry(), Entry(), Entry()});
    }

private:
    std::mt19937 FRng;
};
