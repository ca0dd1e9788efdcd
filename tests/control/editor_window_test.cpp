// TEditor with a window (a host double): the text area's metrics, scrolling and the scroll bar
// messages, the caret's shape, place and visibility, focus, and the routing of messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "platform/cp932.h"
#include "support/block_font_engine.h"
#include "support/fake_window_host.h"

namespace {

// A control whose protected state a test may set, and which records every message that
// passed the input filter.
class TProbeEditor : public TEditor {
public:
    explicit TProbeEditor(TComponent* AOwner) : TEditor(AOwner) {}
    std::vector<uint32_t> Passed;
    void SetDragState(TEditorDragState Value) { FDragState = Value; }
    void SetKeyRepeating(bool Value) { FKeyRepeating = Value; }
    bool ImeWindowPending() const { return FImeWindowPending; }

protected:
    void Dispatch(TMessage& Message) override {
        Passed.push_back(Message.Msg);
        TEditor::Dispatch(Message);
    }
};

// Counts the calls of a notify event.
struct TCounter {
    int N = 0;
    void Hit(TObject*) { ++N; }
};

// The block font engine's cells: FontHeight 13 (12 + 1 leading), ColWidth 6.
constexpr int FontHeight = 13;
constexpr int ColWidth = 6;

struct TWindowed {
    TBlockFontEngine Engine;
    std::unique_ptr<TProbeEditor> E{TEditor::Create<TProbeEditor>(nullptr)};
    TFakeWindowHost* Host = nullptr;

    TProbeEditor* operator->() const { return E.get(); }

    // Gives the control a window of Width x Height (outer size = client size here).
    void Open(int Width = 185, int Height = 89) {
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
    }
    void Focus() { Host->SetFocus(); }
    intptr_t Send(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) {
        return Host->SendMessage(Msg, WParam, LParam);
    }
};

// N rows "r0" .. "r(N-1)" joined by line breaks, the last without one.
std::string RowsText(int N) {
    std::string S;
    for (int I = 0; I < N; ++I) {
        if (I) S += "\r\n";
        S += "r" + std::to_string(I);
    }
    return S;
}

TEST(EditorWindow, TextAreaOriginFollowsTheBars) {
    struct TRow {
        const char* Name;
        std::function<void(TEditor&)> Set;
        int Left, Top;
    } Rows[] = {
        {"defaults", [](TEditor&) {}, 31, 2},
        {"image bar hidden", [](TEditor& E) { E.GetImagebar()->SetVisible(false); }, 19, 2},
        {"ruler with its edge", [](TEditor& E) { E.GetRuler()->SetVisible(true); }, 31, 13},
        {"ruler without edge",
         [](TEditor& E) {
             E.GetRuler()->SetEdge(false);
             E.GetRuler()->SetVisible(true);
         },
         31, 12},
        {"margins", [](TEditor& E) { E.GetMargin()->SetLeft(5), E.GetMargin()->SetTop(7); }, 17, 7},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        // Set before and after the window exists: both must end in the same place.
        TWindowed Before;
        R.Set(*Before.E);
        Before.Open();
        EXPECT_EQ(Before->TextLeft(), R.Left);
        EXPECT_EQ(Before->TextTop(), R.Top);
        TWindowed After;
        After.Open();
        R.Set(*After.E);
        EXPECT_EQ(After->TextLeft(), R.Left);
        EXPECT_EQ(After->TextTop(), R.Top);
    }
}

TEST(EditorWindow, CellGridAndVisibleRowsAndColumns) {
    struct TRow {
        const char* Name;
        int Width, Height;
        std::function<void(TEditor&)> Set;
        int RowHeight, ColWidth, RowCount, ColCount;
    } Rows[] = {
        // (89 - 2 - 5) / 13 = 6 rows; (185 - 31 - 3) / 6 = 25 columns.
        {"defaults", 185, 89, [](TEditor&) {}, 13, 6, 6, 25},
        {"both scroll bars", 185, 89, [](TEditor& E) { E.SetScrollBars(ssBoth); }, 13, 6, 5, 22},
        {"too low for one row", 185, 10, [](TEditor&) {}, 13, 6, 1, 25},
        {"character margin", 185, 89, [](TEditor& E) { E.GetMargin()->SetCharacter(2); }, 13, 8, 6, 18},
        {"line margin", 185, 89, [](TEditor& E) { E.GetMargin()->SetLine(3); }, 16, 6, 5, 25},
        {"caret-row underline", 185, 89, [](TEditor& E) { E.GetMarks()->GetUnderline()->SetVisible(true); },
         14, 6, 5, 25},
        {"narrower than the bars", 30, 89, [](TEditor&) {}, 13, 6, 6, 0},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W.Open(R.Width, R.Height);
        R.Set(*W.E);
        EXPECT_EQ(W->GetFontHeight(), FontHeight);
        EXPECT_EQ(W->GetRowHeight(), R.RowHeight);
        EXPECT_EQ(W->GetColWidth(), R.ColWidth);
        EXPECT_EQ(W->GetRowCount(), R.RowCount);
        EXPECT_EQ(W->GetColCount(), R.ColCount);
    }
}

TEST(EditorWindow, ScrollBarRangesAndTopLimits) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(100));
    // 290 - 31 - 3 - 16 = 240 pixels: 40 columns; (89 - 7 - 16) / 13 = 5 rows.
    W->SetScrollBars(ssBoth);
    W.Open(290, 89);
    ASSERT_EQ(W->GetColCount(), 40);
    ASSERT_EQ(W->GetRowCount(), 5);
    EXPECT_TRUE(W.Host->BarShown[sbVertical] || (W.Host->GetStyle() & WS_VSCROLL));

    const TScrollInfo& V = W.Host->Bars[sbVertical];
    EXPECT_EQ(W->GetMaxTopRow(), 104);
    EXPECT_EQ(V.Min, 0);
    EXPECT_EQ(V.Max, 104);
    EXPECT_EQ(V.Page, 5);
    const TScrollInfo& H = W.Host->Bars[sbHorizontal];
    EXPECT_EQ(H.Max, 1020);
    EXPECT_EQ(H.Page, 40);

    // The first slot may show the slot after the last row, and no further: the bar's bottom
    // position (Max - Page + 1) is then the number of rows.
    W->SetTopRow(500);
    EXPECT_EQ(W->GetTopRow(), 100);
    EXPECT_EQ(V.Pos, 100);
    EXPECT_EQ(V.Max - V.Page + 1, 100);
    W->SetTopCol(5000);
    EXPECT_EQ(W->GetTopCol(), 980);
    EXPECT_EQ(H.Pos, 980);
    EXPECT_EQ(W->GetScrollX(), 980 * ColWidth);
    W->SetTopRow(-3);
    W->SetTopCol(-3);
    EXPECT_EQ(W->GetTopRow(), 0);
    EXPECT_EQ(W->GetTopCol(), 0);
    EXPECT_EQ(W->GetScrollX(), 0);

    // A text that shrinks pulls the top row back into range.
    W->SetTopRow(90);
    W->GetLines()->SetTextStr(RowsText(3));
    EXPECT_LE(W->GetTopRow(), W->GetMaxTopRow());
    EXPECT_EQ(V.Max, std::max(5, 3 + 5 - 1));
}

