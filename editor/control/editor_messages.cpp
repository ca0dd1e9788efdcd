// The editor's answers to the standard edit-control messages and the four clipboard
// messages, so that code written for a plain multi-line edit control can drive it.
//
// Character positions count every row's bytes, 2 more after a raCrlf row, nothing after a
// raWrapped row and 1 after the raEof row.
#include <algorithm>
#include <cstring>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/clipboard.h"
#include "platform/messages.h"

namespace {

intptr_t MakeLong(int Low, int High) {
    return static_cast<intptr_t>(static_cast<uint32_t>(Low & 0xFFFF) |
                                 (static_cast<uint32_t>(High & 0xFFFF) << 16));
}

// The message's position argument: -1 means "the caret or the selection".
int PositionArg(uintptr_t WParam) {
    return static_cast<int>(static_cast<int32_t>(WParam));
}

void SetClipboardEmpty() {
    if (TClipboard* C = Clipboard()) C->SetText(std::string());
}

} // namespace

int TEditor::MessageRowSpan(int ARow) const {
    const int Len = static_cast<int>(RowText(ARow).size());
    switch (RowAttr(ARow)) {
    case raCrlf:
        return Len + 2;
    case raWrapped:
        return Len;
    default:
        return Len + 1;
    }
}

int TEditor::MessageRowOfPosition(int Position, int& ByteIndex) const {
    const int Count = RowsCount();
    int Rest = std::max(Position, 0);
    for (int R = 0; R < Count; ++R) {
        const int Span = MessageRowSpan(R);
        if (Rest < Span || RowAttr(R) == raEof) {
            ByteIndex = std::min(Rest, static_cast<int>(RowText(R).size()));
            return R;
        }
        Rest -= Span;
    }
    // Past a final line break: the empty row after it.
    ByteIndex = 0;
    return Count;
}

int TEditor::MessageLineIndex(int ARow) const {
    int Position = 0;
    for (int R = 0; R < ARow && R < RowsCount(); ++R) Position += MessageRowSpan(R);
    return Position;
}

