// The search matcher for code page 932 text, and TEditor's search over chunks of rows.
//
// The matcher's results are those of a candidate loop that tries every character start in
// turn; it gets there faster by scanning 16 bytes at a time (32 with AVX2, chosen when the
// program starts on a processor that has it) for the first two bytes that a match can
// begin with, and trying only those positions.
#include "editor/control/editor_search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#define FEEDLOOM_WIDE_SCAN 1
#endif

#include "editor/control/editor.h"
#include "editor/control/search_tables.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

using namespace search_tables;

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char VoicedMark = 0xDE;
constexpr unsigned char SemiVoicedMark = 0xDF;
// The text bytes after which a chunk of rows is complete.
constexpr size_t ChunkBytes = 8191;

inline bool IsLead(unsigned char B) {
    return cp932::IsLeadByte(B);
}

// Whether the processor has AVX2 (asked once).
bool HasWideScan() {
#if defined(FEEDLOOM_WIDE_SCAN)
    static const bool Has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return Has;
#else
    return false;
#endif
}

// A half-width katakana and the mark that makes it one voiced or semi-voiced character.
bool IsKanaPair(unsigned char B, unsigned char Mark) {
    if ((KanaJisTable[B] & KanaVoicedFlag) && (Mark == VoicedMark || Mark == SemiVoicedMark)) return true;
    return B == 0xB3 && Mark == VoicedMark;
}

uint16_t KanaPairCode(unsigned char B, unsigned char Mark) {
    if (B == 0xB3) return 0x8394; // vu
    return JisToShiftJis(0x25, (KanaJisTable[B] & 0x7F) + (Mark == VoicedMark ? 1 : 2));
}

// Whether offset I is the second byte of a double-byte character. A lead byte takes the next
// byte whatever it is, and every other byte ends a character, so I is a trail byte when an
// odd number of lead-range bytes run up to it.
bool IsTrailAt(const unsigned char* B, int I) {
    int K = 0;
    while (I - K - 1 >= 0 && IsLead(B[I - K - 1])) ++K;
    return (K & 1) != 0;
}

void AppendCode(std::string& Out, uint16_t Code) {
    if (Code >= 0x100) Out += static_cast<char>(Code >> 8);
    Out += static_cast<char>(Code & 0xFF);
}

// Word boundaries are decided by character: the trail byte of a double-byte character never
// counts as a separator by itself.
// The character at X (a character start, X < N).
uint16_t CharAt(const unsigned char* B, int N, int X) {
    if (IsLead(B[X]) && X + 1 < N) return static_cast<uint16_t>(B[X] << 8 | B[X + 1]);
    return B[X];
}

// The character that ends at X - 1 (X a character start, X > 0).
uint16_t CharBefore(const unsigned char* B, int X) {
    if (X >= 2 && IsTrailAt(B, X - 1)) return static_cast<uint16_t>(B[X - 2] << 8 | B[X - 1]);
    return B[X - 1];
}

bool SeparatorAt(const unsigned char* B, int N, int X) {
    return IsWordSeparator(CharAt(B, N, X));
}

bool SeparatorBefore(const unsigned char* B, int X) {
    return IsWordSeparator(CharBefore(B, X));
}

} // namespace

std::string ToFullWidth(std::string_view S) {
    std::string Out;
    Out.reserve(S.size() * 2);
    for (size_t I = 0; I < S.size();) {
        const auto B = static_cast<unsigned char>(S[I]);
        if (IsLead(B) && I + 1 < S.size()) {
            Out.append(S.substr(I, 2));
            I += 2;
        } else if (I + 1 < S.size() && IsKanaPair(B, static_cast<unsigned char>(S[I + 1]))) {
            AppendCode(Out, KanaPairCode(B, static_cast<unsigned char>(S[I + 1])));
            I += 2;
        } else {
            AppendCode(Out, FullWidthTable[B]);
            ++I;
        }
    }
    return Out;
}

// ---- the matcher -----------------------------------------------------------------------------

TSearchMatcher::TSearchMatcher(std::string_view Pattern, TSearchOptions Options) : FOptions(Options) {
    FPattern = (Options & soMatchCase) ? std::string(Pattern) : cp932::UpperCase(Pattern);
    if (Options & soFuzzy) FPattern = ToFullWidth(FPattern);
    const auto* P = reinterpret_cast<const unsigned char*>(FPattern.data());
    const size_t N = FPattern.size();
    for (size_t I = 0; I < N;) {
        if (IsLead(P[I]) && I + 1 < N) {
            FChars.push_back(static_cast<uint16_t>(P[I] << 8 | P[I + 1]));
            I += 2;
        } else {
            FChars.push_back(P[I]);
            ++I;
        }
    }
    if (!FChars.empty()) PrepareFilter();
}