TEST(EditorWindow, ScrollingOneRowMovesPixelsAndPaintsOneRowSlot) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(100));
    // 93 = 2 + 7 * 13: the area below TextTop is exactly seven row slots.
    W.Open(185, 93);
    const int Top = W->TextTop();
    TCounter TopChanges;
    W->OnTopRowChange = TNotifyEvent::Of<&TCounter::Hit>(&TopChanges);
    std::vector<int> Drawn; // rows the painter drew
    W->OnDrawLine = [&](TObject*, std::string_view, int, int, int Index, const TRect&, bool) {
        Drawn.push_back(Index);
    };
    W.Host->Update();
    W.Host->Paints.clear();
    Drawn.clear();
    // A marker in row slot 1.
    W.Host->Surface.SetPixel(100, Top + FontHeight + 4, clRed);

    W->SetTopRow(1);
    ASSERT_EQ(W.Host->Scrolls.size(), 1u);
    EXPECT_EQ(W.Host->Scrolls[0].Dx, 0);
    EXPECT_EQ(W.Host->Scrolls[0].Dy, -FontHeight);
    EXPECT_EQ(W.Host->Scrolls[0].Clip, Rect(0, Top, 185, 93));
    EXPECT_EQ(W.Host->Surface.GetPixel(100, Top + 4), clRed);
    ASSERT_EQ(W.Host->Paints.size(), 1u);
    ASSERT_EQ(W.Host->Paints[0].size(), 1u);
    EXPECT_EQ(W.Host->Paints[0][0], Rect(0, 93 - FontHeight, 185, 93));
    // Row 7 is the one that came into the last slot.
    EXPECT_EQ(Drawn, std::vector<int>{7});
    EXPECT_EQ(W.Host->Bars[sbVertical].Pos, 1);
    EXPECT_EQ(TopChanges.N, 1);

    // Back up: the uncovered slot is the first one.
    W.Host->Paints.clear();
    W->SetTopRow(0);
    ASSERT_EQ(W.Host->Paints.size(), 1u);
    EXPECT_EQ(W.Host->Paints[0], std::vector<TRect>{Rect(0, Top, 185, Top + FontHeight)});
    EXPECT_EQ(Drawn, (std::vector<int>{7, 0}));
    EXPECT_EQ(TopChanges.N, 2);

    // No move, no scroll and no event; a far jump scrolls by RowCount + 1 slots only.
    W->SetTopRow(0);
    EXPECT_EQ(W.Host->Scrolls.size(), 2u);
    EXPECT_EQ(TopChanges.N, 2);
    W->SetTopRow(60);
    EXPECT_EQ(W.Host->Scrolls.back().Dy, -(W->GetRowCount() + 1) * FontHeight);
    EXPECT_EQ(W->GetCaretHideCount(), 0);
    EXPECT_EQ(W->GetUnderlineHideCount(), 0);
}

