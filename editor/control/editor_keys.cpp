// The editor's key-down and key-up handlers: navigation keys with Shift selections, the
// speed steps of auto-repeated keys, page moves, word moves and the Delete key.
#include <algorithm>
#include <memory>

#include "editor/colouring/fountain.h"
#include "editor/colouring/fountain_parser.h"
#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"

namespace {

bool IsNavigationKey(uint16_t Key) {
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

char CodeAt(const std::string& Map, int Col) {
    return Col >= 0 && Col < static_cast<int>(Map.size()) ? Map[static_cast<size_t>(Col)] : '\0';
}

// A token of a row: start column and length in the tab-expanded text, and its kind.
struct TWordToken {
    int Start;
    int Length;
    uint8_t Kind;
};

} // namespace

// ---- events ------------------------------------------------------------------------------------

void TEditor::DoKeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TEditor::DoKeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TEditor::DoKeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

TShiftState TEditor::KeyShiftState(intptr_t KeyData) const {
    TShiftState S = 0;
    if (FHost && FHost->IsKeyDown(VK_SHIFT)) S |= ssShift;
    if (FHost && FHost->IsKeyDown(VK_CONTROL)) S |= ssCtrl;
    if (static_cast<uint32_t>(KeyData) & KF_ALTDOWN) S |= ssAlt;
    return S;
}

// ---- key messages ------------------------------------------------------------------------------

void TEditor::WMKeyDown(TMessage& Message) {
    uint16_t Key = static_cast<uint16_t>(Message.WParam);
    const TShiftState Shift = KeyShiftState(Message.LParam);
    DoKeyDown(Key, Shift);
    Message.Result = 0;
    FKeyRepeating = (static_cast<uint32_t>(Message.LParam) & KF_REPEAT) != 0;
    if (Key == 0) return;
    ExecuteKey(Key, Shift);
}

void TEditor::WMKeyUp(TMessage& Message) {
    uint16_t Key = static_cast<uint16_t>(Message.WParam);
    DoKeyUp(Key, KeyShiftState(Message.LParam));
    Message.Result = 0;
    FKeyRepeating = false;
    if (FImeWindowPending) UpdateImeWindow();
}

void TEditor::ExecuteKey(uint16_t Key, TShiftState Shift) {
    const bool Shifted = (Shift & ssShift) != 0;
    const bool Ctrl = (Shift & ssCtrl) != 0;
    if (Key == VK_DELETE) {
        DeleteChar();
        return;
    }
    if (!IsNavigationKey(Key)) return;

    if (FSelectionState != selSelected && Shifted)
        StartSelection();
    else if (FSelectionState == selSelected && !Shifted)
        CancelSelection();
    else if (FSelectionState == selHit)
        CancelSelection();

    const int Count = RowsCount();
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT: {
        const int Range = FKeyRepeating ? FSpeed->PageVerticalRangeAc : FSpeed->PageVerticalRange;
        const int P = ((FRowCount - 1) / 2) * Range;
        ScrollByRows(Key == VK_PRIOR ? -P : P);
        break;
    }
    case VK_HOME:
        if (Ctrl) SetRow(0);
        SetCol(0);
        break;
    case VK_END:
        if (Ctrl) SetRow(Count);
        SetCol(FRow >= RowsCount() ? 0 : RowWidth(FRow));
        break;
    case VK_LEFT:
        if (Ctrl) {
            int R = FRow, C = FCol;
            if (NextWordPos(R, C, -1)) SetRowCol(R, C);
        } else if (FCol > 0) {
            SetCol(FCol - 1);
        } else if (FRow > 0 && (FCaret->NextLine || RowAttr(FRow - 1) == raWrapped)) {
            TCaretUpdateGuard Guard(*this);
            SetRowCol(FRow - 1, RowWidth(FRow - 1));
        }
        break;
    case VK_RIGHT:
        if (Ctrl) {
            int R = FRow, C = FCol;
            if (NextWordPos(R, C, +1)) SetRowCol(R, C);
        } else {
            const int Old = FCol;
            SetCol(FCol + 1);
            if (FCol == Old && FRow < Count && RowAttr(FRow) != raEof &&
                (FCaret->NextLine || RowAttr(FRow) == raWrapped)) {
                TCaretUpdateGuard Guard(*this);
                SetRowCol(FRow + 1, 0);
            }
        }
        break;
    case VK_UP: {
        // An auto-repeated key on the first visible row moves faster.
        const int Step = FKeyRepeating && FRow == FTopRow ? std::max<int>(1, FSpeed->CaretVerticalAc) : 1;
        if (FRow <= 0) break;
        if (Ctrl) {
            SetTopRow(FTopRow - Step);
            if (FRow >= FTopRow + FRowCount) SetRow(FRow - Step);
        } else {
            SetRow(FRow - Step);
        }
        break;
    }
    case VK_DOWN: {
        const int Step =
            FKeyRepeating && FRow == FTopRow + FRowCount - 1 ? std::max<int>(1, FSpeed->CaretVerticalAc) : 1;
        if (Ctrl) {
            SetTopRow(FTopRow + Step);
            if (FRow < FTopRow) SetRow(FRow + Step);
        } else if (RowAttr(FRow) != raEof) {
            SetRow(FRow + Step);
        }
        break;
    }
    default:
        break;
    }
    if (Shifted) ExtendSelection();
}

// ---- commands ----------------------------------------------------------------------------------

