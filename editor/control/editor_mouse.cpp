// The editor's mouse input: clicks, drag selection, left-margin row selection, dragging the
// selection to move or copy it, the cursor shapes, the wheel and the context menu, the
// popup menu's shortcuts, and the token under a point.
#include "editor/control/editor.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "editor/colouring/fountain_parser.h"
#include "editor/control/editor_popup_menu.h"
#include "editor/model/screen_strings.h"

namespace {

// The editor's two cursor resources, registered once for the whole program.
[[maybe_unused]] const bool GCursorsRegistered = [] {
    SetScreenCursor(TEditorCursors::RightArrowCursor, "RightArrow");
    SetScreenCursor(TEditorCursors::DragSelCopyResCursor, "DragSelCopy");
    return true;
}();

std::string PadTo(std::string_view S, int Bytes) {
    std::string Out(S.substr(0, std::min(S.size(), static_cast<size_t>(std::max(Bytes, 0)))));
    if (static_cast<int>(Out.size()) < Bytes) Out.append(static_cast<size_t>(Bytes) - Out.size(), ' ');
    return Out;
}

} // namespace

// ---- points and positions ----------------------------------------------------------------------

void TEditor::PointToRowCol(int X, int Y, bool Nearest, int& ACol, int& ARow) const {
    const int Cw = std::max(FColWidth, 1);
    const int Left = TextLeft();
    if (X < Left) X -= Cw - 1;
    if (Nearest)
        ACol = std::max(0, (X + Cw / 2 - 1 - Left) / Cw + FTopCol);
    else
        ACol = std::max(0, (X - Left) / Cw + FTopCol);
    ARow = (Y - TextTop()) / std::max(GetRowHeight(), 1) + FTopRow;
}

bool TEditor::CanDragSelection() const {
    return !FReadOnly && FSelectionState == selSelected && FSelectionMode == smNormal && FCaret->SelMove;
}

bool TEditor::IsInSelection(int ARow, int ACol) const {
    if (FSelectionState != selSelected) return false;
    const TSelectionFrame& F = FSelFrame;
    if (ARow < F.StartRow || ARow > F.EndRow) return false;
    return !((ARow == F.StartRow && ACol < F.StartCol) || (ARow == F.EndRow && ACol > F.EndCol - 1));
}

bool TEditor::PointToTextPos(TPoint P, int& ARow, int& AByte) const {
    if (RowsCount() == 0 || FColWidth == 0 || P.X < TextLeft() || P.Y < TextTop()) return false;
    int Col = 0;
    PointToRowCol(P.X, P.Y, true, Col, ARow);
    if (ARow < 0 || ARow >= RowsCount()) return false;
    const std::string Map = ColumnMap(ARow);
    if (Col >= static_cast<int>(Map.size())) return false;
    if (Map[static_cast<size_t>(Col)] == cmTrail) --Col;
    while (Col > 0 && Map[static_cast<size_t>(Col)] == cmTabFill) --Col;
    AByte = ColumnToByteIndex(Map, Col, static_cast<int>(RowText(ARow).size()));
    return true;
}

bool TEditor::TokenOfLine(int LineRow, int Offset, bool UseFountain, bool KeepBracketState, int& Start,
                          int& Length, int& Kind) const {
    std::string Line;
    const int Last = LineEndRow(LineRow);
    for (int R = LineRow; R <= Last; ++R) Line.append(RowText(R));
    std::unique_ptr<TFountainParser> Parser;
    TRowAttributeData Data;
    TFountain* Fountain = UseFountain ? ActiveFountain() : nullptr;
    if (Fountain) {
        Parser = Fountain->CreateParser();
        FList->GetRowAttributeData(LineRow, Data);
        if (!KeepBracketState) Data.BracketIndex = -1;
    } else {
        Parser = std::make_unique<TTokenParser>();
    }
    if (!Parser) return false;
    Parser->NewData(std::string_view(Line), Data);
    for (uint8_t Token = Parser->NextToken(); Token != tokEnd; Token = Parser->NextToken()) {
        const int S = Parser->SourcePos();
        const int L = Parser->TokenLength();
        if (Offset >= S && Offset < S + L) {
            Start = S;
            Length = L;
            Kind = Token;
            return true;
        }
        if (S > Offset) break;
    }
    return false;
}

bool TEditor::GetTokenAt(TPoint P, bool UseFountain, bool KeepBracketState, std::string& Token, int& Kind) {
    int R = 0, B = 0;
    if (!PointToTextPos(P, R, B)) return false;
    const int L = LineStartRow(R);
    int Offset = B;
    for (int I = L; I < R; ++I) Offset += static_cast<int>(RowText(I).size());
    int Start = 0, Length = 0;
    if (!TokenOfLine(L, Offset, UseFountain, KeepBracketState, Start, Length, Kind)) return false;
    std::string Line;
    for (int I = L; I <= LineEndRow(L); ++I) Line.append(RowText(I));
    Token = Line.substr(static_cast<size_t>(Start), static_cast<size_t>(Length));
    return true;
}

