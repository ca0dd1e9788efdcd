// The editor as assistive technology reads it: UTF-16 offsets over the screen rows, kept per
// row and brought up to date by the text changes, and the change events for a screen reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessible.h"

class TEditor;

// The UTF-16 units of every screen row (its characters, plus one for the line break after a
// raCrlf row), held in blocks of rows with their sums: the offset of a row and the row at an
// offset cost a walk over the block sums and one block, and a change replaces only the units
// of the rows it touched.
class TRowUnitIndex {
public:
    void Clear();
    int RowCount() const { return FRows; }
    int64_t Total() const { return FTotal; }
    int32_t Units(int Row) const;
    // Replaces the units of rows First .. First+OldCount-1 by Units.
    void Replace(int First, int OldCount, const std::vector<int32_t>& Units);
    // Offset of the start of Row (0 .. RowCount(); RowCount() gives Total()).
    int64_t RowStart(int Row) const;
    // The row whose units hold Offset (0 <= Offset < Total()), and the offset of its start.
    int RowAt(int64_t Offset, int64_t& Start) const;

private:
    // About the square root of the 1.6 million rows of a 100 MiB text: a walk over the block
    // sums and one over a block's rows cost about the same.
    static constexpr size_t BlockRows = 2048;
    struct TBlock {
        std::vector<int32_t> Units;
        int64_t Sum = 0;
    };
    // The block that holds Row (the last block for Row = RowCount()) and the rows before it.
    size_t Locate(int Row, int& Before) const;
    void SplitLarge(size_t Block);

    std::vector<TBlock> FBlocks;
    int FRows = 0;
    int64_t FTotal = 0;
};

// TAccessibleText for one TEditor. Made when assistive technology first asks (the row index is
// built then), told by the editor of every text change, caret move and selection change.
class TEditorAccessible final : public TAccessibleText {
public:
    explicit TEditorAccessible(TEditor& Editor);

    std::string AccessibleName() const override;
    bool AccessibleReadOnly() const override;
    int CharacterCount() override;
    std::u16string Text(int Start, int End) override;
    void RowBounds(int Offset, bool Paragraph, int& Start, int& End) override;
    int CaretOffset() override;
    void SetCaretOffset(int Offset) override;
    int SelectionCount() override;
    void Selection(int Index, int& Start, int& End) override;
    void SetSelection(int Start, int End) override;
    TRect CharacterRect(int Offset) override;
    int OffsetAtPoint(TPoint P) override;
    void ScrollToOffsets(int Start, int End) override;
    bool InsertText(int Offset, std::u16string_view Text) override;
    bool DeleteText(int Start, int End) override;
    bool ReplaceText(int Start, int End, std::u16string_view Text) override;

    // ---- told by the editor
    // Rows Index .. Index+Count-1 are about to be replaced: their text is kept for the event.
    void RowsReplacing(int Index, int Count);
    // A text change is done (the screen rows' UpdateInfo describes it).
    void TextChanged();
    // The rows were rebuilt as a whole (word wrap switched, new text): the index starts over.
    void RowsRebuilt();
    void CaretMoved();
    void SelectionChanged();

    // The offset of byte Byte of row Row (Row = row count: the end of the text), and back.
    int RowByteToOffset(int Row, int Byte);
    void OffsetToRowByte(int Offset, int& Row, int& Byte);

private:
    // Whether assistive technology listens (events are prepared only then).
    bool Listening() const;
    void Notify(const TAccessibleEvent& Event);
    void EnsureIndex();
    int32_t RowUnits(int Row) const;
    int Clamp(int Offset);
    // The text of rows First .. First+Count-1, a line break as "\n".
    std::u16string RowsText(int First, int Count) const;
    // The display column of byte Byte of row Row.
    int ByteToCol(int Row, int Byte) const;
    // Puts the caret at Offset without touching the selection.
    void MoveCaret(int Offset);
    // Selects [Start, End) as a stream; false when the control cannot edit it.
    bool SelectForEdit(int Start, int End);

    TEditor& FEditor;
    TRowUnitIndex FIndex;
    bool FIndexValid = false;
    // The old text of the rows a running change replaces, and where it starts.
    std::u16string FOldText;
    int FOldFirst = -1;
    int FOldCount = 0;
    int FLastCaret = -1;
    int FLastSelStart = -1;
    int FLastSelEnd = -1;
};
