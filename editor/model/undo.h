// Undo and redo of the screen rows: one step per text change, kept in two bounded lists.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/row_string_list.h"

class TEditorScreenStrings;

// One step: the rows FirstRow .. FirstRow+NewCount-1 now hold the changed text; Text is what
// they replaced.
struct TUndoData {
    int32_t CaretRow = 0; // caret of the active editor when the step was recorded
    int32_t CaretCol = 0;
    int32_t FirstRow = -1;              // first row of the changed span
    int32_t NewCount = 0;               // rows that hold the new text; 0 when the change only deleted
    TRowAttribute LastAttr = raInvalid; // of the last old row; raInvalid when nothing was replaced
    std::string Text;                   // the old text, CR LF after raCrlf rows
    // The old rows' shapes, (byte length << 2) | RowAttribute each, so that undo puts back the
    // very rows that were there. Re-wrapping Text instead can cut a row differently from the
    // cut it had (a row's break may depend on text that a later change re-wrapped after it),
    // which would leave the older steps pointing at the wrong rows. Empty: re-wrap Text.
    std::vector<uint32_t> Shapes;
};

// An owning list of steps; the last one is the next to undo or redo.
class TUndoDataList : public TObject {
public:
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TUndoData* GetItem(int Index) const; // EListError when out of range
    TUndoData* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
    TUndoData* Add(std::unique_ptr<TUndoData> Item);
    // Frees the step at Index (EListError when out of range).
    void Delete(int Index);
    void DeleteLast() { Delete(GetCount() - 1); }
    void Clear() { FItems.clear(); }

private:
    std::deque<std::unique_ptr<TUndoData>> FItems;
};

// The undo and redo lists of one text (shared by all editors of its screen rows).
class TEditorUndoObj : public TObject {
public:
    static constexpr int MinUndoListMax = 64;

    explicit TEditorUndoObj(TEditorScreenStrings* Strings) : FStrings(Strings) {}

    // A new step with the active editor's caret, FirstRow -1, NewCount 0, LastAttr raInvalid
    // and no text, appended to the undo list (the oldest steps beyond UndoListMax are freed).
    // Outside a redo it empties the redo list. The caller fills in the span.
    virtual TUndoData* Add();
    virtual bool CanRedo() const { return FRedoList.GetCount() > 0; }
    virtual bool CanUndo() const { return FUndoList.GetCount() > 0; }
    // Puts the text of the last redo (undo) step back; nothing when the list is empty.
    virtual void Redo();
    virtual void Undo();
    // Appends a copy of Step to the redo list, with the active editor's caret of now.
    virtual void AddRedo(const TUndoData& Step);
    // Empties both lists.
    virtual void Clear();

    virtual ~TEditorUndoObj() = default;

    int GetUndoListMax() const { return FUndoListMax; }
    // Stores the larger of MinUndoListMax and Value; frees the oldest steps beyond it.
    void SetUndoListMax(int Value);
    const TUndoDataList& GetUndoList() const { return FUndoList; }
    const TUndoDataList& GetRedoList() const { return FRedoList; }

protected:
    // What a step's rows hold now, before its old text is put back.
    struct TCurrent {
        std::string Text;
        int Rows = 0;
        TRowAttribute Last = raInvalid;
        std::vector<uint32_t> Shapes;
        int Restored = 0;
    };
    // Steps 2 to 4 of undo and redo: reads the step's rows, puts its text back, rescans the
    // colouring and fills UpdateInfo. Runs inside the caller's update bracket.
    virtual TCurrent Restore(const TUndoData& Step);

    TEditorScreenStrings* FStrings; // not owned: the screen rows own this object
    int FUndoListMax = MinUndoListMax;
    bool FInRedo = false;
    TUndoDataList FRedoList;
    TUndoDataList FUndoList;

private:
    void Trim();
    // The rows of Step's old text, by its shapes when they fit the text, else re-wrapped.
    void BuildRows(const TUndoData& Step, TEditorStringList& Temp);
};
