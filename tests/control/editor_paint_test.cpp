// TEditor's painting on a host double: where the text area lies, selection and hit colours,
// the end-of-row and end-of-file marks, dotted underlines, line numbers, the ruler, and
// which rows a change repaints.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "editor/control/dot_lines.h"
#include "editor/control/editor.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"
#include "support/block_font_engine.h"
#include "support/paint_recorder.h"

namespace {

// The block engine's cells: FontHeight 13 (12 + 1 leading), ColWidth 6; default margins put
// the text area at (31, 2).
constexpr int FH = 13, CW = 6, TL = 31, TT = 2;
constexpr TColor Navy = 0x800000;

class TPaintProbe : public TEditor {
public:
    explicit TPaintProbe(TComponent* AOwner) : TEditor(AOwner) {}
    void ForceSelection(TEditorSelectionState State, TEditorSelectionMode Mode, TSelectionFrame Frame) {
        FSelectionState = State;
        FSelectionMode = Mode;
        FSelFrame = FPrevSelFrame = Frame;
    }
    const TBitmap& RulerDigits() const { return *FRulerDigits; }
};

struct TPainted {
    TBlockFontEngine Engine;
    std::unique_ptr<TPaintProbe> E{TEditor::Create<TPaintProbe>(nullptr)};
    TPaintRecordingHost* Host = nullptr;