TEST(EditorWindow, HorizontalScrollMovesTheTextAreaOnly) {
    TWindowed W;
    W->GetLines()->SetTextStr(std::string(300, 'x'));
    W.Open();
    TCounter ColChanges;
    W->OnTopColChange = TNotifyEvent::Of<&TCounter::Hit>(&ColChanges);
    W->SetTopCol(3);
    ASSERT_EQ(W.Host->Scrolls.size(), 1u);
    EXPECT_EQ(W.Host->Scrolls[0].Dx, -3 * ColWidth);
    EXPECT_EQ(W.Host->Scrolls[0].Dy, 0);
    EXPECT_EQ(W.Host->Scrolls[0].Clip, Rect(W->TextLeft(), 0, 185, 89));
    EXPECT_EQ(W->GetScrollX(), 3 * ColWidth);
    EXPECT_EQ(ColChanges.N, 1);
    W->SetTopCol(3);
    EXPECT_EQ(ColChanges.N, 1);
}

TEST(EditorWindow, VerticalScrollBarRequests) {
    struct TRow {
        const char* Name;
        uint32_t Request;
        int From;
        int TrackPos;
        int Expected;
    } Rows[] = {
        {"line down", SB_LINEDOWN, 0, 0, 1},
        {"line up", SB_LINEUP, 5, 0, 4},
        {"line up at the top", SB_LINEUP, 0, 0, 0},
        {"page down", SB_PAGEDOWN, 0, 0, 6},
        {"page up", SB_PAGEUP, 10, 0, 4},
        {"page up near the top", SB_PAGEUP, 3, 0, 0},
        {"thumb track", SB_THUMBTRACK, 0, 42, 42},
        {"thumb position", SB_THUMBPOSITION, 50, 7, 7},
        {"top", SB_TOP, 40, 0, 0},
        {"bottom", SB_BOTTOM, 0, 0, 100},
        {"end of scroll", SB_ENDSCROLL, 5, 0, 5},
        {"unknown request", 9, 5, 0, 5},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W->GetLines()->SetTextStr(RowsText(100));
        W->SetScrollBars(ssVertical);
        W.Open();
        ASSERT_EQ(W->GetRowCount(), 6);
        W->SetTopRow(R.From);
        // The message's own 16-bit position is wrong on purpose: the bar's track position counts.
        W.Host->Bars[sbVertical].TrackPos = R.TrackPos;
        EXPECT_EQ(W.Send(WM_VSCROLL, MAKEWPARAM(static_cast<int>(R.Request), 99)), 0);
        EXPECT_EQ(W->GetTopRow(), R.Expected);
        EXPECT_EQ(W->GetRow(), 0); // the caret stays without LockScroll
    }
}

TEST(EditorWindow, ThumbDragReachesRowsBeyond65535) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(70000));
    W->SetScrollBars(ssVertical);
    W.Open();
    W.Host->Bars[sbVertical].TrackPos = 69990;
    W.Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 69990 & 0xFFFF));
    EXPECT_EQ(W->GetTopRow(), 69990);
}

