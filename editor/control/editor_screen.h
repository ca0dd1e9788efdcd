// TEditorScreen: turns a finished text change of the screen rows into repaints and scrolls.
#pragma once

#include "platform/object.h"

class TEditor;

class TEditorScreen : public TObject {
public:
    explicit TEditorScreen(TEditor* Editor) : FEditor(Editor) {}

    // Repaints or scrolls what the last change (the rows' UpdateInfo) touched.
    virtual void Update();
    // Invalidates the full-width band of the visible rows From .. To and repaints at once.
    virtual void InvalidateRows(int From, int To);
    // Invalidates the text part of one visible row (no repaint at once).
    virtual void InvalidateRow(int Row);
    // Scrolls the text area below the top of Row by Count row slots.
    virtual void ScrollRows(int Row, int Count);
    // The same for the image bar, so that row marks move with their rows.
    virtual void ScrollImagebarRows(int Row, int Count);

    TEditor* GetEditor() const { return FEditor; }

private:
    TEditor* FEditor;
};
