// The editor's character handler: Backspace with back-to-indent, Tab, Enter with auto
// indent, printable bytes and double-byte pairs, input-method results, and InsertText.
#include <algorithm>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "editor/model/wrap_option.h"
#include "platform/cp932.h"

namespace {

constexpr char kFullWidthSpace[] = "\x81\x40";

char CodeAt(const std::string& Map, int Col) {
    return Col >= 0 && Col < static_cast<int>(Map.size()) ? Map[static_cast<size_t>(Col)] : '\0';
}

// Tab fill columns among the first Col + 1 codes of Map.
int TabFillBefore(const std::string& Map, int Col) {
    const int N = std::min(Col + 1, static_cast<int>(Map.size()));
    return static_cast<int>(std::count(Map.begin(), Map.begin() + std::max(N, 0), cmTabFill));
}

// The first column of the character that ends just before column Col.
int CharStartBefore(const std::string& Map, int Col) {
    int C = Col - 1;
    if (CodeAt(Map, C) == cmTrail) return C - 1;
    while (C > 0 && CodeAt(Map, C) == cmTabFill) --C;
    return C;
}

bool IsPrintableSingle(unsigned char B) {
    return (B >= 0x20 && B <= 0x7E) || (B >= 0xA0 && B <= 0xDF) || B >= 0xFD;
}

} // namespace

// ---- indents -----------------------------------------------------------------------------------

int TEditor::IndentWidth(std::string_view S) const {
    if (S.empty()) return -1;
    const TColumnParams P = ColumnParams();
    const int Tab = std::max(1, P.TabSpaceCount);
    const int Wrap = std::max(1, P.WrapByte);
    int W = 0;
    for (size_t I = 0; I < S.size();) {
        if (S[I] == ' ') {
            ++W;
            ++I;
        } else if (S.substr(I, 2) == kFullWidthSpace) {
            W += 2;
            I += 2;
        } else if (S[I] == '\t') {
            int Next = (W / Tab + 1) * Tab;
            if (P.WordWrap) Next = std::min(Next, (W / Wrap + 1) * Wrap);
            W = Next;
            ++I;
        } else {
            break;
        }
    }
    return W;
}

int TEditor::PrevIndentWidth(int ARow) const {
    for (int R = LineStartRow(ARow) - 1; R >= 0; --R) {
        const int Start = LineStartRow(R);
        const std::string_view S = RowText(Start);
        if (!S.empty()) return IndentWidth(S);
        R = Start;
    }
    return 0;
}

// ---- character messages ------------------------------------------------------------------------

void TEditor::WMChar(TMessage& Message) {
    char Key = static_cast<char>(Message.WParam);
    DoKeyPress(Key);
    Message.Result = 0;
    if (Key == 0) return;
    const auto B = static_cast<unsigned char>(Key);
    switch (B) {
    case 8:
        CharBackSpace();
        return;
    case 9:
        CharTab();
        return;
    case 13:
        CharEnter();
        return;
    default:
        break;
    }
    if (IsPrintableSingle(B)) {
        if (FImeSkipCount > 0) {
            --FImeSkipCount;
            return;
        }
        if (FReadOnly) return;
        if (FImeWindowPending) UpdateImeWindow();
        InsertText(std::string_view(&Key, 1));
        return;
    }
    if (!cp932::IsLeadByte(B)) return;
    // A lead byte takes its trail byte from the next queued character message; without one
    // it is dropped.
    TMessage Next{};
    if (!FHost || !FHost->PeekMessage(Next, pmNoRemove)) return;
    if (Next.Msg != WM_CHAR || (Next.WParam & 0xFF) < 0x40 || Next.WParam > 0xFF) return;
    FHost->PeekMessage(Next, pmRemove);
    if (FImeSkipCount > 0) {
        FImeSkipCount -= 2;
        return;
    }
    if (FReadOnly) return;
    const char Pair[2] = {Key, static_cast<char>(Next.WParam)};
    InsertText(std::string_view(Pair, 2));
}

void TEditor::CharTab() {
    if (FReadOnly || !WantTabs) return;
    if (FHost && (FHost->IsKeyDown(VK_SHIFT) || FHost->IsKeyDown(VK_CONTROL))) return;
    const TColumnParams P = ColumnParams();
    const int Tab = std::max(1, P.TabSpaceCount);
    int N = Tab - FCol % Tab;
    if (P.WordWrap) N = std::min(N, std::max(1, P.WrapByte) - FCol % std::max(1, P.WrapByte));
    if (FCaret->SoftTab)
        InsertText(std::string(static_cast<size_t>(std::max(N, 1)), ' '));
    else
        InsertText("\t");
}

