// Line breaking: the column cursor over one line and the cutting of lines into screen rows.
#include "editor/model/line_breaking.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---- TEditorAttributeArray ----

void TEditorAttributeArray::Init(std::string_view S, std::string_view Attr) {
    FStr = S;
    FAttr.assign(Attr);
    FAttr.push_back(EndMark);
    Start();
}

void TEditorAttributeArray::Init(std::string_view S, const TColumnParams& P) {
    FStr = S;
    FAttr.clear();
    AppendColumnMap(S, P, ColumnMapLimit(P), FAttr);
    FAttr.push_back(EndMark);
    Start();
}

void TEditorAttributeArray::Start() {
    FPos = 0;
    FSrcPos = 0;
    FAttrChar = '\0';
    Next();
}

void TEditorAttributeArray::Next() {
    if (FAttrChar == EndMark) return;
    ++FPos;
    FAttrChar = FAttr[static_cast<size_t>(FPos - 1)];
    if (FAttrChar != cmTabFill) ++FSrcPos;
}

void TEditorAttributeArray::Prev() {
    if (FPos <= 1) return;
    if (FAttrChar != cmTabFill) --FSrcPos;
    --FPos;
    FAttrChar = FAttr[static_cast<size_t>(FPos - 1)];
}

void TEditorAttributeArray::MoveTo(int Column) {
    if (Column > FPos) {
        while (FPos < Column && FAttrChar != EndMark) Next();
    } else {
        while (FPos > Column && FPos > 1) Prev();
    }
}

void TEditorAttributeArray::PrevChar() {
    Prev();
    if (FAttrChar == cmLead) Prev();
}

std::string_view TEditorAttributeArray::Bytes(int Start, int Length) const {
    // A map that does not belong to FStr must not lead outside it.
    if (Start < 0) {
        Length += Start;
        Start = 0;
    }
    if (Length <= 0 || static_cast<size_t>(Start) >= FStr.size()) return {};
    return FStr.substr(static_cast<size_t>(Start), static_cast<size_t>(Length));
}

std::string_view TEditorAttributeArray::CurrentChar() const {
    switch (FAttrChar) {
    case EndMark:
        return {};
    case cmTrail:
        return Bytes(FSrcPos - 2, 2);
    case cmLead:
        return Bytes(FSrcPos - 1, 2);
    default:
        return Bytes(FSrcPos - 1, 1);
    }
}

std::string_view TEditorAttributeArray::NextChar() {
    // On the end mark Next does not move, so the Prev after it must not either.
    if (FAttrChar == EndMark) return {};
    Next();
    const std::string_view C = CurrentChar();
    Prev();
    return C;
}

// ---- TEditorWrapper ----

const TEditorWrapOption& TEditorWrapper::Option() const {
    if (FWrapOption) return *FWrapOption;
    static const TEditorWrapOption Defaults;
    return Defaults;
}

TColumnParams TEditorWrapper::ColumnParams() const {
    TColumnParams P;
    P.Delimiters = FDelimiters;
    P.TabSpaceCount = FTabSpaceCount;
    P.WordWrap = FWordWrap;
    P.WrapByte = Option().GetWrapByte();
    return P;
}

// Per byte: its column code as a single-byte character ('1' or '2'). The membership sets of
// the three option strings.
struct TEditorWrapper::TTables {
    // What the tables were built from.
    std::string FollowStr, LeadStr, PunctuationStr;
    TDelimiters Delimiters;

    uint8_t ByteClass[256];
    TCharSet Follow, Lead, Punctuation;

    TTables(const TEditorWrapOption& O, const TDelimiters& D)
        : FollowStr(O.GetFollowStr()), LeadStr(O.GetLeadStr()), PunctuationStr(O.GetPunctuationStr()),
          Delimiters(D), Follow(FollowStr), Lead(LeadStr), Punctuation(PunctuationStr) {
        for (int B = 0; B < 256; ++B) {
            const auto C = static_cast<unsigned char>(B);
            ByteClass[B] = static_cast<uint8_t>(D.Contains(C) ? cmDelimiter : cmWord);
        }
    }
    bool Fits(const TEditorWrapOption& O, const TDelimiters& D) const {
        return Delimiters == D && FollowStr == O.GetFollowStr() && LeadStr == O.GetLeadStr() &&
               PunctuationStr == O.GetPunctuationStr();
    }
};

