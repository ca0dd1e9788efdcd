// The Qt window host, headless: painting, scrolling, cell text, and Qt events as messages.
#include "platform/qt/qt_window_host.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <functional>
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/qt/qt_font_engine.h"
#include "platform/qt/qt_keys.h"
#include "support/qt_app.h"

using qtbackend::TQtWindowHost;

namespace {

// Records what arrives; paints its update region in PaintColor; pairs lead bytes of WM_CHAR
// with the queued trail byte as the editor does.
class TReceiver : public TMessageReceiver {
public:
    TQtWindowHost* Host = nullptr;
    std::vector<TMessage> Messages;
    std::vector<TRect> PaintClips;
    TColor PaintColor = clRed;
    uint32_t DialogCode = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    std::vector<std::string> Chars; // one entry per character (a pair for double-byte)
    std::string ImeResult;
    std::function<void(TMessage&)> Extra;

    void WndProc(TMessage& M) override {
        Messages.push_back(M);
        if (Extra) {
            Extra(M);
            if (M.Result) return;
        }
        switch (M.Msg) {
        case WM_PAINT: {
            TCanvas* C = PaintCanvas(M);
            PaintClips.push_back(C->ClipRect());
            C->SetBrushColor(PaintColor);
            C->FillRect(Host->ClientRect());
            return;
        }
        case WM_GETDLGCODE:
            M.Result = DialogCode;
            return;
        case WM_CHAR: {
            const char B = static_cast<char>(M.WParam);
            TMessage Next;
            if (cp932::IsLeadByte(B) && Host->PeekMessage(Next, pmNoRemove) && Next.Msg == WM_CHAR) {
                Host->PeekMessage(Next, pmRemove);
                Chars.push_back(std::string{B, static_cast<char>(Next.WParam)});
            } else {
                Chars.push_back(std::string(1, B));
            }
            return;
        }
        case WM_IME_COMPOSITION:
            if (M.LParam & GCS_RESULTSTR) ImeResult = Host->ImeCompositionString(GCS_RESULTSTR);
            return;
        default:
            // A message can come while the host is still being made (Qt's accessibility
            // asks a shown widget for its interface), before Host is set.
            if (Host) Host->DefWindowProc(M);
            return;
        }
    }

    std::vector<uint32_t> Kinds() const {
        std::vector<uint32_t> K;
        for (const auto& M : Messages) K.push_back(M.Msg);
        return K;
    }
    const TMessage* Last(uint32_t Msg) const {
        for (auto It = Messages.rbegin(); It != Messages.rend(); ++It)
            if (It->Msg == Msg) return &*It;
        return nullptr;
    }
};

struct THostFixture : ::testing::Test {
    TReceiver Receiver;
    std::unique_ptr<TQtWindowHost> Host;

    void SetUp() override {
        TestToolkit();
        TCreateParams P;
        P.Width = 200;
        P.Height = 100;
        Host = std::make_unique<TQtWindowHost>(Receiver, P, nullptr);
        Receiver.Host = Host.get();
        Host->Widget()->show();
        Host->Update(); // the first paint of the whole client
        Receiver.Messages.clear();
        Receiver.PaintClips.clear();
    }
    QWidget* W() { return Host->Widget(); }
    TColor Pixel(int X, int Y) { return PixelToColor(Host->Surface().pixel(X, Y)); }
};

} // namespace

TEST_F(THostFixture, InvalidateAndUpdatePaintOnlyTheRegion) {
    EXPECT_EQ(Pixel(5, 5), clRed);
    Receiver.PaintColor = clBlack;
    Host->InvalidateRect(Rect(10, 10, 20, 20), emNoErase);
    Host->InvalidateRect(Rect(50, 10, 60, 20), emNoErase);
    Host->Update();
    ASSERT_EQ(Receiver.PaintClips.size(), 1u);
    EXPECT_EQ(Receiver.PaintClips[0], Rect(10, 10, 60, 20)); // the bounding box of the region
    EXPECT_EQ(Pixel(10, 10), clBlack);
    EXPECT_EQ(Pixel(59, 19), clBlack);
    EXPECT_EQ(Pixel(30, 15), clRed); // between the two rectangles: not part of the region
    EXPECT_EQ(Pixel(60, 15), clRed);
    EXPECT_TRUE(Host->PendingRegion().isEmpty());
    // Nothing pending: no paint.
    Host->Update();
    EXPECT_EQ(Receiver.PaintClips.size(), 1u);
}

