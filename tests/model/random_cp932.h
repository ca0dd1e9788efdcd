// Random CP932 lines for the property tests: valid pairs, lone lead bytes, stray trail
// bytes, tabs, half-width katakana, line-breaking marks, and runs long enough to wrap.
#pragma once

#include <random>
#include <string>

#include "platform/cp932.h"

class TRandomCp932 {
public:
    explicit TRandomCp932(uint32_t Seed) : FRng(Seed) {}

    int Below(int N) { return static_cast<int>(FRng() % static_cast<uint32_t>(N)); }
    bool Chance(int Percent) { return Below(100) < Percent; }

    unsigned char LeadByte() {
        const int K = Below(31 + 29);
        return static_cast<unsigned char>(K < 31 ? 0x81 + K : 0xE0 + (K - 31));
    }
    unsigned char TrailByte() {
        if (Chance(15)) return Chance(50) ? 0x5C : 0x7C;
        const int K = Below(0x7F - 0x40 + 0xFD - 0x80);
        return static_cast<unsigned char>(K < 0x3F ? 0x40 + K : 0x80 + (K - 0x3F));
    }

    // One piece of text of a random kind.
    void AppendPiece(std::string& S) {
        static const char* const Marks[] = {"、", "。", "，", "．", "「", "」", "（", "）", "『", "ー",
                                            "｡",  "｢",  "､",  "ｰ",  "ﾞ",  "あ", "漢", "ソ", "ポ", "Ａ"};
        static const std::string Ascii = "abcdefghijXYZ0123_";
        static const std::string Punct = " ,.;:!?()[]{}\\|-";
        switch (Below(12)) {
        case 0:
        case 1:
        case 2:
            for (int N = 1 + Below(8); N > 0; --N)
                S += Ascii[static_cast<size_t>(Below(static_cast<int>(Ascii.size())))];
            break;
        case 3:
            S += Punct[static_cast<size_t>(Below(static_cast<int>(Punct.size())))];
            break;
        case 4:
            S += '\t';
            break;
        case 5:
            S += static_cast<char>(0xA1 + Below(0xDF - 0xA1 + 1)); // half-width katakana
            break;
        case 6:
        case 7:
            S += static_cast<char>(LeadByte());
            S += static_cast<char>(TrailByte());
            break;
        case 8:
            S += cp932::Literal(Marks[Below(static_cast<int>(sizeof Marks / sizeof Marks[0]))]);
            break;
        case 9:
            // A lead byte followed by whatever comes next (possibly nothing).
            S += static_cast<char>(LeadByte());
            break;
        case 10:
            S += static_cast<char>(0x40 + Below(0xFD - 0x40)); // any trail-range byte alone
            break;
        default:
            S += ' ';
            break;
        }
    }

    std::string Line(size_t MaxLength) {
        std::string S;
        const size_t Length = static_cast<size_t>(Below(static_cast<int>(MaxLength) + 1));
        while (S.size() < Length) AppendPiece(S);
        return S;
    }

private:
    std::mt19937 FRng;
};
