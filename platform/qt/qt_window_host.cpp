// Qt events to window messages, the backing image, scroll bars, caret and preedit overlays.
#include "platform/qt/qt_window_host.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <map>

#include "platform/qt/font_map.h"
#include "platform/qt/qt_accessible.h"
#include "platform/qt/qt_font_engine.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/resources.h"

namespace qtbackend {

namespace {

// Keys held down, as far as this process saw them (shared by all windows, like the
// system's key state).
std::array<bool, 256>& KeyTable() {
    static std::array<bool, 256> Table{};
    return Table;
}

QRect ToQRect(const TRect& R) {
    return QRect(R.Left, R.Top, R.Width(), R.Height());
}
TRect ToTRect(const QRect& R) {
    return TRect{R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}

std::vector<TRect> RectsOf(const QRegion& Region) {
    std::vector<TRect> Rects;
    for (const QRect& R : Region) Rects.push_back(ToTRect(R));
    return Rects;
}

QColor ToQColor(TColor C) {
    const TColor V = ColorToRGB(C);
    return QColor(GetRValue(V), GetGValue(V), GetBValue(V));
}

QCursor CursorFromResource(const TCursorResource& R) {
    QImage Img(R.Width, R.Height, QImage::Format_ARGB32);
    Img.fill(Qt::transparent);
    for (int Y = 0; Y < R.Height && Y < static_cast<int>(R.Rows.size()); ++Y)
        for (int X = 0; X < R.Width && X < static_cast<int>(R.Rows[Y].size()); ++X) {
            const char C = R.Rows[Y][X];
            if (C == 'X')
                Img.setPixel(X, Y, qRgba(0, 0, 0, 255));
            else if (C == '.')
                Img.setPixel(X, Y, qRgba(255, 255, 255, 255));
        }
    return QCursor(QPixmap::fromImage(Img), R.HotX, R.HotY);
}

} // namespace

QCursor QtCursorOf(TCursor Cursor) {
    switch (Cursor) {
    case crDefault:
    case crArrow:
        return QCursor(Qt::ArrowCursor);
    case crNone:
        return QCursor(Qt::BlankCursor);
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNS:
        return QCursor(Qt::SizeVerCursor);
    case crSizeWE:
        return QCursor(Qt::SizeHorCursor);
    case crHourGlass:
        return QCursor(Qt::WaitCursor);
    case crDrag:
        return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
        return QCursor(Qt::ForbiddenCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    default:
        break;
    }
    static std::map<TCursor, QCursor> Made;
    const auto It = Made.find(Cursor);
    if (It != Made.end()) return It->second;
    const TCursorResource* R = FindCursorResource(ScreenCursorResource(Cursor));
    const QCursor C = R ? CursorFromResource(*R) : QCursor(Qt::ArrowCursor);
    Made.emplace(Cursor, C);
    return C;
}

// --- TQtControlWidget ----------------------------------------------------------------------

TQtControlWidget::TQtControlWidget(TQtWindowHost& Host, QWidget* Parent) : QWidget(Parent), FHost(&Host) {
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // The control takes the focus itself when clicked (after its button-down handling).
    setFocusPolicy(Qt::TabFocus);
}

TAccessibleText* TQtControlWidget::AccessibleText() const {
    if (FHost == nullptr) return nullptr;
    return reinterpret_cast<TAccessibleText*>(FHost->SendMessage(WM_GETOBJECT, 0, OBJID_CLIENT));
}

QVariant TQtControlWidget::inputMethodQuery(Qt::InputMethodQuery Query) const {
    return FHost ? FHost->OnInputMethodQuery(Query) : QWidget::inputMethodQuery(Query);
}

bool TQtControlWidget::event(QEvent* Event) {
    // Tab reaches the control before Qt's focus chain when the control asks for it.
    if (FHost && Event->type() == QEvent::KeyPress) {
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->key() == Qt::Key_Tab || K->key() == Qt::Key_Backtab) {
            if (FHost->OnKeyPress(*K)) return true;
            // The focus moves here, once: accepted, the key goes no further up to a parent
            // that would move it again.
            K->accept();
            return focusNextPrevChild(K->key() == Qt::Key_Tab);
        }
    }
    return QWidget::event(Event);
}

bool TQtControlWidget::eventFilter(QObject* Watched, QEvent* Event) {
    if (FHost && Event->type() == QEvent::MouseButtonRelease) {
        for (int B = 0; B < 2; ++B)
            if (Watched == FHost->FBars[B] && !FHost->FBars[B]->isSliderDown())
                FHost->OnScrollRelease(static_cast<TScrollBarKind>(B));
    }
    return QWidget::eventFilter(Watched, Event);
}

void TQtControlWidget::paintEvent(QPaintEvent* Event) {
    if (FHost) FHost->OnPaint(*Event);
}
void TQtControlWidget::resizeEvent(QResizeEvent*) {
    if (FHost) FHost->OnResize();
}
void TQtControlWidget::showEvent(QShowEvent*) {
    if (FHost) FHost->OnShow();
}
void TQtControlWidget::keyPressEvent(QKeyEvent* Event) {
    if (!FHost || !FHost->OnKeyPress(*Event)) QWidget::keyPressEvent(Event);
}
void TQtControlWidget::keyReleaseEvent(QKeyEvent* Event) {
    if (FHost) FHost->OnKeyRelease(*Event);
}
void TQtControlWidget::focusInEvent(QFocusEvent*) {
    if (FHost) FHost->OnFocus(true);
}
void TQtControlWidget::focusOutEvent(QFocusEvent*) {
    if (FHost) FHost->OnFocus(false);
}
void TQtControlWidget::mousePressEvent(QMouseEvent* Event) {
    if (FHost) FHost->OnMouse(*Event, QEvent::MouseButtonPress);
}
void TQtControlWidget::mouseReleaseEvent(QMouseEvent* Event) {
    if (FHost) FHost->OnMouse(*Event, QEvent::MouseButtonRelease);
}
void TQtControlWidget::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (FHost) FHost->OnMouse(*Event, QEvent::MouseButtonDblClick);
}
void TQtControlWidget::mouseMoveEvent(QMouseEvent* Event) {
    if (FHost) FHost->OnMouse(*Event, QEvent::MouseMove);
}
void TQtControlWidget::wheelEvent(QWheelEvent* Event) {
    if (FHost) FHost->OnWheel(*Event);
}
void TQtControlWidget::contextMenuEvent(QContextMenuEvent* Event) {
    if (FHost) FHost->OnContextMenu(*Event);
}
void TQtControlWidget::inputMethodEvent(QInputMethodEvent* Event) {
    if (FHost) FHost->OnInputMethod(*Event);
}
void TQtControlWidget::enterEvent(QEnterEvent*) {
    if (FHost) FHost->SendMessage(CM_MOUSEENTER);
}
void TQtControlWidget::leaveEvent(QEvent*) {
    if (FHost) FHost->SendMessage(CM_MOUSELEAVE);
}

// --- TQtWindowHost: messages ------------------------------------------------------------------

TQtWindowHost::TQtWindowHost(TMessageReceiver& Receiver, const TCreateParams& Params, QWidget* Parent)
    : FReceiver(Receiver), FWidget(new TQtControlWidget(*this, Parent)), FStyle(Params.Style),
      FExStyle(Params.ExStyle), FCanvas(TPixelBuffer{}, &QtFontEngine()) {
    FCanvas.OnDirty = [this] {
        if (FShowScheduled || !FWidget) return;
        FShowScheduled = true;
        QMetaObject::invokeMethod(
            FWidget, [this] { ShowDirty(); }, Qt::QueuedConnection);
    };
    for (int B = 0; B < 2; ++B) {
        auto* Bar = new QScrollBar(B == sbHorizontal ? Qt::Horizontal : Qt::Vertical, FWidget);
        Bar->setFocusPolicy(Qt::NoFocus);
        Bar->setRange(0, 0);
        Bar->installEventFilter(FWidget);
        Bar->hide();
        const auto Kind = static_cast<TScrollBarKind>(B);
        QObject::connect(Bar, &QAbstractSlider::actionTriggered, FWidget,
                         [this, Kind](int Action) { OnScrollAction(Kind, Action); });
        QObject::connect(Bar, &QAbstractSlider::sliderReleased, FWidget, [this, Kind] {
            FInfo[Kind].TrackPos = FBars[Kind]->sliderPosition();
            SendMessage(Kind == sbVertical ? WM_VSCROLL : WM_HSCROLL,
                        MAKEWPARAM(SB_THUMBPOSITION, FInfo[Kind].TrackPos));
            OnScrollRelease(Kind);
        });
        FBars[B] = Bar;
    }
    FBarShown[sbHorizontal] = FStyle & WS_HSCROLL;
    FBarShown[sbVertical] = FStyle & WS_VSCROLL;
    FBlink = new QTimer(FWidget);
    QObject::connect(FBlink, &QTimer::timeout, FWidget, [this] {
        FBlinkOn = !FBlinkOn;
        UpdateCaretArea();
    });
    FWidget->setGeometry(Params.X, Params.Y, Params.Width, Params.Height);
    Relayout();
    ResizeSurface();
    FReportedClientSize = FSurface.size();
    // A child that is not hidden explicitly would show with its parent.
    FWidget->setVisible(FStyle & WS_VISIBLE);
}

TQtWindowHost::~TQtWindowHost() {
    if (FWidget) {
        FWidget->Detach();
        delete FWidget.data();
    }
}

void TQtWindowHost::Deliver(TMessage& Message) {
    FReceiver.WndProc(Message);
}

intptr_t TQtWindowHost::SendMessage(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    Deliver(M);
    return M.Result;
}

void TQtWindowHost::PostMessage(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
    FQueue.push_back(TMessage{Msg, WParam, LParam, 0});
    ScheduleDispatch();
}

void TQtWindowHost::ScheduleDispatch() {
    if (FDispatchScheduled || !FWidget) return;
    FDispatchScheduled = true;
    QMetaObject::invokeMethod(
        FWidget,
        [this] {
            FDispatchScheduled = false;
            DispatchPosted();
        },
        Qt::QueuedConnection);
}

void TQtWindowHost::DispatchPosted() {
    while (!FQueue.empty()) {
        TMessage M = FQueue.front();
        FQueue.pop_front();
        Deliver(M);
    }
}

bool TQtWindowHost::PeekMessage(TMessage& Message, TPeekRemove Remove) {
    if (FQueue.empty()) return false;
    Message = FQueue.front();
    if (Remove == pmRemove) FQueue.pop_front();
    return true;
}

void TQtWindowHost::DefWindowProc(TMessage& Message) {
    Message.Result = 0;
    switch (Message.Msg) {
    case WM_SETREDRAW:
        SetRedraw(Message.WParam != 0);
        break;
    case WM_ERASEBKGND: {
        TCanvas* C = PaintCanvas(Message);
        if (!C) C = &FCanvas;
        const TColor Old = C->GetBrushColor();
        C->SetBrushColor(FBackground);
        C->FillRect(C->ClipRect());
        C->SetBrushColor(Old);
        Message.Result = 1;
        break;
    }
    case WM_MOUSEWHEEL: {
        // A wheel the control left alone scrolls the view: three line requests of the
        // vertical bar a notch, high-resolution wheels adding up to whole notches.
        FWheelRest += GET_WHEEL_DELTA_WPARAM(Message.WParam);
        const int Notches = FWheelRest / WHEEL_DELTA;
        FWheelRest -= Notches * WHEEL_DELTA;
        const uintptr_t Request = Notches > 0 ? SB_LINEUP : SB_LINEDOWN;
        for (int I = 0; I < 3 * std::abs(Notches); ++I) SendMessage(WM_VSCROLL, Request);
        break;
    }
    case WM_SETTEXT:
        FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
        Message.Result = 1;
        break;
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<intptr_t>(FText.size());
        break;
    case WM_GETTEXT: {
        const size_t Size = Message.WParam;
        char* Buffer = reinterpret_cast<char*>(Message.LParam);
        if (!Buffer || Size == 0) break;
        const size_t N = std::min(Size - 1, FText.size());
        FText.copy(Buffer, N);
        Buffer[N] = '\0';
        Message.Result = static_cast<intptr_t>(N);
        break;
    }
    case WM_NCHITTEST:
        Message.Result = HTCLIENT;
        break;
    default:
        break;
    }
}

// --- Geometry ---------------------------------------------------------------------------------

int TQtWindowHost::BorderWidth() const {
    if (FExStyle & WS_EX_CLIENTEDGE) return 2;
    return (FStyle & WS_BORDER) ? 1 : 0;
}

int TQtWindowHost::SystemMetric(int Index) const {
    switch (Index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: {
        const QStyle* S = FWidget ? FWidget->style() : QApplication::style();
        return S->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    default:
        return 0;
    }
}

TRect TQtWindowHost::BoundsRect() const {
    if (!FWidget) return TRect{};
    return ToTRect(FWidget->geometry());
}

TRect TQtWindowHost::ClientRect() const {
    return TRect{0, 0, FSurface.width(), FSurface.height()};
}

void TQtWindowHost::SetBounds(int X, int Y, int Width, int Height) {
    if (FWidget) FWidget->setGeometry(X, Y, std::max(0, Width), std::max(0, Height));
    // A hidden widget gets its resize event only when shown; the client size must be
    // right at once.
    OnResize();
}

void TQtWindowHost::SetStyle(uint32_t Style, uint32_t ExStyle) {
    FStyle = Style;
    FExStyle = ExStyle;
    FBarShown[sbHorizontal] = Style & WS_HSCROLL;
    FBarShown[sbVertical] = Style & WS_VSCROLL;
    OnResize();
    InvalidateRect(ClientRect(), emErase);
    if (FWidget) FWidget->update();
}

void TQtWindowHost::ShowScrollBar(TScrollBarKind Bar, bool Show) {
    if (FBarShown[Bar] == Show) return;
    FBarShown[Bar] = Show;
    const uint32_t Flag = Bar == sbHorizontal ? WS_HSCROLL : WS_VSCROLL;
    FStyle = Show ? (FStyle | Flag) : (FStyle & ~Flag);
    OnResize();
    if (FWidget) FWidget->update();
}

void TQtWindowHost::Relayout() {
    if (!FWidget) return;
    const int B = BorderWidth(), W = FWidget->width(), H = FWidget->height();
    const int Ext = SystemMetric(SM_CXVSCROLL);
    const bool HBar = FBarShown[sbHorizontal], VBar = FBarShown[sbVertical];
    FBars[sbVertical]->setGeometry(W - B - Ext, B, Ext, std::max(0, H - 2 * B - (HBar ? Ext : 0)));
    FBars[sbHorizontal]->setGeometry(B, H - B - Ext, std::max(0, W - 2 * B - (VBar ? Ext : 0)), Ext);
    FBars[sbVertical]->setVisible(VBar);
    FBars[sbHorizontal]->setVisible(HBar);
}

// The backing image keeps its pixels on a resize; what the resize uncovers is invalid.
void TQtWindowHost::ResizeSurface() {
    int W = 0, H = 0;
    if (FWidget) {
        const int B = BorderWidth(), Ext = SystemMetric(SM_CXVSCROLL);
        W = std::max(0, FWidget->width() - 2 * B - (FBarShown[sbVertical] ? Ext : 0));
        H = std::max(0, FWidget->height() - 2 * B - (FBarShown[sbHorizontal] ? Ext : 0));
    }
    if (!FSurface.isNull() && FSurface.size() == QSize(W, H)) return;
    QImage New(W, H, QImage::Format_RGB32);
    New.fill(ToQColor(FBackground));
    if (!FSurface.isNull() && W > 0 && H > 0) {
        QPainter P(&New);
        P.drawImage(0, 0, FSurface);
    }
    const QRegion Old(0, 0, FSurface.width(), FSurface.height());
    FSurface = New;
    FCanvas.Bind(TPixelBuffer{W > 0 && H > 0 ? reinterpret_cast<uint32_t*>(FSurface.bits()) : nullptr, W, H,
                              static_cast<int>(FSurface.bytesPerLine() / 4)});
    const QRegion All(0, 0, W, H);
    FUpdateRegion &= All;
    FEraseRegion &= All;
    const QRegion Uncovered = All - Old;
    FUpdateRegion += Uncovered;
    FEraseRegion += Uncovered;
}

void TQtWindowHost::OnResize() {
    Relayout();
    ResizeSurface();
    if (FSurface.size() != FReportedClientSize) {
        FReportedClientSize = FSurface.size();
        SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(FSurface.width(), FSurface.height()));
    }
}

void TQtWindowHost::OnShow() {
    InvalidateRect(ClientRect(), emErase);
}

void TQtWindowHost::SetVisible(bool Visible) {
    if (FWidget) FWidget->setVisible(Visible);
}

bool TQtWindowHost::Showing() const {
    return FWidget && FWidget->isVisible();
}

TPoint TQtWindowHost::ClientToScreen(TPoint P) const {
    if (!FWidget) return P;
    const QPoint G = FWidget->mapToGlobal(QPoint(P.X, P.Y) + ClientOrigin());
    return TPoint{G.x(), G.y()};
}

TPoint TQtWindowHost::ScreenToClient(TPoint P) const {
    if (!FWidget) return P;
    const QPoint L = FWidget->mapFromGlobal(QPoint(P.X, P.Y)) - ClientOrigin();
    return TPoint{L.x(), L.y()};
}

// --- Painting -----------------------------------------------------------------------------------

void TQtWindowHost::InvalidateRect(const TRect& R, TEraseMode Erase) {
    const QRect Q = ToQRect(IntersectRect(R, ClientRect()));
    if (Q.isEmpty()) return;
    FUpdateRegion += Q;
    if (Erase == emErase) FEraseRegion += Q;
    if (FRedraw && FWidget) FWidget->update(Q.translated(ClientOrigin()));
}

void TQtWindowHost::Update() {
    if (!FRedraw || !Showing() || FUpdateRegion.isEmpty()) return;
    PaintPending();
    ShowDirty();
}

// Paints the update region: WM_ERASEBKGND for its erased part, then WM_PAINT, each with the
// window canvas clipped to the area. The region is validated first, as BeginPaint does, so
// that what the handlers invalidate stays for the next paint.
void TQtWindowHost::PaintPending() {
    if (FPainting || FUpdateRegion.isEmpty()) return;
    FPainting = true;
    const QRegion Region = FUpdateRegion;
    const QRegion Erase = FEraseRegion & Region;
    FUpdateRegion = QRegion();
    FEraseRegion = QRegion();
    struct TResetClip {
        TRasterCanvas& C;
        bool& Painting;
        ~TResetClip() {
            C.ResetClip();
            Painting = false;
        }
    } Reset{FCanvas, FPainting};
    if (!Erase.isEmpty()) {
        FCanvas.SetClipRegion(RectsOf(Erase));
        SendMessage(WM_ERASEBKGND, reinterpret_cast<uintptr_t>(static_cast<TCanvas*>(&FCanvas)));
    }
    FCanvas.SetClipRegion(RectsOf(Region));
    SendMessage(WM_PAINT, reinterpret_cast<uintptr_t>(static_cast<TCanvas*>(&FCanvas)));
}

// Shows on screen what was drawn on the surface since the last time.
void TQtWindowHost::ShowDirty() {
    FShowScheduled = false;
    const TRect D = FCanvas.TakeDirty();
    if (D.IsEmpty() || !FWidget || !FRedraw) return;
    FWidget->update(ToQRect(D).translated(ClientOrigin()));
}

TRect TQtWindowHost::ScrollWindow(int Dx, int Dy, const TRect& ClipArea) {
    const TRect Clip = IntersectRect(ClipArea, ClientRect());
    if (Clip.IsEmpty()) return TRect{};
    TPixelBuffer Buffer = FCanvas.Buffer();
    const TRect Uncovered = ScrollPixels(Buffer, Dx, Dy, Clip);
    // The invalid part inside the clip moves with the pixels.
    const QRegion ClipRegion(ToQRect(Clip));
    const QRegion Inside = (FUpdateRegion & ClipRegion).translated(Dx, Dy) & ClipRegion;
    const QRegion InsideErase = (FEraseRegion & ClipRegion).translated(Dx, Dy) & ClipRegion;
    FUpdateRegion = (FUpdateRegion - ClipRegion) + Inside;
    FEraseRegion = (FEraseRegion - ClipRegion) + InsideErase;
    if (FRedraw && FWidget) FWidget->update(ToQRect(Clip).translated(ClientOrigin()));
    return Uncovered;
}

void TQtWindowHost::SetRedraw(bool On) {
    if (FRedraw == On) return;
    FRedraw = On;
    if (On && FWidget) FWidget->update();
}

void TQtWindowHost::OnPaint(QPaintEvent& Event) {
    if (FRedraw && Showing()) PaintPending();
    FCanvas.TakeDirty(); // all of it is shown now or by the update this paint answers
    QPainter P(FWidget);
    const QPoint O = ClientOrigin();
    const int W = FWidget->width(), H = FWidget->height();
    P.drawImage(O, FSurface);
    // The parts that are not client area: scroll-bar corner, border.
    if (FBarShown[sbHorizontal] && FBarShown[sbVertical]) {
        const int Ext = SystemMetric(SM_CXVSCROLL);
        P.fillRect(QRect(W - O.x() - Ext, H - O.y() - Ext, Ext, Ext), FWidget->palette().button());
    }
    if (FExStyle & WS_EX_CLIENTEDGE) {
        P.setPen(QColor(0xA0, 0xA0, 0xA0));
        P.drawLine(0, 0, W - 1, 0);
        P.drawLine(0, 0, 0, H - 1);
        P.setPen(Qt::white);
        P.drawLine(0, H - 1, W - 1, H - 1);
        P.drawLine(W - 1, 0, W - 1, H - 1);
        P.setPen(QColor(0x69, 0x69, 0x69));
        P.drawLine(1, 1, W - 2, 1);
        P.drawLine(1, 1, 1, H - 2);
        P.setPen(QColor(0xE3, 0xE3, 0xE3));
        P.drawLine(1, H - 2, W - 2, H - 2);
        P.drawLine(W - 2, 1, W - 2, H - 2);
    } else if (FStyle & WS_BORDER) {
        P.setPen(Qt::black);
        P.drawRect(0, 0, W - 1, H - 1);
    }
    P.setClipRect(QRect(O, FSurface.size()));
    // Overlays: the input method's preedit, then the caret (inverted, blinking).
    if (!FPreedit.isEmpty()) {
        const QFont F = QtFontEngine().QtFont(FImeFont);
        const QFontMetrics M(F);
        const QRect Box(O + FImePos, QSize(M.horizontalAdvance(FPreedit) + 2, M.height()));
        P.fillRect(Box, Qt::white);
        P.setFont(F);
        P.setPen(Qt::black);
        P.drawText(Box.left(), Box.top() + M.ascent(), FPreedit);
        P.drawLine(Box.left(), Box.bottom(), Box.right(), Box.bottom());
        const int CursorX = Box.left() + M.horizontalAdvance(FPreedit.left(FPreeditCursor));
        P.drawLine(CursorX, Box.top(), CursorX, Box.bottom());
    } else if (CaretVisible() && FBlinkOn) {
        P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        P.fillRect(CaretRect().translated(O), Qt::white);
    }
    (void)Event;
}

// --- Scroll bars ----------------------------------------------------------------------------------

void TQtWindowHost::SetScrollInfo(TScrollBarKind Bar, uint32_t Mask, const TScrollInfo& Info) {
    TScrollInfo& I = FInfo[Bar];
    if (Mask & SIF_RANGE) {
        I.Min = Info.Min;
        I.Max = std::max(Info.Min, Info.Max);
    }
    if (Mask & SIF_PAGE) I.Page = std::clamp(Info.Page, 0, I.Max - I.Min + 1);
    if (Mask & SIF_POS) I.Pos = Info.Pos;
    const int Top = std::max(I.Min, I.Max - std::max(I.Page - 1, 0));
    I.Pos = std::clamp(I.Pos, I.Min, Top);
    QScrollBar* S = FBars[Bar];
    const QSignalBlocker Block(S);
    S->setRange(I.Min, Top);
    S->setPageStep(std::max(1, I.Page));
    S->setSingleStep(1);
    if (!S->isSliderDown()) S->setValue(I.Pos);
}

TScrollInfo TQtWindowHost::GetScrollInfo(TScrollBarKind Bar) const {
    TScrollInfo I = FInfo[Bar];
    I.TrackPos = FBars[Bar]->isSliderDown() ? FBars[Bar]->sliderPosition() : I.Pos;
    return I;
}

// The bar asks; the receiver decides where the thumb goes (by SetScrollInfo), as on Windows.
void TQtWindowHost::OnScrollAction(TScrollBarKind Bar, int Action) {
    QScrollBar* S = FBars[Bar];
    const uint32_t Msg = Bar == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    uint32_t Request;
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        Request = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        Request = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        Request = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        Request = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        Request = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        Request = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove: {
        // The thumb follows the pointer; the receiver hears of each position.
        const int Pos = S->sliderPosition();
        FInfo[Bar].TrackPos = Pos;
        SendMessage(Msg, MAKEWPARAM(SB_THUMBTRACK, Pos));
        return;
    }
    default:
        return;
    }
    S->setSliderPosition(FInfo[Bar].Pos);
    SendMessage(Msg, MAKEWPARAM(static_cast<int>(Request), 0));
    S->setSliderPosition(FInfo[Bar].Pos);
}