TEST(EditorWindow, HorizontalScrollBarRequests) {
    struct TRow {
        const char* Name;
        uint32_t Request;
        int From;
        int Pos;
        int Expected;
    } Rows[] = {
        {"line right", SB_LINERIGHT, 0, 0, 1},
        {"line left", SB_LINELEFT, 4, 0, 3},
        {"page right", SB_PAGERIGHT, 0, 0, 25},
        {"page left", SB_PAGELEFT, 30, 0, 5},
        {"thumb track (16-bit position)", SB_THUMBTRACK, 0, 123, 123},
        {"left", SB_LEFT, 50, 0, 0},
        // ColCount div 2 + 1000 - TopCol, then SetTopCol's own limit 1000 - ColCount div 2.
        {"right", SB_RIGHT, 0, 0, 988},
        {"unknown request", 12, 7, 0, 7},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W.Open();
        ASSERT_EQ(W->GetColCount(), 25);
        W->SetTopCol(R.From);
        EXPECT_EQ(W.Send(WM_HSCROLL, MAKEWPARAM(static_cast<int>(R.Request), R.Pos)), 0);
        EXPECT_EQ(W->GetTopCol(), R.Expected);
    }
}

TEST(EditorWindow, LockScrollMovesTheCaretWithTheVerticalBar) {
    for (bool Lock : {false, true}) {
        SCOPED_TRACE(Lock ? "locked" : "free");
        TWindowed W;
        W->GetLines()->SetTextStr(RowsText(100));
        W->GetCaret()->LockScroll = Lock;
        W.Open();
        W.Focus();
        W->SetRowCol(2, 1);
        W.Send(WM_VSCROLL, SB_PAGEDOWN);
        EXPECT_EQ(W->GetTopRow(), 6);
        EXPECT_EQ(W->GetRow(), Lock ? 8 : 2);
        W.Send(WM_VSCROLL, SB_LINEUP);
        EXPECT_EQ(W->GetTopRow(), 5);
        EXPECT_EQ(W->GetRow(), Lock ? 7 : 2);
        // Horizontal scrolling never moves the caret.
        W.Send(WM_HSCROLL, SB_PAGERIGHT);
        EXPECT_EQ(W->GetCol(), 1);
    }
}

// "あ" is one double-byte character: two bytes, two columns.
const std::string A = cp932::Literal("あ");

TEST(EditorWindow, CaretShapeAndPlace) {
    struct TRow {
        const char* Name;
        TEditorCaretStyle Style;
        int Character; // Margin.Character
        int Row, Col;
        int Width, Height; // of the system caret
        int X, Y;          // caret position
    } Rows[] = {
        {"bar at the origin", csDefault, 0, 0, 0, 2, FontHeight, 31, 2},
        {"bar in row 1", csDefault, 0, 1, 3, 2, FontHeight, 31 + 3 * ColWidth, 2 + FontHeight},
        {"brief on a single byte", csBrief, 0, 0, 1, ColWidth, 2, 31 + ColWidth, 2 + FontHeight - 2},
        {"brief on a double-byte character", csBrief, 0, 1, 0, 2 * ColWidth, 2, 31, 2 + 2 * FontHeight - 2},
        {"brief without the character margin", csBrief, 2, 0, 1, ColWidth, 2, 31 + ColWidth + 2, FontHeight},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W->GetLines()->SetTextStr("abc\r\n" + A + "de");
        W->GetCaret()->SetStyle(R.Style);
        W->GetMargin()->SetCharacter(R.Character);
        W.Open();
        W.Focus();
        W->SetRowCol(R.Row, R.Col);
        ASSERT_TRUE(W.Host->CaretExists);
        const auto Create =
            std::find_if(W.Host->CaretCalls.rbegin(), W.Host->CaretCalls.rend(),
                         [](const auto& C) { return C.Kind == TFakeWindowHost::TCaretCall::ccCreate; });
        ASSERT_NE(Create, W.Host->CaretCalls.rend());
        EXPECT_EQ(Create->A, R.Width);
        EXPECT_EQ(Create->B, R.Height);
        EXPECT_EQ(W.Host->CaretPos, (TPoint{R.X, R.Y}));
        EXPECT_TRUE(W.Host->CaretVisible());
        EXPECT_TRUE(W->GetCaretShown());
        // The composition window stands at the cell's top left, whatever the caret's shape.
        EXPECT_EQ(W.Host->ImePos, (TPoint{R.X, 2 + W->GetRowHeight() * R.Row}));
        EXPECT_EQ(W.Host->ImeFont, W->GetFont());
    }
}