std::shared_ptr<const TEditorWrapper::TTables> TEditorWrapper::Tables() const {
    const TEditorWrapOption& O = Option();
    if (!FTables || !FTables->Fits(O, FDelimiters)) FTables = std::make_shared<const TTables>(O, FDelimiters);
    return FTables;
}

TEditorWrapper::TCutter::TCutter(const TEditorWrapper& Wrapper)
    : FTables(Wrapper.Tables()), FParams(Wrapper.ColumnParams()) {
    const TEditorWrapOption& O = Wrapper.Option();
    // The option keeps WrapByte within its range; the map buffer relies on it.
    FWrapByte = std::clamp(O.GetWrapByte(), 1, TEditorWrapOption::MaxWrapByte);
    if (!Wrapper.GetWordWrap()) FWrapByte = 0; // one row per line
    FParams.WordWrap = true;
    FParams.WrapByte = FWrapByte;
    FFollowRetMark = O.GetFollowRetMark();
    FFollowPunctuation = O.GetFollowPunctuation();
    FLeading = O.GetLeading();
    FWordBreak = O.GetWordBreak();
}

void TEditorWrapper::TCutter::Start(std::string_view Line) {
    FLine = Line;
    FOffset = 0;
    FDone = false;
    FStarted = false;
}

namespace {

// The map of a row without tabs is built a word at a time: bit I of a word stands for byte
// I of a stretch of up to 64 bytes.
constexpr int MaskWords = (TEditorWrapOption::MaxWrapByte + 4 + 63) / 64;

// The lead bytes as the vector compare below sees them.
constexpr bool LeadRangesMatch() {
    for (int B = 0; B < 256; ++B) {
        const bool InRanges = (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
        if (InRanges != LeadByteSet.Contains(static_cast<unsigned char>(B))) return false;
    }
    return true;
}
static_assert(LeadRangesMatch(), "the lead bytes are 0x81-0x9F and 0xE0-0xFC");

// Sets bit I of Leads (of Tabs) when byte I of P is a lead byte (a tab), for I < N (N <= 64 *
// MaskWords); the other bits of the words that hold the N bytes are 0. Returns whether a tab
// is among the N bytes.
bool ClassifyBytes(const unsigned char* P, size_t N, uint64_t* Leads, uint64_t* Tabs) {
    for (size_t W = 0; W * 64 < N; ++W) Leads[W] = Tabs[W] = 0;
    uint64_t AnyTab = 0;
#if defined(__SSE2__)
    const __m128i Flip = _mm_set1_epi8(static_cast<char>(0x80));
    // After flipping the top bit the ranges compare as signed bytes: 0x01-0x1F and 0x60-0x7C.
    const __m128i Low0 = _mm_set1_epi8(0x00), Low1 = _mm_set1_epi8(0x20);
    const __m128i High0 = _mm_set1_epi8(0x5F), High1 = _mm_set1_epi8(0x7D);
    const __m128i Tab = _mm_set1_epi8('\t');
    // The bits of the 16 bytes at Q, shifted down by Skip, go to bytes At.. .
    auto Block = [&](const unsigned char* Q, size_t At, unsigned Skip) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Q));
        const __m128i X = _mm_xor_si128(V, Flip);
        const __m128i InLow = _mm_and_si128(_mm_cmpgt_epi8(X, Low0), _mm_cmpgt_epi8(Low1, X));
        const __m128i InHigh = _mm_and_si128(_mm_cmpgt_epi8(X, High0), _mm_cmpgt_epi8(High1, X));
        const auto L = static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(InLow, InHigh))) >> Skip;
        const auto T = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(V, Tab))) >> Skip;
        Leads[At / 64] |= static_cast<uint64_t>(L) << (At % 64);
        Tabs[At / 64] |= static_cast<uint64_t>(T) << (At % 64);
        AnyTab |= T;
    };
    size_t I = 0;
    for (; I + 16 <= N; I += 16) Block(P + I, I, 0);
    if (I < N) {
        if (N >= 16) {
            // The last 16 bytes, of which those already seen are shifted out.
            Block(P + N - 16, I, static_cast<unsigned>(16 - (N - I)));
        } else {
            for (; I < N; ++I) {
                Leads[0] |= static_cast<uint64_t>(LeadByteSet.Contains(P[I])) << I;
                const uint64_t T = P[I] == '\t';
                Tabs[0] |= T << I;
                AnyTab |= T;
            }
        }
    }
