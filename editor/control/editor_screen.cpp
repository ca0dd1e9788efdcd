// Repaints and scrolls after a text change.
#include "editor/control/editor_screen.h"

#include <algorithm>
#include <cstdlib>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"

void TEditorScreen::Update() {
    TEditor& E = *FEditor;
    const TUpdateInfo Info = E.GetScreenStrings()->UpdateInfo;
    // Line indexes before the change stay; without a valid record none are kept.
    E.LineIndexChanged(Info.Valid ? Info.FirstRow : 0);
    if (!E.HandleAllocated() || !Info.Valid) return;
    const int F = Info.FirstRow, A = Info.OldCount, B = Info.NewCount, S = Info.ScannedCount;
    TWindowHost& Host = *E.GetHost();
    if (std::abs(B - A) > E.GetRowCount()) {
        Host.InvalidateRect(Rect(0, E.TextTop(), E.GetWidth(), E.GetHeight()), emNoErase);
        Host.Update();
        return;
    }
    const int End = F + std::max(B, S);
    const int LastRow = E.RowsCount() - 1;
    if (A == B) {
        if (End > LastRow)
            InvalidateRows(F, End + 1);
        else
            InvalidateRows(F, End - 1);
    } else {
        InvalidateRows(F, End - 1);
        if (E.GetImagebar()->GetVisible()) ScrollImagebarRows(End, B - A);
        ScrollRows(End, B - A);
        if (End > LastRow) InvalidateRows(End, End + 1);
    }
    TEditorLeftbar& L = *E.GetLeftbar();
    if (L.GetVisible() && L.GetShowNumber()) {
        const bool Always = L.GetShowNumberMode() == nmLine;
        if (Always || (A != B && E.GetTopRow() + E.GetRowCount() >= E.RowsCount()))
            E.InvalidateLeftbarRows(End, E.GetTopRow() + E.GetRowCount());
    }
}

void TEditorScreen::InvalidateRows(int From, int To) { FEditor->InvalidateRows(From, To); }

void TEditorScreen::InvalidateRow(int Row) { FEditor->InvalidateRow(Row); }

void TEditorScreen::ScrollRows(int Row, int Count) {
    TEditor& E = *FEditor;
    if (!E.HandleAllocated()) return;
    const int Top = E.GetTopRow(), Rows = E.GetRowCount();
    Row = std::clamp(Row, Top, Top + Rows);
    Count = std::clamp(Count, -(Rows + 1), Rows + 1);
    TCaretUpdateGuard Caret(E);
    TUnderlineGuard Underline(E);
    const int Y = E.TextTop() + (Row - Top) * E.GetRowHeight();
    E.ScrollText(0, Count * E.GetRowHeight(), Rect(E.TextLeft(), Y, E.GetWidth(), E.GetHeight()));
}

void TEditorScreen::ScrollImagebarRows(int Row, int Count) {
    TEditor& E = *FEditor;
    if (!E.HandleAllocated()) return;
    const int Top = E.GetTopRow(), Rows = E.GetRowCount();
    Row = std::clamp(Row, Top, Top + Rows);
    Count = std::clamp(Count, -(Rows + 1), Rows + 1);
    const int Y = E.TextTop() + (Row - Top) * E.GetRowHeight();
    E.ScrollText(0, Count * E.GetRowHeight(), Rect(0, Y, E.GetImagebarWidth(), E.GetHeight()));
}
