// Code page 932 conversions over tables built once from glibc's "CP932" iconv module.
#include "platform/cp932.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>
#include <stdexcept>

namespace cp932 {
namespace {

constexpr int kLeadCount = 60; // 0x81-0x9F (31) and 0xE0-0xFC (29)

int LeadIndex(unsigned char B) {
    return B <= 0x9F ? B - 0x81 : B - 0xE0 + 31;
}

// The single bytes that glibc leaves undefined map as Windows maps them, so that
// every byte string survives a round trip through UTF-16.
char16_t SingleByte(unsigned char B) {
    if (B < 0x80) return B;
    if (B >= 0xA1 && B <= 0xDF) return static_cast<char16_t>(0xFF61 + (B - 0xA1)); // half-width katakana
    if (B == 0x80) return 0x0080;
    if (B == 0xA0) return 0xF8F0;
    return static_cast<char16_t>(0xF8F1 + (B - 0xFD)); // 0xFD-0xFF
}

struct TTables {
    // Dbcs[lead][trail]: the UTF-16 unit of a pair, 0 when the pair is unmapped.
    std::array<std::array<char16_t, 256>, kLeadCount> Dbcs{};
    // Enc[unit]: one byte (< 0x100) or a pair (lead << 8 | trail); 0 when unmapped
    // (U+0000 itself is handled by the encoder).
    std::array<uint16_t, 65536> Enc{};
};

// Windows' choice among codes that decode to the same character: JIS X 0208 rows
// before NEC row 13 before the IBM extension (0xFA-0xFC); the NEC-selected IBM
// rows (0xED, 0xEE) are never produced. Ascending code order gives all of that
// once 0xED/0xEE are visited last.
void AddPairs(TTables& T, bool NecSelected) {
    for (int Lead = 0x81; Lead <= 0xFC; ++Lead) {
        if (!IsLeadByte(static_cast<unsigned char>(Lead))) continue;
        if ((Lead == 0xED || Lead == 0xEE) != NecSelected) continue;
        for (int Trail = 0x40; Trail <= 0xFC; ++Trail) {
            char16_t U = T.Dbcs[LeadIndex(static_cast<unsigned char>(Lead))][Trail];
            if (U != 0 && T.Enc[U] == 0) T.Enc[U] = static_cast<uint16_t>(Lead << 8 | Trail);
        }
    }
}

std::unique_ptr<TTables> BuildTables() {
    auto T = std::make_unique<TTables>();
    iconv_t Cd = iconv_open("UTF-16LE", "CP932");
    if (Cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("code page 932 is not available from iconv (glibc gconv modules missing)");
    for (int Lead = 0x81; Lead <= 0xFC; ++Lead) {
        if (!IsLeadByte(static_cast<unsigned char>(Lead))) continue;
        for (int Trail = 0x40; Trail <= 0xFC; ++Trail) {
            if (Trail == 0x7F) continue;
            char In[2] = {static_cast<char>(Lead), static_cast<char>(Trail)};
            unsigned char Out[8];
            char* InP = In;
            size_t InLeft = 2;
            char* OutP = reinterpret_cast<char*>(Out);
            size_t OutLeft = sizeof Out;
            iconv(Cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(Cd, &InP, &InLeft, &OutP, &OutLeft) == static_cast<size_t>(-1)) continue;
            if (sizeof Out - OutLeft != 2 || InLeft != 0) continue;
            T->Dbcs[LeadIndex(static_cast<unsigned char>(Lead))][Trail] =
                static_cast<char16_t>(Out[0] | Out[1] << 8);
        }
    }
    iconv_close(Cd);

    for (int B = 1; B < 256; ++B)
        if (!IsLeadByte(static_cast<unsigned char>(B)))
            T->Enc[SingleByte(static_cast<unsigned char>(B))] = static_cast<uint16_t>(B);
    AddPairs(*T, false);
    AddPairs(*T, true);
    // Best-fit forms for characters that other code pages' decoders produce in
    // place of Windows' own (yen sign, overline, JIS wave dash, minus, ...).
    static constexpr std::pair<char16_t, uint16_t> BestFit[] = {
        {0x00A5, 0x5C},   {0x203E, 0x7E},   {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00AC, 0x81CA},
        {0x2014, 0x815C}, {0x2016, 0x8161}, {0x2212, 0x817C}, {0x301C, 0x8160},
    };
    for (auto [U, Code] : BestFit)
        if (T->Enc[U] == 0) T->Enc[U] = Code;
    return T;
}

const TTables& Tables() {
    static const std::unique_ptr<TTables> T = BuildTables();
    return *T;
}

constexpr bool IsTrailByte(unsigned char B) {
    return (B >= 0x40 && B <= 0x7E) || (B >= 0x80 && B <= 0xFC);
}

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += static_cast<char>(C);
    } else if (C < 0x800) {
        Out += static_cast<char>(0xC0 | C >> 6);
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += static_cast<char>(0xE0 | C >> 12);
        Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | C >> 18);
        Out += static_cast<char>(0x80 | (C >> 12 & 0x3F));
        Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    }
}

} // namespace