// T is a text character as TextChar gives it. Without soMatchCase only lowercase text folds
// onto an uppercase pattern character.
bool TSearchMatcher::CharEquals(uint16_t P, uint16_t T) const {
    if (P == T) return true;
    if (FOptions & soMatchCase) return false;
    if (T < 0x100) return !(FOptions & soFuzzy) && P == UpperTable[T];
    if (P < 0x100) return false;
    const unsigned Lead = T >> 8, Trail = T & 0xFF, PLead = P >> 8, PTrail = P & 0xFF;
    if (Lead == PLead) {
        unsigned char Upper = 0;
        switch (Lead) {
        case 0x82:
            Upper = LowerToUpper82[Trail];
            break;
        case 0x83:
            Upper = LowerToUpper83[Trail];
            break;
        case 0x84:
            Upper = LowerToUpper84[Trail];
            break;
        default:
            return false;
        }
        return Upper != 0 && Upper == PTrail;
    }
    return PLead == 0x87 && Lead == 0xEE && RomanEEto87[Trail] != 0 && RomanEEto87[Trail] == PTrail;
}

uint16_t TSearchMatcher::TextChar(const unsigned char* B, int N, int Y, int& Len) const {
    const unsigned char C = B[Y];
    if (IsLead(C) && Y + 1 < N) {
        Len = 2;
        return static_cast<uint16_t>(C << 8 | B[Y + 1]);
    }
    if (FOptions & soFuzzy) {
        if (Y + 1 < N && IsKanaPair(C, B[Y + 1])) {
            Len = 2;
            return KanaPairCode(C, B[Y + 1]);
        }
        Len = 1;
        return FullWidthTable[C];
    }
    Len = 1;
    return C;
}

int TSearchMatcher::MatchEnd(const unsigned char* B, int N, int X, bool& Cut) const {
    const bool SkipBreaks = (FOptions & soIgnoreLineBreaks) != 0;
    const bool SkipSpaces = (FOptions & soIgnoreSpaces) != 0;
    const size_t M = FChars.size();
    Cut = false;
    int Y = X;
    for (size_t I = 0; I < M;) {
        if (Y >= N) {
            Cut = true;
            return -1;
        }
        int Len;
        const uint16_t T = TextChar(B, N, Y, Len);
        if (CharEquals(FChars[I], T)) {
            Y += Len;
            ++I;
            continue;
        }
        // Blanks and breaks are skipped only inside a match, never before its first character.
        if (I > 0) {
            const unsigned char C = B[Y];
            if (SkipBreaks && (C == CR || C == LF)) {
                ++Y;
                continue;
            }
            if (SkipSpaces && (C == ' ' || C == '\t')) {
                ++Y;
                continue;
            }
            if (SkipSpaces && C == 0x81 && Y + 1 < N && B[Y + 1] == 0x40) {
                Y += 2;
                continue;
            }
        }
        // The last byte may be the first of a character the next bytes complete: a lead
        // byte, or with soFuzzy a katakana before its voiced mark.
        Cut = Y == N - 1 && (IsLead(B[Y]) || (FOptions & soFuzzy));
        return -1;
    }
    return Y;
}

bool TSearchMatcher::MatchAt(const unsigned char* B, int N, int X, int& End) const {
    bool Cut;
    const int Y = MatchEnd(B, N, X, Cut);
    if (Y < 0) return false;
    End = Y;
    return true;
}

bool TSearchMatcher::MayStartAt(const unsigned char* B, int N, int X, const TSearchContext& Context) const {
    if (IsTrailAt(B, X)) return false;
    if (!(FOptions & soWholeWord)) return true;
    return !SeparatorAt(B, N, X) && (X > 0 ? SeparatorBefore(B, X) : !Context.WordBefore);
}

// The end of the match at candidate X, or -1: X must be a character start (and with
// soWholeWord a word start) and the match must end before a separator or the text's end.
int TSearchMatcher::Check(const unsigned char* B, int N, int X, const TSearchContext& Context) const {
    if (!MayStartAt(B, N, X, Context)) return -1;
    int End;
    if (!MatchAt(B, N, X, End)) return -1;
    if ((FOptions & soWholeWord) && (End < N ? !SeparatorAt(B, N, End) : Context.WordAfter)) return -1;
    return End;
}