#else
    for (size_t I = 0; I < N; ++I) {
        Leads[I / 64] |= static_cast<uint64_t>(LeadByteSet.Contains(P[I])) << (I % 64);
        const uint64_t T = P[I] == '\t';
        Tabs[I / 64] |= T << (I % 64);
        AnyTab |= T;
    }
#endif
    return AnyTab != 0;
}

// Turns the lead-byte bits of the first Words words into the bits of the bytes that start a
// double-byte character (in Leads) and of the bytes that end one (in Trails). Walking from
// byte 0, a lead byte starts a character unless it ends one; so in a run of lead bytes the
// bytes at an even distance from the run's start start characters, and the byte after each
// of them ends one.
void PairLeadBytes(uint64_t* Leads, uint64_t* Trails, size_t Words) {
    constexpr uint64_t Even = 0x5555555555555555u;
    uint64_t Carry = 0; // the first byte of the word ends a character
    for (size_t W = 0; W < Words; ++W) {
        const uint64_t L = Leads[W] & ~Carry;
        const uint64_t OddStarts = L & ~(L << 1) & ~Even;
        // Adding a run's start bit clears the run when it starts on an odd bit; the runs that
        // start on even bits stay.
        const uint64_t X = L + OddStarts;
        const uint64_t Starts = (L & X & Even) | (L & ~X & ~Even);
        Trails[W] = (Starts << 1) | Carry;
        Leads[W] = Starts;
        Carry = Starts >> 63;
    }
}

bool BitAt(const uint64_t* Bits, size_t I) {
    return ((Bits[I / 64] >> (I % 64)) & 1u) != 0;
}

// Eight bytes of 0xFF or 0x00 from the bits of a byte (bit I to byte I in memory order).
constexpr uint64_t SpreadBits(unsigned Bits) {
    uint64_t R = 0;
    for (int I = 0; I < 8; ++I) {
        if (((Bits >> I) & 1u) == 0) continue;
        if constexpr (std::endian::native == std::endian::little)
            R |= uint64_t{0xFF} << (8 * I);
        else
            R |= uint64_t{0xFF} << (8 * (7 - I));
    }
    return R;
}
struct TSpreadTable {
    uint64_t Bytes[256];
    constexpr TSpreadTable() : Bytes() {
        for (unsigned B = 0; B < 256; ++B) Bytes[B] = SpreadBits(B);
    }
};
constexpr TSpreadTable Spread;

// The shift that puts byte K of eight into its place in a word read from memory.
constexpr unsigned ByteShift(size_t K) {
    return std::endian::native == std::endian::little ? static_cast<unsigned>(8 * K)
                                                      : static_cast<unsigned>(8 * (7 - K));
}

// The code of each of the N bytes of P as a column of its own: lead and trail where Starts
// and Trails say so, else the byte's code in Class. Eight codes are put together in a word
// and written at once.
void ByteCodes(const unsigned char* P, size_t N, const uint64_t* Starts, const uint64_t* Trails,
               const uint8_t* Class, char* Out) {
    constexpr uint64_t Ones = 0x0101010101010101u;
    constexpr uint64_t LeadCodes = Ones * static_cast<unsigned char>(cmLead);
    constexpr uint64_t TrailCodes = Ones * static_cast<unsigned char>(cmTrail);
    for (size_t G = 0; G < N; G += 8) {
        const size_t Count = std::min<size_t>(8, N - G);
        uint64_t Word = 0;
        if (Count == 8) {
            for (size_t K = 0; K < 8; ++K) Word |= static_cast<uint64_t>(Class[P[G + K]]) << ByteShift(K);
        } else {
            for (size_t K = 0; K < Count; ++K) Word |= static_cast<uint64_t>(Class[P[G + K]]) << ByteShift(K);
        }
        const unsigned Shift = static_cast<unsigned>(G % 64);
        const uint64_t Lm = Spread.Bytes[(Starts[G / 64] >> Shift) & 0xFF];
        const uint64_t Tm = Spread.Bytes[(Trails[G / 64] >> Shift) & 0xFF];
        Word = (Word & ~(Lm | Tm)) | (Lm & LeadCodes) | (Tm & TrailCodes);
        if (Count == 8)
            std::memcpy(Out + G, &Word, 8);
        else
            std::memcpy(Out + G, &Word, Count);
    }
}

} // namespace