void TQtWindowHost::OnScrollRelease(TScrollBarKind Bar) {
    SendMessage(Bar == sbVertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0));
    const QSignalBlocker Block(FBars[Bar]);
    FBars[Bar]->setValue(FInfo[Bar].Pos);
}

// --- Focus, mouse, keys -----------------------------------------------------------------------------

void TQtWindowHost::SetFocus() {
    if (FWidget) FWidget->setFocus(Qt::OtherFocusReason);
}

bool TQtWindowHost::Focused() const {
    return FWidget && FWidget->hasFocus();
}

void TQtWindowHost::OnFocus(bool In) {
    SendMessage(In ? WM_SETFOCUS : WM_KILLFOCUS);
    if (In) UpdateInputMethod();
}

void TQtWindowHost::SetCapture() {
    FCaptured = true;
    if (FWidget && FWidget->isVisible()) FWidget->grabMouse();
}

void TQtWindowHost::ReleaseCapture() {
    if (FCaptured && FWidget) FWidget->releaseMouse();
    FCaptured = false;
}

TPoint TQtWindowHost::CursorPos() const {
    // While a button is held the last mouse event is the pointer (the events come in order);
    // otherwise ask the system.
    const QPointF G = HasCapture() && FHasMousePos ? FLastMouseGlobal : QPointF(QCursor::pos());
    return ScreenToClient(TPoint{qRound(G.x()), qRound(G.y())});
}

