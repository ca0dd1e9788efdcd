// The editor for assistive technology: the row unit index, offsets over the screen rows, the
// text and edit requests, and the change events.
#include "editor/control/editor_accessible.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <iterator>
#include <numeric>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

// ---- TRowUnitIndex -----------------------------------------------------------------------------

void TRowUnitIndex::Clear() {
    FBlocks.clear();
    FRows = 0;
    FTotal = 0;
}

size_t TRowUnitIndex::Locate(int Row, int& Before) const {
    Before = 0;
    for (size_t B = 0; B < FBlocks.size(); ++B) {
        const int N = static_cast<int>(FBlocks[B].Units.size());
        if (Row < Before + N || B + 1 == FBlocks.size()) return B;
        Before += N;
    }
    return 0;
}

int32_t TRowUnitIndex::Units(int Row) const {
    if (Row < 0 || Row >= FRows) return 0;
    int Before = 0;
    const size_t B = Locate(Row, Before);
    return FBlocks[B].Units[static_cast<size_t>(Row - Before)];
}

int64_t TRowUnitIndex::RowStart(int Row) const {
    if (Row <= 0) return 0;
    if (Row >= FRows) return FTotal;
    int64_t Offset = 0;
    int Before = 0;
    for (const TBlock& Block : FBlocks) {
        const int N = static_cast<int>(Block.Units.size());
        if (Row < Before + N)
            return std::accumulate(Block.Units.begin(), Block.Units.begin() + (Row - Before), Offset);
        Offset += Block.Sum;
        Before += N;
    }
    return FTotal;
}

int TRowUnitIndex::RowAt(int64_t Offset, int64_t& Start) const {
    int64_t Acc = 0;
    int Before = 0;
    for (const TBlock& Block : FBlocks) {
        if (Offset < Acc + Block.Sum) {
            for (size_t I = 0; I < Block.Units.size(); ++I) {
                if (Offset < Acc + Block.Units[I]) {
                    Start = Acc;
                    return Before + static_cast<int>(I);
                }
                Acc += Block.Units[I];
            }
        }
        Acc += Block.Sum;
        Before += static_cast<int>(Block.Units.size());
    }
    Start = FTotal;
    return FRows;
}

void TRowUnitIndex::Replace(int First, int OldCount, const std::vector<int32_t>& Units) {
    First = std::clamp(First, 0, FRows);
    OldCount = std::clamp(OldCount, 0, FRows - First);
    if (FBlocks.empty()) FBlocks.emplace_back();
    // Take the old rows out, block by block.
    int Before = 0;
    size_t B = Locate(First, Before);
    const size_t FirstBlock = B;
    size_t At = static_cast<size_t>(First - Before);
    int64_t Removed = 0;
    for (int Left = OldCount; Left > 0;) {
        TBlock& Block = FBlocks[B];
        const size_t N = std::min(Block.Units.size() - At, static_cast<size_t>(Left));
        const auto From = Block.Units.begin() + static_cast<ptrdiff_t>(At);
        const int64_t Sum = std::accumulate(From, From + static_cast<ptrdiff_t>(N), int64_t{0});
        Block.Sum -= Sum;
        Removed += Sum;
        Block.Units.erase(From, From + static_cast<ptrdiff_t>(N));
        Left -= static_cast<int>(N);
        if (Left > 0) {
            ++B;
            At = 0;
        }
    }
    FRows -= OldCount;
    FTotal -= Removed;
    // The blocks emptied lie among those touched.
    const auto Touched = FBlocks.begin() + static_cast<ptrdiff_t>(FirstBlock);
    const auto End = FBlocks.begin() + static_cast<ptrdiff_t>(B + 1);
    FBlocks.erase(std::remove_if(Touched, End, [](const TBlock& K) { return K.Units.empty(); }), End);
    if (FBlocks.empty()) FBlocks.emplace_back();
    // Put the new ones where the old ones started.
    B = Locate(First, Before);
    TBlock& Block = FBlocks[B];
    Block.Units.insert(Block.Units.begin() + (First - Before), Units.begin(), Units.end());
    const int64_t Added = std::accumulate(Units.begin(), Units.end(), int64_t{0});
    Block.Sum += Added;
    FTotal += Added;
    FRows += static_cast<int>(Units.size());
    SplitLarge(B);
}