void TEditor::CharEnter() {
    if (FReadOnly) return;
    const bool Shifted = FHost && FHost->IsKeyDown(VK_SHIFT);
    if (FSelectionState == selSelected) {
        if (Shifted) return;
        DeleteSelection();
    }
    if (FSelectionState == selHit) CancelSelection();
    const int Count = RowsCount();
    if (Count == 0 || FRow >= Count) {
        TCaretUpdateGuard Guard(*this);
        FList->ReplaceRows(RowsCount(), 0, "\r\n");
        SetRow(FRow + 1);
        SetCol(0);
        return;
    }
    const std::string S(RowText(FRow));
    const int B = std::min(ColToByte(FRow, FCol), static_cast<int>(S.size()));
    const int L0 = LineStartRow(FRow);
    int E = 0;
    if (FCaret->AutoIndent) {
        const int F = IndentWidth(RowText(L0));
        if (F < 1) {
            if (FCaret->PrevSpaceIndent && RowAttr(L0) != raWrapped && RowText(L0).empty())
                E = std::max(0, PrevIndentWidth(L0));
        } else {
            E = FRow == L0 && FCol < F ? FCol : F;
        }
    }
    std::string Indent;
    if (FCaret->TabIndent) {
        const int Tab = std::max(1, GetTabSpaceCount());
        Indent.assign(static_cast<size_t>(E / Tab), '\t');
        Indent.append(static_cast<size_t>(E % Tab), ' ');
    } else {
        Indent.assign(static_cast<size_t>(E), ' ');
    }
    const int IndentLength = static_cast<int>(Indent.size());

    TCaretUpdateGuard Guard(*this);
    TUnderlineGuard Underline(*this);
    if (Shifted) {
        FList->ReplaceRows(L0, 0, Indent + "\r\n");
        SetCaretOffset(L0, IndentLength);
        return;
    }
    const int O = RowColToOffset(L0, FRow, std::min(RowWidth(FRow), FCol)) + IndentLength + 2;
    std::string T = S.substr(0, static_cast<size_t>(B));
    T += "\r\n";
    T += Indent;
    T.append(S, static_cast<size_t>(B), std::string::npos);
    if (RowAttr(FRow) == raCrlf) T += "\r\n";
    FList->ReplaceRows(FRow, 1, T);
    SetCaretOffset(L0, O);
}

void TEditor::CharBackSpace() {
    if (FReadOnly) return;
    if (FSelectionState == selSelected) {
        DeleteSelection();
        return;
    }
    const int Count = RowsCount();
    if (Count == 0) {
        SetCol(FCol - 1);
        return;
    }
    if (FSelectionState == selHit) CancelSelection();
    const int R = FRow, C = FCol;
    const std::string S(RowText(R));
    const int Len = static_cast<int>(S.size());
    const std::string M = ColumnMap(R);
    int B = C - TabFillBefore(M, C);
    // Inside a tab's filler the tab itself is the character before the caret.
    const bool InTabFill = CodeAt(M, C) == cmTabFill;
    if (InTabFill) ++B;
    const bool Crlf = RowAttr(R) == raCrlf;

    if (B < 1) {
        if (R == 0) return;
        const int P = R - 1;
        const int Q = std::max(LineStartRow(P), R - 2);
        const std::string PText(RowText(P));
        int K = 0, O = 0;
        if (RowAttr(P) == raWrapped) {
            const std::string PMap = ColumnMap(P);
            const int At = CharStartBefore(PMap, static_cast<int>(PMap.size()));
            K = ColToByte(P, At);
            O = RowColToOffset(Q, P, At);
        } else {
            K = static_cast<int>(PText.size());
            O = RowColToOffset(Q, P, RowWidth(P));
        }
        const bool AfterFinalBreak = R >= Count;
        std::string T = PText.substr(0, static_cast<size_t>(K));
        if (!AfterFinalBreak) {
            T += S;
            if (Crlf) T += "\r\n";
        }
        TCaretUpdateGuard Guard(*this);
        TUnderlineGuard Underline(*this);
        FList->ReplaceRows(P, AfterFinalBreak ? 1 : 2, T);
        SetCaretOffset(Q, O);
        return;
    }

    const int Indent = IndentWidth(S);
    const int Width = RowWidth(R);
    const bool UnIndent = FCaret->BackSpaceUnIndent && (S.empty() || Indent == Width || C == Indent);
    if (!UnIndent) {
        if (Len < B) {
            SetCol(C - 1);
            return;
        }
        const int G = CodeAt(M, C - 1) == cmTrail ? 2 : 1;
        const int Target = CharStartBefore(M, C);
        const int Q = std::max(LineStartRow(R), R - 1);
        const int O = RowColToOffset(Q, R, Target);
        std::string T = S;
        T.erase(static_cast<size_t>(B - G), static_cast<size_t>(G));
        if (Crlf) T += "\r\n";
        TCaretUpdateGuard Guard(*this);
        FList->ReplaceRows(R, 1, T);
        SetCaretOffset(Q, O);
        return;
    }

    // Back to the indent of an earlier row that is less indented than the caret.
    const int L0 = LineStartRow(R);
    int H = 0;
    for (int Prev = R - 1; Prev >= 0; --Prev) {
        H = std::max(0, IndentWidth(RowText(Prev)));
        const bool Skip = Prev > L0 ? (H == 0 || H >= C) : H >= C;
        if (!Skip) break;
    }
    const int T = R == 0 || H >= C ? 0 : H;
    if (T >= Width) {
        SetCol(T);
        return;
    }
    std::string Head;
    if (CodeAt(M, T) == cmTrail) {
        Head = S.substr(0, static_cast<size_t>(ColToByte(R, T - 1))) + " ";
    } else if (CodeAt(M, T) == cmTabFill) {
        int Tab = T;
        while (Tab > 0 && CodeAt(M, Tab) == cmTabFill) --Tab;
        Head = S.substr(0, static_cast<size_t>(ColToByte(R, Tab))) +
               std::string(static_cast<size_t>(T - Tab), ' ');
    } else {
        Head = S.substr(0, static_cast<size_t>(ColToByte(R, T)));
    }
    std::string Tail;
    const int CaretByte = std::min(ColToByte(R, C), Len);
    if (C < Width && InTabFill) {
        int End = C;
        while (CodeAt(M, End) == cmTabFill) ++End;
        Tail = std::string(static_cast<size_t>(End - C), ' ') + S.substr(static_cast<size_t>(CaretByte) + 1);
    } else if (C < Width) {
        Tail = S.substr(static_cast<size_t>(CaretByte));
    }
    std::string Text = Head + Tail;
    if (Crlf) Text += "\r\n";
    TCaretUpdateGuard Guard(*this);
    FList->ReplaceRows(R, 1, Text);
    SetCol(T);
}

