// The screen rows of an editor: the single store of its text, re-wrapped after every change,
// with undo, row marks, the incremental colouring scan and the editors attached to it.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/model/editor_client.h"
#include "editor/model/line_breaking.h"
#include "editor/model/row_string_list.h"
#include "editor/model/undo.h"
#include "editor/model/wrap_option.h"

// The last change of the rows; valid within one update bracket, all zero outside a change.
struct TUpdateInfo {
    int32_t FirstRow = 0;     // first row of the change
    int32_t OldCount = 0;     // rows that were replaced
    int32_t NewCount = 0;     // rows that replaced them
    int32_t ScannedCount = 0; // rows after the change whose colouring state changed
    bool Valid = false;
};

// The rows of one text. Several editors may show it; the first attached editor is its
// owner, whose settings (tab width, delimiters, colouring scheme, loading state) apply.
//
// Lifetime: the object is made with new and the editors attached to it share it. The
// last RemoveEditor deletes it; a list to which no editor was ever attached (or from
// which all were removed by the caller before) is freed with Free. It cannot live on the
// stack or in a unique_ptr (the destructor is protected). RemoveEditor must not be called
// from inside one of this object's callbacks (DoChange, InvalidateRow, ...).
class TEditorScreenStrings : public TEditorStringList {
public:
    TEditorScreenStrings();

    // ---- attached editors (not owned)
    void AddEditor(TEditorClient* Editor);
    // Detaches Editor; when no editor is left, the object deletes itself.
    void RemoveEditor(TEditorClient* Editor);
    // Deletes a list that has no editor attached; does nothing while one is attached.
    void Free();
    int GetEditorCount() const { return static_cast<int>(FEditors.size()); }
    TEditorClient* GetEditor(int Index) const; // EListError when out of range
    // The first attached editor (null when none).
    TEditorClient* OwnerEditor() const { return FEditors.empty() ? nullptr : FEditors.front(); }
    // The first attached editor that has the focus, else the owner.
    TEditorClient* ActiveEditor() const;

    // ---- text changes
    // Replaces rows Index .. Index+Count-1 by the text S (line breaks CR LF, CR or LF),
    // re-wrapping the touched lines, recording one undo step, moving marks, rescanning the
    // colouring and telling the editors. Nothing for a span outside the list, a negative
    // Count, or Count 0 with an empty S. Index = row count with Count 0 appends.
    void ReplaceRows(int Index, int Count, std::string_view S);
    // Replaces Count rows at Index by the rows of List (text, both attribute words, data,
    // state string), moving marks. Nothing for a span outside the list.
    void PutRows(int Index, int Count, const TEditorStringList& List);
    // Appends the lines of Bounds as rows sliced from Block (AddSlices); with word wrap on
    // (and the owner not loading) each line is cut as WrapAll cuts it, its rows slices too.
    // The rows come not scanned, so the colouring scan's bound stays known.
    void AppendSlices(const TRowString& Block, const uint32_t* Bounds, int Count);
    // The row list's SetTextStr (Clear, then the rows as slices of one copy of Value), the
    // new rows not scanned.
    void SetTextStr(const std::string& Value) override;
    // Deletes Count rows at Index (clipped to the list); the union of their marks.
    TRowMarks DeleteRows(int Index, int Count);
    // The text of Count rows from Index (Count -1: to the end of Index's line), with CR LF
    // after raCrlf rows; RowCount rows read, LastAttr the attribute of the last of them
    // (raInvalid, 0 and empty for an empty span or an Index outside the list).
    void GetRowsText(int Index, int Count, TRowAttribute& LastAttr, int& RowCount, std::string& Text) const;
    // Shapes of Count rows from Index, (byte length << 2) | RowAttribute each (for undo).
    void GetRowShapes(int Index, int Count, std::vector<uint32_t>& Shapes) const;
    // First / last row of the line that holds row R (see the .cpp for the edge values).
    int LineStartRow(int R) const;
    int LineEndRow(int R) const;
    // The last row the caret may stand on: Count after a final raCrlf row (or 0 for no rows),
    // else Count - 1.
    int LastCaretRow() const;

