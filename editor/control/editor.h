// TEditor, the multi-line text editor control: what it owns, its published properties, the
// caret and selection position model, and the view operations that act once a window exists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/colouring/fountain.h"
#include "editor/control/editor_search.h"
#include "editor/control/editor_settings.h"
#include "editor/model/dbcs.h"
#include "editor/model/editor_client.h"
#include "editor/model/editor_strings.h"
#include "editor/model/row_string_list.h"
#include "platform/classes.h"
#include "platform/clipboard.h"
#include "platform/graphics.h"
#include "platform/window.h"

class TEditorAccessible;
class TEditorScreenStrings;
class TEditorScreen;
class TEditorViewInfo;
class TEditorWrapOption;
class TFountain;

enum TEditorSelectionState : uint8_t { selNone, selAnchored, selSelected, selHit };
enum TEditorSelectionMode : uint8_t { smNormal, smBox };
enum TEditorHitStyle : uint8_t { hsSelect, hsDraw, hsCaret };
enum TEditorDragState : uint8_t { dsNone, dsPending, dsDragging };
enum TEditorScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// A selection in display coordinates; EndCol is exclusive.
struct TSelectionFrame {
    int StartRow = 0;
    int EndRow = 0;
    int StartCol = 0;
    int EndCol = 0;
    bool operator==(const TSelectionFrame&) const = default;
};

// A selection in byte coordinates; LastByte is the index of the last selected byte of
// EndRow (StartByte - 1 for an empty range).
struct TSelectionRange {
    int StartRow = 0;
    int EndRow = 0;
    int StartByte = 0;
    int LastByte = -1;
    bool operator==(const TSelectionRange&) const = default;
};