TEST_F(THostFixture, EraseComesBeforePaintAndRedrawOffDefersIt) {
    Receiver.PaintColor = clGray;
    Host->SendMessage(WM_SETREDRAW, 0);
    Host->InvalidateRect(Rect(0, 0, 10, 10), emErase);
    Host->Update();
    EXPECT_TRUE(Receiver.PaintClips.empty());
    Host->SendMessage(WM_SETREDRAW, 1);
    Host->Update();
    const auto K = Receiver.Kinds();
    const auto Erase = std::find(K.begin(), K.end(), uint32_t(WM_ERASEBKGND));
    const auto Paint = std::find(K.begin(), K.end(), uint32_t(WM_PAINT));
    ASSERT_NE(Erase, K.end());
    EXPECT_LT(Erase, Paint);
    EXPECT_EQ(Pixel(5, 5), clGray);
}

TEST_F(THostFixture, ScrollMovesPixelsAndThePendingRegion) {
    TCanvas& C = Host->Canvas();
    C.SetBrushColor(clBlack);
    C.FillRect(Rect(40, 20, 50, 30));
    Host->InvalidateRect(Rect(0, 30, 10, 40), emNoErase); // pending, inside the clip
    const TRect Uncovered = Host->ScrollWindow(0, 12, Rect(0, 10, 200, 100));
    EXPECT_EQ(Uncovered, Rect(0, 10, 200, 22));
    EXPECT_EQ(Pixel(45, 32), clBlack);
    EXPECT_EQ(Pixel(45, 31), clRed);
    EXPECT_TRUE(Host->PendingRegion().contains(QPoint(5, 45)));
    EXPECT_FALSE(Host->PendingRegion().contains(QPoint(5, 35)));
    // Horizontally, and clipped: pixels left of the clip stay.
    C.FillRect(Rect(0, 60, 5, 70));
    EXPECT_EQ(Host->ScrollWindow(-20, 0, Rect(10, 0, 200, 100)), Rect(180, 0, 200, 100));
    EXPECT_EQ(Pixel(2, 65), clBlack);
    EXPECT_EQ(Pixel(25, 32), clBlack);
}

TEST_F(THostFixture, TextLandsInItsCellsWhateverTheFont) {
    TCanvas& C = Host->Canvas();
    C.SetBrushColor(clWhite);
    C.FillRect(Host->ClientRect());
    C.SetFont(TFont{"FixedSys", 14, clBlack, 0});
    const TTextMetric M = C.GetTextMetrics();
    EXPECT_GT(M.Height, 0);
    EXPECT_GT(M.AveCharWidth, 0);
    // Wide cells of 16 pixels: 'W' in cell 0, a double-byte character in cells 1-2, 'i' in 3.
    const std::string Text = "W" + cp932::Literal("漢") + "i";
    C.SetBrushStyle(bsClear);
    C.ExtTextOut(0, 0, 0, TRect{}, Text, 16);
    auto InkIn = [&](int Left, int Right) {
        for (int X = Left; X < Right; ++X)
            for (int Y = 0; Y < M.Height; ++Y)
                if (Pixel(X, Y) != clWhite) return true;
        return false;
    };
    EXPECT_TRUE(InkIn(0, 16));
    EXPECT_TRUE(InkIn(16, 48));
    EXPECT_TRUE(InkIn(48, 56));
    EXPECT_FALSE(InkIn(64, 200)); // nothing after the last cell
    // Clipped output draws nothing outside its rectangle.
    C.ExtTextOut(0, 40, etoClipped, Rect(0, 40, 16, 40 + M.Height), "WWWW", 16);
    for (int X = 16; X < 80; ++X)
        for (int Y = 40; Y < 40 + M.Height; ++Y) ASSERT_EQ(Pixel(X, Y), clWhite) << X << "," << Y;
}