void TRowUnitIndex::SplitLarge(size_t B) {
    if (FBlocks[B].Units.size() <= 2 * BlockRows) return;
    std::vector<int32_t> All = std::move(FBlocks[B].Units);
    std::vector<TBlock> Parts;
    for (size_t I = 0; I < All.size(); I += BlockRows) {
        TBlock Part;
        Part.Units.assign(All.begin() + static_cast<ptrdiff_t>(I),
                          All.begin() + static_cast<ptrdiff_t>(std::min(All.size(), I + BlockRows)));
        for (int32_t U : Part.Units) Part.Sum += U;
        Parts.push_back(std::move(Part));
    }
    FBlocks.erase(FBlocks.begin() + static_cast<ptrdiff_t>(B));
    FBlocks.insert(FBlocks.begin() + static_cast<ptrdiff_t>(B), std::make_move_iterator(Parts.begin()),
                   std::make_move_iterator(Parts.end()));
}

// ---- TEditorAccessible -------------------------------------------------------------------------

namespace {

// Old text kept for a change event at most (longer: the removed text is reported as spaces of
// its length, as the toolkit's own editors do when they do not know it).
constexpr int64_t MaxKeptUnits = 1 << 20;

// UTF-16 text from assistive technology as CP932 with CR LF line breaks.
std::string ToEditorText(std::u16string_view Text) {
    std::u16string Crlf;
    Crlf.reserve(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I];
        if (C == u'\r' || C == u'\n' || C == u'\u2029') {
            Crlf += u"\r\n";
            if (C == u'\r' && I + 1 < Text.size() && Text[I + 1] == u'\n') ++I;
        } else {
            Crlf += C;
        }
    }
    return cp932::FromUtf16(Crlf);
}

} // namespace

TEditorAccessible::TEditorAccessible(TEditor& Editor) : FEditor(Editor) {}

std::string TEditorAccessible::AccessibleName() const { return FEditor.AccessibleName; }

bool TEditorAccessible::AccessibleReadOnly() const { return FEditor.GetReadOnly(); }

bool TEditorAccessible::Listening() const {
    return FEditor.GetHost() != nullptr && FEditor.GetHost()->AccessibilityActive();
}

void TEditorAccessible::Notify(const TAccessibleEvent& Event) {
    if (TWindowHost* Host = FEditor.GetHost()) Host->NotifyAccessible(Event);
}

int32_t TEditorAccessible::RowUnits(int Row) const {
    return static_cast<int32_t>(cp932::Utf16Length(FEditor.RowText(Row))) + (FEditor.RowAttr(Row) == raCrlf ? 1 : 0);
}

void TEditorAccessible::EnsureIndex() {
    if (FIndexValid && FIndex.RowCount() == FEditor.RowsCount()) return;
    const int Rows = FEditor.RowsCount();
    std::vector<int32_t> Units(static_cast<size_t>(Rows));
    for (int R = 0; R < Rows; ++R) Units[static_cast<size_t>(R)] = RowUnits(R);
    FIndex.Clear();
    FIndex.Replace(0, 0, Units);
    FIndexValid = true;
}

int TEditorAccessible::Clamp(int Offset) {
    EnsureIndex();
    return static_cast<int>(std::clamp<int64_t>(Offset, 0, std::min<int64_t>(FIndex.Total(), INT_MAX)));
}

int TEditorAccessible::CharacterCount() {
    EnsureIndex();
    return static_cast<int>(std::min<int64_t>(FIndex.Total(), INT_MAX));
}

int TEditorAccessible::RowByteToOffset(int Row, int Byte) {
    EnsureIndex();
    if (Row < 0) return 0;
    if (Row >= FIndex.RowCount()) return CharacterCount();
    const std::string_view S = FEditor.RowText(Row);
    const int64_t Start = FIndex.RowStart(Row);
    int64_t In;
    if (Byte > static_cast<int>(S.size()))
        In = FIndex.Units(Row); // past the row's end: after its line break
    else
        In = static_cast<int64_t>(cp932::Utf16Length(S.substr(0, static_cast<size_t>(std::max(Byte, 0)))));
    return static_cast<int>(std::min<int64_t>(Start + In, INT_MAX));
}