void TEditorWrapper::TCutter::MapRest() {
    const auto* const P = reinterpret_cast<const unsigned char*>(FRest.data());
    const size_t Goal = static_cast<size_t>(FWrapByte) + 3;
    // Every byte is at least one column, so the map needs no byte past Reach: Goal columns
    // and the trail of a character that starts on the last of them.
    const size_t Reach = std::min(FRest.size(), Goal + 1);
    uint64_t Starts[MaskWords] = {}, Trails[MaskWords] = {}, Tabs[MaskWords] = {};
    const bool AnyTab = ClassifyBytes(P, Reach, Starts, Tabs);
    // The last byte of the line has no partner: it never starts a character.
    if (Reach > 0 && Reach == FRest.size()) Starts[(Reach - 1) / 64] &= ~(uint64_t{1} << ((Reach - 1) % 64));
    const size_t Words = (Reach + 63) / 64;
    PairLeadBytes(Starts, Trails, Words);

    size_t Columns;
    if (!AnyTab) {
        // One column per byte; a character is mapped whole.
        ByteCodes(P, Reach, Starts, Trails, FTables->ByteClass, FMap);
        Columns = std::min(Reach, Goal);
        if (Columns > 0 && BitAt(Starts, Columns - 1)) ++Columns;
    } else {
        char Codes[MapSize];
        ByteCodes(P, Reach, Starts, Trails, FTables->ByteClass, Codes);
        // The tabs that are not the trail of a character widen the map with their fill.
        for (size_t W = 0; W < Words; ++W) Tabs[W] &= ~Trails[W];
        size_t B = 0;
        Columns = 0;
        while (Columns < Goal && B < Reach) {
            size_t Tab = Reach;
            for (size_t W = B / 64; W < Words; ++W) {
                const uint64_t Bits = W == B / 64 ? Tabs[W] & (~uint64_t{0} << (B % 64)) : Tabs[W];
                if (Bits != 0) {
                    Tab = W * 64 + static_cast<size_t>(std::countr_zero(Bits));
                    break;
                }
            }
            size_t N = std::min(Tab - B, Goal - Columns);
            if (N > 0 && BitAt(Starts, B + N - 1)) ++N;
            std::memcpy(FMap + Columns, Codes + B, N);
            Columns += N;
            B += N;
            if (Columns >= Goal || B >= Reach) break;
            // B is the tab.
            FMap[Columns++] = Codes[B++];
            const int Width = static_cast<int>(Columns) - 1;
            const int Wide = TabStop(Width, FParams) - Width - 1;
            std::memset(FMap + Columns, cmTabFill, static_cast<size_t>(Wide));
            Columns += static_cast<size_t>(Wide);
        }
    }
    FColumns = static_cast<int>(Columns);
    FMap[Columns] = TEditorAttributeArray::EndMark;

    const int W = FWrapByte;
    if (FColumns < W) {
        // On the end mark, which counts as a byte.
        FPos = FColumns + 1;
        FAttrChar = TEditorAttributeArray::EndMark;
        FSrcPos = FColumns - (AnyTab ? static_cast<int>(std::count(FMap, FMap + Columns, cmTabFill)) : 0) + 1;
    } else {
        FPos = W;
        FAttrChar = FMap[W - 1];
        FSrcPos = W - (AnyTab ? static_cast<int>(std::count(FMap, FMap + W, cmTabFill)) : 0);
    }
}

std::string_view TEditorWrapper::TCutter::CurrentChar() const {
    // The map belongs to FRest: the bytes of a column are always inside it.
    switch (FAttrChar) {
    case TEditorAttributeArray::EndMark:
        return {};
    case cmTrail:
        return FRest.substr(static_cast<size_t>(FSrcPos - 2), 2);
    case cmLead:
        return FRest.substr(static_cast<size_t>(FSrcPos - 1), 2);
    default:
        return FRest.substr(static_cast<size_t>(FSrcPos - 1), 1);
    }
}