void TQtWindowHost::ApplyCursor(TCursor Cursor) {
    if (FWidget) FWidget->setCursor(QtCursorOf(Cursor));
}

void TQtWindowHost::SetCursor(TCursor Cursor) {
    FCursor = Cursor;
    if (!FSystemCursorShown) ApplyCursor(Cursor);
}

void TQtWindowHost::SetSystemCursor(TCursor Cursor) {
    FSystemCursorShown = true;
    ApplyCursor(Cursor);
}

bool TQtWindowHost::IsKeyDown(uint8_t VirtualKey) const {
    if (KeyTable()[VirtualKey]) return true;
    const Qt::KeyboardModifiers M = QGuiApplication::queryKeyboardModifiers();
    switch (VirtualKey) {
    case VK_SHIFT:
        return M & Qt::ShiftModifier;
    case VK_CONTROL:
        return M & Qt::ControlModifier;
    case VK_MENU:
        return M & Qt::AltModifier;
    case VK_LBUTTON:
        return QGuiApplication::mouseButtons() & Qt::LeftButton;
    case VK_RBUTTON:
        return QGuiApplication::mouseButtons() & Qt::RightButton;
    case VK_MBUTTON:
        return QGuiApplication::mouseButtons() & Qt::MiddleButton;
    default:
        return false;
    }
}

