// A window host double: a rasterised surface, a real message queue, and a record of the
// calls a control makes (invalidations, scrolls, caret, scroll bars, cursor).
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "platform/raster_canvas.h"
#include "platform/window.h"

class TFakeWindowHost : public TWindowHost {
public:
    struct TScroll {
        int Dx, Dy;
        TRect Clip, Uncovered;
    };
    struct TCaretCall {
        enum TKind { ccCreate, ccDestroy, ccPos, ccShow, ccHide } Kind;
        int A = 0, B = 0;
    };

    TFakeWindowHost(TMessageReceiver& Receiver, int ClientWidth, int ClientHeight,
                    TFontEngine* Engine = nullptr)
        : FReceiver(Receiver), FCanvas(TPixelBuffer{}, Engine) {
        Resize(ClientWidth, ClientHeight);
    }

    // --- What tests look at and set -----------------------------------------------------------
    TBitmap Surface;
    std::vector<TRect> Invalidated;         // every InvalidateRect, in order
    std::vector<std::vector<TRect>> Paints; // the clip of every WM_PAINT sent
    std::vector<TScroll> Scrolls;
    std::vector<TCaretCall> CaretCalls;
    std::vector<TMessage> Sent; // messages SendMessage delivered
    std::array<TScrollInfo, 2> Bars{};
    std::array<bool, 2> BarShown{};
    std::array<bool, 256> KeysDown{};
    TPoint Pointer;
    bool HasFocus = false;
    bool IsShowing = true;
    bool AccessibilityListening = false; // what AccessibilityActive answers
    std::vector<TAccessibleEvent> AccessibleEvents;
    int ScrollBarSize = 16;
    TCursor Cursor = crDefault;
    TCursor SystemCursor = crDefault;
    std::string ImeResult;
    TPoint ImePos;
    TFont ImeFont;
    bool CaretExists = false;
    int CaretHide = 1;
    TPoint CaretPos;

    // Resizes the client area (contents kept where they fit) and sends WM_SIZE.
    void Resize(int Width, int Height) {
        TBitmap Old;
        Old.Assign(Surface);
        Surface.SetSize(Width, Height);
        Surface.Canvas().Draw(0, 0, Old);
        FCanvas.Bind(Surface.Buffer());
        FPending.clear();
        FBounds = Bounds(FBounds.Left, FBounds.Top, Width, Height);
    }
    bool CaretVisible() const { return CaretExists && CaretHide == 0; }
    const std::vector<TRect>& PendingRects() const { return FPending; }

