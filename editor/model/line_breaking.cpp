// Line breaking: the column cursor over one line and the cutting of lines into screen rows.
#include "editor/model/line_breaking.h"

#include <algorithm>

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

TEditorWrapper::TCutter::TCutter(const TEditorWrapper& Wrapper, std::string_view Line)
    : FOption(Wrapper.Option()), FParams(Wrapper.ColumnParams()), FWrapByte(FOption.GetWrapByte()),
      FLine(Line) {
    if (!Wrapper.GetWordWrap()) FWrapByte = 0; // one row per line
    FParams.WordWrap = true;
}

bool TEditorWrapper::TCutter::NextRow(std::string_view& Row, TRowAttribute& Attribute) {
    if (FDone) return false;
    const std::string_view Rest = FLine.substr(FOffset);
    if (!FStarted) {
        FStarted = true;
        if (FWrapByte <= 0) {
            FDone = true;
            Row = FLine;
            Attribute = raCrlf;
            return true;
        }
    }
    // The map of the rest only reaches WrapByte + 3 columns, so each row costs O(WrapByte)
    // however long the line is.
    FCursor.Init(Rest, FParams);
    if (FOffset == 0 && FCursor.ColumnCount() < FWrapByte) {
        FDone = true;
        Row = FLine;
        Attribute = raCrlf;
        return true;
    }
    FCursor.MoveTo(FWrapByte);
    if (FCursor.AtEnd()) {
        // The rest fits. When it is empty the line filled its last row exactly; with
        // FollowRetMark on, that row has already been given raCrlf and nothing follows.
        FDone = true;
        Row = Rest;
        Attribute = raCrlf;
        return true;
    }
    FindBreak();
    size_t N = std::min(static_cast<size_t>(std::max(FCursor.GetSrcPos(), 0)), Rest.size());
    if (N == 0) N = static_cast<size_t>(CharLengthAt(Rest, 0)); // cannot happen with WrapByte >= 20
    Row = Rest.substr(0, N);
    FOffset += N;
    if (FOffset >= FLine.size() && FOption.GetFollowRetMark()) {
        FDone = true;
        Attribute = raCrlf;
    } else {
        Attribute = raWrapped;
    }
    return true;
}

void TEditorWrapper::TCutter::FindBreak() {
    TEditorAttributeArray& C = FCursor;
    const int W = FWrapByte;

    // A row never ends on a lead byte; with WordBreak, end after a delimiter, inside a
    // tab or after a double-byte character, unless that makes the row too short.
    if (C.GetAttrChar() == cmLead) {
        C.Prev();
    } else if (FOption.GetWordBreak() && C.ColumnCount() > W) {
        for (;;) {
            const char A = C.GetAttrChar();
            if (A == cmDelimiter || A == cmTabFill || A == cmTrail || C.GetPos() <= W / 3) break;
            C.PrevChar();
        }
    }

    // Hanging punctuation, at most two columns past the margin: a double-byte mark after
    // a single-byte one would need a third column, so it goes to the next row.
    if (FOption.GetFollowPunctuation()) {
        const std::string& Punctuation = FOption.GetPunctuationStr();
        while (C.GetPos() < W + 2) {
            const std::string_view N = C.NextChar();
            if (!Contains(Punctuation, N)) break;
            if (C.GetPos() + static_cast<int>(N.size()) > W + 2) break;
            C.Next();
            if (C.GetAttrChar() == cmLead) C.Next();
        }
    }

    // Kinsoku: no opening bracket at the end of a row, no closing mark at the start of the
    // next one; never shorten the row to (W div 5) * 4 columns or less.
    if (FOption.GetLeading() && C.GetPos() < C.ColumnCount()) {
        const std::string& LeadStr = FOption.GetLeadStr();
        const std::string& FollowStr = FOption.GetFollowStr();
        const int Limit = (W / 5) * 4;
        while (C.GetPos() > Limit) {
            if (!Contains(LeadStr, C.CurrentChar())) break;
            C.PrevChar();
        }
        if (C.GetPos() + 1 < C.ColumnCount()) {
            std::string_view Next = C.NextChar();
            std::string_view Cur = C.CurrentChar();
            if (Contains(FollowStr, Next)) {
                while (C.GetPos() > Limit && (Contains(LeadStr, Cur) || Contains(FollowStr, Next))) {
                    C.PrevChar();
                    Next = Cur;
                    Cur = C.CurrentChar();
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
    ForEachLine(S, [&](std::string_view Line) {
        CutLine(Line, [&Rows](std::string_view Row, TRowAttribute Attribute) {
            Rows.SetRowAttribute(Rows.AddRow(Row), Attribute);
        });
    });
}

int TEditorWrapper::WrapCount(std::string_view Line) const {
    if (!FWordWrap) return 1;
    int N = 0;
    CutLine(Line, [&N](std::string_view, TRowAttribute) { ++N; });
    return N;
}
