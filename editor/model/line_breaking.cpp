// Line breaking: the column cursor over one line and the cutting of lines into screen rows.
#include "editor/model/line_breaking.h"

#include <algorithm>
#include <cstring>

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

// Per byte: its column code ('1' or '2') in the low bits, and whether it is a lead byte or
// a tab. The membership sets of the three option strings.
struct TEditorWrapper::TTables {
    static constexpr uint8_t LeadFlag = 0x80;
    static constexpr uint8_t TabFlag = 0x40;
    static constexpr uint8_t CodeMask = 0x3F;

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
            uint8_t E = static_cast<uint8_t>(D.Contains(C) ? cmDelimiter : cmWord);
            if (IsDBCSLeadByte(static_cast<char>(C))) E |= LeadFlag;
            if (C == '\t') E |= TabFlag;
            ByteClass[B] = E;
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

void TEditorWrapper::TCutter::MapRest() {
    const auto* P = reinterpret_cast<const unsigned char*>(FRest.data());
    const auto* const End = P + FRest.size();
    char* M = FMap;
    char* const Goal = FMap + FWrapByte + 3;
    const uint8_t* const Class = FTables->ByteClass;
    // Without a tab among the bytes that can reach the map, column and byte counts agree
    // and the loop needs no tab test. A byte pairs with the lead byte before it whatever it
    // is; so does a tab, which is why a tab found here only selects the general loop.
    const size_t Reach = std::min(FRest.size(), static_cast<size_t>(FWrapByte) + 4);
    const bool Tabs = Reach > 0 && std::memchr(P, '\t', Reach) != nullptr;
    // The codes are chosen without branches: mixed single- and double-byte text would
    // mispredict a branch per character. The last byte is mapped on its own below: a lead
    // byte there has no partner.
    unsigned Trail = 0;
    auto Code = [&Trail](uint8_t E) {
        const unsigned Lead = (static_cast<unsigned>(E) >> 7) & (Trail ^ 1u);
        unsigned C = E & TTables::CodeMask;
        C += (static_cast<unsigned>(cmLead) - C) & (0u - Lead);
        C += (static_cast<unsigned>(cmTrail) - C) & (0u - Trail);
        Trail = Lead;
        return static_cast<char>(C);
    };
    const auto* const Last = FRest.empty() ? End : End - 1;
    if (!Tabs) {
        // One column per byte.
        const size_t N = std::min(static_cast<size_t>(Goal - M), static_cast<size_t>(Last - P));
        for (size_t I = 0; I < N; ++I) M[I] = Code(Class[P[I]]);
        M += N;
        P += N;
    } else {
        while (M < Goal && P < Last) {
            const uint8_t E = Class[*P];
            if ((E & TTables::TabFlag) != 0 && Trail == 0) {
                *M++ = static_cast<char>(E & TTables::CodeMask);
                ++P;
                const int Width = static_cast<int>(M - FMap) - 1;
                const int Fill = TabStop(Width, FParams) - Width - 1;
                std::memset(M, cmTabFill, static_cast<size_t>(Fill));
                M += Fill;
                continue;
            }
            *M++ = Code(E);
            ++P;
        }
    }
    if (Trail != 0) {
        // A double-byte character is mapped whole.
        *M++ = cmTrail;
        ++P;
    } else if (M < Goal && P == Last && P < End) {
        const uint8_t E = Class[*P];
        *M++ = static_cast<char>(E & TTables::CodeMask);
        ++P;
        if ((E & TTables::TabFlag) != 0) {
            const int Width = static_cast<int>(M - FMap) - 1;
            const int Fill = TabStop(Width, FParams) - Width - 1;
            std::memset(M, cmTabFill, static_cast<size_t>(Fill));
            M += Fill;
        }
    }
    FColumns = static_cast<int>(M - FMap);
    *M = TEditorAttributeArray::EndMark;

    const int W = FWrapByte;
    if (FColumns < W) {
        // On the end mark, which counts as a byte.
        FPos = FColumns + 1;
        FAttrChar = TEditorAttributeArray::EndMark;
        FSrcPos = FColumns - (Tabs ? static_cast<int>(std::count(FMap, M, cmTabFill)) : 0) + 1;
    } else {
        FPos = W;
        FAttrChar = FMap[W - 1];
        FSrcPos = W - (Tabs ? static_cast<int>(std::count(FMap, FMap + W, cmTabFill)) : 0);
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