void TSearchMatcher::PrepareFilter() {
    const bool Fuzzy = (FOptions & soFuzzy) != 0;
    const bool SkipBreaks = (FOptions & soIgnoreLineBreaks) != 0;
    const bool SkipSpaces = (FOptions & soIgnoreSpaces) != 0;
    const uint16_t P0 = FChars[0];
    const bool OneChar = FChars.size() == 1;

    // Whether a text character that begins with byte B can equal pattern character P.
    auto CanBegin = [&](uint16_t P, unsigned char B) {
        if (CharEquals(P, Fuzzy ? FullWidthTable[B] : B)) return true;
        if (IsLead(B))
            for (int Trail = 0; Trail < 256; ++Trail)
                if (CharEquals(P, static_cast<uint16_t>(B << 8 | Trail))) return true;
        if (Fuzzy)
            for (unsigned char Mark : {VoicedMark, SemiVoicedMark})
                if (IsKanaPair(B, Mark) && CharEquals(P, KanaPairCode(B, Mark))) return true;
        return false;
    };
    bool Next[256] = {};
    if (!OneChar)
        for (int B = 0; B < 256; ++B)
            Next[B] = CanBegin(FChars[1], static_cast<unsigned char>(B)) ||
                      (SkipBreaks && (B == CR || B == LF)) ||
                      (SkipSpaces && (B == ' ' || B == '\t' || B == 0x81));

    auto Set = [this](int B0, int B1) { FPair[B0][B1 >> 6] |= uint64_t{1} << (B1 & 63); };
    for (int B0 = 0; B0 < 256; ++B0) {
        const auto C0 = static_cast<unsigned char>(B0);
        if (IsLead(C0)) {
            for (int B1 = 0; B1 < 256; ++B1)
                if (CharEquals(P0, static_cast<uint16_t>(B0 << 8 | B1))) Set(B0, B1);
            continue;
        }
        const bool SingleEquals = CharEquals(P0, Fuzzy ? FullWidthTable[C0] : C0);
        for (int B1 = 0; B1 < 256; ++B1) {
            const auto C1 = static_cast<unsigned char>(B1);
            bool Can;
            if (Fuzzy && IsKanaPair(C0, C1))
                Can = CharEquals(P0, KanaPairCode(C0, C1));
            else
                Can = SingleEquals && (OneChar || Next[B1]);
            if (Can) Set(B0, B1);
        }
    }

    FVectorScan = true;
    FAlternativeCount = 0;
    for (int B0 = 0; B0 < 256; ++B0) {
        int Count = 0;
        for (uint64_t W : FPair[B0]) Count += std::popcount(W);
        if (Count == 0) continue;
        if (FAlternativeCount == 4) {
            FVectorScan = false;
            break;
        }
        TAlternative& A = FAlternatives[FAlternativeCount++];
        A.First = static_cast<unsigned char>(B0);
        A.SecondCount = 0;
        if (Count <= 4)
            for (int B1 = 0; B1 < 256; ++B1)
                if ((FPair[B0][B1 >> 6] >> (B1 & 63)) & 1)
                    A.Second[A.SecondCount++] = static_cast<unsigned char>(B1);
    }
    PrepareNibbles();
}

namespace {

// A set of bytes as rectangles of nibbles: each the high nibbles that have one and the same
// set of low nibbles in the set. Up to 16 rectangles; returns how many.
struct TNibbleRect {
    uint16_t Highs = 0, Lows = 0;
};
int NibbleRects(const uint64_t (&Set)[4], TNibbleRect (&Rects)[16]) {
    int Count = 0;
    for (int High = 0; High < 16; ++High) {
        const auto Lows = static_cast<uint16_t>(Set[High >> 2] >> ((High & 3) * 16));
        if (Lows == 0) continue;
        int R = 0;
        while (R < Count && Rects[R].Lows != Lows) ++R;
        if (R == Count) Rects[Count++].Lows = Lows;
        Rects[R].Highs |= static_cast<uint16_t>(1u << High);
    }
    return Count;
}

// The smallest rectangle that holds all of Count rectangles.
TNibbleRect Widened(const TNibbleRect* Rects, int Count) {
    TNibbleRect All;
    for (int R = 0; R < Count; ++R) {
        All.Highs |= Rects[R].Highs;
        All.Lows |= Rects[R].Lows;
    }
    return All;
}

} // namespace

void TSearchMatcher::PrepareNibbles() {
    FNibbleScan = false;
    std::memset(FNibbleLow, 0, sizeof FNibbleLow);
    std::memset(FNibbleHigh, 0, sizeof FNibbleHigh);
    // Group the first bytes by their set of second bytes; more than four sets: no classes.
    struct TGroup {
        const uint64_t (*Seconds)[4];
        uint64_t Firsts[4];
    } Groups[4] = {};
    int GroupCount = 0;
    for (int B0 = 0; B0 < 256; ++B0) {
        const uint64_t* Seconds = FPair[B0];
        if ((Seconds[0] | Seconds[1] | Seconds[2] | Seconds[3]) == 0) continue;
        int G = 0;
        while (G < GroupCount && std::memcmp(*Groups[G].Seconds, Seconds, sizeof FPair[B0]) != 0) ++G;
        if (G == GroupCount) {
            if (GroupCount == 4) return;
            Groups[GroupCount++].Seconds = &FPair[B0];
        }
        Groups[G].Firsts[B0 >> 6] |= uint64_t{1} << (B0 & 63);
    }
    if (GroupCount == 0) return;
    // Class bit J holds the bytes whose low nibble and high nibble both have it.
    auto Add = [this](int Bit, TNibbleRect R) {
        for (int N = 0; N < 16; ++N) {
            if ((R.Lows >> N) & 1) FNibbleLow[N] |= static_cast<unsigned char>(1u << Bit);
            if ((R.Highs >> N) & 1) FNibbleHigh[N] |= static_cast<unsigned char>(1u << Bit);
        }
    };
    // Exact classes when every group's first and second bytes make few enough rectangles:
    // one bit for each pair of a first and a second rectangle. Otherwise one bit per group,
    // its sets widened to all the nibbles their bytes have.
    TNibbleRect FirstRects[4][16], SecondRects[4][16];
    int FirstCount[4], SecondCount[4], Bits = 0;
    for (int G = 0; G < GroupCount; ++G) {
        FirstCount[G] = NibbleRects(Groups[G].Firsts, FirstRects[G]);
        SecondCount[G] = NibbleRects(*Groups[G].Seconds, SecondRects[G]);
        Bits += FirstCount[G] * SecondCount[G];
    }
    if (Bits <= 4) {
        int Bit = 0;
        for (int G = 0; G < GroupCount; ++G)
            for (int F = 0; F < FirstCount[G]; ++F)
                for (int S = 0; S < SecondCount[G]; ++S, ++Bit) {
                    Add(Bit, FirstRects[G][F]);
                    Add(4 + Bit, SecondRects[G][S]);
                }
    } else {
        for (int G = 0; G < GroupCount; ++G) {
            Add(G, Widened(FirstRects[G], FirstCount[G]));
            Add(4 + G, Widened(SecondRects[G], SecondCount[G]));
        }
    }
    int Compares = 0;
    bool AnySecond = false;
    for (int A = 0; A < FAlternativeCount; ++A) {
        Compares += 1 + FAlternatives[A].SecondCount;
        AnySecond = AnySecond || FAlternatives[A].SecondCount == 0;
    }
    FNibbleScan = HasWideScan() && (!FVectorScan || AnySecond || Compares > 6);
}