bool TEditor::EditMessage(TMessage& Message) {
    switch (Message.Msg) {
    case EM_GETSEL: {
        const int Start = GetSelStart();
        const int End = Start + GetSelLength();
        if (Message.WParam != 0) {
            const auto V = static_cast<uint32_t>(Start);
            std::memcpy(reinterpret_cast<void*>(Message.WParam), &V, sizeof V);
        }
        if (Message.LParam != 0) {
            const auto V = static_cast<uint32_t>(End);
            std::memcpy(reinterpret_cast<void*>(Message.LParam), &V, sizeof V);
        }
        Message.Result = MakeLong(Start, End);
        return true;
    }
    case EM_SETSEL: {
        const int Start = PositionArg(Message.WParam);
        int End = static_cast<int>(static_cast<int32_t>(Message.LParam));
        if (Start == 0 && End == -1) {
            SelectAll();
        } else if (Start == -1) {
            CancelSelection();
        } else {
            // A negative end selects to the end of the text, as the platform's control does.
            if (End < 0) End = TextLength();
            TCaretUpdateGuard Caret(*this);
            SetSelStart(std::min(Start, End));
            SetSelLength(std::max(Start, End) - std::min(Start, End));
        }
        Message.Result = 0;
        return true;
    }
    case EM_SCROLLCARET:
        if (FRow < FTopRow || FRow > FTopRow + FRowCount - 1) SetTopRow(FRow - FRowCount / 3);
        if (FCol < FTopCol || FCol > FTopCol + FColCount - 1) SetTopCol(FCol - FColCount / 3);
        Message.Result = 1;
        return true;
    case EM_GETMODIFY:
        Message.Result = GetModified() ? 1 : 0;
        return true;
    case EM_SETMODIFY:
        if (!GetReadOnly()) SetModified(Message.WParam != 0);
        Message.Result = 0;
        return true;
    case EM_GETLINECOUNT:
        Message.Result = RowsCount();
        return true;
    case EM_LINEINDEX: {
        const int Row = PositionArg(Message.WParam) == -1 ? FRow : PositionArg(Message.WParam);
        Message.Result = Row > RowsCount() || Row < 0 ? -1 : MessageLineIndex(Row);
        return true;
    }
    case EM_LINELENGTH: {
        const int Position = PositionArg(Message.WParam);
        if (Position == -1) {
            if (HasSelection())
                Message.Result = static_cast<intptr_t>(RowText(FSelRange.EndRow).size()) +
                                 FSelRange.StartByte - FSelRange.LastByte - 1;
            else
                Message.Result = static_cast<intptr_t>(RowText(FRow).size());
        } else {
            int Byte;
            Message.Result = static_cast<intptr_t>(RowText(MessageRowOfPosition(Position, Byte)).size());
        }
        return true;
    }
    case EM_REPLACESEL:
        if (!GetReadOnly() && Message.LParam != 0)
            SetSelTextBuf(reinterpret_cast<const char*>(Message.LParam));
        Message.Result = 0;
        return true;
    case EM_GETLINE: {
        const int Row = PositionArg(Message.WParam);
        Message.Result = 0;
        if (Row < 0 || Row > RowsCount() || Message.LParam == 0) return true;
        auto* Buffer = reinterpret_cast<char*>(Message.LParam);
        uint16_t Capacity;
        std::memcpy(&Capacity, Buffer, sizeof Capacity);
        const std::string_view Text = RowText(Row);
        const size_t N = std::min<size_t>(Capacity, Text.size());
        if (N > 0) std::memcpy(Buffer, Text.data(), N);
        Message.Result = static_cast<intptr_t>(N);
        return true;
    }
    case EM_CANUNDO:
        Message.Result = !GetReadOnly() && CanUndo() ? 1 : 0;
        return true;
    case EM_UNDO:
        Message.Result = 0;
        if (!GetReadOnly() && CanUndo()) {
            Undo();
            Message.Result = 1;
        }
        return true;
    case EM_LINEFROMCHAR: {
        const int Position = PositionArg(Message.WParam);
        int Byte;
        if (Position == -1)
            Message.Result = HasSelection() ? FSelRange.StartRow : FRow;
        else
            Message.Result = MessageRowOfPosition(Position, Byte);
        return true;
    }
    case EM_EMPTYUNDOBUFFER:
        if (!GetReadOnly() && FList) FList->GetUndoObj()->Clear();
        Message.Result = 0;
        return true;
    case EM_GETFIRSTVISIBLELINE:
        Message.Result = FTopRow;
        return true;
    case EM_SETREADONLY:
        SetReadOnly(Message.WParam != 0);
        Message.Result = 1;
        return true;
    case EM_POSFROMCHAR: {
        int Byte;
        const int Row = MessageRowOfPosition(PositionArg(Message.WParam), Byte);
        const int Col = DisplayWidth(RowText(Row).substr(0, static_cast<size_t>(Byte)), ColumnParams());
        Message.Result =
            MakeLong(TextLeft() + (Col - FTopCol) * FColWidth, TextTop() + (Row - FTopRow) * GetRowHeight());
        return true;
    }
    case EM_CHARFROMPOS: {
        const int X = static_cast<int16_t>(Message.LParam & 0xFFFF);
        const int Y = static_cast<int16_t>((Message.LParam >> 16) & 0xFFFF);
        Message.Result = -1;
        if (!FHost || !FHost->ClientRect().Contains(TPoint{X, Y}) || RowsCount() == 0) return true;
        int Col, Row;
        PointToRowCol(X, Y, false, Col, Row);
        Row = std::clamp(Row, 0, RowsCount() - 1);
        const std::string Map = ColumnMap(Row);
        const auto Code = [&](int C) {
            return C >= 0 && C < static_cast<int>(Map.size()) ? Map[static_cast<size_t>(C)] : '\0';
        };
        if (Code(Col) == cmTrail) --Col;
        int Fills = 0;
        for (int C = 0; C <= Col && C < static_cast<int>(Map.size()); ++C)
            Fills += Map[static_cast<size_t>(C)] == cmTabFill;
        const int Byte = std::min(Col - Fills, static_cast<int>(RowText(Row).size()));
        Message.Result = MakeLong(MessageLineIndex(Row) + std::max(Byte, 0), Row);
        return true;
    }
    case WM_CUT:
        if (GetReadOnly() || FSelectionState != selSelected)
            SetClipboardEmpty();
        else
            CutToClipboard();
        Message.Result = 0;
        return true;
    case WM_COPY:
        if (FSelectionState == selSelected)
            CopyToClipboard();
        else
            SetClipboardEmpty();
        Message.Result = 0;
        return true;
    case WM_PASTE:
        if (!GetReadOnly()) PasteFromClipboard();
        Message.Result = 0;
        return true;
    case WM_CLEAR:
        if (!GetReadOnly()) ClearSelection();
        Message.Result = 0;
        return true;
    default:
        return false;
    }
}