void TQtWindowHost::TrackModifiers(Qt::KeyboardModifiers Modifiers) {
    auto& T = KeyTable();
    T[VK_SHIFT] = Modifiers & Qt::ShiftModifier;
    T[VK_CONTROL] = Modifiers & Qt::ControlModifier;
    T[VK_MENU] = Modifiers & Qt::AltModifier;
}

uintptr_t TQtWindowHost::MouseFlags(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) const {
    uintptr_t F = 0;
    if (Buttons & Qt::LeftButton) F |= MK_LBUTTON;
    if (Buttons & Qt::RightButton) F |= MK_RBUTTON;
    if (Buttons & Qt::MiddleButton) F |= MK_MBUTTON;
    if (Modifiers & Qt::ShiftModifier) F |= MK_SHIFT;
    if (Modifiers & Qt::ControlModifier) F |= MK_CONTROL;
    return F;
}

intptr_t TQtWindowHost::ClientLParam(const QPointF& WidgetPos) const {
    const QPoint P = WidgetPos.toPoint() - ClientOrigin();
    return MAKELPARAM(P.x(), P.y());
}

void TQtWindowHost::OnMouse(QMouseEvent& Event, QEvent::Type Type) {
    TrackModifiers(Event.modifiers());
    FLastMouseGlobal = Event.globalPosition();
    FHasMousePos = true;
    auto& T = KeyTable();
    T[VK_LBUTTON] = Event.buttons() & Qt::LeftButton;
    T[VK_RBUTTON] = Event.buttons() & Qt::RightButton;
    T[VK_MBUTTON] = Event.buttons() & Qt::MiddleButton;
    FButtons = Event.buttons();
    const uintptr_t Flags = MouseFlags(Event.buttons(), Event.modifiers());
    const intptr_t Pos = ClientLParam(Event.position());
    uint32_t Msg = 0;
    const Qt::MouseButton B = Event.button();
    const int Index = B == Qt::LeftButton ? 0 : B == Qt::RightButton ? 1 : B == Qt::MiddleButton ? 2 : -1;
    static const uint32_t Down[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const uint32_t Up[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const uint32_t Dbl[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    switch (Type) {
    case QEvent::MouseButtonPress:
        if (Index >= 0) Msg = Down[Index];
        break;
    case QEvent::MouseButtonRelease:
        if (Index >= 0) Msg = Up[Index];
        break;
    case QEvent::MouseButtonDblClick:
        if (Index >= 0) Msg = Dbl[Index];
        break;
    default:
        Msg = WM_MOUSEMOVE;
        // A cursor shown for a drag lasts until the pointer moves freely again.
        if (FSystemCursorShown && !HasCapture()) {
            FSystemCursorShown = false;
            ApplyCursor(FCursor);
        }
        break;
    }
    if (Msg == 0) return;
    SendMessage(Msg, Flags, Pos);
    if (Type == QEvent::MouseButtonRelease && FButtons == 0 && FCaptured) ReleaseCapture();
    DispatchPosted();
}

void TQtWindowHost::OnWheel(QWheelEvent& Event) {
    TrackModifiers(Event.modifiers());
    const int Delta = Event.angleDelta().y();
    if (Delta == 0) return;
    const QPoint G = Event.globalPosition().toPoint();
    SendMessage(WM_MOUSEWHEEL,
                MAKEWPARAM(static_cast<int>(MouseFlags(Event.buttons(), Event.modifiers())), Delta),
                MAKELPARAM(G.x(), G.y()));
}

void TQtWindowHost::OnContextMenu(QContextMenuEvent& Event) {
    const intptr_t Pos = Event.reason() == QContextMenuEvent::Keyboard
                             ? MAKELPARAM(-1, -1)
                             : MAKELPARAM(Event.globalPos().x(), Event.globalPos().y());
    SendMessage(WM_CONTEXTMENU, 0, Pos);
}

// Returns whether the control took the key; a key it does not want (by its dialog code)
// goes on to the parent (Enter and Esc to the dialog, arrows to the focus chain).
bool TQtWindowHost::OnKeyPress(QKeyEvent& Event) {
    const uint8_t Vk = VirtualKeyOf(Event);
    TrackModifiers(Event.modifiers());
    if (Vk != 0) KeyTable()[Vk] = true;
    uint32_t Need = 0;
    switch (Vk) {
    case VK_TAB:
        // Only DLGC_WANTTAB claims Tab: a control that wants Enter (DLGC_WANTALLKEYS) but
        // not Tab leaves Tab to the focus chain.
        Need = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        Need = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
        Need = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (Need && !(SendMessage(WM_GETDLGCODE, Vk) & Need)) {
        Event.ignore();
        return false;
    }
    const bool System = IsSystemKey(Event);
    const uintptr_t W = Vk;
    const intptr_t Data = static_cast<intptr_t>(KeyDataOf(Event, false));
    if (Vk != 0) {
        if (SendMessage(System ? CN_SYSKEYDOWN : CN_KEYDOWN, W, Data) != 0) {
            Event.accept();
            return true;
        }
        SendMessage(System ? WM_SYSKEYDOWN : WM_KEYDOWN, W, Data);
    }
    for (unsigned char B : CharBytesOf(Event)) PostMessage(System ? WM_SYSCHAR : WM_CHAR, B, Data);
    DispatchPosted();
    Event.accept();
    return true;
}

void TQtWindowHost::OnKeyRelease(QKeyEvent& Event) {
    // Windows repeats only the press of a held key.
    if (Event.isAutoRepeat()) return;
    const uint8_t Vk = VirtualKeyOf(Event);
    if (Vk != VK_SHIFT && Vk != VK_CONTROL && Vk != VK_MENU) TrackModifiers(Event.modifiers());
    if (Vk == 0) return;
    KeyTable()[Vk] = false;
    SendMessage(IsSystemKey(Event) || Vk == VK_MENU ? WM_SYSKEYUP : WM_KEYUP, Vk,
                static_cast<intptr_t>(KeyDataOf(Event, true)));
    DispatchPosted();
}

// --- Caret ----------------------------------------------------------------------------------------

void TQtWindowHost::UpdateCaretArea() {
    if (FWidget && FCaretExists)
        FWidget->update(CaretRect().translated(ClientOrigin()).adjusted(-1, -1, 1, 1));
}

void TQtWindowHost::RestartBlink() {
    FBlinkOn = true;
    const int Flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (CaretVisible() && Flash > 0)
        FBlink->start(Flash / 2);
    else
        FBlink->stop();
    UpdateCaretArea();
}

void TQtWindowHost::CreateCaret(int Width, int Height) {
    UpdateCaretArea();
    FCaretExists = true;
    FCaretWidth = std::max(1, Width);
    FCaretHeight = std::max(1, Height);
    FCaretHideCount = 1;
    RestartBlink();
}

void TQtWindowHost::DestroyCaret() {
    UpdateCaretArea();
    FCaretExists = false;
    FCaretHideCount = 1;
    FBlink->stop();
}

void TQtWindowHost::SetCaretPos(int X, int Y) {
    UpdateCaretArea();
    FCaretPos = QPoint(X, Y);
    RestartBlink();
}

void TQtWindowHost::ShowCaret() {
    if (!FCaretExists || FCaretHideCount == 0) return;
    --FCaretHideCount;
    RestartBlink();
}

void TQtWindowHost::HideCaret() {
    if (!FCaretExists) return;
    ++FCaretHideCount;
    RestartBlink();
}

// --- Input method ---------------------------------------------------------------------------------

std::string TQtWindowHost::ImeCompositionString(uint32_t Kind) const {
    if (Kind == GCS_RESULTSTR) return FImeResult;
    if (Kind == GCS_COMPSTR) return FromQString(FPreedit);
    return {};
}

void TQtWindowHost::SetImeCompositionWindow(TPoint Pos, const TFont& Font) {
    FImePos = QPoint(Pos.X, Pos.Y);
    FImeFont = Font;
    UpdateInputMethod();
    if (!FPreedit.isEmpty() && FWidget) FWidget->update();
}

void TQtWindowHost::UpdateInputMethod() {
    if (Focused())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont | Qt::ImSurroundingText |
                                               Qt::ImCursorPosition | Qt::ImAnchorPosition);
}

QVariant TQtWindowHost::OnInputMethodQuery(Qt::InputMethodQuery Query) const {
    switch (Query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        const TTextMetric M = QtFontEngine().Metrics(FImeFont);
        return QRect(FImePos + ClientOrigin(), QSize(1, std::max(1, M.Height)));
    }
    case Qt::ImFont:
        return QtFontEngine().QtFont(FImeFont);
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine);
    // The text around the caret is the caret's row, as the control tells it; the rest of the
    // text is never converted for a query.
    case Qt::ImSurroundingText:
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
        TImeDocumentFeed Feed;
        auto* Self = const_cast<TQtWindowHost*>(this);
        if (Self->SendMessage(WM_IME_REQUEST, IMR_DOCUMENTFEED, reinterpret_cast<intptr_t>(&Feed)) == 0)
            return Query == Qt::ImSurroundingText ? QVariant(QString()) : QVariant(0);
        if (Query == Qt::ImSurroundingText) return ToQString(Feed.Text);
        const size_t Caret = std::min(Feed.Text.size(), static_cast<size_t>(std::max(Feed.CaretByte, 0)));
        return static_cast<int>(ToQString(Feed.Text.substr(0, Caret)).size());
    }
    case Qt::ImCurrentSelection:
        return QString();
    default:
        return QVariant();
    }
}