std::u16string ToUtf16(std::string_view Bytes) {
    const TTables& T = Tables();
    std::u16string Out;
    Out.reserve(Bytes.size());
    const size_t N = Bytes.size();
    for (size_t I = 0; I < N;) {
        auto B = static_cast<unsigned char>(Bytes[I]);
        if (!IsLeadByte(B)) {
            Out += SingleByte(B);
            ++I;
            continue;
        }
        if (I + 1 < N && IsTrailByte(static_cast<unsigned char>(Bytes[I + 1]))) {
            char16_t U = T.Dbcs[LeadIndex(B)][static_cast<unsigned char>(Bytes[I + 1])];
            Out += U != 0 ? U : kReplacementChar;
            I += 2;
        } else {
            Out += kReplacementChar; // the next byte, if any, is decoded on its own
            ++I;
        }
    }
    return Out;
}

size_t Utf16Length(std::string_view Bytes) {
    size_t Units = 0;
    for (size_t I = 0; I < Bytes.size(); I += static_cast<size_t>(CharLength(Bytes, I))) ++Units;
    return Units;
}

std::string FromUtf16(std::u16string_view Text) {
    const TTables& T = Tables();
    std::string Out;
    Out.reserve(Text.size() * 2);
    const size_t N = Text.size();
    for (size_t I = 0; I < N; ++I) {
        char16_t U = Text[I];
        if (U == 0) {
            Out += '\0';
            continue;
        }
        if (U >= 0xD800 && U <= 0xDBFF && I + 1 < N && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
            ++I; // a character beyond the BMP: one '?'
            Out += '?';
            continue;
        }
        uint16_t Code = T.Enc[U];
        if (Code == 0) {
            Out += '?';
        } else if (Code < 0x100) {
            Out += static_cast<char>(Code);
        } else {
            Out += static_cast<char>(Code >> 8);
            Out += static_cast<char>(Code & 0xFF);
        }
    }
    return Out;
}

std::string Utf16ToUtf8(std::u16string_view Text) {
    std::string Out;
    Out.reserve(Text.size() * 3);
    const size_t N = Text.size();
    for (size_t I = 0; I < N; ++I) {
        char32_t C = Text[I];
        if (C >= 0xD800 && C <= 0xDBFF && I + 1 < N && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
            C = 0x10000 + ((C - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
            ++I;
        } else if (C >= 0xD800 && C <= 0xDFFF) {
            C = 0xFFFD;
        }
        AppendUtf8(Out, C);
    }
    return Out;
}

std::u16string Utf8ToUtf16(std::string_view Text) {
    std::u16string Out;
    Out.reserve(Text.size());
    const size_t N = Text.size();
    auto At = [&](size_t I) { return static_cast<unsigned char>(Text[I]); };
    for (size_t I = 0; I < N;) {
        unsigned char B = At(I);
        if (B < 0x80) {
            Out += B;
            ++I;
            continue;
        }
        int Len;
        char32_t C;
        unsigned char Lo = 0x80, Hi = 0xBF; // allowed range of the second byte
        if (B >= 0xC2 && B <= 0xDF) {
            Len = 2;
            C = B & 0x1F;
        } else if (B >= 0xE0 && B <= 0xEF) {
            Len = 3;
            C = B & 0x0F;
            if (B == 0xE0)
                Lo = 0xA0; // no overlong forms
            else if (B == 0xED)
                Hi = 0x9F; // no surrogates
        } else if (B >= 0xF0 && B <= 0xF4) {
            Len = 4;
            C = B & 0x07;
            if (B == 0xF0)
                Lo = 0x90;
            else if (B == 0xF4)
                Hi = 0x8F; // nothing above U+10FFFF
        } else {
            Out += u'\uFFFD';
            ++I;
            continue;
        }
        // A malformed sequence is replaced by one U+FFFD for its longest valid
        // prefix; decoding resumes at the byte that broke it.
        size_t J = I + 1;
        bool Ok = true;
        for (int K = 1; K < Len; ++K, ++J) {
            unsigned char Lo2 = K == 1 ? Lo : 0x80, Hi2 = K == 1 ? Hi : 0xBF;
            if (J >= N || At(J) < Lo2 || At(J) > Hi2) {
                Ok = false;
                break;
            }
            C = C << 6 | (At(J) & 0x3F);
        }
        I = J;
        if (!Ok) {
            Out += u'\uFFFD';
        } else if (C >= 0x10000) {
            C -= 0x10000;
            Out += static_cast<char16_t>(0xD800 + (C >> 10));
            Out += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
        } else {
            Out += static_cast<char16_t>(C);
        }
    }
    return Out;
}

std::string ToUtf8(std::string_view Bytes) {
    return Utf16ToUtf8(ToUtf16(Bytes));
}
std::string FromUtf8(std::string_view Utf8) {
    return FromUtf16(Utf8ToUtf16(Utf8));
}
std::string Literal(std::string_view Utf8) {
    return FromUtf8(Utf8);
}

std::string UpperCase(std::string_view Bytes) {
    std::string Out(Bytes);
    const size_t N = Out.size();
    for (size_t I = 0; I < N; ++I) {
        auto B = static_cast<unsigned char>(Out[I]);
        if (IsLeadByte(B)) {
            ++I; // the trail byte may look like a-z but belongs to the character
        } else if (B >= 'a' && B <= 'z') {
            Out[I] = static_cast<char>(B - 'a' + 'A');
        }
    }
    return Out;
}

const unsigned char* UpperTable() {
    static const std::array<unsigned char, 256> Table = [] {
        std::array<unsigned char, 256> T{};
        for (int I = 0; I < 256; ++I)
            T[I] = static_cast<unsigned char>(I >= 'a' && I <= 'z' ? I - 'a' + 'A' : I);
        return T;
    }();
    return Table.data();
}

} // namespace cp932
