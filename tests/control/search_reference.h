// A plain candidate loop for the search, written from the description of the search rather
// than from the matcher: one character at a time, no filters, no vector scans. The matcher's
// test and its fuzz target compare TSearchMatcher with it. Also the characters that fold, from
// which both build their texts.
#pragma once

#include <string>
#include <vector>

#include "editor/control/editor_search.h"
#include "editor/control/search_tables.h"
#include "platform/cp932.h"

namespace search_reference {

using search_tables::FullWidthTable;
using search_tables::UpperTable;

inline bool RefLead(unsigned char B) {
    return (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
}
inline bool RefSep(unsigned char B) {
    return B <= 0x2F || (B >= 0x3A && B <= 0x40) || (B >= 0x5B && B <= 0x60) || (B >= 0x7B && B <= 0x80) ||
           (B >= 0xA0 && B <= 0xA5) || B >= 0xFD;
}
inline bool RefKanaPair(unsigned char B, unsigned char M) {
    const bool Flagged = (B >= 0xB6 && B <= 0xC4) || (B >= 0xCA && B <= 0xCE);
    return (Flagged && (M == 0xDE || M == 0xDF)) || (B == 0xB3 && M == 0xDE);
}
// The widened form of a single byte at Y, and how many bytes it took.
inline unsigned RefWiden(const std::string& T, size_t Y, int& Used) {
    const auto B = static_cast<unsigned char>(T[Y]);
    if (Y + 1 < T.size() && RefKanaPair(B, static_cast<unsigned char>(T[Y + 1]))) {
        const std::string W = ToFullWidth(T.substr(Y, 2));
        Used = 2;
        return static_cast<unsigned char>(W[0]) << 8 | static_cast<unsigned char>(W[1]);
    }
    Used = 1;
    return FullWidthTable[B];
}
inline bool RefFold(unsigned P, unsigned T) {
    if (P == T) return true;
    const unsigned PL = P >> 8, PT = P & 0xFF, TL = T >> 8, TT = T & 0xFF;
    if (PL == TL && TL == 0x82 && TT >= 0x81 && TT <= 0x9A) return PT == TT - 0x21;
    if (PL == TL && TL == 0x83 && TT >= 0xBF && TT <= 0xD6) return PT == TT - 0x20;
    if (PL == TL && TL == 0x84 && TT >= 0x70 && TT <= 0x7E) return PT == TT - 0x30;
    if (PL == TL && TL == 0x84 && TT >= 0x80 && TT <= 0x91) return PT == TT - 0x31;
    if (PL == 0x87 && TL == 0xEE && TT >= 0xEF && TT <= 0xF8) return PT == TT - 0x9B;
    return false;
}

struct TRefResult {
    int Start = -1;
    int Length = 0;
    bool operator==(const TRefResult&) const = default;
};

inline TRefResult RefSearch(const std::string& T, TSearchInfo Pos, const std::string& Pattern,
                            TSearchOptions O) {
    const int N = static_cast<int>(T.size());
    const bool Down = O & soDown, Case = O & soMatchCase, WW = O & soWholeWord, Fuzzy = O & soFuzzy;
    if (Pattern.empty() || Pos.Start < 0 || Pos.Start > N || Pos.Length < 0) return {};
    std::string PS = Case ? Pattern : cp932::UpperCase(Pattern);
    if (Fuzzy) PS = ToFullWidth(PS);
    std::vector<unsigned> P;
    for (size_t I = 0; I < PS.size();) {
        const auto B = static_cast<unsigned char>(PS[I]);
        if (RefLead(B) && I + 1 < PS.size()) {
            P.push_back(B << 8 | static_cast<unsigned char>(PS[I + 1]));
            I += 2;
        } else {
            P.push_back(B);
            ++I;
        }
    }
    std::vector<int> Cls(static_cast<size_t>(N), 0); // 0 single, 1 lead, 2 trail
    for (int I = 0; I < N;) {
        if (RefLead(static_cast<unsigned char>(T[I])) && I + 1 < N) {
            Cls[I] = 1;
            Cls[I + 1] = 2;
            I += 2;
        } else {
            ++I;
        }
    }
    auto Trail = [&](int I) { return I >= 0 && I < N && Cls[I] == 2; };
    auto Byte = [&](int I) -> unsigned { return I < N ? static_cast<unsigned char>(T[I]) : 0u; };
    // Words are told apart by character: a double-byte character ends a word only when it is
    // the full-width form of a separator byte; the text's ends count as separators.
    auto SepChar = [](unsigned C) {
        if (C < 0x100) return RefSep(static_cast<unsigned char>(C));
        for (int B = 0; B < 256; ++B)
            if (RefSep(static_cast<unsigned char>(B)) && FullWidthTable[B] == C) return true;
        return false;
    };
    auto CodeAt = [&](int I) { return Cls[I] == 1 ? Byte(I) << 8 | Byte(I + 1) : Byte(I); };
    auto SepAt = [&](int I) { return I >= N || SepChar(CodeAt(I)); };
    auto WordStart = [&](int X) {
        return !SepAt(X) && (X == 0 || SepChar(CodeAt(Trail(X - 1) ? X - 2 : X - 1)));
    };
    auto Match = [&](int X, int& End) {
        int Y = X;
        for (size_t I = 0; I < P.size();) {
            if (Y >= N) return false;
            const unsigned p = P[I];
            bool Eq;
            int Used;
            if (Cls[Y] == 1) {
                const unsigned t = Byte(Y) << 8 | Byte(Y + 1);
                Used = 2;
                Eq = Case ? p == t : RefFold(p, t);
            } else if (Fuzzy) {
                const unsigned w = RefWiden(T, static_cast<size_t>(Y), Used);
                Eq = Case ? p == w : (w >= 0x100 ? RefFold(p, w) : p == w);
            } else {
                Used = 1;
                Eq = Case ? p == Byte(Y) : p == static_cast<unsigned>(UpperTable[Byte(Y)]);
            }
            if (Eq) {
                Y += Used;
                ++I;
                continue;
            }
            const unsigned char c = Byte(Y);
            if (I > 0 && (O & soIgnoreLineBreaks) && (c == 13 || c == 10)) {
                ++Y;
                continue;
            }
            if (I > 0 && (O & soIgnoreSpaces) && (c == ' ' || c == '\t')) {
                ++Y;
                continue;
            }
            if (I > 0 && (O & soIgnoreSpaces) && Cls[Y] == 1 && c == 0x81 && Byte(Y + 1) == 0x40) {
                Y += 2;
                continue;
            }
            return false;
        }
        End = Y;
        return true;
    };
    int X, R;
    if (Down) {
        X = Pos.Start + Pos.Length;
        if (Trail(X)) ++X;
        R = N - X - static_cast<int>(Fuzzy ? P.size() : PS.size());
    } else {
        X = Pos.Start;
        if (Fuzzy) {
            for (size_t K = 0; K < P.size() && X >= 0; ++K) {
                if (X <= 0)
                    X = -1;
                else if (Trail(X - 1))
                    X -= 2;
                else if (X >= 2 && Cls[X - 2] == 0 && RefKanaPair(Byte(X - 2), Byte(X - 1)))
                    X -= 2;
                else
                    --X;
            }
        } else {
            X -= static_cast<int>(PS.size());
        }
        if (X < 0) return {};
        if (Trail(X)) --X;
        R = X;
    }
    while (R >= 0) {
        int End;
        if ((!WW || WordStart(X)) && Match(X, End) && (!WW || SepAt(End))) return {X, End - X};
        if (Down) {
            ++X, --R;
            if (Trail(X)) ++X, --R;
        } else {
            --X, --R;
            if (Trail(X)) --X, --R;
        }
    }
    return {};
}

// Characters that fold into one another, line breaks, blanks, word separators and trail bytes
// that look like ASCII.
inline const std::vector<std::string>& Pieces() {
    static const std::vector<std::string> P = {
        "a",        "b",        "A",        "B",        "c",        "_",    " ",
        "\t",       "\r\n",     "\r",       "\n",       ".",        "1",    "\x82\x60",
        "\x82\x81", "\x82\x61", "\x82\x82",             // full-width A a B b
        "\x83\x9F", "\x83\xBF",                         // Greek capital and small alpha
        "\x84\x40", "\x84\x70", "\x84\x4F", "\x84\x80", // Cyrillic
        "\x87\x54", "\xEE\xEF",                         // Roman numeral one, small one
        "\xB6",     "\xB6\xDE", "\xCA\xDF", "\xB3\xDE", "\xDE",     "\xDF", "\xB1", // half-width kana
        "\x83\x4A", "\x83\x4B", "\x83\x70", "\x83\x94", "\x83\x41",                 // full-width kana
        "\x81\x40",                                                                 // full-width space
        "\x83\x5C", "\x95\x5C", "\x83\x7C", "\x88\x7C", "\x81\x5F",                 // trail bytes \ | _
        "\x96\x7B", "\x82\x73",                                                     // trail bytes { T
        "\x81\x44", "\x81\x41",                                                     // full-width . and ,
    };
    return P;
}

} // namespace search_reference