    // --- TWindowHost --------------------------------------------------------------------------
    intptr_t SendMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) override {
        TMessage M{Msg, WParam, LParam, 0};
        Sent.push_back(M);
        FReceiver.WndProc(M);
        return M.Result;
    }
    void PostMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) override {
        FQueue.push_back(TMessage{Msg, WParam, LParam, 0});
    }
    // Delivers the queued messages in order.
    void DispatchPosted() {
        while (!FQueue.empty()) {
            TMessage M = FQueue.front();
            FQueue.pop_front();
            FReceiver.WndProc(M);
        }
    }
    bool PeekMessage(TMessage& Message, TPeekRemove Remove) override {
        if (FQueue.empty()) return false;
        Message = FQueue.front();
        if (Remove == pmRemove) FQueue.pop_front();
        return true;
    }
    void DefWindowProc(TMessage& Message) override {
        Message.Result = 0;
        if (Message.Msg == WM_SETREDRAW) FRedraw = Message.WParam != 0;
        if (Message.Msg == WM_ERASEBKGND) {
            TCanvas* C = PaintCanvas(Message);
            C->SetBrushColor(FBackground);
            C->FillRect(C->ClipRect());
            Message.Result = 1;
        }
    }

    void SetBounds(int X, int Y, int Width, int Height) override {
        FBounds = Bounds(X, Y, Width, Height);
        Resize(Width, Height);
    }
    TRect BoundsRect() const override { return FBounds; }
    TRect ClientRect() const override { return TRect{0, 0, Surface.Width(), Surface.Height()}; }
    void SetStyle(uint32_t Style, uint32_t ExStyle) override {
        FStyle = Style;
        FExStyle = ExStyle;
    }
    uint32_t GetStyle() const override { return FStyle; }
    uint32_t GetExStyle() const override { return FExStyle; }
    void SetVisible(bool Visible) override { IsShowing = Visible; }
    bool Showing() const override { return IsShowing; }
    TPoint ClientToScreen(TPoint P) const override { return P; }
    TPoint ScreenToClient(TPoint P) const override { return P; }
    int SystemMetric(int) const override { return ScrollBarSize; }

    void InvalidateRect(const TRect& R, TEraseMode Erase) override {
        Invalidated.push_back(R);
        const TRect C = IntersectRect(R, ClientRect());
        if (C.IsEmpty()) return;
        FPending.push_back(C);
        if (Erase == emErase) FErase.push_back(C);
    }
    // Paints the invalidated rectangles (overlaps are painted once per rectangle).
    void Update() override {
        if (!FRedraw || !IsShowing || FPending.empty()) return;
        const std::vector<TRect> Region = FPending, Erase = FErase;
        FPending.clear();
        FErase.clear();
        if (!Erase.empty()) {
            FCanvas.SetClipRegion(Erase);
            SendMessage(WM_ERASEBKGND, reinterpret_cast<uintptr_t>(static_cast<TCanvas*>(&FCanvas)));
        }
        FCanvas.SetClipRegion(Region);
        Paints.push_back(Region);
        SendMessage(WM_PAINT, reinterpret_cast<uintptr_t>(static_cast<TCanvas*>(&FCanvas)));
        FCanvas.ResetClip();
    }
    TRect ScrollWindow(int Dx, int Dy, const TRect& Clip) override {
        TPixelBuffer B = Surface.Buffer();
        const TRect U = ScrollPixels(B, Dx, Dy, Clip);
        Scrolls.push_back({Dx, Dy, Clip, U});
        return U;
    }
    TCanvas& Canvas() override { return FCanvas; }
    void SetBackgroundColor(TColor Color) override { FBackground = Color; }
    void SetRedraw(bool On) override { FRedraw = On; }
    bool GetRedraw() const override { return FRedraw; }

    void SetScrollInfo(TScrollBarKind Bar, uint32_t Mask, const TScrollInfo& Info) override {
        TScrollInfo& I = Bars[Bar];
        if (Mask & SIF_RANGE) {
            I.Min = Info.Min;
            I.Max = Info.Max;
        }
        if (Mask & SIF_PAGE) I.Page = Info.Page;
        if (Mask & SIF_POS) I.Pos = Info.Pos;
        if (Mask & SIF_TRACKPOS) I.TrackPos = Info.TrackPos;
    }
    TScrollInfo GetScrollInfo(TScrollBarKind Bar) const override { return Bars[Bar]; }
    void ShowScrollBar(TScrollBarKind Bar, bool Show) override { BarShown[Bar] = Show; }

    void SetFocus() override {
        if (HasFocus) return;
        HasFocus = true;
        SendMessage(WM_SETFOCUS);
    }
    bool Focused() const override { return HasFocus; }
    void SetCapture() override { FCapture = true; }
    void ReleaseCapture() override { FCapture = false; }
    bool HasCapture() const override { return FCapture; }
    TPoint CursorPos() const override { return Pointer; }
    void SetCursor(TCursor C) override { Cursor = C; }
    TCursor GetCursor() const override { return Cursor; }
    void SetSystemCursor(TCursor C) override { SystemCursor = C; }
    bool IsKeyDown(uint8_t VirtualKey) const override { return KeysDown[VirtualKey]; }

    void CreateCaret(int Width, int Height) override {
        CaretCalls.push_back({TCaretCall::ccCreate, Width, Height});
        CaretExists = true;
        CaretHide = 1;
    }
    void DestroyCaret() override {
        CaretCalls.push_back({TCaretCall::ccDestroy});
        CaretExists = false;
    }
    void SetCaretPos(int X, int Y) override {
        CaretCalls.push_back({TCaretCall::ccPos, X, Y});
        CaretPos = {X, Y};
    }
    void ShowCaret() override {
        CaretCalls.push_back({TCaretCall::ccShow});
        if (CaretExists && CaretHide > 0) --CaretHide;
    }
    void HideCaret() override {
        CaretCalls.push_back({TCaretCall::ccHide});
        if (CaretExists) ++CaretHide;
    }

    bool AccessibilityActive() const override { return AccessibilityListening; }
    void NotifyAccessible(const TAccessibleEvent& Event) override { AccessibleEvents.push_back(Event); }
    std::string ImeCompositionString(uint32_t Kind) const override {
        return Kind == GCS_RESULTSTR ? ImeResult : std::string();
    }
    void SetImeCompositionWindow(TPoint Pos, const TFont& Font) override {
        ImePos = Pos;
        ImeFont = Font;
    }

private:
    TMessageReceiver& FReceiver;
    TRasterCanvas FCanvas;
    std::deque<TMessage> FQueue;
    std::vector<TRect> FPending, FErase;
    TRect FBounds;
    uint32_t FStyle = WS_CHILD | WS_VISIBLE;
    uint32_t FExStyle = 0;
    TColor FBackground = clWhite;
    bool FRedraw = true;
    bool FCapture = false;
};