    // ---- wrapping
    // Fills List with the rows of S as the word-wrap options cut them.
    virtual void WrapText(std::string_view S, TEditorStringList& List);
    // Rows that the line S needs.
    virtual int WrapCount(std::string_view S);
    // Rebuilds all rows wrapped / as one row per line; marks follow their lines.
    void WrapAll();
    void UnwrapAll();
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TEditorWrapOption* GetWrapOption();
    // Copies Value's options into the own object (which then reports the change).
    void SetWrapOption(TEditorWrapOption* Value) { GetWrapOption()->Assign(Value); }
    // Handler of the wrap options' change event.
    void WrapOptionChanged(TObject* Sender);

    // ---- colouring state
    // Brings the colouring state of the rows from Index on up to date; with Notify, counts
    // the rows whose state changed and has every editor invalidate them.
    int UpdateRowAttributes(int Index, bool Notify);
    // Resets and rescans the colouring state from row 0 (not while the owner loads or dies).
    void ScanAll();

    // ---- the rest
    // Empties the text, the undo lists and the marks; the editors go to (0, 0).
    void Clear() override;
    // Every editor runs RefreshView and rebuilds its corner bitmap.
    void RefreshViews();
    virtual void Undo();
    virtual void Redo();
    virtual void IncludeMarks(TRowMarks Marks) { FMarksInUse |= Marks; }
    virtual void ExcludeMarks(TRowMarks Marks) { FMarksInUse &= static_cast<TRowMarks>(~Marks); }
    virtual TRowMarks MarksInUse() const { return FMarksInUse; }
    TEditorUndoObj* GetUndoObj();

    // The column-map parameters of the rows: the owner's delimiters and tab width, the
    // word-wrap flag and WrapByte.
    TColumnParams ColumnParams();

    TUpdateInfo UpdateInfo;

protected:
    ~TEditorScreenStrings() override;

    virtual std::unique_ptr<TEditorUndoObj> CreateUndoObj();
    virtual std::unique_ptr<TEditorWrapOption> CreateWrapOption();

    // Closing a bracket fires the change event, clears UpdateInfo and clamps the editors.
    void SetUpdateState(bool Updating) override;
    // A change from outside the operations of this class makes the scan bound unknown.
    void Changing() override;

private:
    friend class TEditorUndoObj;
    class TOwnChange;
    class TDisconnect;

    void EnsureParts();
    // The owner's tab width and delimiters, and the word-wrap flag, into the wrapper.
    void SyncWrapper();
    // Screen height / row height of the owner, at least 1.
    int RowsPerScreen() const;
    // Sets the caret row and top row of every editor to at most LastCaretRow.
    void ClampEditors();
    void CancelSelections();
    // Tells the editors that rows Index .. Index+Count-1 are about to be replaced.
    void RowsReplacing(int Index, int Count);
    void EditorsChange(TObject* Sender);
    // Resets the rows from From on to the not-scanned state.
    void ResetScanFrom(int From);
    // Scans one row with Parser (null: the state passes unchanged).
    void ScanRowState(class TFountainParser* Parser, int Row, TRowAttributeData& Data) const;
    // Appends row R's text and, after a raCrlf row, CR LF.
    void AppendRowText(int R, std::string& Text) const;
    // WrapAll of a text whose lines are one row each and whose rows have no extras, inside
    // the row array itself; false (nothing changed) for any other text.
    bool WrapOneRowLinesInPlace();
    int ScanBound() const { return FScanLimit < FCount ? FScanLimit : FCount; }

    std::vector<TEditorClient*> FEditors;
    TRowMarks FMarksInUse = 0;
    std::unique_ptr<TEditorUndoObj> FUndoObj;
    bool FWordWrap = false;
    std::unique_ptr<TEditorWrapOption> FWrapOption;
    TEditorWrapper FWrapper;
    // Every row at or after this index is in the not-scanned state (BracketIndex -2); INT_MAX
    // when unknown. Keeps the resets of the colouring scan proportional to what was scanned.
    int FScanLimit = INT_MAX;
    int FOwnChange = 0;
};