void TEditor::SelectTokenAt(TPoint P, bool UseFountain, bool KeepBracketState) {
    int R = 0, B = 0;
    if (!PointToTextPos(P, R, B)) return;
    const int L = LineStartRow(R);
    int Offset = B;
    for (int I = L; I < R; ++I) Offset += static_cast<int>(RowText(I).size());
    int Start = 0, Length = 0, Kind = 0;
    if (!TokenOfLine(L, Offset, UseFountain, KeepBracketState, Start, Length, Kind)) return;
    CancelSelection();
    SetCaretOffset(L, Start);
    SetSelLength(Length);
}

// ---- row selection in the left margin ----------------------------------------------------------

void TEditor::StartRowSelection(int ARow) {
    const int Count = RowsCount();
    if (Count == 0) return;
    int R = std::clamp(ARow, 0, Count);
    if (RowAttr(Count - 1) == raEof) R = std::min(R, Count - 1);
    const bool Eof = RowAttr(R) == raEof;
    TCaretUpdateGuard Caret(*this);
    if (Eof) {
        SetRowCol(R, RowWidth(R));
        StartSelection();
        SetRowCol(R, 0);
    } else {
        SetRowCol(R, 0);
        StartSelection();
        SetRowCol(R + 1, 0);
    }
    FSelectionState = selSelected;
    CalcSelection();
    FRowSelAnchor = R;
    FRowSelCurrent = R;
    FRowSelAnchorIsEof = Eof;
    {
        // Back to the start of the row; the selection stays as it was computed.
        TFlagGuard Setting(FSettingRowCol, true);
        SetRowCol(R, 0);
    }
    UpdateCaret();
    FRowSelecting = true;
}

void TEditor::ExtendRowSelection(int ARow) {
    if (!FRowSelecting) return;
    const int Count = RowsCount();
    if (Count == 0) return;
    int R = std::clamp(ARow, 0, Count);
    if (RowAttr(Count - 1) == raEof) R = std::min(R, Count - 1);
    TCaretUpdateGuard Caret(*this);
    if (R >= FRowSelAnchor) {
        if (FRowSelCurrent < FRowSelAnchor && !FRowSelAnchorIsEof) {
            FAnchorRow = FRowSelAnchor;
            FAnchorCol = 0;
            FAnchorByte = 0;
        }
        if (RowAttr(R) == raEof && R < Count)
            SetRowCol(R, RowWidth(R));
        else
            SetRowCol(R + 1, 0);
    } else {
        if (FRowSelCurrent >= FRowSelAnchor && !FRowSelAnchorIsEof) {
            FAnchorRow = FRowSelAnchor + 1;
            FAnchorCol = 0;
            FAnchorByte = 0;
        }
        SetRowCol(R, 0);
    }
    FRowSelCurrent = R;
    ExtendSelection();
}

// ---- dropping a dragged selection --------------------------------------------------------------

void TEditor::CopySelectionTo(int ARow, int ACol) {
    if (!CanDragSelection() || IsInSelection(ARow, ACol)) {
        CancelSelection();
        return;
    }
    const std::string S = GetSelText();
    CancelSelection();
    SetRowCol(ARow, ACol);
    SetSelTextBuf(S);
}