    TPaintProbe* operator->() const { return E.get(); }
    void Open(int Width = 400, int Height = 200) {
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TPaintRecordingHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
    }
    void Repaint() {
        E->Invalidate();
        Host->Tee.Calls.clear();
        Host->Update();
    }
    TColor Px(int X, int Y) const { return Host->Surface.GetPixel(X, Y); }
    // A pixel that the block font never inks (the last column of the cell) and one it does.
    TColor CellBack(int Col, int Row) const { return Px(TL + Col * CW + CW - 1, TT + Row * FH); }
    TColor CellInk(int Col, int Row) const { return Px(TL + Col * CW + 2, TT + Row * FH + 5); }
    std::vector<TCanvasCall> Texts(const std::string& S) const {
        std::vector<TCanvasCall> R;
        for (const auto& C : Host->Tee.CallsOf(TCanvasCall::ckText))
            if (C.Text == S) R.push_back(C);
        return R;
    }
    bool HasLineFrom(int X, int Y) const {
        for (const auto& C : Host->Tee.CallsOf(TCanvasCall::ckLine))
            if (C.X == X && C.Y == Y) return true;
        return false;
    }
    // The row slots of the text area that got a row's opaque background text.
    std::set<int> RowsPainted() const {
        std::set<int> R;
        for (const auto& C : Host->Tee.CallsOf(TCanvasCall::ckText))
            if ((C.Options & etoOpaque) != 0 && C.X == TL - E->GetScrollX() && C.Rect.Left >= TL)
                R.insert((C.Y - TT) / E->GetRowHeight() + E->GetTopRow());
        return R;
    }
};

TEST(EditorPaint, TextAreaOriginFollowsTheBars) {
    TPainted P;
    P.Open();
    EXPECT_EQ(P->TextLeft(), 31);
    EXPECT_EQ(P->TextTop(), 2);
    P->GetLines()->SetTextStr("a");
    P.Repaint();
    EXPECT_EQ(P.CellInk(0, 0), clBlack);
    EXPECT_EQ(P.Px(TL - 1, TT + 5), clWhite);

    P->GetImagebar()->SetVisible(false);
    EXPECT_EQ(P->TextLeft(), 19);
    P->GetImagebar()->SetVisible(true);
    P->GetRuler()->SetVisible(true); // with its edge (the default)
    EXPECT_EQ(P->GetRulerHeight(), 11);
    EXPECT_EQ(P->TextTop(), 13);
    P->GetRuler()->SetEdge(false);
    EXPECT_EQ(P->GetRulerHeight(), 10);
    EXPECT_EQ(P->TextTop(), 12);
}

TEST(EditorPaint, SelectedCellsAndOnlyThoseTakeTheSelectionColours) {
    struct TCase {
        const char* Name;
        TEditorSelectionState State;
        TEditorHitStyle Hit;
        TColor Back, Ink;
    } Cases[] = {
        {"selection", selSelected, hsSelect, Navy, clWhite},
        // The default hit colour has no colours: background Font.Color, text Color.
        {"hit drawn", selHit, hsDraw, clBlack, clWhite},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TPainted P;
        P.Open();
        P->GetLines()->SetTextStr("abcdef\r\nxyz");
        P->SetHitStyle(C.Hit);
        P->ForceSelection(C.State, smNormal, {0, 0, 1, 4});
        P.Repaint();
        for (int Col = 0; Col < 8; ++Col) {
            const bool In = Col >= 1 && Col < 4;
            EXPECT_EQ(P.CellBack(Col, 0), In ? C.Back : clWhite) << Col;
            if (Col < 6) {
                EXPECT_EQ(P.CellInk(Col, 0), In ? C.Ink : clBlack) << Col;
            }
            EXPECT_EQ(P.CellBack(Col, 1), clWhite) << Col;
        }
    }
}

TEST(EditorPaint, BoxSelectionNeverColoursPastARowsEnd) {
    TPainted P;
    P.Open();
    P->GetLines()->SetTextStr("abcdef\r\nab\r\nabcd");
    P->ForceSelection(selSelected, smBox, {0, 2, 1, 5});
    P.Repaint();
    for (int Col = 0; Col < 8; ++Col) {
        EXPECT_EQ(P.CellBack(Col, 0), Col >= 1 && Col < 5 ? Navy : clWhite) << Col;
        EXPECT_EQ(P.CellBack(Col, 1), Col == 1 ? Navy : clWhite) << Col;
        EXPECT_EQ(P.CellBack(Col, 2), Col >= 1 && Col < 4 ? Navy : clWhite) << Col;
    }
}

// Every step of a caret drag repaints incrementally what a full repaint would show.
TEST(EditorPaint, SelectionRepaintMatchesAFullRepaint) {
    struct TCase {
        const char* Name;
        TEditorSelectionMode Mode;
    } Cases[] = {{"stream", smNormal}, {"box", smBox}};
    const std::pair<int, int> Moves[] = {{1, 5}, {1, 7}, {2, 2}, {3, 9}, {2, 6},
                                         {1, 1}, {0, 2}, {0, 8}, {1, 2}, {3, 0}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TPainted P;
        P.Open();
        P->GetLines()->SetTextStr("first row here\r\nsecond row\r\nthird\r\nfourth row text");
        P->SetSelectionMode(C.Mode);
        P->SetRowCol(1, 3);
        P->StartSelection();
        P.Repaint();
        for (const auto& [Row, Col] : Moves) {
            SCOPED_TRACE(testing::Message() << Row << "," << Col);
            P->SetRowCol(Row, Col);
            P->ExtendSelection();
            ASSERT_EQ(P->GetSelectionState(), selSelected);
            TBitmap Incremental;
            Incremental.Assign(P.Host->Surface);
            P.Repaint();
            int Differ = 0;
            for (int Y = 0; Y < TT + 4 * FH; ++Y)
                for (int X = 0; X < 400; ++X)
                    if (Incremental.GetPixel(X, Y) != P.Px(X, Y)) ++Differ;
            EXPECT_EQ(Differ, 0);
        }
    }
}

TEST(EditorPaint, EndOfFileMarkAfterTheText) {
    struct TCase {
        const char* Text;
        int X, Y;
    } Cases[] = {
        {"", TL, TT},            // empty text: the first row slot
        {"ab\r\n", TL, TT + FH}, // after a final line break: the slot after it
        {"ab", TL + 2 * CW, TT}, // otherwise right after the last character
        {"ab\r\ncd", TL + 2 * CW, TT + FH},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Text);
        TPainted P;
        P.Open();
        P->GetMarks()->GetEofMark()->SetVisible(true);
        P->GetLines()->SetTextStr(C.Text);
        P.Repaint();
        const auto Marks = P.Texts("[EOF]");
        ASSERT_EQ(Marks.size(), 1u);
        EXPECT_EQ(Marks[0].X, C.X);
        EXPECT_EQ(Marks[0].Y, C.Y);
        EXPECT_EQ(Marks[0].Font.Color, clGray);
    }
}

