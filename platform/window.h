// Window services for custom-painted controls: the window host, its factory and the cursor table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/accessible.h"
#include "platform/graphics.h"
#include "platform/messages.h"

class TUiForm;

// A screen cursor number of the framework's cursor table (negative: the standard cursors;
// positive: cursors registered from resources, see SetScreenCursor).
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHandPoint = -21;

// Registers cursor number Id as the built-in cursor resource Name ("RightArrow",
// "DragSelCopy"); the program does this at start-up. An unknown name shows the arrow.
void SetScreenCursor(TCursor Id, const std::string& ResourceName);
// The resource registered for Id; empty when none.
std::string ScreenCursorResource(TCursor Id);

// The receiver of a window's messages: the control behind a window host.
class TMessageReceiver {
public:
    virtual void WndProc(TMessage& Message) = 0;

protected:
    ~TMessageReceiver() = default;
};

// The canvas of a WM_PAINT or WM_ERASEBKGND message.
inline TCanvas* PaintCanvas(const TMessage& Message) {
    return reinterpret_cast<TCanvas*>(Message.WParam);
}

enum TEraseMode : uint8_t { emNoErase, emErase };
enum TPeekRemove : uint8_t { pmNoRemove, pmRemove };
enum TScrollBarKind : uint8_t { sbHorizontal = SB_HORZ, sbVertical = SB_VERT };

// Scroll bar state with Win32 meaning: Max is inclusive, a position runs from Min to
// Max - Page + 1; TrackPos is the 32-bit thumb position while it is dragged.
struct TScrollInfo {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
};

// How a window is created: styles (WS_BORDER, WS_HSCROLL, WS_VSCROLL, WS_VISIBLE,
// WS_EX_CLIENTEDGE) and the outer bounds in the parent's client coordinates.
struct TCreateParams {
    uint32_t Style = WS_CHILD | WS_VISIBLE;
    uint32_t ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

// The window of one control. The host turns the toolkit's events into messages for its
// receiver's WndProc; it never sends a message from its constructor or destructor.
//
// Pixels live in a backing surface of the client size. Invalidation adds to the update
// region; Update paints that region at once by sending WM_PAINT with a canvas clipped to
// it; when no Update comes, the host paints the region by itself before it shows the
// window again. The caret and the input method's preedit are overlays of the host: they
// are never part of the surface.
class TWindowHost {
public:
    virtual ~TWindowHost() = default;