TEST(EditorWindow, CaretIsScrolledIntoView) {
    struct TRow {
        const char* Name;
        int TopRow, TopCol;
        int Row, Col;
        int ExpectedTopRow, ExpectedTopCol;
    } Rows[] = {
        {"below the view", 0, 0, 50, 0, 45, 0},
        {"above the view", 10, 0, 3, 0, 3, 0},
        {"in view", 10, 0, 12, 0, 10, 0},
        // ColCount 25: a quarter page is 6 columns.
        {"far right", 0, 0, 0, 100, 0, 76},
        {"just right", 0, 0, 0, 26, 0, 6},
        {"left by less than a quarter page", 0, 76, 0, 72, 0, 70},
        {"far left", 0, 76, 0, 2, 0, 2},
        {"right end", 0, 0, 0, 1000, 0, 976},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W->GetLines()->SetTextStr(RowsText(100));
        W.Open();
        W->SetTopRow(R.TopRow);
        W->SetTopCol(R.TopCol);
        W.Focus();
        W->SetRowCol(R.Row, R.Col);
        EXPECT_EQ(W->GetTopRow(), R.ExpectedTopRow);
        EXPECT_EQ(W->GetTopCol(), R.ExpectedTopCol);
        const int X = W->TextLeft() + (R.Col - W->GetTopCol()) * ColWidth;
        const int Y = W->TextTop() + (R.Row - W->GetTopRow()) * FontHeight;
        EXPECT_EQ(W.Host->CaretPos, (TPoint{X, Y}));
        EXPECT_TRUE(W.Host->CaretVisible());
    }
}

TEST(EditorWindow, CaretHidingNestsAndFollowsTheFocus) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(10));
    W.Open();
    // Without the focus nothing is made or shown.
    W->SetRowCol(1, 1);
    EXPECT_TRUE(W.Host->CaretCalls.empty());
    EXPECT_FALSE(W->GetCaretShown());

    W.Focus();
    ASSERT_TRUE(W.Host->CaretVisible());
    EXPECT_EQ(W.Host->CaretPos, (TPoint{31 + ColWidth, 2 + FontHeight}));

    W->BeginCaretUpdate();
    EXPECT_FALSE(W.Host->CaretVisible());
    W->BeginCaretUpdate();
    W->SetRowCol(2, 2);
    EXPECT_FALSE(W.Host->CaretVisible());
    EXPECT_EQ(W.Host->CaretPos, (TPoint{31 + 2 * ColWidth, 2 + 2 * FontHeight}));
    W->EndCaretUpdate();
    EXPECT_FALSE(W.Host->CaretVisible());
    EXPECT_EQ(W->GetCaretHideCount(), 1);
    W->EndCaretUpdate();
    EXPECT_TRUE(W.Host->CaretVisible());
    W->EndCaretUpdate(); // never below 0
    EXPECT_EQ(W->GetCaretHideCount(), 0);
    EXPECT_TRUE(W.Host->CaretVisible());

    // Scrolled away (no caret move): the caret is hidden while out of view.
    W->SetTopRow(8);
    EXPECT_FALSE(W.Host->CaretVisible());
    W->SetTopRow(0);
    EXPECT_TRUE(W.Host->CaretVisible());

    W.Host->HasFocus = false;
    W.Send(WM_KILLFOCUS);
    EXPECT_FALSE(W.Host->CaretExists);
    EXPECT_FALSE(W->GetCaretShown());
    W.Focus();
    EXPECT_TRUE(W.Host->CaretVisible());
    EXPECT_EQ(W.Host->CaretPos, (TPoint{31 + 2 * ColWidth, 2 + 2 * FontHeight}));
}

TEST(EditorWindow, CompositionWindowWaitsForTheEndOfAKeyRepeat) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(100));
    W.Open();
    W.Focus();
    W->SetKeyRepeating(true);
    W->SetRowCol(3, 1);
    EXPECT_EQ(W.Host->ImePos, (TPoint{31, 2}));
    EXPECT_TRUE(W->ImeWindowPending());
    W->SetTopRow(2);
    EXPECT_TRUE(W->ImeWindowPending());
    W->SetKeyRepeating(false);
    W->UpdateImeWindow();
    EXPECT_FALSE(W->ImeWindowPending());
    EXPECT_EQ(W.Host->ImePos, (TPoint{31 + ColWidth, 2 + FontHeight}));
    // After a scroll the window follows the caret cell at once.
    W->SetTopRow(0);
    EXPECT_EQ(W.Host->ImePos, (TPoint{31 + ColWidth, 2 + 3 * FontHeight}));
}