void TEditor::ScrollByRows(int N) {
    TCaretUpdateGuard Guard(*this);
    if (FTopRow == 0 && N < 0) {
        SetRow(0);
        return;
    }
    if (RowAttr(FTopRow) == raEof && N > 0) return;
    const int OldTop = FTopRow;
    const int OldRow = FRow;
    SetTopRow(std::clamp(FTopRow + N, 0, RowsCount()));
    SetRow(OldRow + FTopRow - OldTop);
}

int TEditor::CaretByteIndex(int ARow, int ACol) const {
    if (ACol <= 0) return 0;
    const std::string_view S = RowText(ARow);
    const TColumnParams P = ColumnParams();
    const int Width = DisplayWidth(S, P);
    if (ACol >= Width) return static_cast<int>(S.size()) + (ACol - Width);
    return ColumnToByteIndex(S, ACol, P);
}

void TEditor::DeleteChar() {
    if (FReadOnly) return;
    if (FSelectionState == selSelected) {
        DeleteSelection();
        return;
    }
    if (FSelectionState == selHit) CancelSelection();
    const int Count = RowsCount();
    if (FRow < 0 || FRow > Count - 1) return;
    const std::string S(RowText(FRow));
    const int L = static_cast<int>(S.size());
    const std::string Map = ColumnMap(FRow);
    const int B = CaretByteIndex(FRow, FCol);
    const int Q = std::max(LineStartRow(FRow), FRow - 1);
    const bool Crlf = RowAttr(FRow) == raCrlf;
    if (B < L) {
        const int G = CodeAt(Map, FCol) == cmLead ? 2 : 1;
        int At = FCol;
        if (G == 1)
            while (At > 0 && CodeAt(Map, At) == cmTabFill) --At;
        const int O = RowColToOffset(Q, FRow, At);
        std::string T = S;
        T.erase(static_cast<size_t>(B), static_cast<size_t>(G));
        if (Crlf) T += "\r\n";
        TCaretUpdateGuard Guard(*this);
        FList->ReplaceRows(FRow, 1, T);
        SetCaretOffset(Q, O);
        return;
    }
    if (RowAttr(FRow) == raEof) return;
    // Columns beyond the row's end become spaces before the next line is joined.
    const int O = RowColToOffset(Q, FRow, FCol) + (B - L);
    std::string T = S + std::string(static_cast<size_t>(B - L), ' ');
    TCaretUpdateGuard Guard(*this);
    TUnderlineGuard Underline(*this);
    if (FRow == Count - 1) {
        FList->ReplaceRows(FRow, 1, T);
    } else {
        T += RowText(FRow + 1);
        if (RowAttr(FRow + 1) == raCrlf) T += "\r\n";
        FList->ReplaceRows(FRow, 2, T);
    }
    SetCaretOffset(Q, O);
}

bool TEditor::NextWordPos(int& ARow, int& ACol, int Direction) {
    const int Count = RowsCount();
    if (ARow < 0 || ARow >= Count) return false;
    int R = ARow, C = ACol;
    const TColumnParams Params = ColumnParams();
    if (Direction > 0) {
        if (C >= RowWidth(R)) {
            // From the end of a text without a final line break the caret stays where it is.
            if (R == Count - 1 && RowAttr(R) == raEof) {
                ACol = RowWidth(R);
                return true;
            }
            ++R;
            C = -1;
        }
    } else if (C <= 0) {
        if (R == 0) {
            ARow = 0;
            ACol = 0;
            return true;
        }
        --R;
        C = RowWidth(R);
        if (RowAttr(R) == raCrlf) {
            ARow = R;
            ACol = C;
            return true;
        }
    }

    const std::string Expanded = ExpandTabs(RowText(R), Params);
    std::vector<TWordToken> Tokens;
    {
        TFountain* F = ActiveFountain();
        std::unique_ptr<TFountainParser> Parser = F ? F->CreateParser() : nullptr;
        if (!Parser) Parser = std::make_unique<TTokenParser>();
        Parser->NewData(std::string_view(Expanded), TRowAttributeData{});
        for (uint8_t Kind = Parser->NextToken(); Kind != tokEnd; Kind = Parser->NextToken())
            Tokens.push_back({Parser->SourcePos(), Parser->TokenLength(), Kind});
    }
    const bool EndStop = FCaret->TokenEndStop;

    if (Direction > 0) {
        for (const TWordToken& T : Tokens) {
            if (EndStop) {
                if (T.Start > C) {
                    ARow = R;
                    ACol = T.Start;
                    return true;
                }
                if (C < T.Start + T.Length) {
                    ARow = R;
                    ACol = T.Start + T.Length;
                    return true;
                }
            } else if (T.Kind != tokSymbol && T.Start > C) {
                ARow = R;
                ACol = T.Start;
                return true;
            }
        }
        if (RowAttr(R) == raWrapped) {
            ARow = R + 1;
            ACol = 0;
        } else {
            ARow = R;
            ACol = static_cast<int>(Expanded.size());
        }
        return true;
    }

    bool HaveP = false;
    int P = 0;
    for (const TWordToken& T : Tokens) {
        if (EndStop) {
            if (T.Start < C && T.Start + T.Length >= C) {
                ARow = R;
                ACol = T.Start;
                return true;
            }
            if (T.Start >= C && HaveP && P < C) break;
            HaveP = true;
            P = T.Start + T.Length;
        } else {
            if (T.Kind == tokSymbol) continue;
            if (T.Start >= C && HaveP && P < C) break;
            HaveP = true;
            P = T.Start;
        }
    }
    if (HaveP && P < C) {
        ARow = R;
        ACol = P;
    } else if (R > 0) {
        ARow = R - 1;
        ACol = RowWidth(R - 1);
    } else {
        ARow = 0;
        ACol = 0;
    }
    return true;
}