TEST(EditorPaint, LineBreakAndWrapMarksAtTheRowEnds) {
    TPainted P;
    P.Open(700, 200);
    P->GetMarks()->GetRetMark()->SetVisible(true);
    P->GetMarks()->GetWrapMark()->SetVisible(true);
    P->GetLines()->SetTextStr("ab\r\ncd");
    P.Repaint();
    // Line break: the arrow's stem starts at (cell centre, top + 2) in the cell after "ab".
    EXPECT_TRUE(P.HasLineFrom(TL + 2 * CW + CW / 2, TT + 2));
    // The last row has no line break: no arrow there.
    EXPECT_FALSE(P.HasLineFrom(TL + 2 * CW + CW / 2, TT + FH + 2));

    // An empty line in the middle: its arrow stands in its first cell.
    P->GetLines()->SetTextStr("ab\r\n\r\ncd");
    P.Repaint();
    EXPECT_TRUE(P.HasLineFrom(TL + CW / 2, TT + FH + 2));

    P->SetWordWrap(true);
    P->GetLines()->SetTextStr(std::string(100, 'a'));
    ASSERT_GE(P->RowsCount(), 2);
    ASSERT_EQ(P->RowAttr(0), raWrapped);
    P.Repaint();
    const int X = TL + static_cast<int>(P->RowText(0).size()) * CW;
    // The opening angle: from (X + W, cy - e) with e = 3, cy = top + 6.
    EXPECT_TRUE(P.HasLineFrom(X + CW, TT + 6 - 3));
}

TEST(EditorPaint, LongRowShowsTheHideMarkAtTheColumnLimit) {
    const std::string Lead = cp932::Literal("あ");
    struct TCase {
        const char* Name;
        std::string Row;
        size_t Drawn;
        int MarkCol;
    } Cases[] = {
        {"single bytes", std::string(1200, 'a'), 1000, 1000},
        {"lead byte in column 999", std::string(999, 'a') + Lead + std::string(199, 'a'), 1001, 1001},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TPainted P;
        P.Open();
        P->GetMarks()->GetHideMark()->SetVisible(true);
        P->GetLines()->SetTextStr(C.Row);
        P->SetTopCol(980);
        P.Repaint();
        bool Found = false;
        for (const auto& T : P.Host->Tee.CallsOf(TCanvasCall::ckText))
            if ((T.Options & etoOpaque) != 0 && T.Y == TT) {
                EXPECT_EQ(T.Text.size(), C.Drawn);
                Found = true;
            }
        EXPECT_TRUE(Found);
        const int X = TL + (C.MarkCol - P->GetTopCol()) * CW;
        EXPECT_TRUE(P.HasLineFrom(X + CW - 3, TT + 6 - 3)) << "closing angle at column " << C.MarkCol;
    }
}

TEST(EditorPaint, UnderlinedFontGetsADottedUnderline) {
    TPainted P;
    P.Open();
    TFont F = P->GetFont();
    F.Style = fsUnderline;
    P->SetFont(F);
    P->GetLines()->SetTextStr("ab");
    P.Repaint();
    for (const auto& T : P.Host->Tee.CallsOf(TCanvasCall::ckText)) EXPECT_EQ(T.Font.Style & fsUnderline, 0);
    const int Y = TT + FH - 1;
    for (int X = TL; X < TL + 2 * CW; ++X) EXPECT_EQ(P.Px(X, Y), (X - TL) % 2 == 0 ? clBlack : clWhite) << X;
    EXPECT_EQ(P.Px(TL + 2 * CW, Y), clWhite);
    const int Cached = DotLines().Count();
    P.Repaint();
    EXPECT_EQ(DotLines().Count(), Cached);
}

TEST(EditorPaint, OnDrawLineSeesEachDrawnRow) {
    TPainted P;
    P.Open();
    P->GetLines()->SetTextStr("one\r\ntwo");
    std::vector<std::string> Seen;
    P->OnDrawLine = [&](TObject*, std::string_view S, int X, int, int Index, const TRect&, bool Selected) {
        EXPECT_EQ(X, TL);
        EXPECT_FALSE(Selected);
        Seen.push_back(std::to_string(Index) + ":" + std::string(S));
    };
    P.Repaint();
    EXPECT_EQ(Seen, (std::vector<std::string>{"0:one", "1:two"}));
}