// Sets a Boolean flag for a scope and restores its previous value on every path.
class TFlagGuard {
public:
    TFlagGuard(bool& Flag, bool Value) : FFlag(Flag), FOld(Flag) { FFlag = Value; }
    ~TFlagGuard() { FFlag = FOld; }
    bool Old() const { return FOld; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

using TSelectionChangeEvent = std::function<void(TObject* Sender, bool Selected)>;
// Fired after each drawn part of a row, before its end-of-row mark; LineStr is the row's
// display text (extended by the next row's text when the row is wrapped).
using TDrawLineEvent = std::function<void(TObject* Sender, std::string_view LineStr, int X, int Y, int Index,
                                          const TRect& ARect, bool Selected)>;
class TFountainParser;
class TImageList;

// Shift, Alt and Ctrl as the key events see them.
using TShiftState = uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
// A key event: setting Key to 0 cancels the key.
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
// A character event: setting Key to 0 cancels the character.
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TEditor : public TComponent,
                public TEditorClient,
                public TEditorStringsHost,
                public TMessageReceiver {
public:
    enum TBorderStyle : uint8_t { bsNone, bsSingle };

    // The column limit of a screen row without word wrap.
    static constexpr int MaxCols = 1000;

    // Makes a control of class T: constructs it, then runs the construction steps that call
    // the virtual factories, so that a derived control's overrides take part. The owner, when
    // given, frees the control with itself.
    template <class T = TEditor, class... TArgs>
    static T* Create(TComponent* AOwner, TArgs&&... Args) {
        T* Editor = new T(AOwner, std::forward<TArgs>(Args)...);
        try {
            Editor->AfterConstruction();
        } catch (...) {
            delete Editor;
            throw;
        }
        return Editor;
    }

    ~TEditor() override;

    // ---- window ----------------------------------------------------------------------------
    // The host of the control's window; null while no window exists.
    TWindowHost* GetHost() const { return FHost.get(); }
    bool HandleAllocated() const { return FHost != nullptr; }
    // Creates the window through the process's window factory (nothing without one), with
    // the styles of CreateParams, and runs the after-creation steps.
    virtual void CreateWnd(TUiForm* Parent = nullptr);
    // Takes a window made elsewhere (a test's double) and runs the after-creation steps.
    void AttachHost(std::unique_ptr<TWindowHost> Host);
    // Destroys the window; the control goes back to its windowless state.
    void DestroyWnd();
    // Window style and extended style for the border and scroll bars.
    virtual TCreateParams CreateParams() const;
    // The window's messages: the input filter while the mouse is busy, then Dispatch.
    void WndProc(TMessage& Message) override;
    // Delivers a message straight to WndProc, with or without a window; returns its Result.
    intptr_t Perform(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0);
    // The caption handed to a new window; it reaches the text through WM_SETTEXT (and so is
    // ignored by a read-only control).
    std::string Caption;

    // ---- published properties --------------------------------------------------------------
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    void SetBounds(int Width, int Height);
    // Position in the parent's client area, and size.
    void SetBounds(int Left, int Top, int Width, int Height);
    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value) { FParentColor = Value; }
    const TFont& GetFont() const { return FFont; }
    void SetFont(const TFont& Value);
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value) { FTabStop = Value; }
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }

    TEditorCaret* GetCaret() const { return FCaret.get(); }
    void SetCaret(TEditorCaret* Value);
    TEditorImagebar* GetImagebar() const { return FImagebar.get(); }
    void SetImagebar(TEditorImagebar* Value);
    TEditorLeftbar* GetLeftbar() const { return FLeftbar.get(); }
    void SetLeftbar(TEditorLeftbar* Value);
    TEditorMarks* GetMarks() const { return FMarks.get(); }
    void SetMarks(TEditorMarks* Value);
    TEditorMargin* GetMargin() const { return FMargin.get(); }
    void SetMargin(TEditorMargin* Value);
    TEditorRuler* GetRuler() const { return FRuler.get(); }
    void SetRuler(TEditorRuler* Value);
    TEditorSpeed* GetSpeed() const { return FSpeed.get(); }
    void SetSpeed(TEditorSpeed* Value);
    TEditorViewInfo* GetView() const { return FView.get(); }
    void SetView(TEditorViewInfo* Value);

    TFountain* GetFountain() const { return FFountain; }
    void SetFountain(TFountain* Value);
    TEditorHitStyle GetHitStyle() const { return FHitStyle; }
    void SetHitStyle(TEditorHitStyle Value);
    // Image lists are referenced components (Part of the bars); the control is told of
    // their destruction.
    TComponent* GetImageDigits() const { return FImageDigits; }
    void SetImageDigits(TComponent* Value);
    TComponent* GetImageMarks() const { return FImageMarks; }
    void SetImageMarks(TComponent* Value);

    TEditorStrings* GetLines() const { return FLines.get(); }
    // Copies the text of Value into the screen rows; every editor showing them refreshes.
    void SetLines(TStrings* Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // The view fountain's reserved words.
    TStrings* GetReserveWordList() const;
    void SetReserveWordList(TStrings* Value);
    TEditorScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TEditorScrollStyle Value);
    int GetUndoListMax() const;
    // Stores Max(64, Value) in the undo object.
    void SetUndoListMax(int Value);
    bool GetWordWrap() const;
    void SetWordWrap(bool Value);
    TEditorWrapOption* GetWrapOption() const;
    void SetWrapOption(TEditorWrapOption* Value);

    bool WantReturns = true;
    bool WantTabs = true;

    TNotifyEvent OnCaretMoved;
    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionModeChange;
    TNotifyEvent OnTopColChange;
    TNotifyEvent OnTopRowChange;
    TSelectionChangeEvent OnSelectionChange;

    // ---- other state -----------------------------------------------------------------------
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    TEditorScreenStrings* GetScreenStrings() const override { return FList; }
    TEditorScreen* GetScreen() const { return FScreen.get(); }
    TObject* GetPopupMenu() const { return FPopupMenu.get(); }
    TEditorDragState GetDragState() const { return FDragState; }
    // Ends a drag of the selection without dropping it.
    virtual void CancelDrag();
    // Cursor kinds: 0 default, 1 left margin, 2 top margin, 3 over a draggable selection,
    // 4 dragging (move), 5 dragging (copy).
    void SetCursorKind(int Kind);
    int GetCursorKind() const { return FCursorKind; }
    bool GetDesigning() const { return (GetComponentState() & csDesigning) != 0; }

    // ---- operations the application and the other parts use --------------------------------
    // Empties Lines; the change then runs DoChange.
    virtual void Clear();
    // Detaches from the own screen rows and shows (and edits) Other's; nil does nothing.
    virtual void ShareLines(TEditor* Other);
    // Fountain when assigned, else the view's own scheme.
    TFountain* ActiveFountain() const override;
    // The word delimiters; the default set of the double-byte routines.
    const TDelimiters& GetDelimiters() const override;
    // The handler of every settings object and colouring scheme.
    virtual void SettingsChanged(TObject* Sender);
    // Run by the screen rows once per finished text change.
    void DoChange() override;
    // UpdateMetrics, UpdateScrollBars, invalidate all.
    virtual void RefreshView();
    void RefreshViewAndCorner() override;
    // After the control's properties were read from a stream: rewrap, rescan, not modified.
    void Loaded() override;

    // ---- caret and selection ---------------------------------------------------------------
    int GetRow() const override { return FRow; }
    int GetCol() const override { return FCol; }
    void SetRow(int Value) override;
    void SetCol(int Value) override;
    // Moves the caret in one step, snapping the column to the start of the character.
    virtual void SetRowCol(int ARow, int ACol);
    // Byte offset from the start of row FromRow to (ARow, ACol), CR LF counting 2.
    int RowColToOffset(int FromRow, int ARow, int ACol) const;
    // The caret Offset bytes after the start of row FromRow.
    void SetCaretOffset(int FromRow, int Offset) override;
    // Brings Col onto a legal column after a change of Row (Vertical) or Col.
    virtual void AdjustCol(bool Vertical, int Direction);

    TEditorSelectionState GetSelectionState() const { return FSelectionState; }
    TEditorSelectionMode GetSelectionMode() const { return FSelectionMode; }
    void SetSelectionMode(TEditorSelectionMode Value);
    const TSelectionFrame& GetSelFrame() const { return FSelFrame; }
    const TSelectionRange& GetSelRange() const { return FSelRange; }
    const TSelectionFrame& GetPrevSelFrame() const { return FPrevSelFrame; }
    bool HasSelection() const override { return FSelectionState == selSelected || FSelectionState == selHit; }
    virtual void StartSelection();
    virtual void ExtendSelection();
    virtual void CalcSelection();
    void CancelSelection() override;

    int GetSelStart() const;
    void SetSelStart(int Value);
    int GetSelLength() const;
    void SetSelLength(int Value);
    std::string GetSelText() const;

    void BeginCaretUpdate() override;
    void EndCaretUpdate() override;
    int GetCaretHideCount() const { return FCaretHideCount; }
    // Rebuilds the caret shape, scrolls it into view, places and shows it (window only).
    void UpdateCaret() override;
    virtual void ScrollCaretIntoView();
    virtual void CreateCaretShape();
    virtual void PlaceCaret();
    virtual void ShowCaret();
    virtual void HideCaret();
    bool GetCaretShown() const { return FCaretShown; }
    // Puts the input method's composition window at the caret cell with the control's font.
    virtual void UpdateImeWindow();

    // Rows of the screen-row list as the caret sees them.
    int RowsCount() const;
    std::string_view RowText(int ARow) const;
    // raEof outside 0 .. RowsCount()-1.
    TRowAttribute RowAttr(int ARow) const;
    int LineStartRow(int ARow) const;
    int LineEndRow(int ARow) const;
    // What the column maps of this editor's rows depend on.
    TColumnParams ColumnParams() const;
    std::string ColumnMap(int ARow) const;
    int RowWidth(int ARow) const;
    // Byte index of display column ACol in row ARow.
    int ColToByte(int ARow, int ACol) const;

    // ---- view metrics and scrolling (act only while the window exists) ----------------------
    int GetTopRow() const override { return FTopRow; }
    void SetTopRow(int Value) override;
    int GetTopCol() const { return FTopCol; }
    virtual void SetTopCol(int Value);
    int GetRowCount() const { return FRowCount; }
    int GetColCount() const { return FColCount; }
    int GetFontHeight() const { return FFontHeight; }
    int GetColWidth() const { return FColWidth; }
    int GetRowHeight() const override;
    int GetScrollX() const { return FScrollX; }
    int GetMaxTopRow() const { return FMaxTopRow; }
    int GetImagebarWidth() const { return FImagebarWidth; }
    int GetLeftbarWidth() const { return FLeftbarWidth; }
    int GetLeftbarColumn() const { return FLeftbarColumn; }
    int GetRulerHeight() const { return FRulerHeight; }
    bool GetItalicMode() const { return FItalicMode; }
    int TextTop() const;
    int TextLeft() const;
    virtual void UpdateMetrics();
    virtual void UpdateColCount();
    virtual void UpdateScrollBars();
    virtual void ScrollText(int Dx, int Dy, const TRect& ClipRect);
    // Invalidates the whole control.
    void Invalidate();

    // ---- bars, ruler and corner (editor_bars.cpp) -------------------------------------------
    virtual void UpdateImagebarWidth();
    virtual void CreateBitmaps();
    virtual void FreeBitmaps();
    // Whether the number of digits shown changed.
    virtual bool UpdateLeftbarColumn();
    virtual void UpdateLeftbarWidth();
    virtual void UpdateRulerHeight();
    // The ruler strip for the current horizontal position: gauge and column numbers, and the
    // same numbers on the mark colour.
    virtual void BuildRulerStrip();
    virtual void DrawRulerMark(int ACol);
    virtual void EraseRulerMark(int ACol);
    virtual void BuildLeftbarEdge();
    virtual void BuildCornerBitmap();
    // Sizes the ruler strip and the mark strip.
    virtual void SizeRulerStrips();
    virtual void UpdateRulerBitmaps();
    // The ten digit glyphs, one bit per pixel.
    virtual void CreateDigitFont();
    virtual void BuildRulerDigits();
    virtual void BuildRulerEdge();
    virtual void BuildRulerGauge();
    virtual void InvalidateLeftbarRows(int FromRow, int ToRow);
    virtual void DrawLeftbarRows(int First, int Last);
    virtual void DrawRuler();
    // Pixels of the ruler strip: two gauge units more than the screen is wide.
    virtual int RulerStripWidth() const;
    virtual void LeftbarWidthChanged(int OldWidth, int NewWidth);
    virtual void DrawImagebarRows(int First, int Last);
    // The row's marks (0 for a row that does not exist); setting repaints its image-bar cell.
    TRowMarks GetRowMarks(int ARow) const;
    virtual void SetRowMarks(int ARow, TRowMarks Marks);
    // Index of the line that holds row ARow (rows of kind raCrlf before it while word wrap
    // is on, else ARow). Kept in checkpoints that a text change drops from its first row on.
    int LineIndexOfRow(int ARow) const;
    void LineIndexChanged(int FromRow);
    // The bitmaps, for tests and derived controls (null before CreateBitmaps).
    const TBitmap* GetCornerBitmap() const { return FCornerBitmap.get(); }
    const TBitmap* GetRulerStrip() const { return FRulerStrip.get(); }
    const TBitmap* GetMarkStrip() const { return FMarkStrip.get(); }
    const TBitmap* GetLeftbarEdge() const { return FLeftbarEdgeBitmap.get(); }

    // ---- painting (editor_paint.cpp) ----------------------------------------------------------
    virtual void Paint();
    // Paints everything that intersects R.
    virtual void PaintRect(const TRect& R);
    // One screen row, or its part inside R: X is the x of column 0, Y the row's top, Text
    // its display text (a wrapped row's text may be extended by the next row's).
    virtual void DrawRow(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text, int Y);
    virtual void DrawSelectedRow(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text,
                                 int Y);
    virtual void DrawRowWithSelection(const TRect& R, int X, TFountainParser* Parser, int ARow,
                                      std::string_view Text, int Y);
    // The cells of columns From .. To of a row, limited to the row's text.
    TRect SelectionColsRect(std::string_view Text, int ARow, int From, int To) const;
    // Bytes on the cell grid (at most 1000, or 1001 after a lead byte in column 999).
    virtual void TextOutCells(const TRect& R, int X, TTextOutOptions Options, std::string_view Text, int Y);
    virtual void DrawEofMark(int X, int Y);
    virtual void DrawRetMark(int X, int Y);
    virtual void DrawSelectedRetMark(int X, int Y);
    virtual void DrawWrapMark(int X, int Y);
    virtual void DrawSelectedWrapMark(int X, int Y);
    virtual void DrawHideMark(int X, int Y);
    virtual void DrawSelectedHideMark(int X, int Y);
    virtual void DoDrawLine(const TRect& ARect, int X, bool Selected, int Index, std::string_view LineStr, int Y);
    void InvalidateRow(int ARow) override;
    virtual void InvalidateRows(int FromRow, int ToRow);
    virtual void RepaintSelection();
    virtual void DrawUnderline(int ARow);
    virtual void EraseUnderline(int ARow);
    void HideUnderline() override;
    void ShowUnderline() override;
    virtual int GetUnderlineY(int ARow) const;
    int GetUnderlineHideCount() const { return FUnderlineHideCount; }
    TDrawLineEvent OnDrawLine;

    // ---- text by message -------------------------------------------------------------------
    // WM_GETTEXT: the text of Lines into Buffer (at most Size - 1 bytes and a NUL); the bytes
    // copied.
    int GetTextBuf(char* Buffer, int Size) const;
    // WM_GETTEXTLENGTH.
    int GetTextLen() const;
    // WM_SETTEXT: ignored while ReadOnly.
    void SetTextBuf(const std::string& Text);

    // ---- TEditorStringsHost ----------------------------------------------------------------
    void SetSettingRowCol(bool Value) override { FSettingRowCol = Value; }
    bool GetSettingRowCol() const { return FSettingRowCol; }
    bool IsShowing() const override { return FVisible && HandleAllocated(); }
    void SetRedraw(bool Value) override;

    // ---- TEditorClient -------------------------------------------------------------------------
    bool Focused() const override;
    bool IsLoading() const override { return (GetComponentState() & csLoading) != 0; }
    bool IsDestroying() const override { return (GetComponentState() & csDestroying) != 0 || FDestroying; }
    int GetScreenHeight() const override;
    bool GetInitBracketsFull() const override { return FSpeed && FSpeed->InitBracketsFull; }
    int GetTabSpaceCount() const override { return FCaret ? FCaret->GetTabSpaceCount() : 8; }

    // ---- assistive technology (editor_accessible.*) --------------------------------------------
    // The name a screen reader announces, CP932: the caption of the label the window shows
    // beside the control.
    std::string AccessibleName;
    // The control as assistive technology reads it (WM_GETOBJECT); made on first use.
    TEditorAccessible* GetAccessible();
    void RowsReplacing(int Index, int Count) override;

    // ---- events -----------------------------------------------------------------------------
    virtual void DoCaretMoved();
    virtual void DoSelectionChange(bool Selected);
    virtual void DoSelectionModeChange();
    virtual void DoTopColChange();
    virtual void DoTopRowChange();

    // ---- mouse, drag, editing and clipboard (editor_mouse.cpp, editor_edit.cpp) ----
    // Editing. Every change is one ReplaceRows call, so one undo step.
    // Bytes of the whole text, CR LF counting 2.
    int TextLength() const;
    // The rows of the selection with the selected characters removed (a box: one entry per
    // row; a stream: one entry), Data being the 1-based byte where inserted text goes.
    void SelectionRemovedRows(TEditorStringList& List) const;
    // The rows of List concatenated, CR LF after each raCrlf row.
    static std::string JoinRows(const TEditorStringList& List);
    virtual void DeleteSelection();
    // The public delete command (popup "削除(&D)", WM_CLEAR).
    virtual void ClearSelection();
    // Inserts P (up to its first NUL) at the caret, replacing the selection; caret after it.
    virtual void SetSelTextBuf(std::string_view P);
    // Inserts the lines of P as a rectangle whose top-left corner is the caret (or the
    // selection's start); caret after the last line.
    virtual void SetSelTextBox(std::string_view P);
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    // Clipboard text as a box when the box format is present, else as a stream.
    virtual void PasteFromClipboard();
    // Clipboard text as a box whatever formats are present (popup "Box貼り付け(&B)").
    virtual void BoxPasteFromClipboard();
    // Whether the clipboard holds text.
    static bool ClipboardHasText();
    virtual void SelectAll();
    virtual void Undo();
    virtual void Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    // Row marks 0..9: a number stands on at most one row.
    virtual void PutRowMark(int ARow, int N);
    virtual void DeleteRowMark(int ARow, int N);
    virtual void GotoRowMark(int N);
    // The private clipboard format of a box copy, registered once from "TEditor Box Type".
    static TClipboardFormat BoxClipboardFormat();

    // Mouse. Coordinates are client pixels.
    enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
    // Keys are the MK_* flags of the message.
    using TMouseEvent =
        std::function<void(TObject* Sender, TMouseButton Button, uint32_t Keys, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(TObject* Sender, uint32_t Keys, int X, int Y)>;
    using TMouseWheelEvent =
        std::function<void(TObject* Sender, uint32_t Keys, int WheelDelta, TPoint MousePos, bool& Handled)>;
    using TMouseWheelUpDownEvent =
        std::function<void(TObject* Sender, uint32_t Keys, TPoint MousePos, bool& Handled)>;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    // The display position under a point; Nearest aims at the nearest column boundary. Row is
    // not clamped.
    void PointToRowCol(int X, int Y, bool Nearest, int& ACol, int& ARow) const;
    // Whether the selection can be dragged: not ReadOnly, a stream selection, Caret.SelMove.
    virtual bool CanDragSelection() const;
    bool IsInSelection(int ARow, int ACol) const;
    // Drop operations of a drag: one undo step each.
    virtual void MoveSelectionTo(int ARow, int ACol);
    virtual void CopySelectionTo(int ARow, int ACol);
    // Left-margin row selection.
    virtual void StartRowSelection(int ARow);
    virtual void ExtendRowSelection(int ARow);
    bool GetRowSelecting() const { return FRowSelecting; }
    bool GetRowSelAnchorIsEof() const { return FRowSelAnchorIsEof; }
    // The row and the byte index of the character under a point; false off the text.
    virtual bool PointToTextPos(TPoint P, int& ARow, int& AByte) const;
    // The token under a point and its kind, from the line's colouring state (UseFountain) or
    // a plain token parser.
    virtual bool GetTokenAt(TPoint P, bool UseFountain, bool KeepBracketState, std::string& Token, int& Kind);
    virtual void SelectTokenAt(TPoint P, bool UseFountain, bool KeepBracketState);

protected:
    virtual void WMLButtonDown(TMessage& Message);
    virtual void WMLButtonUp(TMessage& Message);
    virtual void WMMouseMove(TMessage& Message);
    virtual void WMMouseButton(TMessage& Message);
    virtual void WMMouseWheel(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    // A key about to reach the control: the popup menu's shortcuts; non-zero Result takes it.
    virtual void CNKeyDown(TMessage& Message);
    virtual void DropSelection();
    // The token of the line at byte Offset under Line's colouring state; false when none.
    bool TokenOfLine(int LineRow, int Offset, bool UseFountain, bool KeepBracketState, int& Start,
                     int& Length, int& Kind) const;
    // Byte index of column ACol in row ARow, counting columns beyond the row's end as spaces.
    int PaddedColToByte(int ARow, int ACol) const;

    int FPressX = 0;
    int FPressY = 0;
    bool FRowSelecting = false;
    int FRowSelAnchor = 0;
    int FRowSelCurrent = 0;
    bool FRowSelAnchorIsEof = false;
    // ---- end of mouse, drag, editing and clipboard ----

public:
    // ---- search and edit-control messages (editor_search.cpp, editor_messages.cpp) ----
    // Finds the next (soDown) or previous occurrence of Pattern from the selection or the
    // caret, in chunks of whole rows; on a match moves the caret there and shows the hit.
    virtual bool Search(const std::string& Pattern, TSearchOptions Options);
    // Shows a hit of Length bytes at the caret as HitStyle says; FHitLength := Length.
    virtual void HitSelect(int Length);
    int GetHitLength() const { return FHitLength; }
    // The edit-control and clipboard messages (EM_*, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR);
    // false for any other message.
    virtual bool EditMessage(TMessage& Message);
    // The message position of the first byte of row ARow.
    int MessageLineIndex(int ARow) const;
    // The row that holds message position Position (RowsCount() past a final line break)
    // and the byte index in it.
    int MessageRowOfPosition(int Position, int& ByteIndex) const;
    // The positions a row takes: its bytes and 2 after raCrlf, 0 after raWrapped, 1 at raEof.
    int MessageRowSpan(int ARow) const;

    // ---- keyboard, characters and input method (editor_keys.cpp, editor_chars.cpp) ----
    // Published key events, fired before the control acts on the key or character.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    virtual void DoKeyDown(uint16_t& Key, TShiftState Shift);
    virtual void DoKeyUp(uint16_t& Key, TShiftState Shift);
    virtual void DoKeyPress(char& Key);
    // WM_KEYDOWN / WM_KEYUP: the key table of the navigation keys and Delete.
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    // One navigation or Delete key with its Shift and Ctrl state.
    virtual void ExecuteKey(uint16_t Key, TShiftState Shift);
    // WM_CHAR: one CP932 byte (a lead byte takes its trail byte from the queue).
    void WMChar(TMessage& Message);
    // WM_IME_COMPOSITION (a result string is inserted), WM_IME_NOTIFY (the caret hides
    // while the candidate list is open), WM_IME_REQUEST (the caret row for the input method).
    void WMImeComposition(TMessage& Message);
    void WMImeNotify(TMessage& Message);
    void WMImeRequest(TMessage& Message);
    // Moves the view by N rows (PgUp, PgDn) keeping the caret's distance from the top.
    virtual void ScrollByRows(int N);
    // The Delete key: the character under the caret, or the line break after the row.
    virtual void DeleteChar();
    // The next (Direction +1) or previous (-1) word stop from (ARow, ACol); false when none.
    virtual bool NextWordPos(int& ARow, int& ACol, int Direction);
    // Inserts S at the caret, or in place of the selection; the caret ends after S.
    virtual void InsertText(std::string_view S);
    // Display width of the leading blanks of S; -1 for an empty S.
    int IndentWidth(std::string_view S) const;
    // The indent of the nearest non-empty line before the line of row ARow; 0 when none.
    int PrevIndentWidth(int ARow) const;
    // The characters Backspace (8), Tab (9) and Enter (13).
    virtual void CharBackSpace();
    virtual void CharTab();
    virtual void CharEnter();
    int GetImeSkipCount() const { return FImeSkipCount; }
    bool GetKeyRepeating() const { return FKeyRepeating; }
    bool GetImeWindowPending() const { return FImeWindowPending; }

protected:
    explicit TEditor(TComponent* AOwner);
    // The construction steps that call the virtual factories.
    virtual void AfterConstruction();

    // Factories of the owned objects.
    virtual std::unique_ptr<TEditorCaret> CreateEditorCaret();
    virtual std::unique_ptr<TEditorImagebar> CreateEditorImagebar();
    virtual std::unique_ptr<TEditorLeftbar> CreateEditorLeftbar();
    virtual std::unique_ptr<TEditorMarks> CreateEditorMarks();
    virtual std::unique_ptr<TEditorMargin> CreateEditorMargin();
    virtual std::unique_ptr<TEditorRuler> CreateEditorRuler();
    virtual std::unique_ptr<TEditorSpeed> CreateEditorSpeed();
    virtual std::unique_ptr<TObject> CreateEditorPopupMenu();
    virtual std::unique_ptr<TEditorScreen> CreateEditorScreen();
    // The screen rows free themselves when the last editor detaches.
    virtual TEditorScreenStrings* CreateEditorScreenStrings();
    virtual std::unique_ptr<TEditorStrings> CreateEditorStrings();
    virtual std::unique_ptr<TEditorViewInfo> CreateEditorViewInfo();

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The steps after the window exists (also after it was recreated).
    virtual void WindowCreated();
    // Destroys and recreates the window (new border style, 3-D look); the host decides.
    virtual void RecreateWnd();
    bool LeftButtonDown() const;
    // The handlers by message number, after the input filter.
    virtual void Dispatch(TMessage& Message);
    // Whether the input filter swallows Message (and the cursor switches of a drag).
    bool FilterMessage(const TMessage& Message);
    void WMVScroll(TMessage& Message);
    void WMHScroll(TMessage& Message);
    void WMSetFocus();
    void WMKillFocus();

    // Caret and view state.
    int FRow = 0;
    int FCol = 0;
    int FTopRow = 0;
    int FTopCol = 0;
    int FRowCount = 1;
    int FColCount = 0;
    int FWantCol = 0;
    bool FWantColValid = false;
    bool FSettingRowCol = false;
    bool FKeyRepeating = false;
    bool FImeWindowPending = false;
    int FCaretHideCount = 0;
    bool FCaretShown = false;

    // Selection.
    TEditorSelectionState FSelectionState = selNone;
    TEditorSelectionMode FSelectionMode = smNormal;
    int FAnchorRow = 0;
    int FAnchorCol = 0;
    int FAnchorByte = 0;
    TSelectionFrame FSelFrame;
    TSelectionRange FSelRange;
    TSelectionFrame FPrevSelFrame;
    int FHitLength = 0;
    bool FHitSelecting = false;
    TEditorDragState FDragState = dsNone;
    int FCursorKind = 0;
    // The left button went down in the control and has not come up yet.
    bool FLeftButtonHeld = false;

    // Metrics (valid while the window exists).
    int FFontHeight = 0;
    int FColWidth = 0;
    int FScrollX = 0;
    int FMaxTopRow = 0;
    int FImagebarWidth = 0;
    int FLeftbarWidth = 0;
    int FLeftbarColumn = 0;
    int FRulerHeight = 0;
    bool FItalicMode = false;
    int FUnderlineHideCount = 0;

    // ---- painter and bars state (editor_paint.cpp, editor_bars.cpp) ----
    void DrawRowBody(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text, int Y,
                     bool Selected);
    // The token pass of DrawRow / DrawSelectedRow over Clip; the text the parser saw (Text,
    // or Text joined with the next row's when the row is wrapped).
    std::string_view DrawRowTokens(TRect Clip, int X, TFountainParser* Parser, int ARow, std::string_view Text,
                                   int Y, bool Selected);
    // The end-of-row mark after the text of row ARow.
    void DrawRowEndMark(const TRect& R, int X, int ARow, std::string_view Text, int Y, bool Selected);
    // The display text of a row: the row's bytes in place, or its tabs expanded in FPaintText.
    std::string_view DisplayRowText(int ARow, const TColumnParams& Params);
    // x of column ACol, at least TextLeft.
    int SelX(int ACol) const;
    // RepaintSelection's pieces: the cells Left .. Right of a row, and its columns From .. To.
    void PaintSelectionBand(TFountainParser* Parser, const TColumnParams& Params, int ARow, int Left, int Right,
                            bool Selected);
    void PaintSelectionCols(TFountainParser* Parser, const TColumnParams& Params, int ARow, int From, int To,
                            bool ToRightEdge, bool Selected);
    std::unique_ptr<TBitmap> FLeftbarEdgeBitmap, FRulerEdgeBitmap, FCornerBitmap, FDigitFont, FRulerDigits,
        FMarkDigits, FGaugeBitmap, FRulerStrip, FMarkStrip;
    // The TopCol the ruler strips were numbered for (-1: not yet).
    int FRulerStripCol = -1;
    // Reused row buffers of the painter: a row's display text and a wrapped row joined with
    // the next one.
    std::string FPaintText, FPaintJoin;
    // Line index checkpoints: FLineMarks[k] = rows of kind raCrlf among rows 0 .. k*1024-1.
    mutable std::vector<int> FLineMarks;
    mutable const void* FLineMarksList = nullptr;
    mutable int FLineMarksRows = -1;
    // ---- end of painter and bars state ----

    // ---- keyboard, characters and input method state ----
    // Character bytes still to be ignored: the echo of an input-method result already inserted.
    int FImeSkipCount = 0;
    // The Shift and Ctrl state of a key message (from the key state of the window).
    TShiftState KeyShiftState(intptr_t KeyData) const;
    // The byte index of column ACol of row ARow, counting columns beyond the row's end as
    // spaces (so it may exceed the row's length).
    int CaretByteIndex(int ARow, int ACol) const;
    // ---- end of keyboard, characters and input method state ----


private:
    // Moves the caret to (ARow, ACol) through SetRow and SetCol.
    void MoveCaretTo(int ARow, int ACol);
    // Hands Caption to the new window as WM_SETTEXT.
    void SendCaption();
    // UpdateImeWindow now, or pending while a key repeats.
    void FollowImeWindow();
    // The end of a walk of Offset bytes from the start of row FromRow (SetCaretOffset's rule).
    void OffsetToRowCol(int FromRow, int Offset, int& ARow, int& ACol) const;
    // Bytes of row ARow whose characters start in the columns [FromCol, ToCol).
    std::string BoxRowText(int ARow, int FromCol, int ToCol) const;
    int SpanOfRow(int ARow) const;

    std::unique_ptr<TWindowHost> FHost;
    TUiForm* FParentForm = nullptr;
    TEditorScreenStrings* FList = nullptr;
    std::unique_ptr<TEditorStrings> FLines;
    std::unique_ptr<TEditorScreen> FScreen;
    std::unique_ptr<TEditorViewInfo> FView;
    std::unique_ptr<TEditorCaret> FCaret;
    std::unique_ptr<TEditorMarks> FMarks;
    std::unique_ptr<TEditorMargin> FMargin;
    std::unique_ptr<TEditorImagebar> FImagebar;
    std::unique_ptr<TEditorLeftbar> FLeftbar;
    std::unique_ptr<TEditorRuler> FRuler;
    std::unique_ptr<TEditorSpeed> FSpeed;
    std::unique_ptr<TObject> FPopupMenu;
    std::unique_ptr<TEditorAccessible> FAccessible;
    TFountain* FFountain = nullptr;
    TComponent* FImageDigits = nullptr;
    TComponent* FImageMarks = nullptr;
    TDelimiters FDelimiters;

    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TBorderStyle FBorderStyle = bsSingle;
    TColor FColor = 0xFFFFFF;
    bool FParentColor = true;
    TFont FFont;
    TCursor FCursor = 0;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FVisible = true;
    TEditorHitStyle FHitStyle = hsSelect;
    bool FReadOnly = false;
    TEditorScrollStyle FScrollBars = ssNone;
    bool FModified = false;
    bool FDestroying = false;
};

// Keeps the caret hidden for a scope (BeginCaretUpdate / EndCaretUpdate).
class TCaretUpdateGuard {
public:
    explicit TCaretUpdateGuard(TEditor& Editor) : FEditor(Editor) { FEditor.BeginCaretUpdate(); }
    ~TCaretUpdateGuard() { FEditor.EndCaretUpdate(); }
    TCaretUpdateGuard(const TCaretUpdateGuard&) = delete;
    TCaretUpdateGuard& operator=(const TCaretUpdateGuard&) = delete;

private:
    TEditor& FEditor;
};

// Keeps the caret-row underline hidden for a scope (HideUnderline / ShowUnderline).
class TUnderlineGuard {
public:
    explicit TUnderlineGuard(TEditor& Editor) : FEditor(Editor) { FEditor.HideUnderline(); }
    ~TUnderlineGuard() { FEditor.ShowUnderline(); }
    TUnderlineGuard(const TUnderlineGuard&) = delete;
    TUnderlineGuard& operator=(const TUnderlineGuard&) = delete;

private:
    TEditor& FEditor;
};