void TEditor::MoveSelectionTo(int ARow, int ACol) {
    if (!CanDragSelection() || IsInSelection(ARow, ACol)) {
        CancelSelection();
        return;
    }
    const TSelectionFrame F = FSelFrame;
    const TSelectionRange SR = FSelRange;
    const int R = ARow, C = ACol;
    auto Break = [this](int Row) { return std::string(RowAttr(Row) == raCrlf ? "\r\n" : ""); };
    const std::string_view RowR = RowText(R);
    const int D = PaddedColToByte(R, C);
    const std::string Before = PadTo(RowR, D);
    const std::string After =
        std::string(RowR.substr(std::min(RowR.size(), static_cast<size_t>(D)))) + Break(R);
    const std::string_view StartText = RowText(SR.StartRow);
    const std::string Head(
        StartText.substr(0, std::min(StartText.size(), static_cast<size_t>(SR.StartByte))));
    const std::string_view EndText = RowText(SR.EndRow);
    const size_t TailFrom = std::min(EndText.size(), static_cast<size_t>(SR.LastByte + 1));
    const std::string Tail = std::string(EndText.substr(TailFrom)) + Break(SR.EndRow);
    const std::string S = GetSelText();
    auto RowsBetween = [&](int From, int To) {
        std::string Out;
        for (int Row = From + 1; Row < To; ++Row) Out += std::string(RowText(Row)) + Break(Row);
        return Out;
    };

    const int First = std::min(R, F.StartRow);
    const int Q = std::max(LineStartRow(First), First - 1);
    std::string Text;
    int LastRow, O;
    if (R < F.StartRow || (R == F.StartRow && C < F.StartCol)) {
        if (R < F.StartRow)
            Text = Before + S + After + RowsBetween(R, F.StartRow) + Head + Tail;
        else
            Text = Before + S +
                   std::string(RowR.substr(std::min(RowR.size(), static_cast<size_t>(D)),
                                           static_cast<size_t>(std::max(0, SR.StartByte - D)))) +
                   Tail;
        LastRow = F.EndRow;
        O = RowColToOffset(Q, R, 0) + D + static_cast<int>(S.size());
    } else {
        std::string Middle;
        if (R == F.EndRow && C >= F.EndCol)
            Middle = PadTo(EndText, D).substr(TailFrom);
        else
            Middle = Tail + RowsBetween(F.EndRow, R) + Before;
        Text = Head + Middle + S + After;
        LastRow = R;
        O = RowColToOffset(Q, SR.StartRow, 0) + static_cast<int>(Head.size() + Middle.size() + S.size());
    }
    LastRow = std::min(LastRow, RowsCount() - 1);
    TCaretUpdateGuard Caret(*this);
    TUnderlineGuard Underline(*this);
    CancelSelection();
    FList->ReplaceRows(First, LastRow - First + 1, Text);
    SetCaretOffset(Q, O);
}

void TEditor::DropSelection() {
    FDragState = dsNone;
    SetCursorKind(0);
    const TPoint P = FHost ? FHost->CursorPos() : TPoint{-1, -1};
    if (!FHost || !FHost->ClientRect().Contains(P) || IsInSelection(FRow, FCol)) {
        CancelSelection();
        return;
    }
    if (FHost->IsKeyDown(VK_CONTROL))
        CopySelectionTo(FRow, FCol);
    else
        MoveSelectionTo(FRow, FCol);
}

// ---- mouse messages ----------------------------------------------------------------------------

void TEditor::WMLButtonDown(TMessage& Message) {
    const int X = GET_X_LPARAM(Message.LParam), Y = GET_Y_LPARAM(Message.LParam);
    const uint32_t Keys = static_cast<uint32_t>(Message.WParam);
    int R = 0, C = 0;
    if (Keys & MK_SHIFT) {
        if (FSelectionState != selSelected) StartSelection();
        PointToRowCol(X, Y, true, C, R);
        SetRowCol(R, C);
        ExtendSelection();
    } else {
        FPressX = X;
        FPressY = Y;
        PointToRowCol(X, Y, false, C, R);
        if (CanDragSelection() && X >= TextLeft() && IsInSelection(R, C)) {
            SetRowCol(R, C);
            if (FCaret->SelDragMode == dmAutomatic) {
                // Ends the button-down state: the moves that follow drag the selection.
                Perform(WM_LBUTTONUP, Message.WParam & ~uintptr_t(MK_LBUTTON), Message.LParam);
                FDragState = dsPending;
            }
        } else {
            PointToRowCol(X, Y, true, C, R);
            if (X < TextLeft() && FCaret->RowSelect) {
                StartRowSelection(R);
            } else {
                TCaretUpdateGuard Caret(*this);
                SetRowCol(R, C);
                StartSelection();
            }
        }
    }
    Message.Result = 0;
    if (OnMouseDown) OnMouseDown(this, mbLeft, Keys, X, Y);
}

void TEditor::WMMouseMove(TMessage& Message) {
    const int X = GET_X_LPARAM(Message.LParam), Y = GET_Y_LPARAM(Message.LParam);
    const uint32_t Keys = static_cast<uint32_t>(Message.WParam);
    const int Half = std::max(FColWidth / 2, 1);
    const bool Away = std::abs(X - FPressX) >= Half || std::abs(Y - FPressY) >= Half;
    int R = 0, C = 0;
    if (FLeftButtonHeld && (Keys & MK_LBUTTON) != 0 && FDragState == dsNone) {
        PointToRowCol(X, Y, true, C, R);
        // Above the text the row above the top one: each move message scrolls one row up.
        if (Y < TextTop()) R = std::max(0, FTopRow - 1);
        if (FRowSelecting) {
            ExtendRowSelection(R);
        } else {
            SetRowCol(R, C);
            if (FSelectionState == selSelected) {
                CalcSelection();
            } else if (FSelectionState == selAnchored && Away) {
                FSelectionState = selSelected;
                CalcSelection();
            }
        }
    } else if (FDragState == dsPending) {
        if (Away) {
            FDragState = dsDragging;
            SetCursorKind((Keys & MK_CONTROL) != 0 ? 5 : 4);
        }
    } else if (FDragState == dsDragging) {
        PointToRowCol(X, Y, false, C, R);
        if (Y < TextTop()) R = std::max(0, FTopRow - 1);
        SetRowCol(R, C);
    } else if (X < TextLeft()) {
        SetCursorKind(1);
    } else if (Y < TextTop()) {
        SetCursorKind(2);
    } else {
        PointToRowCol(X, Y, true, C, R);
        SetCursorKind(CanDragSelection() && IsInSelection(R, C) ? 3 : 0);
    }
    Message.Result = 0;
    if (OnMouseMove) OnMouseMove(this, Keys, X, Y);
}

