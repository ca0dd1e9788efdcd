// The editor's settings objects: caret, cursors, margins, marks, ruler, left bar, image bar
// and speed. Each reports a real change of a reported property through OnChange (the
// editor connects it to SettingsChanged); plain properties are public fields.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/colouring/notify.h"
#include "platform/graphics.h"
#include "platform/window.h"

enum TEditorCaretStyle : uint8_t { csDefault, csBrief };
enum TEditorSelDragMode : uint8_t { dmManual, dmAutomatic };
enum TEditorShowNumberMode : uint8_t { nmRow, nmLine };
// 1..4.
using TEditorSpeedRange = uint8_t;

// The mouse cursors the editor shows (all plain: changing them reports nothing).
class TEditorCursors : public TPersistent {
public:
    // The two cursors registered at program start from the resources "RightArrow" and
    // "DragSelCopy".
    static constexpr TCursor RightArrowCursor = 1958;
    static constexpr TCursor DragSelCopyResCursor = 1959;

    void Assign(TPersistent* Source) override;

    TCursor DefaultCursor = crIBeam;
    TCursor DragSelCursor = crDrag;
    TCursor DragSelCopyCursor = DragSelCopyResCursor;
    TCursor InSelCursor = crDefault;
    TCursor LeftMarginCursor = RightArrowCursor;
    TCursor TopMarginCursor = crDefault;
};

class TEditorCaret : public TNotifyPersistent {
public:
    TEditorCaret();
    ~TEditorCaret() override;

    // Copies every value (cursors included) from another TEditorCaret and reports once.
    void Assign(TPersistent* Source) override;

    TEditorCursors* GetCursors() const { return FCursors.get(); }
    void SetCursors(TEditorCursors* Value) { FCursors->Assign(Value); }
    TEditorCaretStyle GetStyle() const { return FStyle; }
    void SetStyle(TEditorCaretStyle Value);
    int GetTabSpaceCount() const { return FTabSpaceCount; }
    // Clamped to 2..8, then an odd value is lowered by one.
    void SetTabSpaceCount(int Value);

    bool AutoCursor = true;
    bool AutoIndent = true;
    bool BackSpaceUnIndent = true;
    bool FreeCaret = true;
    bool FreeRow = false;
    bool InTab = false;
    bool KeepCaret = false;
    bool LockScroll = false;
    bool NextLine = false;
    bool PrevSpaceIndent = false;
    bool RowSelect = true;
    TEditorSelDragMode SelDragMode = dmAutomatic;
    bool SelMove = true;
    bool SoftTab = false;
    bool TabIndent = false;
    bool TokenEndStop = false;

private:
    std::unique_ptr<TEditorCursors> FCursors;
    TEditorCaretStyle FStyle = csDefault;
    int FTabSpaceCount = 8;
};

// Margins in pixels, each clamped to 0..100.
class TEditorMargin : public TNotifyPersistent {
public:
    void Assign(TPersistent* Source) override;

    int GetCharacter() const { return FCharacter; }
    void SetCharacter(int Value);
    int GetLeft() const { return FLeft; }
    void SetLeft(int Value);
    int GetLine() const { return FLine; }
    void SetLine(int Value);
    int GetTop() const { return FTop; }
    void SetTop(int Value);
    // 1 while the caret-row underline is shown (it takes one pixel below each row); set by
    // the editor, not reported, not published.
    int GetUnderlineExtra() const { return FUnderlineExtra; }
    void SetUnderlineExtra(int Value) { FUnderlineExtra = Value != 0 ? 1 : 0; }

private:
    void SetValue(int& Field, int Value);
    int FCharacter = 0;
    int FLeft = 19;
    int FLine = 0;
    int FTop = 2;
    int FUnderlineExtra = 0;
};

class TEditorMark : public TNotifyPersistent {
public:
    static constexpr TColor DefaultColor = clGray;

    void Assign(TPersistent* Source) override;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);

private:
    TColor FColor = DefaultColor;
    bool FVisible = false;
};

// The five marks; a change of any of them is a change of the set.
class TEditorMarks : public TNotifyPersistent {
public:
    TEditorMarks();
    ~TEditorMarks() override;

    void Assign(TPersistent* Source) override;