bool TSearchMatcher::PairMayStart(unsigned char B0, unsigned char B1) const {
    return (FPair[B0][B1 >> 6] >> (B1 & 63)) & 1;
}

#if defined(__SSE2__)
namespace {

// The candidate masks of 16 positions: bit I set when the bytes at I and I + 1 are one of
// the alternatives.
struct TVectorFilter {
    __m128i First[4], Second[4][4];
    int SecondCount[4];
    int Count;

    // The byte pairs a match can begin with, each byte spread over a register.
    template <class TAlt>
    TVectorFilter(const TAlt* Alternatives, int AlternativeCount) : Count(AlternativeCount) {
        for (int A = 0; A < Count; ++A) {
            First[A] = _mm_set1_epi8(static_cast<char>(Alternatives[A].First));
            SecondCount[A] = Alternatives[A].SecondCount;
            for (int J = 0; J < SecondCount[A]; ++J)
                Second[A][J] = _mm_set1_epi8(static_cast<char>(Alternatives[A].Second[J]));
        }
    }

    unsigned Mask(const unsigned char* At) const {
        const __m128i L0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(At));
        const __m128i L1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(At + 1));
        __m128i M = _mm_setzero_si128();
        for (int A = 0; A < Count; ++A) {
            __m128i E = _mm_cmpeq_epi8(L0, First[A]);
            if (SecondCount[A] > 0) {
                __m128i S = _mm_cmpeq_epi8(L1, Second[A][0]);
                for (int J = 1; J < SecondCount[A]; ++J)
                    S = _mm_or_si128(S, _mm_cmpeq_epi8(L1, Second[A][J]));
                E = _mm_and_si128(E, S);
            }
            M = _mm_or_si128(M, E);
        }
        return static_cast<unsigned>(_mm_movemask_epi8(M));
    }
};

} // namespace
#endif

#if defined(FEEDLOOM_WIDE_SCAN)
namespace {
// The class bits of each byte of L (a shuffle looks at the low four bits of its index).
__attribute__((target("avx2"), always_inline)) inline __m256i NibbleClasses(__m256i L, __m256i Low, __m256i High,
                                                                           __m256i Nibble) {
    return _mm256_and_si256(_mm256_shuffle_epi8(Low, _mm256_and_si256(L, Nibble)),
                            _mm256_shuffle_epi8(High, _mm256_and_si256(_mm256_srli_epi16(L, 4), Nibble)));
}

// Bytes 1 to 32 of the block C followed by Next: C's upper lane and Next's lower, one byte on.
__attribute__((target("avx2"), always_inline)) inline __m256i OneOn(__m256i C, __m256i Next) {
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(C, Next, 0x21), C, 1);
}
} // namespace

__attribute__((target("avx2"))) int TSearchMatcher::ScanDownWide(const unsigned char* B, int N, int& X, int To,
                                                                 const TSearchContext& Context, int& Len) const {
    __m256i First[4], Second[4][4];
    for (int A = 0; A < FAlternativeCount; ++A) {
        First[A] = _mm256_set1_epi8(static_cast<char>(FAlternatives[A].First));
        for (int J = 0; J < FAlternatives[A].SecondCount; ++J)
            Second[A][J] = _mm256_set1_epi8(static_cast<char>(FAlternatives[A].Second[J]));
    }
    // Both loads must stay inside the buffer: X + 32 < N.
    for (; X <= To && X + 32 < N; X += 32) {
        const __m256i L0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(B + X));
        const __m256i L1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(B + X + 1));
        __m256i M = _mm256_setzero_si256();
        for (int A = 0; A < FAlternativeCount; ++A) {
            __m256i E = _mm256_cmpeq_epi8(L0, First[A]);
            if (FAlternatives[A].SecondCount > 0) {
                __m256i S = _mm256_cmpeq_epi8(L1, Second[A][0]);
                for (int J = 1; J < FAlternatives[A].SecondCount; ++J)
                    S = _mm256_or_si256(S, _mm256_cmpeq_epi8(L1, Second[A][J]));
                E = _mm256_and_si256(E, S);
            }
            M = _mm256_or_si256(M, E);
        }
        auto Mask = static_cast<uint32_t>(_mm256_movemask_epi8(M));
        if (To - X < 31) Mask &= (uint32_t{1} << (To - X + 1)) - 1;
        if (const int Found = FirstInMask(B, N, X, Mask, Context, Len); Found >= 0) return Found;
    }
    return -1;
}