    // --- Messages ---------------------------------------------------------------------
    // Delivers a message to the receiver at once; returns its Result.
    virtual intptr_t SendMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) = 0;
    // Queues a message for the receiver; queued messages are delivered in order after the
    // event that caused them (typed characters are queued this way).
    virtual void PostMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) = 0;
    // The next queued message of this window; false when none. pmRemove takes it off.
    virtual bool PeekMessage(TMessage& Message, TPeekRemove Remove) = 0;
    // The default handling of a message the receiver does not handle itself: WM_SETREDRAW,
    // WM_ERASEBKGND (fills with the background colour), WM_GETDLGCODE (0), others 0.
    virtual void DefWindowProc(TMessage& Message) = 0;

    // --- Geometry and style ---------------------------------------------------------------
    // Outer bounds in the parent's client coordinates.
    virtual void SetBounds(int X, int Y, int Width, int Height) = 0;
    virtual TRect BoundsRect() const = 0;
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }
    // (0, 0, client width, client height): inside the border and the scroll bars.
    virtual TRect ClientRect() const = 0;
    // Changes border and scroll-bar styles in place (what recreating the window would do).
    virtual void SetStyle(uint32_t Style, uint32_t ExStyle) = 0;
    virtual uint32_t GetStyle() const = 0;
    virtual uint32_t GetExStyle() const = 0;
    virtual void SetVisible(bool Visible) = 0;
    // Visible with all its parents: painting has an effect on the screen.
    virtual bool Showing() const = 0;
    virtual TPoint ClientToScreen(TPoint P) const = 0;
    virtual TPoint ScreenToClient(TPoint P) const = 0;
    // SM_CXVSCROLL, SM_CYHSCROLL, SM_CYVSCROLL, SM_CXHSCROLL.
    virtual int SystemMetric(int Index) const = 0;

    // --- Painting -------------------------------------------------------------------------
    // Adds R (client coordinates) to the update region. With emErase the area is erased
    // (WM_ERASEBKGND) before it is painted.
    virtual void InvalidateRect(const TRect& R, TEraseMode Erase) = 0;
    void Invalidate(TEraseMode Erase = emErase) { InvalidateRect(ClientRect(), Erase); }
    // Paints the update region now (UpdateWindow): WM_PAINT when it is not empty.
    virtual void Update() = 0;
    // Moves the pixels inside Clip by (Dx, Dy) and returns the bounding rectangle of what
    // was uncovered; the part of the update region inside Clip moves along. Nothing is
    // invalidated.
    virtual TRect ScrollWindow(int Dx, int Dy, const TRect& Clip) = 0;
    // A canvas on the backing surface for drawing outside WM_PAINT (clip: the client area).
    virtual TCanvas& Canvas() = 0;
    // The colour of the default erase.
    virtual void SetBackgroundColor(TColor Color) = 0;
    // The redraw switch (WM_SETREDRAW): while off, Update paints nothing and the screen
    // is not refreshed; invalidations are kept.
    virtual void SetRedraw(bool On) = 0;
    virtual bool GetRedraw() const = 0;

    // --- Scroll bars ----------------------------------------------------------------------
    // Sets the fields named by Mask (SIF_*) of one bar.
    virtual void SetScrollInfo(TScrollBarKind Bar, uint32_t Mask, const TScrollInfo& Info) = 0;
    virtual TScrollInfo GetScrollInfo(TScrollBarKind Bar) const = 0;
    void SetScrollPos(TScrollBarKind Bar, int Pos) {
        TScrollInfo I;
        I.Pos = Pos;
        SetScrollInfo(Bar, SIF_POS, I);
    }
    // Shows or hides a bar (WS_HSCROLL / WS_VSCROLL) without recreating the window.
    virtual void ShowScrollBar(TScrollBarKind Bar, bool Show) = 0;

    // --- Focus, capture, pointer, keys ------------------------------------------------------
    virtual void SetFocus() = 0;
    virtual bool Focused() const = 0;
    // While captured, mouse messages keep coming outside the client area. A button press
    // captures by itself until the last button is released.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual bool HasCapture() const = 0;
    // The pointer position in client coordinates.
    virtual TPoint CursorPos() const = 0;
    // The window's cursor, shown while the pointer is over it.
    virtual void SetCursor(TCursor Cursor) = 0;
    virtual TCursor GetCursor() const = 0;
    // Shows a cursor at once, until the pointer moves without a capture (a drag shows its
    // cursor this way for as long as the button is held).
    virtual void SetSystemCursor(TCursor Cursor) = 0;
    // Whether a key (VK_CONTROL, VK_SHIFT, VK_ESCAPE, VK_LBUTTON...) is down now.
    virtual bool IsKeyDown(uint8_t VirtualKey) const = 0;

    // --- System caret (hidden when created; ShowCaret and HideCaret nest as on Win32) --------
    virtual void CreateCaret(int Width, int Height) = 0;
    virtual void DestroyCaret() = 0;
    virtual void SetCaretPos(int X, int Y) = 0;
    virtual void ShowCaret() = 0;
    virtual void HideCaret() = 0;

    // --- Input method -------------------------------------------------------------------------
    // The composition string (GCS_COMPSTR) or the result being committed (GCS_RESULTSTR, valid
    // while WM_IME_COMPOSITION is handled), CP932.
    virtual std::string ImeCompositionString(uint32_t Kind) const = 0;
    // Where the composition (preedit) is drawn, its top-left corner in client coordinates,
    // and its font.
    virtual void SetImeCompositionWindow(TPoint Pos, const TFont& Font) = 0;

    // --- Assistive technology ---------------------------------------------------------------
    // Whether assistive technology listens: a control prepares its events only then.
    virtual bool AccessibilityActive() const { return false; }
    // Reports a change of the control's text, caret or selection (see TAccessibleText).
    virtual void NotifyAccessible(const TAccessibleEvent& Event) { (void)Event; }
};

// What a control tells the input method of the text around its caret (WM_IME_REQUEST with
// IMR_DOCUMENTFEED): the caret's row, CP932, and the caret's byte index in it.
struct TImeDocumentFeed {
    std::string Text;
    int CaretByte = 0;
};

// Makes windows for controls. Parent nullptr makes a window of its own (hidden controls).
class TWindowFactory {
public:
    virtual ~TWindowFactory() = default;
    virtual std::unique_ptr<TWindowHost> CreateWindowHost(TMessageReceiver& Receiver,
                                                          const TCreateParams& Params, TUiForm* Parent) = 0;
};
// The factory of this process, installed by the program's main (or a test); nullptr until then.
TWindowFactory* WindowFactory();
void SetWindowFactory(TWindowFactory* Factory);