void TEditorAccessible::OffsetToRowByte(int Offset, int& Row, int& Byte) {
    Offset = Clamp(Offset);
    const int Rows = FIndex.RowCount();
    Row = 0;
    Byte = 0;
    if (Rows == 0) return;
    if (Offset >= FIndex.Total()) {
        // The end: after a final line break the empty row below it, else the last row's end.
        Row = FEditor.RowAttr(Rows - 1) == raCrlf ? Rows : Rows - 1;
        Byte = Row == Rows ? 0 : static_cast<int>(FEditor.RowText(Row).size());
        return;
    }
    int64_t Start = 0;
    Row = FIndex.RowAt(Offset, Start);
    const std::string_view S = FEditor.RowText(Row);
    size_t B = 0;
    for (int64_t Want = Offset - Start; Want > 0 && B < S.size(); --Want) B += static_cast<size_t>(cp932::CharLength(S, B));
    Byte = static_cast<int>(B);
}

std::u16string TEditorAccessible::RowsText(int First, int Count) const {
    std::u16string Out;
    for (int R = First; R < First + Count && R < FEditor.RowsCount(); ++R) {
        Out += cp932::ToUtf16(FEditor.RowText(R));
        if (FEditor.RowAttr(R) == raCrlf) Out += u'\n';
    }
    return Out;
}

std::u16string TEditorAccessible::Text(int Start, int End) {
    Start = Clamp(Start);
    End = Clamp(End);
    if (End <= Start) return {};
    int Row = 0, Byte = 0;
    OffsetToRowByte(Start, Row, Byte);
    const size_t Want = static_cast<size_t>(End - Start);
    std::u16string Out;
    Out.reserve(Want);
    for (; Out.size() < Want && Row < FEditor.RowsCount(); ++Row, Byte = 0) {
        Out += cp932::ToUtf16(FEditor.RowText(Row).substr(static_cast<size_t>(Byte)));
        if (FEditor.RowAttr(Row) == raCrlf) Out += u'\n';
    }
    Out.resize(std::min(Out.size(), Want));
    return Out;
}

void TEditorAccessible::RowBounds(int Offset, bool Paragraph, int& Start, int& End) {
    int Row = 0, Byte = 0;
    OffsetToRowByte(Offset, Row, Byte);
    if (Row >= FIndex.RowCount()) {
        Start = End = CharacterCount();
        return;
    }
    const int First = Paragraph ? FEditor.LineStartRow(Row) : Row;
    const int Last = Paragraph ? FEditor.LineEndRow(Row) : Row;
    Start = static_cast<int>(std::min<int64_t>(FIndex.RowStart(First), INT_MAX));
    End = static_cast<int>(std::min<int64_t>(FIndex.RowStart(Last + 1), INT_MAX));
}

int TEditorAccessible::ByteToCol(int Row, int Byte) const {
    const std::string_view S = FEditor.RowText(Row);
    return DisplayWidth(S.substr(0, std::min(static_cast<size_t>(std::max(Byte, 0)), S.size())),
                        FEditor.ColumnParams());
}

int TEditorAccessible::CaretOffset() {
    const int Row = FEditor.GetRow();
    return RowByteToOffset(Row, FEditor.ColToByte(Row, FEditor.GetCol()));
}

void TEditorAccessible::MoveCaret(int Offset) {
    int Row = 0, Byte = 0;
    OffsetToRowByte(Offset, Row, Byte);
    FEditor.SetRowCol(Row, ByteToCol(Row, Byte));
}

void TEditorAccessible::SetCaretOffset(int Offset) {
    FEditor.CancelSelection();
    MoveCaret(Offset);
}

int TEditorAccessible::SelectionCount() {
    if (!FEditor.HasSelection()) return 0;
    if (FEditor.GetSelectionMode() == smBox) {
        const TSelectionFrame& F = FEditor.GetSelFrame();
        return std::max(0, std::min(F.EndRow, FEditor.RowsCount() - 1) - F.StartRow + 1);
    }
    return 1;
}