__attribute__((target("avx2"))) int TSearchMatcher::ScanDownNibbles(const unsigned char* B, int N, int& X, int To,
                                                                    const TSearchContext& Context, int& Len) const {
    const __m256i Low = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(FNibbleLow)));
    const __m256i High = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(FNibbleHigh)));
    const __m256i Nibble = _mm256_set1_epi8(0x0F);
    const __m256i Zero = _mm256_setzero_si256();
    auto Classes = [&](int At) __attribute__((target("avx2"))) {
        return NibbleClasses(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(B + At)), Low, High, Nibble);
    };
    // The candidates of a block of 32 bytes from the classes of its bytes (C0) and of the
    // bytes one on (C1): a group's first byte here and one of its second bytes next.
    auto Candidates = [&](__m256i C0, __m256i C1) __attribute__((target("avx2"))) {
        const __m256i Both = _mm256_and_si256(C0, _mm256_and_si256(_mm256_srli_epi16(C1, 4), Nibble));
        return ~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Both, Zero)));
    };
    // The classes let some pairs through that can begin no match (each class stands for all
    // its low nibbles with all its high ones); the pair table drops them before the candidates
    // at At are checked. Both bytes of a pair lie in the buffer.
    auto Try = [&](int At, uint32_t Mask) {
        if (To - At < 31) Mask &= (uint32_t{1} << (To - At + 1)) - 1;
        for (uint32_t M = Mask; M != 0; M &= M - 1) {
            const int K = std::countr_zero(M);
            if (!PairMayStart(B[At + K], B[At + K + 1])) Mask &= ~(uint32_t{1} << K);
        }
        return Mask != 0 ? FirstInMask(B, N, At, Mask, Context, Len) : -1;
    };
    // Each block's classes serve twice: for the first bytes there, and shifted by one byte for
    // the second bytes of the block before. Two blocks a round while the loads stay inside
    // the buffer (X + 96 <= N), then one (X + 64 <= N).
    if (X <= To && X + 64 <= N) {
        __m256i C0 = Classes(X);
        for (; X <= To && X + 96 <= N; X += 64) {
            const __m256i C32 = Classes(X + 32), C64 = Classes(X + 64);
            const uint32_t M0 = Candidates(C0, OneOn(C0, C32)), M32 = Candidates(C32, OneOn(C32, C64));
            if ((M0 | M32) != 0) {
                if (const int Found = Try(X, M0); Found >= 0) return Found;
                if (X + 32 <= To)
                    if (const int Found = Try(X + 32, M32); Found >= 0) return Found;
            }
            C0 = C64;
        }
        for (; X <= To && X + 64 <= N; X += 32) {
            const __m256i C32 = Classes(X + 32);
            if (const int Found = Try(X, Candidates(C0, OneOn(C0, C32))); Found >= 0) return Found;
            C0 = C32;
        }
    }
    // Both loads must stay inside the buffer: X + 32 < N.
    for (; X <= To && X + 32 < N; X += 32)
        if (const int Found = Try(X, Candidates(Classes(X), Classes(X + 1))); Found >= 0) return Found;
    return -1;
}

#else
int TSearchMatcher::ScanDownWide(const unsigned char*, int, int&, int, const TSearchContext&, int&) const {
    return -1;
}
int TSearchMatcher::ScanDownNibbles(const unsigned char*, int, int&, int, const TSearchContext&, int&) const {
    return -1;
}
#endif

int TSearchMatcher::FirstInMask(const unsigned char* B, int N, int X, uint32_t Mask,
                                const TSearchContext& Context, int& Len) const {
    for (; Mask != 0; Mask &= Mask - 1) {
        const int J = X + std::countr_zero(Mask);
        if (const int End = Check(B, N, J, Context); End >= 0) {
            Len = End - J;
            return J;
        }
    }
    return -1;
}

int TSearchMatcher::ScanDown(const unsigned char* B, int N, int From, int To, const TSearchContext& Context,
                             int& Len) const {
    int X = From;
#if defined(FEEDLOOM_WIDE_SCAN)
    if (FNibbleScan) {
        if (const int Found = ScanDownNibbles(B, N, X, To, Context, Len); Found >= 0) return Found;
    } else if (FVectorScan && HasWideScan()) {
        if (const int Found = ScanDownWide(B, N, X, To, Context, Len); Found >= 0) return Found;
    }
#endif
#if defined(__SSE2__)
    if (FVectorScan) {
        const TVectorFilter F(FAlternatives, FAlternativeCount);
        // Both loads must stay inside the buffer: X + 16 < N.
        for (; X <= To && X + 16 < N; X += 16) {
            unsigned Mask = F.Mask(B + X);
            if (To - X < 15) Mask &= (1u << (To - X + 1)) - 1;
            if (const int Found = FirstInMask(B, N, X, Mask, Context, Len); Found >= 0) return Found;
        }
    }
#endif
    for (; X <= To; ++X) {
        if (X + 1 < N && !PairMayStart(B[X], B[X + 1])) continue;
        const int End = Check(B, N, X, Context);
        if (End >= 0) {
            Len = End - X;
            return X;
        }
    }
    return -1;
}

