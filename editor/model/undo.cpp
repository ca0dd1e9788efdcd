// Undo and redo of the screen rows.
#include "editor/model/undo.h"

#include <algorithm>

#include "editor/model/screen_strings.h"

namespace {

// Keeps an editor's caret hidden for a scope.
class TCaretUpdate {
public:
    explicit TCaretUpdate(TEditorClient* E) : FE(E) {
        if (FE) FE->BeginCaretUpdate();
    }
    ~TCaretUpdate() {
        if (FE) FE->EndCaretUpdate();
    }
    TCaretUpdate(const TCaretUpdate&) = delete;
    TCaretUpdate& operator=(const TCaretUpdate&) = delete;

private:
    TEditorClient* FE;
};

void CaretOf(const TEditorClient* E, int32_t& Row, int32_t& Col) {
    Row = E ? E->GetRow() : 0;
    Col = E ? E->GetCol() : 0;
}

} // namespace

// ---- TUndoDataList -----------------------------------------------------------------------

TUndoData* TUndoDataList::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) TList::Error();
    return FItems[static_cast<size_t>(Index)].get();
}

TUndoData* TUndoDataList::Add(std::unique_ptr<TUndoData> Item) {
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

void TUndoDataList::Delete(int Index) {
    if (Index < 0 || Index >= GetCount()) TList::Error();
    if (Index == 0)
        FItems.pop_front();
    else
        FItems.erase(FItems.begin() + Index);
}

// ---- TEditorUndoObj ----------------------------------------------------------------------

void TEditorUndoObj::Trim() {
    while (FUndoList.GetCount() > FUndoListMax) FUndoList.Delete(0);
}

void TEditorUndoObj::SetUndoListMax(int Value) {
    FUndoListMax = std::max(MinUndoListMax, Value);
    Trim();
}

TUndoData* TEditorUndoObj::Add() {
    auto Step = std::make_unique<TUndoData>();
    CaretOf(FStrings->ActiveEditor(), Step->CaretRow, Step->CaretCol);
    TUndoData* Added = FUndoList.Add(std::move(Step));
    Trim();
    if (!FInRedo) FRedoList.Clear();
    return Added;
}

void TEditorUndoObj::AddRedo(const TUndoData& Step) {
    auto Copy = std::make_unique<TUndoData>(Step);
    CaretOf(FStrings->ActiveEditor(), Copy->CaretRow, Copy->CaretCol);
    FRedoList.Add(std::move(Copy));
}

void TEditorUndoObj::Clear() {
    FUndoList.Clear();
    FRedoList.Clear();
}

TEditorUndoObj::TCurrent TEditorUndoObj::Restore(const TUndoData& Step) {
    TEditorScreenStrings& S = *FStrings;
    TCurrent Cur;
    if (Step.NewCount > 0) {
        S.GetRowsText(Step.FirstRow, Step.NewCount, Cur.Last, Cur.Rows, Cur.Text);
        S.GetRowShapes(Step.FirstRow, Cur.Rows, Cur.Shapes);
    }
    S.RowsReplacing(Step.FirstRow, Cur.Rows);

    if (Step.LastAttr == raInvalid) {
        // The change had only inserted: its rows go.
        const TRowMarks Marks = S.DeleteRows(Step.FirstRow, Cur.Rows);
        if (S.GetCount() == 0)
            S.ExcludeMarks(Marks);
        else if (Marks != 0) {
            const int To = std::min(Step.FirstRow, S.GetCount() - 1);
            S.SetRowMarks(To, S.GetRowMarks(To) | Marks);
        }
        Cur.Restored = 0;
    } else {
        TEditorStringList Temp;
        BuildRows(Step, Temp);
        Cur.Restored = Temp.GetCount();
        S.PutRows(Step.FirstRow, Cur.Rows, Temp);
    }
    const int Scanned = S.UpdateRowAttributes(Step.FirstRow, true);
    S.UpdateInfo = TUpdateInfo{Step.FirstRow, Cur.Rows, Cur.Restored, Scanned, true};
    return Cur;
}

void TEditorUndoObj::BuildRows(const TUndoData& Step, TEditorStringList& Temp) {
    const std::string_view Text(Step.Text);
    size_t Pos = 0;
    bool Fits = !Step.Shapes.empty();
    for (size_t I = 0; Fits && I < Step.Shapes.size(); ++I) {
        const size_t Length = Step.Shapes[I] >> 2;
        const auto Attr = static_cast<TRowAttribute>(Step.Shapes[I] & 3);
        if (Length > Text.size() - Pos) {
            Fits = false;
            break;
        }
        const int Row = Temp.AddRow(Text.substr(Pos, Length));
        Temp.SetRowAttribute(Row, Attr);
        Pos += Length;
        if (Attr == raCrlf) {
            if (Text.substr(Pos, 2) != "\r\n") Fits = false;
            Pos += 2;
        }
    }
    if (Fits && Pos == Text.size()) {
        Temp.SetRowAttribute(Temp.GetCount() - 1, Step.LastAttr);
        return;
    }
    // No shapes, or shapes that do not describe the text: cut the text afresh.
    FStrings->WrapText(Text, Temp);
    // An empty final row after a line break: the rows split off no empty last line.
    if (Step.LastAttr == raEof && !Text.empty() && (Text.back() == '\n' || Text.back() == '\r'))
        Temp.AddRow({});
    const int Last = Temp.GetCount() - 1;
    if (Step.LastAttr == raWrapped && Last > 0 && Temp.RowLength(Last) == 0) Temp.Delete(Last);
    Temp.SetRowAttribute(Temp.GetCount() - 1, Step.LastAttr);
}

void TEditorUndoObj::Undo() {
    TUndoData* U = FUndoList.Last();
    if (U == nullptr) return;
    TEditorClient* Active = FStrings->ActiveEditor();
    TCaretUpdate Caret(Active);
    {
        TStringsUpdateGuard Bracket(*FStrings);
        TCurrent Cur = Restore(*U);
        // The step turns into its reverse; the redo step keeps the caret of before the undo.
        U->NewCount = Cur.Restored;
        U->LastAttr = Cur.Last;
        U->Text = std::move(Cur.Text);
        U->Shapes = std::move(Cur.Shapes);
        AddRedo(*U);
    }
    if (Active) {
        Active->SetRow(U->CaretRow);
        Active->SetCol(U->CaretCol);
    }
    FUndoList.DeleteLast();
}

void TEditorUndoObj::Redo() {
    TUndoData* R = FRedoList.Last();
    if (R == nullptr) return;
    TEditorClient* Active = FStrings->ActiveEditor();
    TCaretUpdate Caret(Active);
    {
        TStringsUpdateGuard Bracket(*FStrings);
        TCurrent Cur = Restore(*R);
        FInRedo = true;
        TUndoData* N;
        try {
            N = Add();
        } catch (...) {
            FInRedo = false;
            throw;
        }
        FInRedo = false;
        N->FirstRow = R->FirstRow;
        N->NewCount = Cur.Restored;
        N->LastAttr = Cur.Last;
        N->Text = std::move(Cur.Text);
        N->Shapes = std::move(Cur.Shapes);
    }
    if (Active) {
        Active->SetRow(R->CaretRow);
        Active->SetCol(R->CaretCol);
    }
    FRedoList.DeleteLast();
}