TEST(EditorWindow, InputFilterWhileTheMouseIsBusy) {
    struct TRow {
        const char* Name;
        uint32_t Msg;
        uintptr_t WParam;
        bool PassesIdle, PassesHeld, PassesPending, PassesDragging;
    } Rows[] = {
        {"key down", WM_KEYDOWN, 'A', true, false, false, true},
        {"key up", WM_KEYUP, 'A', true, false, false, false},
        {"Control up", WM_KEYUP, VK_CONTROL, true, false, false, true},
        {"character", WM_CHAR, 'a', true, false, false, false},
        {"system character", WM_SYSCHAR, 'a', true, false, false, false},
        {"system key down", WM_SYSKEYDOWN, 'A', true, false, false, false},
        {"double click", WM_LBUTTONDBLCLK, MK_LBUTTON, true, false, false, false},
        {"right button", WM_RBUTTONDOWN, MK_RBUTTON, true, false, false, false},
        {"middle button", WM_MBUTTONUP, 0, true, false, false, false},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, -120), true, false, false, false},
        {"mouse move", WM_MOUSEMOVE, MK_LBUTTON, true, true, true, true},
        {"scroll bar", WM_VSCROLL, SB_LINEDOWN, true, true, true, true},
        {"IME composition", WM_IME_COMPOSITION, 0, true, true, true, true},
    };
    enum { Idle, Held, Pending, Dragging };
    for (int State : {Idle, Held, Pending, Dragging}) {
        for (const TRow& R : Rows) {
            SCOPED_TRACE(std::string(R.Name) + " in state " + std::to_string(State));
            TWindowed W;
            W->GetLines()->SetTextStr(RowsText(10));
            W.Open();
            if (State == Held) {
                W.Host->KeysDown[VK_LBUTTON] = true;
                W.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 5));
            }
            if (State == Pending) W->SetDragState(dsPending);
            if (State == Dragging) W->SetDragState(dsDragging);
            W->Passed.clear();
            W.Send(R.Msg, R.WParam);
            const bool Expected = State == Idle      ? R.PassesIdle
                                  : State == Held    ? R.PassesHeld
                                  : State == Pending ? R.PassesPending
                                                     : R.PassesDragging;
            EXPECT_EQ(!W->Passed.empty(), Expected);
        }
    }
}

TEST(EditorWindow, FilterEndsWithTheButtonAndKnowsWhereItWentDown) {
    TWindowed W;
    W.Open();
    W.Host->KeysDown[VK_LBUTTON] = true;
    // The button is held, but it went down elsewhere: input passes.
    W.Send(WM_CHAR, 'a');
    EXPECT_NE(std::find(W->Passed.begin(), W->Passed.end(), uint32_t(WM_CHAR)), W->Passed.end());
    W.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 5));
    W->Passed.clear();
    W.Send(WM_CHAR, 'a');
    EXPECT_TRUE(W->Passed.empty());
    W.Host->KeysDown[VK_LBUTTON] = false;
    W.Send(WM_LBUTTONUP, 0, MAKELPARAM(40, 5));
    W->Passed.clear();
    W.Send(WM_CHAR, 'a');
    EXPECT_NE(std::find(W->Passed.begin(), W->Passed.end(), uint32_t(WM_CHAR)), W->Passed.end());
}