int TSearchMatcher::ScanUp(const unsigned char* B, int N, int From, int To, const TSearchContext& Context,
                           int& Len) const {
    int X = From;
    auto Try = [&](int At) {
        if (At + 1 < N && !PairMayStart(B[At], B[At + 1])) return false;
        const int End = Check(B, N, At, Context);
        if (End < 0) return false;
        Len = End - At;
        return true;
    };
    // The last byte of the buffer cannot be loaded as the first of a pair.
    for (; X >= To && X + 1 >= N; --X)
        if (Try(X)) return X;
#if defined(__SSE2__)
    if (FVectorScan) {
        const TVectorFilter F(FAlternatives, FAlternativeCount);
        for (; X - 15 >= To; X -= 16) {
            const int Base = X - 15;
            unsigned Mask = F.Mask(B + Base);
            while (Mask != 0) {
                const int Bit = 31 - std::countl_zero(Mask);
                const int J = Base + Bit;
                const int End = Check(B, N, J, Context);
                if (End >= 0) {
                    Len = End - J;
                    return J;
                }
                Mask &= ~(1u << Bit);
            }
        }
    }
#endif
    for (; X >= To; --X)
        if (Try(X)) return X;
    return -1;
}

void TSearchMatcher::CandidateRange(std::string_view Buffer, const TSearchInfo& Position, int& From,
                                    int& To) const {
    const auto* B = reinterpret_cast<const unsigned char*>(Buffer.data());
    const int N = static_cast<int>(Buffer.size());
    From = 0;
    To = -1;
    if (FChars.empty() || Position.Start < 0 || Position.Start > N || Position.Length < 0) return;
    if (FOptions & soDown) {
        int64_t S = int64_t{Position.Start} + Position.Length;
        if (S < N && IsTrailAt(B, static_cast<int>(S))) ++S;
        if (S >= N) return;
        From = static_cast<int>(S);
        To = N - 1;
        return;
    }
    int64_t S = Position.Start;
    if (FOptions & soFuzzy) {
        // Back by the pattern's characters: a double-byte character, or a half-width
        // katakana with its mark, is one step.
        for (size_t K = 0; K < FChars.size() && S >= 0; ++K) {
            const int I = static_cast<int>(S);
            if (I <= 0)
                S = -1;
            else if (IsTrailAt(B, I - 1))
                S -= 2;
            else if (I >= 2 && IsKanaPair(B[I - 2], B[I - 1]) && !IsTrailAt(B, I - 2))
                S -= 2;
            else
                S -= 1;
        }
    } else {
        S -= static_cast<int64_t>(FPattern.size());
    }
    if (S < 0) return;
    if (S < N && IsTrailAt(B, static_cast<int>(S))) --S;
    To = static_cast<int>(S);
}

int TSearchMatcher::FindIn(std::string_view Buffer, int From, int To, const TSearchContext& Context,
                           int& Len) const {
    const auto* B = reinterpret_cast<const unsigned char*>(Buffer.data());
    const int N = static_cast<int>(Buffer.size());
    if (FChars.empty()) return -1;
    // A match covers at least one byte per pattern character, and without soFuzzy as many
    // bytes as the pattern has.
    const int64_t Least =
        (FOptions & soFuzzy) ? static_cast<int64_t>(FChars.size()) : static_cast<int64_t>(FPattern.size());
    From = std::max(From, 0);
    To = static_cast<int>(std::min<int64_t>(To, N - Least));
    if (To < From) return -1;
    return (FOptions & soDown) ? ScanDown(B, N, From, To, Context, Len)
                               : ScanUp(B, N, To, From, Context, Len);
}

int TSearchMatcher::CutOff(std::string_view Buffer, int From, int To, const TSearchContext& Context) const {
    const auto* B = reinterpret_cast<const unsigned char*>(Buffer.data());
    const int N = static_cast<int>(Buffer.size());
    if (FChars.empty()) return -1;
    To = std::min(To, N - 1);
    // A match cut off by the end holds fewer than all of the pattern's characters, at most two
    // bytes each, besides the breaks and blanks it skips (0x81 0x40 counted as skipped byte
    // by byte, which only widens the stretch): it starts within this stretch of the end.
    const bool SkipBreaks = (FOptions & soIgnoreLineBreaks) != 0;
    const bool SkipSpaces = (FOptions & soIgnoreSpaces) != 0;
    const int Most = 2 * static_cast<int>(FChars.size());
    int X = N, Kept = 0;
    while (X > From) {
        const unsigned char C = B[X - 1];
        const bool Skipped = (SkipBreaks && (C == CR || C == LF)) ||
                             (SkipSpaces && (C == ' ' || C == '\t' || C == 0x81 || C == 0x40));
        if (!Skipped && Kept++ == Most) break;
        --X;
    }
    if (X < N && IsTrailAt(B, X)) ++X;
    for (; X <= To; X += IsLead(B[X]) && X + 1 < N ? 2 : 1) {
        // The first two bytes are those of a whole match: the prefilter holds for them too.
        if (X + 1 < N && !PairMayStart(B[X], B[X + 1])) continue;
        if (!MayStartAt(B, N, X, Context)) continue;
        bool Cut;
        MatchEnd(B, N, X, Cut);
        if (Cut) return X;
    }
    return -1;
}

