// The window of a custom-painted control on Qt: a widget with a backing image, turning Qt
// events into window messages.
#pragma once

#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <deque>

#include "platform/raster_canvas.h"
#include "platform/window.h"

class QScrollBar;
class QTimer;

namespace qtbackend {

class TQtWindowHost;

// The widget of a host: forwards its events to the host, which holds all state. Qt may
// delete it with its parent before the host goes; the host then does nothing visible.
class TQtControlWidget : public QWidget {
    Q_OBJECT
public:
    TQtControlWidget(TQtWindowHost& Host, QWidget* Parent);
    void Detach() { FHost = nullptr; }
    TQtWindowHost* Host() const { return FHost; }
    // The control's text for assistive technology (WM_GETOBJECT); null when it has none.
    TAccessibleText* AccessibleText() const;
    QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    TQtWindowHost* FHost;
};

class TQtWindowHost : public TWindowHost {
public:
    TQtWindowHost(TMessageReceiver& Receiver, const TCreateParams& Params, QWidget* Parent);
    ~TQtWindowHost() override;

    intptr_t SendMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) override;
    void PostMessage(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) override;
    bool PeekMessage(TMessage& Message, TPeekRemove Remove) override;
    void DefWindowProc(TMessage& Message) override;

    void SetBounds(int X, int Y, int Width, int Height) override;
    TRect BoundsRect() const override;
    TRect ClientRect() const override;
    void SetStyle(uint32_t Style, uint32_t ExStyle) override;
    uint32_t GetStyle() const override { return FStyle; }
    uint32_t GetExStyle() const override { return FExStyle; }
    void SetVisible(bool Visible) override;
    bool Showing() const override;
    TPoint ClientToScreen(TPoint P) const override;
    TPoint ScreenToClient(TPoint P) const override;
    int SystemMetric(int Index) const override;

    void InvalidateRect(const TRect& R, TEraseMode Erase) override;
    void Update() override;
    TRect ScrollWindow(int Dx, int Dy, const TRect& Clip) override;
    TCanvas& Canvas() override { return FCanvas; }
    void SetBackgroundColor(TColor Color) override { FBackground = Color; }
    void SetRedraw(bool On) override;
    bool GetRedraw() const override { return FRedraw; }

    void SetScrollInfo(TScrollBarKind Bar, uint32_t Mask, const TScrollInfo& Info) override;
    TScrollInfo GetScrollInfo(TScrollBarKind Bar) const override;
    void ShowScrollBar(TScrollBarKind Bar, bool Show) override;

    void SetFocus() override;
    bool Focused() const override;
    void SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override { return FCaptured || FButtons != 0; }
    TPoint CursorPos() const override;
    void SetCursor(TCursor Cursor) override;
    TCursor GetCursor() const override { return FCursor; }
    void SetSystemCursor(TCursor Cursor) override;
    bool IsKeyDown(uint8_t VirtualKey) const override;

    void CreateCaret(int Width, int Height) override;
    void DestroyCaret() override;
    void SetCaretPos(int X, int Y) override;
    void ShowCaret() override;
    void HideCaret() override;

    std::string ImeCompositionString(uint32_t Kind) const override;
    void SetImeCompositionWindow(TPoint Pos, const TFont& Font) override;

    bool AccessibilityActive() const override;
    void NotifyAccessible(const TAccessibleEvent& Event) override;

    // --- For the backend and its tests ---------------------------------------------------
    // The widget (nullptr once Qt deleted it).
    QWidget* Widget() const { return FWidget; }
    // The backing image: the client area's pixels.
    const QImage& Surface() const { return FSurface; }
    // Delivers the queued messages now (they are also delivered after the event that
    // queued them).
    void DispatchPosted();
    // The update region not painted yet, in client coordinates.
    QRegion PendingRegion() const { return FUpdateRegion; }
    // Caret state: exists and not hidden; its rectangle in client coordinates.
    bool CaretVisible() const { return FCaretExists && FCaretHideCount == 0; }
    QRect CaretRect() const { return QRect(FCaretPos, QSize(FCaretWidth, FCaretHeight)); }
    QString PreeditText() const { return FPreedit; }

private:
    friend class TQtControlWidget;

    int BorderWidth() const;
    QPoint ClientOrigin() const { return QPoint(BorderWidth(), BorderWidth()); }
    void Relayout();
    void ResizeSurface();
    void PaintPending();
    void ShowDirty();
    void ScheduleDispatch();
    void Deliver(TMessage& Message);
    uintptr_t MouseFlags(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) const;
    intptr_t ClientLParam(const QPointF& WidgetPos) const;
    void TrackModifiers(Qt::KeyboardModifiers Modifiers);
    void RestartBlink();
    void UpdateCaretArea();
    void UpdateInputMethod();
    void ApplyCursor(TCursor Cursor);

    // Event handlers called by the widget.
    void OnPaint(QPaintEvent& Event);
    void OnResize();
    void OnShow();
    bool OnKeyPress(QKeyEvent& Event);
    void OnKeyRelease(QKeyEvent& Event);
    void OnFocus(bool In);
    void OnMouse(QMouseEvent& Event, QEvent::Type Type);
    void OnWheel(QWheelEvent& Event);
    void OnContextMenu(QContextMenuEvent& Event);
    void OnInputMethod(QInputMethodEvent& Event);
    QVariant OnInputMethodQuery(Qt::InputMethodQuery Query) const;
    void OnScrollAction(TScrollBarKind Bar, int Action);
    void OnScrollRelease(TScrollBarKind Bar);

    TMessageReceiver& FReceiver;
    QPointer<TQtControlWidget> FWidget;
    uint32_t FStyle;
    uint32_t FExStyle;
    std::string FText;

    QImage FSurface;
    TRasterCanvas FCanvas;
    QRegion FUpdateRegion;
    QRegion FEraseRegion;
    TColor FBackground = clWindow;
    bool FRedraw = true;
    bool FPainting = false;
    bool FShowScheduled = false;
    QSize FReportedClientSize;

    std::deque<TMessage> FQueue;
    bool FDispatchScheduled = false;

    QScrollBar* FBars[2] = {nullptr, nullptr};
    TScrollInfo FInfo[2];
    bool FBarShown[2] = {false, false};

    bool FCaptured = false;
    int FWheelRest = 0; // wheel turn not yet a whole notch
    Qt::MouseButtons FButtons;
    QPointF FLastMouseGlobal;
    bool FHasMousePos = false;
    TCursor FCursor = crDefault;
    bool FSystemCursorShown = false;

    bool FCaretExists = false;
    int FCaretWidth = 0;
    int FCaretHeight = 0;
    QPoint FCaretPos;
    int FCaretHideCount = 1;
    bool FBlinkOn = true;
    QTimer* FBlink = nullptr;

    QString FPreedit;
    int FPreeditCursor = 0;
    std::string FImeResult;
    QPoint FImePos;
    TFont FImeFont;
};

// Makes TQtWindowHost windows; a TQtForm parent places them in its client area.
class TQtWindowFactory : public TWindowFactory {
public:
    std::unique_ptr<TWindowHost> CreateWindowHost(TMessageReceiver& Receiver, const TCreateParams& Params,
                                                  TUiForm* Parent) override;
};

// The QCursor of a cursor number (the standard shapes, or a registered resource).
QCursor QtCursorOf(TCursor Cursor);

} // namespace qtbackend