void TEditor::WMLButtonUp(TMessage& Message) {
    const int X = GET_X_LPARAM(Message.LParam), Y = GET_Y_LPARAM(Message.LParam);
    Message.Result = 0;
    if (OnMouseUp) OnMouseUp(this, mbLeft, static_cast<uint32_t>(Message.WParam), X, Y);
    if (FDragState == dsDragging)
        DropSelection();
    else if (FDragState == dsPending)
        CancelDrag();
    else
        FRowSelecting = false;
}

// Double clicks and the other buttons: only the published events.
void TEditor::WMMouseButton(TMessage& Message) {
    const int X = GET_X_LPARAM(Message.LParam), Y = GET_Y_LPARAM(Message.LParam);
    const uint32_t Keys = static_cast<uint32_t>(Message.WParam);
    Message.Result = 0;
    switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick(this);
        if (OnMouseDown) OnMouseDown(this, mbLeft, Keys, X, Y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(this, mbRight, Keys, X, Y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(this, mbMiddle, Keys, X, Y);
        break;
    case WM_RBUTTONUP:
        if (OnMouseUp) OnMouseUp(this, mbRight, Keys, X, Y);
        break;
    case WM_MBUTTONUP:
        if (OnMouseUp) OnMouseUp(this, mbMiddle, Keys, X, Y);
        break;
    default:
        break;
    }
}

// The control does not scroll by itself: a wheel no handler took goes to the default
// handling of the window (the backend scrolls by line requests).
void TEditor::WMMouseWheel(TMessage& Message) {
    const uint32_t Keys = static_cast<uint32_t>(GET_KEYSTATE_WPARAM(Message.WParam));
    const int Delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
    const TPoint Pos{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    bool Handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Keys, Delta, Pos, Handled);
    if (!Handled) {
        if (Delta < 0 && OnMouseWheelDown)
            OnMouseWheelDown(this, Keys, Pos, Handled);
        else if (Delta > 0 && OnMouseWheelUp)
            OnMouseWheelUp(this, Keys, Pos, Handled);
    }
    if (Handled) {
        Message.Result = 1;
        return;
    }
    if (FHost) FHost->DefWindowProc(Message);
}

// The popup opens at the pointer, or below the caret for the context-menu key.
void TEditor::WMContextMenu(TMessage& Message) {
    auto* Menu = dynamic_cast<TPopupMenu*>(FPopupMenu.get());
    const bool Busy = FDragState != dsNone || (FLeftButtonHeld && LeftButtonDown());
    if (!Menu || !FHost || Busy) {
        if (FHost && !Menu) FHost->DefWindowProc(Message);
        return;
    }
    TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (P.X == -1 && P.Y == -1) {
        const int X = TextLeft() + std::max(0, FCol - FTopCol) * FColWidth;
        const int Y =
            TextTop() + (std::clamp(FRow - FTopRow, 0, std::max(FRowCount - 1, 0)) + 1) * GetRowHeight();
        P = FHost->ClientToScreen(TPoint{X, Y});
    }
    Menu->PopupComponent = this;
    Menu->Popup(P.X, P.Y);
    Message.Result = 1;
}

// The popup menu's shortcuts come before the key reaches the control; not while the mouse
// is busy.
void TEditor::CNKeyDown(TMessage& Message) {
    Message.Result = 0;
    auto* Menu = dynamic_cast<TPopupMenu*>(FPopupMenu.get());
    if (!Menu || !FHost || FDragState != dsNone || (FLeftButtonHeld && LeftButtonDown())) return;
    const uint8_t Vk = static_cast<uint8_t>(Message.WParam);
    const TShortCut Key = ShortCut(Vk, FHost->IsKeyDown(VK_SHIFT), FHost->IsKeyDown(VK_CONTROL),
                                   (static_cast<uint32_t>(Message.LParam) & KF_ALTDOWN) != 0);
    if (Menu->IsShortCut(Key)) Message.Result = 1;
}