int TSearchMatcher::Find(std::string_view Buffer, TSearchInfo& Position) const {
    int From, To, Len = 0;
    CandidateRange(Buffer, Position, From, To);
    const int Found = FindIn(Buffer, From, To, TSearchContext{}, Len);
    if (Found >= 0) Position.Length = Len;
    return Found;
}

const char* SearchBuffer(std::string_view Buffer, TSearchInfo& Position, std::string_view Pattern,
                         TSearchOptions Options) {
    const TSearchMatcher Matcher(Pattern, Options);
    const int Found = Matcher.Find(Buffer, Position);
    return Found < 0 ? nullptr : Buffer.data() + Found;
}

bool SearchText(std::string_view Buffer, TSearchInfo& Position, std::string_view Pattern,
                TSearchOptions Options) {
    if (Pattern.empty() || Buffer.empty()) return false;
    const char* Match = SearchBuffer(Buffer, Position, Pattern, Options);
    if (!Match) return false;
    Position.Start = static_cast<int>(Match - Buffer.data());
    return true;
}

// ---- TEditor ---------------------------------------------------------------------------------

namespace {

// The rows of an editor as one buffer a few at a time: a chunk of rows whose candidates are
// tried, then as many rows after them as a match begun in the chunk needs. Rows that lie in
// place one after the other in a shared block, each followed by the CR LF that the text
// has there (a loaded text, its wrapped rows), are scanned where they lie; the buffer is
// copied together only from the first row that does not.
struct TRowBuffer {
    const TEditor& Editor;
    const TSearchMatcher& Matcher;
    const int Count;
    const TEditorScreenStrings& List;
    std::string Copy;      // the buffer when it is not in place
    std::string_view Text; // the buffer: in place, or Copy
    bool InPlace = true;
    int First = 0; // the chunk's first row
    int Next = 0;  // the row after the buffer

    size_t RowBytes(int Row) const {
        return Editor.RowText(Row).size() + (Editor.RowAttr(Row) == raCrlf ? 2 : 0);
    }

    // Takes rows from Next on, up to End, while the buffer holds fewer than Limit bytes: in
    // place as long as they lie so, then copied.
    void AppendUntil(size_t Limit, int End) {
        if (InPlace) {
            Next = List.SpanInPlace(Next, End, Text, Limit);
            if (Next >= End || Text.size() >= Limit) return;
            Copy.assign(Text);
            InPlace = false;
        }
        for (; Next < End && Copy.size() < Limit; ++Next) {
            Copy.append(List.RowView(Next));
            if (List.GetRowAttribute(Next) == raCrlf) Copy.append("\r\n");
        }
        Text = Copy;
    }

    void Start(int FirstRow) {
        Copy.clear();
        Text = std::string_view();
        InPlace = true;
        First = Next = FirstRow;
    }

    // Rows First..Last; Last is included whatever its size.
    void Read(int FirstRow, int LastRow) {
        Start(FirstRow);
        AppendUntil(SIZE_MAX, LastRow + 1);
    }

    // A chunk down from FirstRow: whole rows until it holds more than ChunkBytes.
    void ReadDown(int FirstRow) {
        Start(FirstRow);
        AppendUntil(ChunkBytes + 1, Count);
        KeepKanaPairs();
    }

    // With soFuzzy a half-width katakana and the voiced or semi-voiced mark after it are one
    // character, and word wrap may put the two in rows of their own: the buffer never ends
    // between them, or a match could end at a katakana that the next row's mark changes.
    void KeepKanaPairs() {
        if (!(Matcher.Options() & soFuzzy)) return;
        while (Next < Count && !Text.empty() && List.GetRowAttribute(Next - 1) == raWrapped) {
            const std::string_view After = List.RowView(Next);
            if (After.empty() || !IsKanaPair(static_cast<unsigned char>(Text.back()),
                                             static_cast<unsigned char>(After.front())))
                return;
            AppendUntil(SIZE_MAX, Next + 1);
        }
    }

    // The text beside the buffer: a wrapped row goes on in the next row without a break.
    TSearchContext Context() const {
        TSearchContext C;
        if (First > 0 && Editor.RowAttr(First - 1) != raCrlf) {
            const std::string_view Before = Editor.RowText(First - 1);
            const auto* B = reinterpret_cast<const unsigned char*>(Before.data());
            const int N = static_cast<int>(Before.size());
            C.WordBefore = N > 0 && !SeparatorBefore(B, N);
        }
        if (Next < Count) {
            const std::string_view After = Editor.RowText(Next);
            C.WordAfter = !After.empty() && !SeparatorAt(reinterpret_cast<const unsigned char*>(After.data()),
                                                         static_cast<int>(After.size()), 0);
        }
        return C;
    }