bool TEditorWrapper::TCutter::NextRow(std::string_view& Row, TRowAttribute& Attribute) {
    if (FDone) return false;
    FRest = FLine.substr(FOffset);
    if (!FStarted) {
        FStarted = true;
        // Without tabs a line is as wide as it is long: a short one is one row, unmapped.
        if (FWrapByte <= 0 || (FLine.size() < static_cast<size_t>(FWrapByte) &&
                               (FLine.empty() || std::memchr(FLine.data(), '\t', FLine.size()) == nullptr))) {
            FDone = true;
            Row = FLine;
            Attribute = raCrlf;
            return true;
        }
    }
    MapRest();
    if (FAttrChar == TEditorAttributeArray::EndMark) {
        // The rest fits (on the first row: the line is narrower than WrapByte). When it is
        // empty the line filled its last row exactly; with FollowRetMark on, that row has
        // already been given raCrlf and nothing follows.
        FDone = true;
        Row = FRest;
        Attribute = raCrlf;
        return true;
    }
    FindBreak();
    size_t N = std::min(static_cast<size_t>(std::max(FSrcPos, 0)), FRest.size());
    if (N == 0) N = static_cast<size_t>(CharLengthAt(FRest, 0)); // cannot happen with WrapByte >= 20
    Row = FRest.substr(0, N);
    FOffset += N;
    if (FOffset >= FLine.size() && FFollowRetMark) {
        FDone = true;
        Attribute = raCrlf;
    } else {
        Attribute = raWrapped;
    }
    return true;
}

void TEditorWrapper::TCutter::FindBreak() {
    const int W = FWrapByte;
    const TTables& T = *FTables;

    // A row never ends on a lead byte; with WordBreak, end after a delimiter, inside a
    // tab or after a double-byte character, unless that makes the row too short.
    if (FAttrChar == cmLead) {
        Prev();
    } else if (FWordBreak && FColumns > W) {
        while (FAttrChar != cmDelimiter && FAttrChar != cmTabFill && FAttrChar != cmTrail && FPos > W / 3)
            PrevChar();
    }

    // Hanging punctuation, at most two columns past the margin: a double-byte mark after
    // a single-byte one would need a third column, so it goes to the next row.
    if (FFollowPunctuation) {
        while (FPos < W + 2) {
            const std::string_view N = NextChar();
            if (!T.Punctuation.Contains(N)) break;
            if (FPos + static_cast<int>(N.size()) > W + 2) break;
            Next();
            if (FAttrChar == cmLead) Next();
        }
    }

    // Kinsoku: no opening bracket at the end of a row, no closing mark at the start of the
    // next one; never shorten the row to (W div 5) * 4 columns or less.
    if (FLeading && FPos < FColumns) {
        const int Limit = (W / 5) * 4;
        while (FPos > Limit) {
            if (!T.Lead.Contains(CurrentChar())) break;
            PrevChar();
        }
        if (FPos + 1 < FColumns) {
            std::string_view Next = NextChar();
            std::string_view Cur = CurrentChar();
            if (T.Follow.Contains(Next)) {
                while (FPos > Limit && (T.Lead.Contains(Cur) || T.Follow.Contains(Next))) {
                    PrevChar();
                    Next = Cur;
                    Cur = CurrentChar();
                }
            }
        }
    }
}

namespace {
// Keeps an update bracket of a string list open for a scope.
class TStringsUpdate {
public:
    explicit TStringsUpdate(TStrings& List) : FList(List) { FList.BeginUpdate(); }
    ~TStringsUpdate() { FList.EndUpdate(); }
    TStringsUpdate(const TStringsUpdate&) = delete;
    TStringsUpdate& operator=(const TStringsUpdate&) = delete;

private:
    TStrings& FList;
};
} // namespace

void TEditorWrapper::WrapText(std::string_view S, TRowAttributeStringList& Rows) const {
    TStringsUpdate Update(Rows);
    Rows.Clear();
    if (S.empty()) {
        Rows.SetRowAttribute(Rows.AddRow({}), raCrlf);
        return;
    }
    Rows.SetCapacity(LineCount(S));
    TCutter Cutter(*this);
    ForEachLine(S, [&](std::string_view Line) {
        Cutter.Start(Line);
        std::string_view Row;
        TRowAttribute Attribute;
        while (Cutter.NextRow(Row, Attribute)) Rows.SetRowAttribute(Rows.AddRow(Row), Attribute);
    });
}

int TEditorWrapper::WrapCount(std::string_view Line) const {
    if (!FWordWrap) return 1;
    int N = 0;
    CutLine(Line, [&N](std::string_view, TRowAttribute) { ++N; });
    return N;
}