// ---- left bar -----------------------------------------------------------------------------

// The number texts drawn in the left bar, by row slot.
std::map<int, std::string> Numbers(const TPainted& P) {
    std::map<int, std::string> R;
    const int X = P->GetImagebarWidth() + P->GetLeftbar()->GetLeftMargin();
    for (const auto& T : P.Host->Tee.CallsOf(TCanvasCall::ckText))
        if (T.X == X) R[(T.Y - TT) / FH] = T.Text;
    return R;
}

TEST(EditorPaint, LineNumbersInRowAndLineMode) {
    std::string Ten;
    for (int I = 0; I < 10; ++I) Ten += "x\r\n";
    {
        TPainted P;
        P.Open();
        P->GetLeftbar()->SetVisible(true);
        P->GetLines()->SetTextStr(Ten);
        P.Repaint();
        auto N = Numbers(P);
        EXPECT_EQ(N[0], "   1");
        EXPECT_EQ(N[7], "   8");
        EXPECT_EQ(N[10], "  11"); // the slot after a final line break
        EXPECT_EQ(N.count(11), 0u);
        P->GetLeftbar()->SetZeroLead(true);
        P.Repaint();
        EXPECT_EQ(Numbers(P)[7], "0008");
        P->GetLeftbar()->SetZeroBase(true);
        P.Repaint();
        EXPECT_EQ(Numbers(P)[7], "0007");
    }
    {
        TPainted P;
        P.Open();
        P->GetLeftbar()->SetVisible(true);
        P->GetLeftbar()->SetShowNumberMode(nmLine);
        P->SetWordWrap(true);
        P->GetLines()->SetTextStr(std::string(200, 'a') + "\r\nb\r\nc");
        ASSERT_EQ(P->RowsCount(), 5);
        P.Repaint();
        auto N = Numbers(P);
        EXPECT_EQ(N[0], "   1");
        EXPECT_EQ(N.count(1), 0u);
        EXPECT_EQ(N.count(2), 0u);
        EXPECT_EQ(N[3], "   2");
        EXPECT_EQ(N[4], "   3");
        EXPECT_EQ(P->LineIndexOfRow(4), 2);
        // Scrolled into the wrapped line: its rows stay blank, the count goes on.
        P->SetTopRow(1);
        P.Repaint();
        N = Numbers(P);
        EXPECT_EQ(N.count(0), 0u);
        EXPECT_EQ(N[2], "   2");
    }
}

TEST(EditorPaint, LeftbarGrowsByADigitWithoutAFullRepaint) {
    TPainted P;
    P.Open(400, 200);
    P->GetLeftbar()->SetVisible(true);
    std::string Text;
    for (int I = 0; I < 9999; ++I) Text += I + 1 < 9999 ? "row\r\n" : "row";
    P->GetLines()->SetTextStr(Text);
    P.Repaint();
    ASSERT_EQ(P->GetLeftbarColumn(), 4);
    const int OldLeft = P->TextLeft();
    P.Host->Invalidated.clear();
    P.Host->Scrolls.clear();
    P->GetLines()->Add("more");
    EXPECT_EQ(P->GetLeftbarColumn(), 5);
    EXPECT_EQ(P->TextLeft(), OldLeft + CW);
    bool Shifted = false;
    for (const auto& S : P.Host->Scrolls)
        if (S.Dx == CW && S.Dy == 0 && S.Clip.Left == P->GetImagebarWidth()) Shifted = true;
    EXPECT_TRUE(Shifted);
    for (const TRect& R : P.Host->Invalidated)
        EXPECT_FALSE(R.Left <= P->TextLeft() && R.Right >= 400 && R.Top <= TT && R.Bottom >= 190)
            << "full repaint " << R.Left << "," << R.Top << "," << R.Right << "," << R.Bottom;
}

// ---- ruler --------------------------------------------------------------------------------

