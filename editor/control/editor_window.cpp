// TEditor as a window: creation and recreation, the input filter while the mouse is busy, the
// handlers by message number, focus, and the reactions to font, colour and 3-D changes.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/control/editor_accessible.h"

namespace {

bool IsButtonPress(uint32_t Msg) {
    return Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN;
}

bool IsNonClientButtonPress(uint32_t Msg) {
    return Msg == WM_NCLBUTTONDOWN || Msg == WM_NCRBUTTONDOWN || Msg == WM_NCMBUTTONDOWN;
}

// Character, dead-character and system-key messages.
bool IsCharacterOrSystemKey(uint32_t Msg) {
    return Msg >= WM_CHAR && Msg <= WM_UNICHAR;
}

// Double clicks, right and middle buttons, the wheel.
bool IsSecondaryMouse(uint32_t Msg) {
    return Msg >= WM_LBUTTONDBLCLK && Msg <= WM_MOUSEWHEEL;
}

} // namespace

// ---- creation ----------------------------------------------------------------------------------

// The window class of the hosts repaints nothing by itself on a resize (no CS_HREDRAW or
// CS_VREDRAW): RefreshView invalidates what the new size needs.
TCreateParams TEditor::CreateParams() const {
    TCreateParams P;
    P.Style = WS_CHILD;
    if (FVisible) P.Style |= WS_VISIBLE;
    if (FTabStop) P.Style |= WS_TABSTOP;
    // The platform draws 3-D controls: a 3-D single border is the sunken client edge.
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            P.ExStyle |= WS_EX_CLIENTEDGE;
        else
            P.Style |= WS_BORDER;
    }
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) P.Style |= WS_HSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
    P.X = FLeft;
    P.Y = FTop;
    P.Width = FWidth;
    P.Height = FHeight;
    return P;
}

void TEditor::CreateWnd(TUiForm* Parent) {
    if (HandleAllocated() || WindowFactory() == nullptr) return;
    FParentForm = Parent;
    FHost = WindowFactory()->CreateWindowHost(*this, CreateParams(), Parent);
    if (!FHost) return;
    WindowCreated();
    SendCaption();
}

void TEditor::AttachHost(std::unique_ptr<TWindowHost> Host) {
    if (!Host) return;
    FHost = std::move(Host);
    const TCreateParams P = CreateParams();
    FHost->SetStyle(P.Style, P.ExStyle);
    WindowCreated();
    SendCaption();
}

// A new window has an empty title; a caption comes as a set-text message, so that it obeys
// ReadOnly like any other. It is handed over once: the text lives in Lines, not in the window.
void TEditor::SendCaption() {
    if (Caption.empty()) return;
    const std::string Text = std::move(Caption);
    Caption.clear();
    FHost->SendMessage(WM_SETTEXT, 0, reinterpret_cast<intptr_t>(Text.c_str()));
}

void TEditor::DestroyWnd() {
    FCaretShown = false;
    FLeftButtonHeld = false;
    FHost.reset();
}

void TEditor::RecreateWnd() {
    if (!HandleAllocated()) return;
    const TCreateParams P = CreateParams();
    FHost->SetStyle(P.Style, P.ExStyle);
    WindowCreated();
}

void TEditor::WindowCreated() {
    FHost->SetBackgroundColor(FColor);
    FHost->SetCursor(FCursor);
    UpdateMetrics();
    UpdateScrollBars();
    BuildLeftbarEdge();
    UpdateRulerBitmaps();
    BuildCornerBitmap();
}

// ---- messages ----------------------------------------------------------------------------------

intptr_t TEditor::Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    WndProc(M);
    return M.Result;
}

void TEditor::WndProc(TMessage& Message) {
    // Whether the left button is down in the control is known from its own press, not from
    // the key state alone: a press elsewhere that moves over the control filters nothing.
    if (Message.Msg == WM_LBUTTONDOWN)
        FLeftButtonHeld = true;
    else if (Message.Msg == WM_LBUTTONUP || Message.Msg == WM_CAPTURECHANGED)
        FLeftButtonHeld = false;

    if (FilterMessage(Message)) {
        Message.Result = 0;
        return;
    }
    Dispatch(Message);

    // A press gives the focus, also on the border when it hit the client area.
    const bool Press =
        IsButtonPress(Message.Msg) || (IsNonClientButtonPress(Message.Msg) && Message.WParam == HTCLIENT);
    if (Press && HandleAllocated() && !GetDesigning() && !Focused()) FHost->SetFocus();
}

bool TEditor::FilterMessage(const TMessage& Message) {
    // The button must still be down: a release that went elsewhere must not keep the filter on.
    const bool Busy = FDragState != dsNone || (FLeftButtonHeld && LeftButtonDown());
    if (!Busy) return false;
    switch (Message.Msg) {
    case WM_KEYDOWN:
        if (FDragState != dsDragging) return true;
        if (Message.WParam == VK_CONTROL)
            SetCursorKind(5);
        else if (Message.WParam == VK_ESCAPE)
            CancelDrag();
        return false;
    case WM_KEYUP:
        if (FDragState != dsDragging || Message.WParam != VK_CONTROL) return true;
        SetCursorKind(4);
        return false;
    default:
        return IsCharacterOrSystemKey(Message.Msg) || IsSecondaryMouse(Message.Msg);
    }
}

