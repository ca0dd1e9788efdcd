// What assistive technology (a screen reader) reads of a text control and does with it, and
// the changes a control reports to it. Offsets count UTF-16 units; a line break is one unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/graphics.h"

// A multi-line text control as assistive technology sees it. The backend finds it through
// WM_GETOBJECT with OBJID_CLIENT and exports it through the toolkit's accessibility stack.
// Offsets outside 0 .. CharacterCount() are clamped; nothing here converts more of the text
// than the span asked for.
class TAccessibleText {
public:
    // The name a screen reader announces (the control's label), CP932; empty when none.
    virtual std::string AccessibleName() const = 0;
    virtual bool AccessibleReadOnly() const = 0;

    virtual int CharacterCount() = 0;
    // The text of [Start, End), a line break being "\n".
    virtual std::u16string Text(int Start, int End) = 0;
    // The screen row (Paragraph false) or the line (true) that holds Offset: [Start, End),
    // End after the line break that closes it.
    virtual void RowBounds(int Offset, bool Paragraph, int& Start, int& End) = 0;

    virtual int CaretOffset() = 0;
    // Moves the caret there and drops the selection.
    virtual void SetCaretOffset(int Offset) = 0;
    // The selections: none, one for a stream selection, one per row for a box.
    virtual int SelectionCount() = 0;
    virtual void Selection(int Index, int& Start, int& End) = 0;
    // Selects [Start, End) as a stream, the caret at End; Start == End drops the selection.
    virtual void SetSelection(int Start, int End) = 0;

    // The cell of the character at Offset in client coordinates (the cell after a row's end for
    // a line break); an empty rectangle when the control has no window.
    virtual TRect CharacterRect(int Offset) = 0;
    // The offset of the character under P (client coordinates); -1 off the text.
    virtual int OffsetAtPoint(TPoint P) = 0;
    // Scrolls so that [Start, End) is in view, as far as it fits.
    virtual void ScrollToOffsets(int Start, int End) = 0;

    // Edits as typing and pasting make them (one undo step each); false, and nothing done,
    // while the control is read-only.
    virtual bool InsertText(int Offset, std::u16string_view Text) = 0;
    virtual bool DeleteText(int Start, int End) = 0;
    virtual bool ReplaceText(int Start, int End, std::u16string_view Text) = 0;

protected:
    ~TAccessibleText() = default;
};

// A change a control reports to assistive technology.
struct TAccessibleEvent {
    enum TKind : uint8_t {
        aeCaretMoved,     // Offset: the caret's new offset
        aeTextInserted,   // Text inserted at Offset
        aeTextRemoved,    // Text removed from Offset
        aeSelectionChanged, // [Offset, End): the first selection (Offset == End: none); caret
    };
    TKind Kind = aeCaretMoved;
    int Offset = 0;
    int End = 0;
    std::u16string Text;
};