void TEditorAccessible::Selection(int Index, int& Start, int& End) {
    Start = End = 0;
    if (Index < 0 || Index >= SelectionCount()) return;
    if (FEditor.GetSelectionMode() != smBox) {
        const TSelectionRange& R = FEditor.GetSelRange();
        Start = RowByteToOffset(R.StartRow, R.StartByte);
        End = RowByteToOffset(R.EndRow, R.LastByte + 1);
        return;
    }
    // One row of a box: the characters that start in its columns.
    const TSelectionFrame& F = FEditor.GetSelFrame();
    const int Row = F.StartRow + Index;
    const std::string Map = FEditor.ColumnMap(Row);
    int First = -1, Last = -1, Byte = 0;
    for (int Col = 0; Col < static_cast<int>(Map.size()); ++Col) {
        const char Code = Map[static_cast<size_t>(Col)];
        if (Code == cmTabFill) continue;
        if (Code != cmTrail && Col >= F.StartCol && Col < F.EndCol) {
            if (First < 0) First = Byte;
            Last = Byte + (Code == cmLead ? 2 : 1);
        }
        ++Byte;
    }
    if (First < 0) First = Last = FEditor.ColToByte(Row, F.StartCol);
    Start = RowByteToOffset(Row, First);
    End = RowByteToOffset(Row, Last);
}

void TEditorAccessible::SetSelection(int Start, int End) {
    FEditor.CancelSelection();
    if (Start == End) {
        MoveCaret(Start);
        return;
    }
    FEditor.SetSelectionMode(smNormal);
    MoveCaret(Start);
    FEditor.StartSelection();
    MoveCaret(End);
    FEditor.ExtendSelection();
}

TRect TEditorAccessible::CharacterRect(int Offset) {
    if (!FEditor.HandleAllocated()) return {};
    int Row = 0, Byte = 0;
    OffsetToRowByte(Offset, Row, Byte);
    const std::string_view S = FEditor.RowText(Row);
    const int Col = ByteToCol(Row, Byte);
    int Cols = 1;
    if (Byte < static_cast<int>(S.size()))
        Cols = std::max(1, ByteToCol(Row, Byte + cp932::CharLength(S, static_cast<size_t>(Byte))) - Col);
    const int W = FEditor.GetColWidth();
    const int H = FEditor.GetRowHeight();
    const int X = FEditor.TextLeft() + (Col - FEditor.GetTopCol()) * W;
    const int Y = FEditor.TextTop() + (Row - FEditor.GetTopRow()) * H;
    return TRect{X, Y, X + Cols * W, Y + H};
}

int TEditorAccessible::OffsetAtPoint(TPoint P) {
    if (!FEditor.HandleAllocated()) return -1;
    const TRect Client = FEditor.GetHost()->ClientRect();
    if (P.X < FEditor.TextLeft() || P.Y < FEditor.TextTop() || P.X >= Client.Right || P.Y >= Client.Bottom)
        return -1;
    int Col = 0, Row = 0;
    FEditor.PointToRowCol(P.X, P.Y, false, Col, Row);
    if (Row < 0 || Row >= FEditor.RowsCount()) return -1;
    const std::string Map = FEditor.ColumnMap(Row);
    if (Col < static_cast<int>(Map.size()) && Map[static_cast<size_t>(Col)] == cmTrail) --Col;
    return RowByteToOffset(Row, FEditor.ColToByte(Row, Col));
}

void TEditorAccessible::ScrollToOffsets(int Start, int End) {
    (void)End;
    if (!FEditor.HandleAllocated()) return;
    int Row = 0, Byte = 0;
    OffsetToRowByte(Start, Row, Byte);
    if (Row < FEditor.GetTopRow() || Row >= FEditor.GetTopRow() + FEditor.GetRowCount()) FEditor.SetTopRow(Row);
    const int Col = ByteToCol(Row, Byte);
    if (Col < FEditor.GetTopCol() || Col >= FEditor.GetTopCol() + FEditor.GetColCount()) FEditor.SetTopCol(Col);
}

bool TEditorAccessible::SelectForEdit(int Start, int End) {
    if (FEditor.GetReadOnly()) return false;
    if (Start > End) std::swap(Start, End);
    SetSelection(Clamp(Start), Clamp(End));
    return true;
}