    // The first (soDown) or last candidate in From..To that matches, reading on past the
    // chunk while a candidate that would come first is cut off by the buffer's end; then only
    // the candidates from that one on are tried again. The rows read on grow by at least
    // their own size each time, so a match that skips a long run of breaks or blanks costs
    // time in proportion to that run.
    int Find(int From, int To, int& Len) {
        const bool Down = Matcher.Options() & soDown;
        const size_t Chunk = Text.size();
        int Found = -1;
        for (;;) {
            const TSearchContext C = Context();
            int HitLen = 0;
            const int Hit = Matcher.FindIn(Text, From, To, C, HitLen);
            // Searching up, a hit found before stands unless one after it turns up.
            if (Hit >= 0) {
                Found = Hit;
                Len = HitLen;
            }
            if (Next >= Count) return Found;
            const int Cut = Hit < 0 ? Matcher.CutOff(Text, From, To, C)
                            : Down  ? Matcher.CutOff(Text, From, Hit - 1, C)
                                    : Matcher.CutOff(Text, Hit + 1, To, C);
            if (Cut < 0) return Found;
            From = Cut;
            const size_t Target = Text.size() + std::max<size_t>(256, Text.size() - Chunk);
            AppendUntil(Target, Count);
            KeepKanaPairs();
        }
    }
};

} // namespace

bool TEditor::Search(const std::string& Pattern, TSearchOptions Options) {
    const int Count = RowsCount();
    if (Count == 0 || Pattern.empty()) return false;
    const TSearchMatcher Matcher(Pattern, Options);
    if (Matcher.Empty()) return false;
    TRowBuffer Buffer{*this, Matcher, Count, *FList, {}, {}};
    Buffer.Copy.reserve(ChunkBytes * 2);
    // Each chunk is at least ChunkBytes of whole rows, and every candidate is tried in the
    // chunk that holds its row.
    int Row, Byte;
    TSearchInfo Position; // the start point, within the first chunk
    if (Options & soDown) {
        if (HasSelection()) {
            Row = FSelRange.EndRow;
            Byte = FSelRange.LastByte + 1;
        } else {
            Row = std::min(FRow, Count - 1);
            // The empty row after a final line break starts after that break.
            Byte = FRow < Count ? ColToByte(FRow, FCol) : static_cast<int>(Buffer.RowBytes(Row));
        }
    } else if (HasSelection()) {
        Row = FSelRange.StartRow;
        Byte = FSelRange.StartByte;
    } else if (FRow >= Count) {
        // The empty row after the final line break.
        Row = Count - 1;
        Byte = static_cast<int>(Buffer.RowBytes(Row));
    } else {
        Row = FRow;
        Byte = ColToByte(FRow, FCol);
    }
    int Found = -1, Len = 0;
    if (Options & soDown) {
        // A hit shown as a caret is still selected, so the search already starts after it;
        // its recorded length is not added again.
        int First = Row;
        int From = -1, To = -1;
        for (;;) {
            Buffer.ReadDown(First);
            const int Last = Buffer.Next - 1;
            if (First == Row) {
                Position.Start = std::min(std::max(Byte, 0), static_cast<int>(Buffer.Text.size()));
                Matcher.CandidateRange(Buffer.Text, Position, From, To);
                if (To < From) From = static_cast<int>(Buffer.Text.size());
            } else {
                From = 0;
            }
            To = static_cast<int>(Buffer.Text.size()) - 1;
            Found = Buffer.Find(From, To, Len);
            if (Found >= 0 || Last + 1 >= Count) break;
            First = Last + 1;
        }
    } else {
        int Last = Row;
        for (;;) {
            int First = Last;
            for (size_t Size = Buffer.RowBytes(First); First > 0 && Size <= ChunkBytes;)
                Size += Buffer.RowBytes(--First);
            Buffer.Read(First, Last);
            int From = 0, To = static_cast<int>(Buffer.Text.size()) - 1;
            Buffer.KeepKanaPairs();
            if (Last == Row) {
                // The start point, counted from the chunk's first row.
                Position.Start = std::max(Byte, 0);
                for (int R = First; R < Last; ++R) Position.Start += static_cast<int>(Buffer.RowBytes(R));
                Position.Start = std::min(Position.Start, static_cast<int>(Buffer.Text.size()));
                Matcher.CandidateRange(Buffer.Text, Position, From, To);
            }
            Found = Buffer.Find(From, To, Len);
            if (Found >= 0 || First == 0) break;
            Last = First - 1;
        }
    }
    if (Found < 0) return false;
    CancelSelection();
    SetCaretOffset(Buffer.First, Found);
    HitSelect(Len);
    ScrollCaretIntoView();
    return true;
}

void TEditor::HitSelect(int Length) {
    switch (FHitStyle) {
    case hsSelect:
        SetSelLength(Length);
        break;
    case hsDraw: {
        TFlagGuard Hit(FHitSelecting, true);
        SetSelLength(Length);
        break;
    }
    case hsCaret:
        if (Length > 0) {
            const int HitRow = FRow, HitCol = FCol;
            {
                TFlagGuard Hit(FHitSelecting, true);
                SetSelLength(Length);
            }
            if (Focused() && HandleAllocated()) {
                SetRowCol(HitRow, HitCol);
                // The caret covers the hit on its row (to the row's end when it goes on).
                const int EndCol = FSelFrame.EndRow == FSelFrame.StartRow ? FSelFrame.EndCol : RowWidth(FRow);
                const int Width = std::max(2, FColWidth * (EndCol - FSelFrame.StartCol));
                HideCaret();
                FHost->DestroyCaret();
                FCaretShown = false;
                FHost->CreateCaret(Width, FFontHeight);
                PlaceCaret();
                ShowCaret();
            }
        } else {
            SetSelLength(Length);
        }
        break;
    }
    FHitLength = Length;
}