TEST(EditorWindow, DragKeysSwitchTheCursorAndEscapeCancels) {
    TWindowed W;
    W->GetLines()->SetTextStr("abc\r\ndef");
    W.Open();
    W->SetDragState(dsDragging);
    W.Send(WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(W.Host->SystemCursor, W->GetCaret()->GetCursors()->DragSelCopyCursor);
    W.Send(WM_KEYUP, VK_CONTROL);
    EXPECT_EQ(W.Host->SystemCursor, W->GetCaret()->GetCursors()->DragSelCursor);
    W->StartSelection();
    W->SetRowCol(1, 2);
    W->ExtendSelection();
    ASSERT_TRUE(W->HasSelection());
    W.Host->KeysDown[VK_ESCAPE] = true;
    W.Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(W->GetDragState(), dsNone);
    EXPECT_FALSE(W->HasSelection());
    EXPECT_EQ(W.Host->SystemCursor, W->GetCaret()->GetCursors()->DefaultCursor);

    // Without AutoCursor the cursor is left alone.
    W->GetCaret()->AutoCursor = false;
    W.Host->SystemCursor = crDefault;
    W->SetDragState(dsDragging);
    W.Send(WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(W.Host->SystemCursor, crDefault);
}

TEST(EditorWindow, ButtonPressesTakeTheFocus) {
    struct TRow {
        const char* Name;
        uint32_t Msg;
        uintptr_t WParam;
        bool Focuses;
    } Rows[] = {
        {"left", WM_LBUTTONDOWN, MK_LBUTTON, true},
        {"right", WM_RBUTTONDOWN, MK_RBUTTON, true},
        {"middle", WM_MBUTTONDOWN, MK_MBUTTON, true},
        {"left up", WM_LBUTTONUP, 0, false},
        {"move", WM_MOUSEMOVE, 0, false},
        {"non-client, client hit", WM_NCLBUTTONDOWN, HTCLIENT, true},
        {"non-client, border hit", WM_NCLBUTTONDOWN, 7, false},
        {"non-client right, client hit", WM_NCRBUTTONDOWN, HTCLIENT, true},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W.Open();
        W.Send(R.Msg, R.WParam, MAKELPARAM(50, 20));
        EXPECT_EQ(W.Host->HasFocus, R.Focuses);
        if (R.Focuses) {
            EXPECT_TRUE(W.Host->CaretVisible());
        }
    }
}

TEST(EditorWindow, DialogCodeFollowsWantTabsAndWantReturns) {
    for (bool Tabs : {false, true}) {
        for (bool Returns : {false, true}) {
            TWindowed W;
            W.Open();
            W->WantTabs = Tabs;
            W->WantReturns = Returns;
            const intptr_t Code = W.Send(WM_GETDLGCODE, VK_TAB);
            EXPECT_EQ((Code & DLGC_WANTTAB) != 0, Tabs);
            EXPECT_EQ((Code & DLGC_WANTALLKEYS) != 0, Returns);
            EXPECT_EQ(Code & (DLGC_WANTARROWS | DLGC_WANTCHARS), intptr_t(DLGC_WANTARROWS | DLGC_WANTCHARS));
        }
    }
}

TEST(EditorWindow, TextMessagesThroughTheWindow) {
    TWindowed W;
    W.Open();
    W.Send(WM_SETTEXT, 0,
           reinterpret_cast<intptr_t>("one\r\n"
                                      "two"));
    EXPECT_EQ(W->RowsCount(), 2);
    EXPECT_EQ(W.Send(WM_GETTEXTLENGTH), 8);
    char Buffer[6];
    EXPECT_EQ(W.Send(WM_GETTEXT, sizeof Buffer, reinterpret_cast<intptr_t>(Buffer)), 5);
    EXPECT_EQ(std::string(Buffer), "one\r\n");
    // A null buffer or size copies nothing.
    EXPECT_EQ(W.Send(WM_GETTEXT, 0, reinterpret_cast<intptr_t>(Buffer)), 0);
    EXPECT_EQ(W.Send(WM_GETTEXT, 10, 0), 0);
    W.Send(WM_SETTEXT, 0, 0);
    EXPECT_EQ(W->GetLines()->GetTextStr(), "one\r\ntwo");
}

TEST(EditorWindow, CreationCaptionGoesThroughSetText) {
    for (bool ReadOnly : {false, true}) {
        SCOPED_TRACE(ReadOnly ? "read-only" : "writable");
        TWindowed W;
        W->Caption = "from the form";
        W->SetReadOnly(ReadOnly);
        W.Open();
        EXPECT_EQ(W->GetLines()->GetTextStr(), ReadOnly ? "" : "from the form");
        const bool SetTextSent = std::any_of(W.Host->Sent.begin(), W.Host->Sent.end(),
                                             [](const TMessage& M) { return M.Msg == WM_SETTEXT; });
        EXPECT_TRUE(SetTextSent);
    }
}

TEST(EditorWindow, ResizeRecomputesTheViewAndRepaintsAll) {
    TWindowed W;
    W->GetLines()->SetTextStr(RowsText(50));
    W.Open();
    W.Host->Invalidated.clear();
    W.Host->SetBounds(0, 0, 300, 200);
    EXPECT_EQ(W.Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200)), 0);
    EXPECT_EQ(W->GetWidth(), 300);
    EXPECT_EQ(W->GetHeight(), 200);
    EXPECT_EQ(W->GetRowCount(), (200 - 7) / FontHeight);
    EXPECT_EQ(W->GetColCount(), (300 - 31 - 3) / ColWidth);
    ASSERT_FALSE(W.Host->Invalidated.empty());
    EXPECT_EQ(W.Host->Invalidated.back(), W.Host->ClientRect());
}