TEST_F(THostFixture, TypedTextBecomesQueuedCp932BytesWithTheTrailPeekable) {
    QKeyEvent Press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("aあ"));
    QCoreApplication::sendEvent(W(), &Press);
    EXPECT_EQ(Receiver.Chars, (std::vector<std::string>{"a", cp932::Literal("あ")}));
    // The queue can be peeked and emptied by hand too.
    Host->PostMessage(WM_CHAR, 'x');
    TMessage M;
    ASSERT_TRUE(Host->PeekMessage(M, pmNoRemove));
    EXPECT_EQ(M.WParam, uintptr_t('x'));
    ASSERT_TRUE(Host->PeekMessage(M, pmRemove));
    EXPECT_FALSE(Host->PeekMessage(M, pmNoRemove));
}

TEST_F(THostFixture, KeyEventsBecomeKeyMessagesWithKeyData) {
    QKeyEvent Down(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &Down);
    const TMessage* K = Receiver.Last(WM_KEYDOWN);
    ASSERT_NE(K, nullptr);
    EXPECT_EQ(K->WParam, uintptr_t(VK_HOME));
    EXPECT_FALSE(K->LParam & KF_REPEAT);
    // The shortcut check comes first.
    EXPECT_EQ(Receiver.Messages.front().Msg, uint32_t(CN_KEYDOWN));
    QKeyEvent Repeat(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(W(), &Repeat);
    EXPECT_TRUE(Receiver.Last(WM_KEYDOWN)->LParam & KF_REPEAT);
    QKeyEvent Up(QEvent::KeyRelease, Qt::Key_Home, Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &Up);
    ASSERT_NE(Receiver.Last(WM_KEYUP), nullptr);
    EXPECT_TRUE(Receiver.Last(WM_KEYUP)->LParam & KF_UP);
    // Ctrl is down for the key state while its key is held.
    QKeyEvent CtrlDown(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QCoreApplication::sendEvent(W(), &CtrlDown);
    EXPECT_TRUE(Host->IsKeyDown(VK_CONTROL));
    QKeyEvent CtrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &CtrlUp);
    EXPECT_FALSE(Host->IsKeyDown(VK_CONTROL));
}

TEST_F(THostFixture, AShortcutTakesTheKeyBeforeKeyDown) {
    Receiver.Extra = [](TMessage& M) {
        if (M.Msg == CN_KEYDOWN && M.WParam == 'Z') M.Result = 1;
    };
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1A"));
    QCoreApplication::sendEvent(W(), &Press);
    EXPECT_EQ(Receiver.Last(WM_KEYDOWN), nullptr);
    EXPECT_TRUE(Receiver.Chars.empty());
}

TEST(QtKeys, VirtualKeysAndCharacters) {
    TestToolkit();
    struct TCase {
        int Key;
        Qt::KeyboardModifiers Mods;
        QString Text;
        quint32 Scan;
        uint8_t Vk;
        std::string Chars;
    };
    const TCase Cases[] = {
        {Qt::Key_A, Qt::NoModifier, "a", 0, 'A', "a"},
        {Qt::Key_A, Qt::ControlModifier, "\x01", 0, 'A', "\x01"},
        {Qt::Key_3, Qt::ControlModifier, "3", 0, '3', ""},
        {Qt::Key_NumberSign, Qt::ShiftModifier | Qt::ControlModifier, "#", 12, '3', ""}, // Shift+Ctrl+3
        {Qt::Key_Return, Qt::NoModifier, "\r", 0, VK_RETURN, "\r"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", 0, VK_BACK, "\b"},
        {Qt::Key_Tab, Qt::NoModifier, "\t", 0, VK_TAB, "\t"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", 0, VK_ESCAPE, "\x1b"},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", 0, VK_DELETE, ""},
        {Qt::Key_PageDown, Qt::NoModifier, "", 0, VK_NEXT, ""},
        {Qt::Key_F5, Qt::NoModifier, "", 0, VK_F1 + 4, ""},
        {Qt::Key_5, Qt::KeypadModifier, "5", 0, VK_NUMPAD0 + 5, "5"},
    };
    for (const TCase& K : Cases) {
        QKeyEvent E(QEvent::KeyPress, K.Key, K.Mods, K.Scan, 0, 0, K.Text);
        EXPECT_EQ(qtbackend::VirtualKeyOf(E), K.Vk) << K.Key;
        EXPECT_EQ(qtbackend::CharBytesOf(E), K.Chars) << K.Key;
    }
}

TEST_F(THostFixture, KeysTheControlDoesNotWantGoToTheParent) {
    Receiver.DialogCode = DLGC_WANTARROWS | DLGC_WANTCHARS; // no Tab, no Enter
    QKeyEvent Enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(W(), &Enter);
    EXPECT_FALSE(Enter.isAccepted());
    EXPECT_EQ(Receiver.Last(WM_KEYDOWN), nullptr);
    QKeyEvent Tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(W(), &Tab);
    EXPECT_EQ(Receiver.Last(WM_KEYDOWN), nullptr);
    QKeyEvent Left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &Left);
    ASSERT_NE(Receiver.Last(WM_KEYDOWN), nullptr);
}

TEST_F(THostFixture, MouseMessagesAreInClientCoordinatesAndTheButtonCaptures) {
    Host->SetStyle(WS_CHILD | WS_VISIBLE | WS_BORDER, 0); // the client area starts at (1, 1)
    Receiver.Messages.clear();
    QMouseEvent Press(QEvent::MouseButtonPress, QPointF(11, 21), QPointF(11, 21), Qt::LeftButton,
                      Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(W(), &Press);
    const TMessage* D = Receiver.Last(WM_LBUTTONDOWN);
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(GET_X_LPARAM(D->LParam), 10);
    EXPECT_EQ(GET_Y_LPARAM(D->LParam), 20);
    EXPECT_EQ(D->WParam, uintptr_t(MK_LBUTTON | MK_SHIFT));
    EXPECT_TRUE(Host->HasCapture());
    EXPECT_TRUE(Host->IsKeyDown(VK_LBUTTON));
    // A move outside the window still arrives, with negative coordinates.
    const QPointF Outside(-29, 5);
    QMouseEvent Move(QEvent::MouseMove, Outside, W()->mapToGlobal(Outside), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &Move);
    EXPECT_EQ(GET_X_LPARAM(Receiver.Last(WM_MOUSEMOVE)->LParam), -30);
    EXPECT_EQ(Host->CursorPos(), (TPoint{-30, 4}));
    QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(-29, 5), QPointF(-29, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(W(), &Release);
    ASSERT_NE(Receiver.Last(WM_LBUTTONUP), nullptr);
    EXPECT_EQ(Receiver.Last(WM_LBUTTONUP)->WParam, uintptr_t(0));
    EXPECT_FALSE(Host->HasCapture());
}

TEST_F(THostFixture, ImeCommitSendsTheResultThenItsCharacterEcho) {
    QInputMethodEvent Preedit(QString::fromUtf8("かん"), {});
    QCoreApplication::sendEvent(W(), &Preedit);
    EXPECT_EQ(Host->PreeditText(), QString::fromUtf8("かん"));
    EXPECT_EQ(Host->ImeCompositionString(GCS_COMPSTR), cp932::Literal("かん"));
    QInputMethodEvent Commit;
    Commit.setCommitString(QString::fromUtf8("漢a"));
    QCoreApplication::sendEvent(W(), &Commit);
    EXPECT_EQ(Receiver.ImeResult, cp932::Literal("漢") + "a");
    EXPECT_EQ(Receiver.Chars, (std::vector<std::string>{cp932::Literal("漢"), "a"}));
    EXPECT_TRUE(Host->PreeditText().isEmpty());
    const auto K = Receiver.Kinds();
    EXPECT_EQ(std::count(K.begin(), K.end(), uint32_t(WM_IME_STARTCOMPOSITION)), 1);
    EXPECT_EQ(std::count(K.begin(), K.end(), uint32_t(WM_IME_ENDCOMPOSITION)), 1);
    // The result string is only there while its message is handled.
    EXPECT_EQ(Host->ImeCompositionString(GCS_RESULTSTR), "");
}

TEST_F(THostFixture, ScrollBarRequestsAndThe32BitTrackPosition) {
    Host->ShowScrollBar(sbVertical, true);
    const int Extent = Host->SystemMetric(SM_CXVSCROLL);
    EXPECT_EQ(Host->ClientRect().Width(), 200 - Extent);
    EXPECT_NE(Receiver.Last(WM_SIZE), nullptr);
    TScrollInfo I;
    I.Max = 100000;
    I.Page = 10;
    I.Pos = 5;
    Host->SetScrollInfo(sbVertical, SIF_ALL, I);
    EXPECT_EQ(Host->GetScrollInfo(sbVertical).Pos, 5);
    // Positions above Max - Page + 1 are clamped, as on Windows.
    Host->SetScrollPos(sbVertical, 200000);
    EXPECT_EQ(Host->GetScrollInfo(sbVertical).Pos, 99991);
    Host->SetScrollPos(sbVertical, 5);
    auto* Bar = W()->findChildren<QScrollBar*>().at(1);
    ASSERT_EQ(Bar->orientation(), Qt::Vertical);
    Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    const TMessage* V = Receiver.Last(WM_VSCROLL);
    ASSERT_NE(V, nullptr);
    EXPECT_EQ(LOWORD(V->WParam), SB_PAGEDOWN);
    // The bar does not move by itself: the receiver did not set a new position.
    EXPECT_EQ(Bar->value(), 5);
    Bar->setSliderDown(true);
    Bar->setSliderPosition(70000);
    V = Receiver.Last(WM_VSCROLL);
    EXPECT_EQ(LOWORD(V->WParam), SB_THUMBTRACK);
    EXPECT_EQ(Host->GetScrollInfo(sbVertical).TrackPos, 70000);
}

TEST_F(THostFixture, CaretShowAndHideNest) {
    Host->CreateCaret(2, 14);
    EXPECT_FALSE(Host->CaretVisible());
    Host->ShowCaret();
    EXPECT_TRUE(Host->CaretVisible());
    Host->HideCaret();
    Host->HideCaret();
    Host->ShowCaret();
    EXPECT_FALSE(Host->CaretVisible());
    Host->ShowCaret();
    Host->SetCaretPos(30, 4);
    EXPECT_TRUE(Host->CaretVisible());
    EXPECT_EQ(Host->CaretRect(), QRect(30, 4, 2, 14));
    // The caret is drawn over the window, never into its surface.
    const QImage Shown = W()->grab().toImage();
    EXPECT_NE(Shown.pixelColor(30, 10), Host->Surface().pixelColor(30, 10));
    EXPECT_EQ(Host->Surface().pixelColor(30, 10), QColor(Qt::red));
    Host->DestroyCaret();
    EXPECT_FALSE(Host->CaretVisible());
}

TEST_F(THostFixture, ResizeKeepsPixelsAndInvalidatesTheNewPart) {
    Host->SetBounds(0, 0, 250, 100);
    const TMessage* S = Receiver.Last(WM_SIZE);
    ASSERT_NE(S, nullptr);
    EXPECT_EQ(LOWORD(S->LParam), 250);
    EXPECT_EQ(Pixel(100, 50), clRed);
    EXPECT_EQ(Host->PendingRegion(), QRegion(200, 0, 50, 100));
}