// The number drawn at (X, 0) of Pixels, read glyph by glyph against the ruler digits.
template <class TGet> std::string ReadLabel(const TBitmap& Digits, int X, TGet&& Pixel) {
    std::string S;
    for (;;) {
        int Found = -1;
        for (int D : {0, 2, 3, 4, 5, 6, 7, 8, 9, 1}) {
            const int W = D == 1 ? 3 : 5;
            bool Same = true;
            for (int Y = 0; Y < 9 && Same; ++Y)
                for (int I = 0; I < W && Same; ++I) Same = Pixel(X + I, Y) == Digits.GetPixel(D * 5 + I, Y);
            if (Same) {
                Found = D;
                break;
            }
        }
        if (Found < 0) return S;
        S += static_cast<char>('0' + Found);
        X += Found == 1 ? 3 : 5;
    }
}

TEST(EditorPaint, RulerLabelsAndTicks) {
    for (int Range : {10, 8}) {
        SCOPED_TRACE(Range);
        TPainted P;
        P.Open();
        P->GetRuler()->SetGaugeRange(Range);
        P->GetRuler()->SetVisible(true);
        P.Repaint();
        const TBitmap& Strip = *P->GetRulerStrip();
        const TBitmap& Digits = P->RulerDigits();
        auto StripPx = [&](int X, int Y) { return Strip.GetPixel(X, Y); };
        const int U = Range * CW;
        for (int K = 0; K < 4; ++K)
            EXPECT_EQ(ReadLabel(Digits, 1 + K * U, StripPx), std::to_string(K * Range));
        // Ticks of the first unit: long at 0, middle at Range / 2, short elsewhere.
        const TColor Bk = 0xC0C0C0, Ink = clBlack;
        EXPECT_EQ(Strip.GetPixel(0, 0), Ink);
        EXPECT_EQ(Strip.GetPixel(Range / 2 * CW, 2), Bk);
        EXPECT_EQ(Strip.GetPixel(Range / 2 * CW, 3), Ink);
        EXPECT_EQ(Strip.GetPixel(CW * (Range - 1), 5), Bk);
        EXPECT_EQ(Strip.GetPixel(CW * (Range - 1), 6), Ink);
        // The edge under the ticks.
        EXPECT_EQ(Strip.GetPixel(3, 9), clWhite);
        EXPECT_EQ(Strip.GetPixel(3, 10), clGray);
        // On screen, shifted with the text.
        auto ScreenPx = [&](int X, int Y) { return P.Px(X, Y); };
        EXPECT_EQ(ReadLabel(Digits, TL + U + 1, ScreenPx), std::to_string(Range));
        P->SetTopCol(3);
        EXPECT_EQ(ReadLabel(Digits, TL + U - 3 * CW + 1, ScreenPx), std::to_string(Range));
        EXPECT_EQ(ReadLabel(Digits, TL + 2 * U - 3 * CW + 1, ScreenPx), std::to_string(2 * Range));
    }
}

TEST(EditorPaint, RulerIsBlankAfterTheLabel1000) {
    TPainted P;
    P.Open();
    P->GetRuler()->SetVisible(true);
    P->SetTopCol(970);
    ASSERT_EQ(P->GetTopCol(), 970);
    P.Repaint();
    const TBitmap& Strip = *P->GetRulerStrip();
    auto StripPx = [&](int X, int Y) { return Strip.GetPixel(X, Y); };
    EXPECT_EQ(ReadLabel(P->RulerDigits(), 1 + 2 * 60, StripPx), "990");
    EXPECT_EQ(ReadLabel(P->RulerDigits(), 1 + 3 * 60, StripPx), "1000");
    int Ink = 0;
    for (int X = 1 + 3 * 60 + 18; X < Strip.Width(); ++X)
        for (int Y = 0; Y < 9; ++Y)
            if (Strip.GetPixel(X, Y) != 0xC0C0C0) ++Ink;
    EXPECT_EQ(Ink, 0);
    EXPECT_EQ(Strip.GetPixel(Strip.Width() - 1, 9), clWhite);
}

// ---- what a change repaints -----------------------------------------------------------------

// Records the change record while the change is being reported.
struct TInfoProbe {
    TEditor* E = nullptr;
    TUpdateInfo Info;
    void Changed(TObject*) { Info = E->GetScreenStrings()->UpdateInfo; }
};