TEST(EditorWindow, FontChangeRemeasuresAndScrollsBackToTheLeft) {
    TWindowed W;
    W->GetLines()->SetTextStr(std::string(300, 'x') + "\r\nshort");
    W.Open();
    W.Focus();
    W->SetRowCol(0, 100);
    ASSERT_GT(W->GetScrollX(), 0);
    W.Engine.Metric = TTextMetric{20, 16, 4, 0, 10, 20};
    TFont F = W->GetFont();
    F.Height = 20;
    W->SetFont(F);
    EXPECT_EQ(W->GetCol(), 0);
    EXPECT_EQ(W->GetTopCol(), 0);
    EXPECT_EQ(W->GetScrollX(), 0);
    EXPECT_EQ(W->GetFontHeight(), 20);
    EXPECT_EQ(W->GetColWidth(), 10);
    EXPECT_EQ(W->GetRowCount(), (89 - 7) / 20);
    // The caret is rebuilt for the new font.
    EXPECT_EQ(W.Host->CaretCalls.back().Kind, TFakeWindowHost::TCaretCall::ccShow);
    const auto Create =
        std::find_if(W.Host->CaretCalls.rbegin(), W.Host->CaretCalls.rend(),
                     [](const auto& C) { return C.Kind == TFakeWindowHost::TCaretCall::ccCreate; });
    ASSERT_NE(Create, W.Host->CaretCalls.rend());
    EXPECT_EQ(Create->B, 20);
}

TEST(EditorWindow, BorderAndScrollBarStylesReachTheWindow) {
    struct TRow {
        const char* Name;
        std::function<void(TEditor&)> Set;
        uint32_t Style, ExStyle; // of WS_BORDER | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE
    } Rows[] = {
        {"defaults", [](TEditor&) {}, 0, WS_EX_CLIENTEDGE},
        {"no border", [](TEditor& E) { E.SetBorderStyle(TEditor::bsNone); }, 0, 0},
        {"flat border", [](TEditor& E) { E.SetCtl3D(false); }, WS_BORDER, 0},
        {"flat, then 3-D again",
         [](TEditor& E) {
             E.SetCtl3D(false);
             E.SetCtl3D(true);
         },
         0, WS_EX_CLIENTEDGE},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TWindowed W;
        W.Open();
        R.Set(*W.E);
        EXPECT_EQ(W.Host->GetStyle() & (WS_BORDER | WS_HSCROLL | WS_VSCROLL), R.Style);
        EXPECT_EQ(W.Host->GetExStyle() & WS_EX_CLIENTEDGE, R.ExStyle);
    }

    TWindowed W;
    W.Open();
    W->SetScrollBars(ssVertical);
    EXPECT_TRUE(W.Host->BarShown[sbVertical]);
    EXPECT_FALSE(W.Host->BarShown[sbHorizontal]);
    EXPECT_EQ(W->GetColCount(), (185 - 31 - 3 - 16) / ColWidth);
    W->SetScrollBars(ssHorizontal);
    EXPECT_FALSE(W.Host->BarShown[sbVertical]);
    EXPECT_TRUE(W.Host->BarShown[sbHorizontal]);
    EXPECT_EQ(W->GetRowCount(), (89 - 7 - 16) / FontHeight);
    W->SetScrollBars(ssNone);
    EXPECT_FALSE(W.Host->BarShown[sbVertical] || W.Host->BarShown[sbHorizontal]);
}

TEST(EditorWindow, RulerMarkFollowsAHorizontalScroll) {
    TWindowed W;
    W->GetLines()->SetTextStr(std::string(300, 'x'));
    W->GetRuler()->SetVisible(true);
    W.Open(300, 89);
    W.Focus();
    W->SetRowCol(0, 5);
    W.Host->Update();
    // The caret column's cell in the ruler, in screen columns from TopCol.
    auto Cell = [&](int ScreenCol) {
        std::vector<TColor> P;
        const int X = W->TextLeft() + ScreenCol * ColWidth;
        for (int Y = 0; Y < W->GetRulerHeight(); ++Y)
            for (int DX = 0; DX < ColWidth; ++DX) P.push_back(W.Host->Surface.GetPixel(X + DX, Y));
        return P;
    };
    const std::vector<TColor> Marked = Cell(5);
    ASSERT_NE(Marked, Cell(6));
    W.Send(WM_HSCROLL, SB_LINERIGHT);
    W.Host->Update();
    EXPECT_EQ(W->GetTopCol(), 1);
    EXPECT_EQ(Cell(4), Marked);

    // A caret move that scrolls: the mark (mostly mark colour, black) stands at the caret.
    W->SetRowCol(0, 100);
    W.Host->Update();
    ASSERT_GT(W->GetTopCol(), 1);
    const std::vector<TColor> AtCaret = Cell(100 - W->GetTopCol());
    EXPECT_GT(std::count(AtCaret.begin(), AtCaret.end(), W->GetRuler()->GetMarkColor()),
              static_cast<long>(AtCaret.size() / 2));
}

} // namespace