    TEditorMark* GetEofMark() const { return FEofMark.get(); }
    void SetEofMark(TEditorMark* Value) { FEofMark->Assign(Value); }
    TEditorMark* GetRetMark() const { return FRetMark.get(); }
    void SetRetMark(TEditorMark* Value) { FRetMark->Assign(Value); }
    TEditorMark* GetWrapMark() const { return FWrapMark.get(); }
    void SetWrapMark(TEditorMark* Value) { FWrapMark->Assign(Value); }
    TEditorMark* GetHideMark() const { return FHideMark.get(); }
    void SetHideMark(TEditorMark* Value) { FHideMark->Assign(Value); }
    TEditorMark* GetUnderline() const { return FUnderline.get(); }
    void SetUnderline(TEditorMark* Value) { FUnderline->Assign(Value); }

private:
    std::unique_ptr<TEditorMark> FEofMark;
    std::unique_ptr<TEditorMark> FRetMark;
    std::unique_ptr<TEditorMark> FWrapMark;
    std::unique_ptr<TEditorMark> FHideMark;
    std::unique_ptr<TEditorMark> FUnderline;
};

class TEditorRuler : public TNotifyPersistent {
public:
    void Assign(TPersistent* Source) override;

    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetEdge() const { return FEdge; }
    void SetEdge(bool Value);
    int GetGaugeRange() const { return FGaugeRange; }
    // Clamped to 8..10, then an odd value is lowered by one.
    void SetGaugeRange(int Value);
    TColor GetMarkColor() const { return FMarkColor; }
    void SetMarkColor(TColor Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);

private:
    TColor FBkColor = 0xC0C0C0;
    TColor FColor = 0;
    bool FEdge = true;
    int FGaugeRange = 10;
    TColor FMarkColor = 0;
    bool FVisible = false;
};

// The line-number bar.
class TEditorLeftbar : public TNotifyPersistent {
public:
    void Assign(TPersistent* Source) override;

    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetColumn() const { return FColumn; }
    // Digits shown, clamped to 1..8.
    void SetColumn(int Value);
    bool GetEdge() const { return FEdge; }
    void SetEdge(bool Value);
    int GetLeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value); // 0..100
    int GetRightMargin() const { return FRightMargin; }
    void SetRightMargin(int Value); // 0..100
    bool GetShowNumber() const { return FShowNumber; }
    void SetShowNumber(bool Value);
    TEditorShowNumberMode GetShowNumberMode() const { return FShowNumberMode; }
    void SetShowNumberMode(TEditorShowNumberMode Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetZeroBase() const { return FZeroBase; }
    void SetZeroBase(bool Value);
    bool GetZeroLead() const { return FZeroLead; }
    void SetZeroLead(bool Value);

private:
    TColor FBkColor = 0xC0C0C0;
    TColor FColor = 0;
    int FColumn = 4;
    bool FEdge = true;
    int FLeftMargin = 8;
    int FRightMargin = 4;
    bool FShowNumber = true;
    TEditorShowNumberMode FShowNumberMode = nmRow;
    bool FVisible = false;
    bool FZeroBase = false;
    bool FZeroLead = false;
};

// The bar of row-mark pictures; widths in pixels, each clamped to 0..100.
class TEditorImagebar : public TNotifyPersistent {
public:
    void Assign(TPersistent* Source) override;

    int GetDigitWidth() const { return FDigitWidth; }
    void SetDigitWidth(int Value);
    int GetLeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int GetMarkWidth() const { return FMarkWidth; }
    void SetMarkWidth(int Value);
    int GetRightMargin() const { return FRightMargin; }
    void SetRightMargin(int Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);

private:
    int FDigitWidth = 8;
    int FLeftMargin = 2;
    int FMarkWidth = 0;
    int FRightMargin = 2;
    bool FVisible = true;
};

// Speed options: plain values, no change event.
class TEditorSpeed : public TPersistent {
public:
    void Assign(TPersistent* Source) override;

    TEditorSpeedRange CaretVerticalAc = 2;
    // Scan the colouring state of all rows at once instead of the first screens only.
    bool InitBracketsFull = false;
    TEditorSpeedRange PageVerticalRange = 2;
    TEditorSpeedRange PageVerticalRangeAc = 2;
};
