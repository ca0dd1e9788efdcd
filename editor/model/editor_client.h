// The interface through which the screen rows call back into the editors attached to them.
#pragma once

#include "editor/model/dbcs.h"

class TFountain;

// What the screen rows (TEditorScreenStrings) and their undo object need of an attached
// editor. TEditor implements it; tests use a small double. Rows and columns are 0-based
// screen rows and display columns.
class TEditorClient {
public:
    // Rows Index .. Index+Count-1 are about to be replaced by a text change (ReplaceRows, undo,
    // redo); DoChange follows once the change is done. The rows still hold the old text.
    virtual void RowsReplacing(int Index, int Count) {
        (void)Index;
        (void)Count;
    }
    // A finished text change reached the rows (repaint from UpdateInfo, Modified, OnChange).
    virtual void DoChange() = 0;
    // Marks one screen row for repainting (its colouring state changed).
    virtual void InvalidateRow(int Row) = 0;

    // Whether a selection exists (selSelected or selHit).
    virtual bool HasSelection() const = 0;
    // Drops the selection.
    virtual void CancelSelection() = 0;

    // Caret row and column.
    virtual int GetRow() const = 0;
    virtual int GetCol() const = 0;
    // Moves the caret row / column (the editor clamps and snaps them).
    virtual void SetRow(int Value) = 0;
    virtual void SetCol(int Value) = 0;
    // First visible row.
    virtual int GetTopRow() const = 0;
    virtual void SetTopRow(int Value) = 0;
    // Hides the caret while a change runs; the two nest.
    virtual void BeginCaretUpdate() = 0;
    virtual void EndCaretUpdate() = 0;

    // RefreshView (metrics, scroll bars, invalidate all) and the corner bitmap rebuild.
    virtual void RefreshViewAndCorner() = 0;

    // Whether the editor has the input focus.
    virtual bool Focused() const = 0;
    // Whether the editor's properties are being read (csLoading) / it is being destroyed.
    virtual bool IsLoading() const = 0;
    virtual bool IsDestroying() const = 0;

    // The colouring scheme in use; null when there is none (no colouring state is kept).
    virtual TFountain* ActiveFountain() const = 0;
    // Height of one screen row in pixels (RowHeight).
    virtual int GetRowHeight() const = 0;
    // Height in pixels of the screen the editor is shown on (the colouring horizon).
    virtual int GetScreenHeight() const = 0;
    // Speed.InitBracketsFull: scan the whole text after a full rebuild.
    virtual bool GetInitBracketsFull() const = 0;

    // Caret.TabSpaceCount and Delimiters, for the column maps of wrapping.
    virtual int GetTabSpaceCount() const = 0;
    virtual const TDelimiters& GetDelimiters() const = 0;

protected:
    ~TEditorClient() = default;
};
