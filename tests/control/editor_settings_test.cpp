// Settings objects of the editor: defaults, clamped setters, and which changes are reported.
#include "editor/control/editor_settings.h"

#include <gtest/gtest.h>

namespace {

// Counts the change reports of one object.
struct TChangeCounter : TObject {
    int Count = 0;
    TObject* LastSender = nullptr;
    void Handle(TObject* Sender) {
        ++Count;
        LastSender = Sender;
    }
    void Attach(TNotifyPersistent& P) { P.OnChange = TNotifyEvent::Of<&TChangeCounter::Handle>(this); }
};

TEST(EditorSettings, Defaults) {
    TEditorCaret Caret;
    EXPECT_TRUE(Caret.AutoCursor && Caret.AutoIndent && Caret.BackSpaceUnIndent && Caret.FreeCaret);
    EXPECT_FALSE(Caret.FreeRow || Caret.InTab || Caret.KeepCaret || Caret.LockScroll || Caret.NextLine ||
                 Caret.PrevSpaceIndent || Caret.SoftTab || Caret.TabIndent || Caret.TokenEndStop);
    EXPECT_TRUE(Caret.RowSelect && Caret.SelMove);
    EXPECT_EQ(Caret.SelDragMode, dmAutomatic);
    EXPECT_EQ(Caret.GetStyle(), csDefault);
    EXPECT_EQ(Caret.GetTabSpaceCount(), 8);

    TEditorCursors& C = *Caret.GetCursors();
    EXPECT_EQ(C.DefaultCursor, -4);
    EXPECT_EQ(C.DragSelCursor, -12);
    EXPECT_EQ(C.DragSelCopyCursor, 1959);
    EXPECT_EQ(C.InSelCursor, 0);
    EXPECT_EQ(C.LeftMarginCursor, 1958);
    EXPECT_EQ(C.TopMarginCursor, 0);

    TEditorMargin M;
    EXPECT_EQ(M.GetCharacter(), 0);
    EXPECT_EQ(M.GetLeft(), 19);
    EXPECT_EQ(M.GetLine(), 0);
    EXPECT_EQ(M.GetTop(), 2);
    EXPECT_EQ(M.GetUnderlineExtra(), 0);

    TEditorMarks Marks;
    for (TEditorMark* Mark :
         {Marks.GetEofMark(), Marks.GetRetMark(), Marks.GetWrapMark(), Marks.GetHideMark(), Marks.GetUnderline()}) {
        EXPECT_EQ(Mark->GetColor(), 0x808080);
        EXPECT_FALSE(Mark->GetVisible());
    }

    TEditorRuler R;
    EXPECT_EQ(R.GetBkColor(), 0xC0C0C0);
    EXPECT_EQ(R.GetColor(), 0);
    EXPECT_TRUE(R.GetEdge());
    EXPECT_EQ(R.GetGaugeRange(), 10);
    EXPECT_EQ(R.GetMarkColor(), 0);
    EXPECT_FALSE(R.GetVisible());

    TEditorLeftbar L;
    EXPECT_EQ(L.GetBkColor(), 0xC0C0C0);
    EXPECT_EQ(L.GetColor(), 0);
    EXPECT_EQ(L.GetColumn(), 4);
    EXPECT_TRUE(L.GetEdge());
    EXPECT_EQ(L.GetLeftMargin(), 8);
    EXPECT_EQ(L.GetRightMargin(), 4);
    EXPECT_TRUE(L.GetShowNumber());
    EXPECT_EQ(L.GetShowNumberMode(), nmRow);
    EXPECT_FALSE(L.GetVisible() || L.GetZeroBase() || L.GetZeroLead());

    TEditorImagebar I;
    EXPECT_EQ(I.GetDigitWidth(), 8);
    EXPECT_EQ(I.GetLeftMargin(), 2);
    EXPECT_EQ(I.GetMarkWidth(), 0);
    EXPECT_EQ(I.GetRightMargin(), 2);
    EXPECT_TRUE(I.GetVisible());

    TEditorSpeed S;
    EXPECT_EQ(S.CaretVerticalAc, 2);
    EXPECT_FALSE(S.InitBracketsFull);
    EXPECT_EQ(S.PageVerticalRange, 2);
    EXPECT_EQ(S.PageVerticalRangeAc, 2);
}

// Each row: a setter, its getter, the value written, the value read back, and the reports
// expected (the object starts at its defaults).
TEST(EditorSettings, ClampedSettersReportOnlyRealChanges) {
    struct TFixture {
        TEditorCaret Caret;
        TEditorRuler Ruler;
        TEditorLeftbar Leftbar;
        TEditorMargin Margin;
        TEditorImagebar Imagebar;
    };
    using F = TFixture;
    struct TRow {
        const char* Name;
        void (*Set)(F&, int);
        int (*Get)(F&);
        TNotifyPersistent& (*Object)(F&);
        int Written, Read, Reports;
    };
    const TRow Rows[] = {
        {"TabSpaceCount 7", [](F& f, int v) { f.Caret.SetTabSpaceCount(v); },
         [](F& f) { return f.Caret.GetTabSpaceCount(); }, [](F& f) -> TNotifyPersistent& { return f.Caret; }, 7, 6, 1},
        {"TabSpaceCount 1", [](F& f, int v) { f.Caret.SetTabSpaceCount(v); },
         [](F& f) { return f.Caret.GetTabSpaceCount(); }, [](F& f) -> TNotifyPersistent& { return f.Caret; }, 1, 2, 1},
        {"TabSpaceCount 20", [](F& f, int v) { f.Caret.SetTabSpaceCount(v); },
         [](F& f) { return f.Caret.GetTabSpaceCount(); }, [](F& f) -> TNotifyPersistent& { return f.Caret; }, 20, 8, 0},
        {"TabSpaceCount 9", [](F& f, int v) { f.Caret.SetTabSpaceCount(v); },
         [](F& f) { return f.Caret.GetTabSpaceCount(); }, [](F& f) -> TNotifyPersistent& { return f.Caret; }, 9, 8, 0},
        {"GaugeRange 9", [](F& f, int v) { f.Ruler.SetGaugeRange(v); }, [](F& f) { return f.Ruler.GetGaugeRange(); },
         [](F& f) -> TNotifyPersistent& { return f.Ruler; }, 9, 8, 1},
        {"GaugeRange 12", [](F& f, int v) { f.Ruler.SetGaugeRange(v); }, [](F& f) { return f.Ruler.GetGaugeRange(); },
         [](F& f) -> TNotifyPersistent& { return f.Ruler; }, 12, 10, 0},
        {"GaugeRange 0", [](F& f, int v) { f.Ruler.SetGaugeRange(v); }, [](F& f) { return f.Ruler.GetGaugeRange(); },
         [](F& f) -> TNotifyPersistent& { return f.Ruler; }, 0, 8, 1},
        {"Column 0", [](F& f, int v) { f.Leftbar.SetColumn(v); }, [](F& f) { return f.Leftbar.GetColumn(); },
         [](F& f) -> TNotifyPersistent& { return f.Leftbar; }, 0, 1, 1},
        {"Column 12", [](F& f, int v) { f.Leftbar.SetColumn(v); }, [](F& f) { return f.Leftbar.GetColumn(); },
         [](F& f) -> TNotifyPersistent& { return f.Leftbar; }, 12, 8, 1},
        {"Leftbar.LeftMargin 101", [](F& f, int v) { f.Leftbar.SetLeftMargin(v); },
         [](F& f) { return f.Leftbar.GetLeftMargin(); }, [](F& f) -> TNotifyPersistent& { return f.Leftbar; }, 101, 100, 1},
        {"Leftbar.RightMargin -1", [](F& f, int v) { f.Leftbar.SetRightMargin(v); },
         [](F& f) { return f.Leftbar.GetRightMargin(); }, [](F& f) -> TNotifyPersistent& { return f.Leftbar; }, -1, 0, 1},
        {"Margin.Left -5", [](F& f, int v) { f.Margin.SetLeft(v); }, [](F& f) { return f.Margin.GetLeft(); },
         [](F& f) -> TNotifyPersistent& { return f.Margin; }, -5, 0, 1},
        {"Margin.Top 2 (unchanged)", [](F& f, int v) { f.Margin.SetTop(v); }, [](F& f) { return f.Margin.GetTop(); },
         [](F& f) -> TNotifyPersistent& { return f.Margin; }, 2, 2, 0},
        {"Margin.Character 500", [](F& f, int v) { f.Margin.SetCharacter(v); },
         [](F& f) { return f.Margin.GetCharacter(); }, [](F& f) -> TNotifyPersistent& { return f.Margin; }, 500, 100, 1},
        {"Margin.Line -1 (stays 0)", [](F& f, int v) { f.Margin.SetLine(v); }, [](F& f) { return f.Margin.GetLine(); },
         [](F& f) -> TNotifyPersistent& { return f.Margin; }, -1, 0, 0},
        {"Imagebar.DigitWidth 200", [](F& f, int v) { f.Imagebar.SetDigitWidth(v); },
         [](F& f) { return f.Imagebar.GetDigitWidth(); }, [](F& f) -> TNotifyPersistent& { return f.Imagebar; }, 200, 100, 1},
        {"Imagebar.MarkWidth -3 (stays 0)", [](F& f, int v) { f.Imagebar.SetMarkWidth(v); },
         [](F& f) { return f.Imagebar.GetMarkWidth(); }, [](F& f) -> TNotifyPersistent& { return f.Imagebar; }, -3, 0, 0},
        {"Imagebar.RightMargin 7", [](F& f, int v) { f.Imagebar.SetRightMargin(v); },
         [](F& f) { return f.Imagebar.GetRightMargin(); }, [](F& f) -> TNotifyPersistent& { return f.Imagebar; }, 7, 7, 1},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        F Fix;
        TChangeCounter Counter;
        Counter.Attach(R.Object(Fix));
        R.Set(Fix, R.Written);
        EXPECT_EQ(R.Get(Fix), R.Read);
        EXPECT_EQ(Counter.Count, R.Reports);
        // Writing the same value again reports nothing.
        R.Set(Fix, R.Written);
        EXPECT_EQ(Counter.Count, R.Reports);
    }
}

TEST(EditorSettings, BooleanAndColourSettersReportOnce) {
    TEditorRuler Ruler;
    TEditorLeftbar Leftbar;
    TEditorImagebar Imagebar;
    TEditorCaret Caret;
    TChangeCounter RC, LC, IC, CC;
    RC.Attach(Ruler);
    LC.Attach(Leftbar);
    IC.Attach(Imagebar);
    CC.Attach(Caret);

    Ruler.SetVisible(true);
    Ruler.SetVisible(true);
    Ruler.SetBkColor(0xFF);
    Ruler.SetMarkColor(0);
    EXPECT_EQ(RC.Count, 2);

    Leftbar.SetShowNumberMode(nmLine);
    Leftbar.SetZeroLead(true);
    Leftbar.SetEdge(true);
    EXPECT_EQ(LC.Count, 2);

    Imagebar.SetVisible(false);
    Imagebar.SetVisible(false);
    EXPECT_EQ(IC.Count, 1);

    Caret.SetStyle(csBrief);
    Caret.SetStyle(csBrief);
    EXPECT_EQ(CC.Count, 1);
    EXPECT_EQ(CC.LastSender, &Caret);
}

TEST(EditorSettings, PlainPropertiesReportNothing) {
    TEditorCaret Caret;
    TEditorMargin Margin;
    TChangeCounter CC, MC;
    CC.Attach(Caret);
    MC.Attach(Margin);
    Caret.FreeCaret = false;
    Caret.KeepCaret = true;
    Caret.GetCursors()->InSelCursor = 5;
    Margin.SetUnderlineExtra(1);
    EXPECT_EQ(CC.Count, 0);
    EXPECT_EQ(MC.Count, 0);
    EXPECT_EQ(Margin.GetUnderlineExtra(), 1);
}

TEST(EditorSettings, MarkChangesAreChangesOfTheSet) {
    TEditorMarks Marks;
    TChangeCounter Counter;
    Counter.Attach(Marks);
    Marks.GetRetMark()->SetColor(0xFF);
    EXPECT_EQ(Counter.Count, 1);
    EXPECT_EQ(Counter.LastSender, &Marks);
    Marks.GetRetMark()->SetColor(0xFF);
    Marks.GetEofMark()->SetVisible(false);
    EXPECT_EQ(Counter.Count, 1);
    Marks.GetUnderline()->SetVisible(true);
    EXPECT_EQ(Counter.Count, 2);

    // Setting one mark property copies the values into the owned mark.
    TEditorMark Red;
    Red.SetColor(0x0000FF);
    Red.SetVisible(true);
    Marks.SetWrapMark(&Red);
    EXPECT_NE(Marks.GetWrapMark(), &Red);
    EXPECT_EQ(Marks.GetWrapMark()->GetColor(), 0x0000FF);
    EXPECT_TRUE(Marks.GetWrapMark()->GetVisible());
    EXPECT_EQ(Counter.Count, 3);
}

TEST(EditorSettings, AssignCopiesEverythingAndReportsOnce) {
    TEditorCaret A, B;
    B.FreeCaret = false;
    B.KeepCaret = true;
    B.SelDragMode = dmManual;
    B.SetStyle(csBrief);
    B.SetTabSpaceCount(4);
    B.GetCursors()->DefaultCursor = 7;
    TChangeCounter CC;
    CC.Attach(A);
    A.Assign(&B);
    EXPECT_EQ(CC.Count, 1);
    EXPECT_FALSE(A.FreeCaret);
    EXPECT_TRUE(A.KeepCaret);
    EXPECT_EQ(A.SelDragMode, dmManual);
    EXPECT_EQ(A.GetStyle(), csBrief);
    EXPECT_EQ(A.GetTabSpaceCount(), 4);
    EXPECT_EQ(A.GetCursors()->DefaultCursor, 7);

    TEditorMarks MA, MB;
    MB.GetEofMark()->SetVisible(true);
    MB.GetHideMark()->SetColor(1);
    MB.GetUnderline()->SetVisible(true);
    TChangeCounter MCount;
    MCount.Attach(MA);
    MA.Assign(&MB);
    EXPECT_EQ(MCount.Count, 1);
    EXPECT_TRUE(MA.GetEofMark()->GetVisible());
    EXPECT_EQ(MA.GetHideMark()->GetColor(), 1);
    EXPECT_TRUE(MA.GetUnderline()->GetVisible());

    TEditorMargin GA, GB;
    GB.SetLeft(1);
    GB.SetUnderlineExtra(1);
    GA.Assign(&GB);
    EXPECT_EQ(GA.GetLeft(), 1);
    EXPECT_EQ(GA.GetUnderlineExtra(), 1);

    TEditorLeftbar LA, LB;
    LB.SetColumn(6);
    LB.SetZeroBase(true);
    LB.SetShowNumberMode(nmLine);
    LA.Assign(&LB);
    EXPECT_EQ(LA.GetColumn(), 6);
    EXPECT_TRUE(LA.GetZeroBase());
    EXPECT_EQ(LA.GetShowNumberMode(), nmLine);

    TEditorRuler RA, RB;
    RB.SetGaugeRange(8);
    RB.SetEdge(false);
    RA.Assign(&RB);
    EXPECT_EQ(RA.GetGaugeRange(), 8);
    EXPECT_FALSE(RA.GetEdge());

    TEditorImagebar IA, IB;
    IB.SetMarkWidth(5);
    IB.SetVisible(false);
    IA.Assign(&IB);
    EXPECT_EQ(IA.GetMarkWidth(), 5);
    EXPECT_FALSE(IA.GetVisible());

    TEditorSpeed SA, SB;
    SB.InitBracketsFull = true;
    SB.CaretVerticalAc = 4;
    SA.Assign(&SB);
    EXPECT_TRUE(SA.InitBracketsFull);
    EXPECT_EQ(SA.CaretVerticalAc, 4);
}

TEST(EditorSettings, AssignFromAnotherClassRaisesTheConversionError) {
    TEditorCaret Caret;
    TEditorRuler Ruler;
    TEditorSpeed Speed;
    TChangeCounter CC;
    CC.Attach(Caret);
    EXPECT_THROW(Caret.Assign(&Ruler), EConvertError);
    EXPECT_THROW(Ruler.Assign(&Speed), EConvertError);
    EXPECT_THROW(Speed.Assign(&Caret), EConvertError);
    EXPECT_EQ(CC.Count, 0);
}

} // namespace