TEST(EditorPaint, ChangeRepaintsOnlyTheRowsItTouched) {
    // The probe outlives the editor whose OnChange points at it.
    static TInfoProbe Probe;
    Probe = {};
    TPainted P;
    P.Open(400, 200);
    std::string Text;
    for (int I = 0; I < 30; ++I) Text += "line " + std::to_string(I) + "\r\n";
    P->GetLines()->SetTextStr(Text);
    P->GetScreenStrings()->ScanAll(); // no rows left for the incremental scan to invalidate
    P.Repaint();
    ASSERT_EQ(P.RowsPainted().size(), 16u); // every slot that shows in the 200 pixels
    Probe.E = P.E.get();
    P->OnChange = TNotifyEvent::Of<&TInfoProbe::Changed>(&Probe);

    struct TCase {
        const char* Name;
        const char* Text;
    } Cases[] = {{"same row count", "changed\r\n"}, {"one row more", "one\r\ntwo\r\n"}, {"one row less", ""}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        P.Host->Tee.Calls.clear();
        P.Host->Scrolls.clear();
        P->GetScreenStrings()->ReplaceRows(2, 1, C.Text);
        const TUpdateInfo I = Probe.Info;
        ASSERT_TRUE(I.Valid);
        // The replaced and rescanned rows; after a change of the row count the rows below
        // are scrolled and only the uncovered slot (or the slot that becomes empty at the end
        // of the view) is painted.
        const int End = I.FirstRow + std::max(I.NewCount, I.ScannedCount);
        std::set<int> Expected;
        for (int R = std::min(I.FirstRow, End - 1); R <= std::max(I.FirstRow, End - 1); ++R)
            Expected.insert(R);
        if (I.NewCount > I.OldCount) Expected.insert(End);
        if (I.NewCount < I.OldCount) // the slots in the strip uncovered at the bottom
            for (int R = (200 - (I.OldCount - I.NewCount) * FH - TT) / FH; R <= (199 - TT) / FH; ++R)
                Expected.insert(R);
        EXPECT_EQ(P.RowsPainted(), Expected);
        EXPECT_LE(P.RowsPainted().size(), 4u);
        if (I.NewCount != I.OldCount) {
            ASSERT_EQ(P.Host->Scrolls.size(), 2u); // image bar and text
            EXPECT_EQ(P.Host->Scrolls[1].Dy, (I.NewCount - I.OldCount) * FH);
            EXPECT_EQ(P.Host->Scrolls[1].Clip, Rect(TL, TT + (End - P->GetTopRow()) * FH, 400, 200));
        }
        // What was scrolled shows what a full repaint shows.
        TBitmap After;
        After.Assign(P.Host->Surface);
        P.Repaint();
        int Differ = 0;
        for (int Y = 0; Y < 200; ++Y)
            for (int X = 0; X < 400; ++X)
                if (After.GetPixel(X, Y) != P.Px(X, Y)) ++Differ;
        EXPECT_EQ(Differ, 0);
    }
}

TEST(EditorPaint, RowMarksShowTheLowestDigitAndPicture) {
    TPainted P;
    P.Open();
    P->GetLines()->SetTextStr("a\r\nb");
    P.Host->Tee.Calls.clear();
    P->SetRowMarks(1, (1 << 3) | (1 << 7) | (1 << 11));
    EXPECT_EQ(P->GetRowMarks(1), (1 << 3) | (1 << 7) | (1 << 11));
    EXPECT_EQ(P->GetRowMarks(5), 0);
    // The image list draws masked blits; the digit at the left margin, the picture after it.
    std::set<int> Xs;
    for (const auto& B : P.Host->Tee.CallsOf(TCanvasCall::ckBitBlt))
        if (B.Rect.Top == TT + FH + 2) Xs.insert(B.Rect.Left);
    EXPECT_TRUE(Xs.count(P->GetImagebar()->GetLeftMargin()) == 1);
    EXPECT_TRUE(Xs.count(P->GetImagebar()->GetLeftMargin() + P->GetImagebar()->GetDigitWidth()) == 1);
}

} // namespace