// Paint draws on the host's canvas, which the host has clipped to the update region.
void TEditor::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT:
        Message.Result =
            GetTextBuf(reinterpret_cast<char*>(Message.LParam), static_cast<int>(Message.WParam));
        return;
    case WM_GETTEXTLENGTH:
        Message.Result = GetTextLen();
        return;
    case WM_SETTEXT:
        if (Message.LParam != 0) SetTextBuf(reinterpret_cast<const char*>(Message.LParam));
        Message.Result = 1;
        return;
    case WM_GETDLGCODE:
        if (FHost) FHost->DefWindowProc(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (WantTabs) Message.Result |= DLGC_WANTTAB;
        if (WantReturns) Message.Result |= DLGC_WANTALLKEYS;
        return;
    case WM_SIZE:
        if (FHost) {
            const TRect B = FHost->BoundsRect();
            FLeft = B.Left;
            FTop = B.Top;
            FWidth = B.Width();
            FHeight = B.Height();
        }
        RefreshView();
        Message.Result = 0;
        return;
    case WM_PAINT:
        if (HandleAllocated()) Paint();
        Message.Result = 0;
        return;
    case WM_SETFOCUS:
        if (FHost) FHost->DefWindowProc(Message);
        WMSetFocus();
        return;
    case WM_KILLFOCUS:
        if (FHost) FHost->DefWindowProc(Message);
        WMKillFocus();
        return;
    case WM_KEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_KEYUP:
        WMKeyUp(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case WM_IME_COMPOSITION:
        WMImeComposition(Message);
        return;
    case WM_IME_NOTIFY:
        WMImeNotify(Message);
        return;
    case WM_IME_REQUEST:
        WMImeRequest(Message);
        return;
    case WM_GETOBJECT:
        if (Message.LParam == OBJID_CLIENT)
            Message.Result = reinterpret_cast<intptr_t>(static_cast<TAccessibleText*>(GetAccessible()));
        else if (FHost)
            FHost->DefWindowProc(Message);
        return;
    case WM_VSCROLL:
        WMVScroll(Message);
        return;
    case WM_HSCROLL:
        WMHScroll(Message);
        return;
    case WM_LBUTTONDOWN:
        WMLButtonDown(Message);
        return;
    case WM_LBUTTONUP:
        WMLButtonUp(Message);
        return;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        WMMouseButton(Message);
        return;
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return;
    case CN_KEYDOWN:
        CNKeyDown(Message);
        return;
    case CM_FONTCHANGED:
        if (HandleAllocated()) {
            // Back to the left edge first, while the old cell width still holds.
            if (FScrollX > 0) SetCol(0);
            UpdateMetrics();
            UpdateScrollBars();
            UpdateRulerBitmaps();
            BuildCornerBitmap();
            UpdateCaret();
        }
        Invalidate();
        return;
    case CM_COLORCHANGED:
        UpdateRulerBitmaps();
        BuildCornerBitmap();
        if (FHost) FHost->SetBackgroundColor(FColor);
        Invalidate();
        return;
    case CM_CTL3DCHANGED:
        if (FBorderStyle == bsSingle) RecreateWnd();
        return;
    default:
        if (EditMessage(Message)) return;
        if (FHost) FHost->DefWindowProc(Message);
    }
}

// ---- focus -------------------------------------------------------------------------------------

void TEditor::WMSetFocus() {
    CreateCaretShape();
    PlaceCaret();
    ShowCaret();
}

// The key-up that would end an auto-repeat goes to the window that has the focus now.
void TEditor::WMKillFocus() {
    HideCaret();
    if (FHost) FHost->DestroyCaret();
    FCaretShown = false;
    FKeyRepeating = false;
}

// ---- a drag of the mouse -----------------------------------------------------------------------

void TEditor::SetCursorKind(int Kind) {
    if (Kind == FCursorKind) return;
    FCursorKind = Kind;
    if (!FCaret->AutoCursor) return;
    const TEditorCursors& C = *FCaret->GetCursors();
    switch (Kind) {
    case 0:
        SetCursor(C.DefaultCursor);
        break;
    case 1:
        SetCursor(C.LeftMarginCursor);
        break;
    case 2:
        SetCursor(C.TopMarginCursor);
        break;
    case 3:
        SetCursor(C.InSelCursor);
        break;
    // The drag cursors show at once and for as long as the button is held.
    case 4:
        if (FHost) FHost->SetSystemCursor(C.DragSelCursor);
        break;
    case 5:
        if (FHost) FHost->SetSystemCursor(C.DragSelCopyCursor);
        break;
    default:
        break;
    }
}

void TEditor::CancelDrag() {
    FDragState = dsNone;
    if (FHost && FHost->IsKeyDown(VK_ESCAPE) && FCaret->AutoCursor)
        FHost->SetSystemCursor(FCaret->GetCursors()->DefaultCursor);
    // The kind is recorded as the default in both cases, so that the next drag or hover sets
    // its cursor again.
    SetCursorKind(0);
    CancelSelection();
}