// ---- input method ------------------------------------------------------------------------------

void TEditor::WMImeComposition(TMessage& Message) {
    if (FHost) FHost->DefWindowProc(Message);
    if (!(static_cast<uint32_t>(Message.LParam) & GCS_RESULTSTR) || FReadOnly || !FHost) return;
    const std::string S = FHost->ImeCompositionString(GCS_RESULTSTR);
    FImeSkipCount = static_cast<int>(S.size());
    InsertText(S);
}

void TEditor::WMImeNotify(TMessage& Message) {
    if (FHost) FHost->DefWindowProc(Message);
    if (Message.WParam == IMN_OPENCANDIDATE)
        BeginCaretUpdate();
    else if (Message.WParam == IMN_CLOSECANDIDATE)
        EndCaretUpdate();
}

// The input method learns the caret's row only: a query never copies the whole text.
void TEditor::WMImeRequest(TMessage& Message) {
    Message.Result = 0;
    if (Message.WParam != IMR_DOCUMENTFEED || Message.LParam == 0) {
        if (FHost) FHost->DefWindowProc(Message);
        return;
    }
    auto* Feed = reinterpret_cast<TImeDocumentFeed*>(Message.LParam);
    Feed->Text = std::string(RowText(FRow));
    Feed->CaretByte = std::min(ColToByte(FRow, FCol), static_cast<int>(Feed->Text.size()));
    Message.Result = 1;
}

// ---- InsertText --------------------------------------------------------------------------------

void TEditor::InsertText(std::string_view S) {
    if (S.empty()) return;
    int Q = 0, O = 0, First = 0, Last = 0;
    std::string Text;
    const int Len = static_cast<int>(S.size());
    if (FSelectionState == selSelected) {
        Q = std::max(LineStartRow(FSelRange.StartRow), FSelRange.StartRow - 1);
        O = RowColToOffset(Q, FSelFrame.StartRow, FSelFrame.StartCol) + Len;
        TEditorStringList Rows;
        SelectionRemovedRows(Rows);
        if (Rows.GetCount() == 0) {
            Text = std::string(S);
        } else {
            std::string Row0(Rows.RowView(0));
            const size_t At = static_cast<size_t>(std::max(Rows.GetData(0) - 1, 0));
            if (At > Row0.size()) Row0.append(At - Row0.size(), ' ');
            Row0.insert(At, S);
            Rows.PutRow(0, Row0);
            Text = JoinRows(Rows);
        }
        First = FSelRange.StartRow;
        Last = FSelRange.EndRow;
    } else {
        Q = std::max(LineStartRow(FRow), FRow - 1);
        const std::string Row(RowText(FRow));
        const int RowLen = static_cast<int>(Row.size());
        const int B = CaretByteIndex(FRow, FCol);
        // Typing in the free space beyond the row's end pads with spaces.
        const int Pad = std::max(0, B - RowLen);
        O = RowColToOffset(Q, FRow, FCol) + Pad + Len;
        if (B >= RowLen) {
            Text = Row + std::string(static_cast<size_t>(Pad), ' ') + std::string(S);
        } else {
            Text = Row;
            Text.insert(static_cast<size_t>(B), S);
        }
        if (RowAttr(FRow) == raCrlf && FRow < RowsCount()) Text += "\r\n";
        First = Last = FRow;
    }
    CancelSelection();
    TCaretUpdateGuard Guard(*this);
    const int Count = RowsCount();
    if (First >= Count)
        FList->ReplaceRows(Count, 0, Text);
    else
        FList->ReplaceRows(First, std::min(Last, Count - 1) - First + 1, Text);
    SetCaretOffset(Q, O);
}