void TQtWindowHost::OnInputMethod(QInputMethodEvent& Event) {
    const bool WasComposing = !FPreedit.isEmpty();
    const QString Commit = Event.commitString();
    if (!Commit.isEmpty()) {
        if (!WasComposing) SendMessage(WM_IME_STARTCOMPOSITION);
        // The result, then its character echo, as the system's default handling makes it.
        FImeResult = FromQString(Commit);
        SendMessage(WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
        const std::string Echo = FImeResult;
        FImeResult.clear();
        for (unsigned char B : Echo) PostMessage(WM_CHAR, B, 1);
    }
    const QString Preedit = Event.preeditString();
    FPreeditCursor = static_cast<int>(Preedit.size());
    for (const QInputMethodEvent::Attribute& A : Event.attributes())
        if (A.type == QInputMethodEvent::Cursor) FPreeditCursor = A.start;
    if (Preedit != FPreedit) {
        const bool StartsNow = FPreedit.isEmpty() && Commit.isEmpty();
        FPreedit = Preedit;
        if (StartsNow) SendMessage(WM_IME_STARTCOMPOSITION);
        if (!Preedit.isEmpty()) SendMessage(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    }
    if ((WasComposing || !Commit.isEmpty()) && FPreedit.isEmpty()) SendMessage(WM_IME_ENDCOMPOSITION);
    if (FWidget) FWidget->update();
    DispatchPosted();
    Event.accept();
}

// --- Factory ----------------------------------------------------------------------------------------

std::unique_ptr<TWindowHost>
TQtWindowFactory::CreateWindowHost(TMessageReceiver& Receiver, const TCreateParams& Params, TUiForm* Parent) {
    QWidget* P = nullptr;
    if (auto* Form = dynamic_cast<TQtForm*>(Parent)) P = Form->Window()->Client();
    return std::make_unique<TQtWindowHost>(Receiver, Params, P);
}

// --- Assistive technology --------------------------------------------------------------------------

bool TQtWindowHost::AccessibilityActive() const { return AccessibleEventsWanted(); }

void TQtWindowHost::NotifyAccessible(const TAccessibleEvent& Event) { SendAccessibleEvent(FWidget, Event); }

} // namespace qtbackend