bool TEditorAccessible::InsertText(int Offset, std::u16string_view Text) {
    if (!SelectForEdit(Offset, Offset)) return false;
    FEditor.SetSelTextBuf(ToEditorText(Text));
    return true;
}

bool TEditorAccessible::DeleteText(int Start, int End) {
    if (!SelectForEdit(Start, End)) return false;
    FEditor.ClearSelection();
    return true;
}

bool TEditorAccessible::ReplaceText(int Start, int End, std::u16string_view Text) {
    if (!SelectForEdit(Start, End)) return false;
    FEditor.SetSelTextBuf(ToEditorText(Text));
    return true;
}

// ---- what the editor tells -----------------------------------------------------------------

void TEditorAccessible::RowsReplacing(int Index, int Count) {
    FOldFirst = -1;
    FOldText.clear();
    if (!Listening()) return;
    EnsureIndex();
    FOldFirst = Index;
    FOldCount = Count;
    if (FIndex.RowStart(Index + Count) - FIndex.RowStart(Index) <= MaxKeptUnits) FOldText = RowsText(Index, Count);
}

void TEditorAccessible::TextChanged() {
    const TUpdateInfo Info = FEditor.GetScreenStrings()->UpdateInfo;
    const int OldFirst = FOldFirst;
    std::u16string Old = std::move(FOldText);
    FOldFirst = -1;
    FOldText.clear();
    if (!FIndexValid) return;
    if (!Info.Valid || Info.FirstRow < 0 || Info.OldCount < 0 || Info.FirstRow + Info.OldCount > FIndex.RowCount()) {
        RowsRebuilt();
        return;
    }
    const int64_t Start = FIndex.RowStart(Info.FirstRow);
    const int64_t OldUnits = FIndex.RowStart(Info.FirstRow + Info.OldCount) - Start;
    std::vector<int32_t> Units(static_cast<size_t>(std::max(Info.NewCount, 0)));
    for (int I = 0; I < Info.NewCount; ++I) Units[static_cast<size_t>(I)] = RowUnits(Info.FirstRow + I);
    FIndex.Replace(Info.FirstRow, Info.OldCount, Units);
    if (FIndex.RowCount() != FEditor.RowsCount()) {
        RowsRebuilt();
        return;
    }
    if (!Listening() || Start > INT_MAX) return;

    std::u16string New = RowsText(Info.FirstRow, Info.NewCount);
    const bool Known = OldFirst == Info.FirstRow && FOldCount == Info.OldCount &&
                       static_cast<int64_t>(Old.size()) == OldUnits;
    size_t Head = 0, Tail = 0;
    if (Known) {
        // Only what differs: a typed character is reported as itself, not as its line.
        while (Head < Old.size() && Head < New.size() && Old[Head] == New[Head]) ++Head;
        while (Tail < Old.size() - Head && Tail < New.size() - Head &&
               Old[Old.size() - 1 - Tail] == New[New.size() - 1 - Tail])
            ++Tail;
    } else {
        Old.assign(static_cast<size_t>(OldUnits), u' ');
    }
    const int At = static_cast<int>(Start + static_cast<int64_t>(Head));
    if (Old.size() > Head + Tail)
        Notify({TAccessibleEvent::aeTextRemoved, At, 0, Old.substr(Head, Old.size() - Head - Tail)});
    if (New.size() > Head + Tail)
        Notify({TAccessibleEvent::aeTextInserted, At, 0, New.substr(Head, New.size() - Head - Tail)});
}

void TEditorAccessible::RowsRebuilt() {
    FIndexValid = false;
    if (Listening()) EnsureIndex();
}

void TEditorAccessible::CaretMoved() {
    if (!Listening()) return;
    const int Offset = CaretOffset();
    if (Offset == FLastCaret) return;
    FLastCaret = Offset;
    Notify({TAccessibleEvent::aeCaretMoved, Offset, Offset, {}});
}

void TEditorAccessible::SelectionChanged() {
    if (!Listening()) return;
    int Start = CaretOffset(), End = Start;
    if (SelectionCount() > 0) Selection(0, Start, End);
    if (Start == FLastSelStart && End == FLastSelEnd) return;
    FLastSelStart = Start;
    FLastSelEnd = End;
    Notify({TAccessibleEvent::aeSelectionChanged, Start, End, {}});
}
