// Tests of the column cursor and of cutting lines into screen rows.
#include "editor/model/line_breaking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp932.h"

namespace {

using cp932::Literal;

std::string Rep(const std::string& S, int N) {
    std::string R;
    for (int I = 0; I < N; ++I) R += S;
    return R;
}

struct Row {
    std::string Text;
    TRowAttribute Attr;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& R, std::ostream* Os) {
    *Os << '"' << cp932::ToUtf8(R.Text) << '"'
        << (R.Attr == raWrapped ? " wrapped"
            : R.Attr == raCrlf  ? " crlf"
                                : " ?");
}

std::vector<Row> Cut(const TEditorWrapper& Wrapper, const std::string& Line) {
    std::vector<Row> Rows;
    Wrapper.CutLine(Line, [&Rows](std::string_view R, TRowAttribute A) {
        Rows.push_back({std::string(R), A});
    });
    return Rows;
}

std::vector<Row> Rows(const TRowAttributeStringList& List) {
    std::vector<Row> R;
    for (int I = 0; I < List.GetCount(); ++I) R.push_back({List.Get(I), List.GetRowAttribute(I)});
    return R;
}

enum : unsigned { fRetMark = 1, fPunct = 2, fLeading = 4, fWordBreak = 8 };

TEST(AttributeArrayTest, WalksColumnsAndBytes) {
    // "a", a tab of 3 columns (tab width 4), "あ", "b".
    const std::string S = "a\t" + Literal("あ") + "b";
    TColumnParams P;
    P.TabSpaceCount = 4;
    TEditorAttributeArray A;
    A.Init(S, P);
    EXPECT_EQ(A.GetAttr(), "1233451" + std::string("0"));
    EXPECT_EQ(A.ColumnCount(), 7);

    struct Step {
        int Pos;
        char Attr;
        int SrcPos;
        std::string Current;
        std::string Next;
    };
    const std::vector<Step> Steps = {
        {1, '1', 1, "a", "\t"},
        {2, '2', 2, "\t", "\t"},
        {3, '3', 2, "\t", "\t"},
        {4, '3', 2, "\t", Literal("あ")},
        {5, '4', 3, Literal("あ"), Literal("あ")},
        {6, '5', 4, Literal("あ"), "b"},
        {7, '1', 5, "b", ""},
        {8, '0', 6, "", ""},
    };
    for (const Step& St : Steps) {
        EXPECT_EQ(A.GetPos(), St.Pos);
        EXPECT_EQ(A.GetAttrChar(), St.Attr) << St.Pos;
        EXPECT_EQ(A.GetSrcPos(), St.SrcPos) << St.Pos;
        EXPECT_EQ(A.CurrentChar(), St.Current) << St.Pos;
        EXPECT_EQ(A.NextChar(), St.Next) << St.Pos;
        EXPECT_EQ(A.GetPos(), St.Pos) << "NextChar does not move";
        A.Next();
    }
    EXPECT_TRUE(A.AtEnd());
    A.Next(); // stays on the end mark
    EXPECT_EQ(A.GetPos(), 8);
    EXPECT_EQ(A.GetSrcPos(), 6);
    // Prev exactly undoes Next, all the way back.
    for (auto It = Steps.rbegin(); It != Steps.rend(); ++It) {
        EXPECT_EQ(A.GetPos(), It->Pos);
        EXPECT_EQ(A.GetSrcPos(), It->SrcPos) << It->Pos;
        A.Prev();
    }
    EXPECT_EQ(A.GetPos(), 1);
    EXPECT_EQ(A.GetSrcPos(), 1);

    A.MoveTo(6);
    EXPECT_EQ(A.GetSrcPos(), 4);
    A.PrevChar(); // from the trail back over the whole character
    EXPECT_EQ(A.GetPos(), 4);
    A.MoveTo(100);
    EXPECT_TRUE(A.AtEnd());
    A.MoveTo(-3);
    EXPECT_EQ(A.GetPos(), 1);

    TEditorAttributeArray Empty("", "");
    EXPECT_TRUE(Empty.AtEnd());
    EXPECT_EQ(Empty.ColumnCount(), 0);
    EXPECT_EQ(Empty.GetSrcPos(), 1);
    EXPECT_EQ(Empty.CurrentChar(), "");

    // A map that does not fit the text never reads outside it.
    TEditorAttributeArray Bad("a", "5544");
    EXPECT_EQ(Bad.CurrentChar(), "a");
    Bad.MoveTo(3);
    EXPECT_EQ(Bad.CurrentChar(), "");
}

TEST(LineBreakingTest, CutsLinesByTheRules) {
    struct Case {
        const char* Name;
        int WrapByte;
        unsigned Flags;
        std::string Line;
        std::vector<Row> Rows;
    };
    const std::string A19 = Rep("a", 19), A20 = Rep("a", 20);
    const std::vector<Case> Cases = {
        {"short line", 20, 0, A19, {{A19, raCrlf}}},
        {"empty line", 20, 0, "", {{"", raCrlf}}},
        {"exact fill gets an empty row", 20, 0, A20, {{A20, raWrapped}, {"", raCrlf}}},
        {"exact fill with FollowRetMark", 20, fRetMark, A20, {{A20, raCrlf}}},
        {"plain cut", 20, 0, A20 + "bcd", {{A20, raWrapped}, {"bcd", raCrlf}}},
        {"two full rows and a rest",
         20,
         0,
         A20 + A20 + "b",
         {{A20, raWrapped}, {A20, raWrapped}, {"b", raCrlf}}},
        {"two full rows exactly", 20, fRetMark, A20 + A20, {{A20, raWrapped}, {A20, raCrlf}}},
        {"lead byte on the margin moves whole",
         20,
         0,
         A19 + Literal("あ") + "b",
         {{A19, raWrapped}, {Literal("あ") + "b", raCrlf}}},
        {"trail byte on the margin stays",
         20,
         0,
         Rep("a", 18) + Literal("あ") + "b",
         {{Rep("a", 18) + Literal("あ"), raWrapped}, {"b", raCrlf}}},
        {"a word ending at the margin moves on",
         20,
         fWordBreak,
         Rep("a", 14) + " bbbbb ccc",
         {{Rep("a", 14) + " ", raWrapped}, {"bbbbb ccc", raCrlf}}},
        {"delimiter on the margin ends the row",
         20,
         fWordBreak,
         A19 + " bbb",
         {{A19 + " ", raWrapped}, {"bbb", raCrlf}}},
        {"no delimiter: cut at W div 3",
         80,
         fWordBreak,
         Rep("a", 100),
         {{Rep("a", 26), raWrapped}, {Rep("a", 74), raCrlf}}},
        {"break after a double-byte character",
         20,
         fWordBreak,
         Rep("a", 10) + Literal("あ") + Rep("b", 12),
         {{Rep("a", 10) + Literal("あ"), raWrapped}, {Rep("b", 12), raCrlf}}},
        {"break inside a tab",
         20,
         fWordBreak,
         Rep("a", 10) + "\t" + Rep("b", 12),
         {{Rep("a", 10) + "\t", raWrapped}, {Rep("b", 12), raCrlf}}},
        {"tab expands only up to the margin",
         20,
         0,
         Rep("a", 18) + "\tb",
         {{Rep("a", 18) + "\t", raWrapped}, {"b", raCrlf}}},
        {"full stop hangs two columns",
         20,
         fPunct,
         A20 + Literal("。") + "b",
         {{A20 + Literal("。"), raWrapped}, {"b", raCrlf}}},
        {"two single-byte marks hang", 20, fPunct, A20 + ".,b", {{A20 + ".,", raWrapped}, {"b", raCrlf}}},
        {"hanging stops at two columns",
         20,
         fPunct,
         A20 + ".." + ".b",
         {{A20 + "..", raWrapped}, {".b", raCrlf}}},
        {"no third column for a double-byte mark",
         20,
         fPunct,
         A20 + "." + Literal("。") + "b",
         {{A20 + ".", raWrapped}, {Literal("。") + "b", raCrlf}}},
        {"mark after a moved lead byte",
         20,
         fPunct,
         A19 + Literal("、、") + "b",
         {{A19 + Literal("、"), raWrapped}, {Literal("、") + "b", raCrlf}}},
        {"hanging mark ends the line",
         20,
         fPunct,
         A20 + Literal("。"),
         {{A20 + Literal("。"), raWrapped}, {"", raCrlf}}},
        {"hanging mark ends the line, FollowRetMark",
         20,
         fPunct | fRetMark,
         A20 + Literal("。"),
         {{A20 + Literal("。"), raCrlf}}},
        {"no punctuation rule without the flag",
         20,
         0,
         A20 + Literal("。") + "b",
         {{A20, raWrapped}, {Literal("。") + "b", raCrlf}}},
        {"row does not end in an opening bracket",
         20,
         fLeading,
         Rep("a", 18) + Literal("「") + "bbb",
         {{Rep("a", 18), raWrapped}, {Literal("「") + "bbb", raCrlf}}},
        {"nor in a single-byte one", 20, fLeading, A19 + "(bbb", {{A19, raWrapped}, {"(bbb", raCrlf}}},
        {"closing mark does not begin a row",
         20,
         fLeading,
         A20 + Literal("、") + "bb",
         {{A19, raWrapped}, {"a" + Literal("、") + "bb", raCrlf}}},
        {"half-width closing mark",
         20,
         fLeading,
         A20 + "\xA3"
               "bb",
         {{A19, raWrapped},
          {"a\xA3"
           "bb",
           raCrlf}}},
        {"an opening bracket left at the end moves on too",
         20,
         fLeading,
         Rep("a", 18) + "(a)xx",
         {{Rep("a", 18), raWrapped}, {"(a)xx", raCrlf}}},
        {"kinsoku stops at (W div 5) * 4 columns",
         20,
         fLeading,
         Rep(Literal("「"), 10) + "b",
         {{Rep(Literal("「"), 8), raWrapped}, {Rep(Literal("「"), 2) + "b", raCrlf}}},
        {"kinsoku stops at (W div 5) * 4, closing marks",
         20,
         fLeading,
         Rep("a", 10) + Rep(Literal("、"), 10),
         {{Rep("a", 10) + Rep(Literal("、"), 3), raWrapped}, {Rep(Literal("、"), 7), raCrlf}}},
        {"kinsoku only when the line goes on",
         20,
         fLeading,
         A19 + "(",
         {{A19 + "(", raWrapped}, {"", raCrlf}}},
        {"punctuation hangs before kinsoku looks",
         20,
         fPunct | fLeading,
         A20 + Literal("、") + "b",
         {{A20 + Literal("、"), raWrapped}, {"b", raCrlf}}},
        {"a lone lead byte at the end is one column",
         20,
         0,
         A19 + "\x81",
         {{A19 + "\x81", raWrapped}, {"", raCrlf}}},
        {"a lead byte takes the tab after it",
         20,
         0,
         Rep("a", 18) + "\x81\t" + "b",
         {{Rep("a", 18) + "\x81\t", raWrapped}, {"b", raCrlf}}},
    };
    for (const Case& C : Cases) {
        TEditorWrapOption O;
        O.SetWrapByte(C.WrapByte);
        O.SetFollowRetMark(C.Flags & fRetMark);
        O.SetFollowPunctuation(C.Flags & fPunct);
        O.SetLeading(C.Flags & fLeading);
        O.SetWordBreak(C.Flags & fWordBreak);
        TEditorWrapper W(&O);
        W.SetWordWrap(true);
        EXPECT_EQ(Cut(W, C.Line), C.Rows) << C.Name;
        EXPECT_EQ(W.WrapCount(C.Line), static_cast<int>(C.Rows.size())) << C.Name;
    }
}

struct ChangeCounter : TObject {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};

TEST(LineBreakingTest, WrapTextFillsTheRowList) {
    TEditorWrapOption O;
    O.SetWrapByte(20);
    TEditorWrapper W(&O);
    const std::string A25 = Rep("a", 25);
    struct Case {
        bool WordWrap;
        std::string Text;
        std::vector<Row> Rows;
    };
    const std::vector<Case> Cases = {
        {true, "", {{"", raCrlf}}},
        {false, "", {{"", raCrlf}}},
        {true, "abc", {{"abc", raCrlf}}},
        {true, "abc\r\n", {{"abc", raCrlf}}},
        {true, "\r\n", {{"", raCrlf}}},
        {true,
         "x\r\n" + A25 + "\r\n\r\ny",
         {{"x", raCrlf}, {Rep("a", 20), raWrapped}, {"aaaaa", raCrlf}, {"", raCrlf}, {"y", raCrlf}}},
        {true, "a\rb\nc", {{"a", raCrlf}, {"b", raCrlf}, {"c", raCrlf}}},
        {false, "x\r\n" + A25 + "\r\n\r\ny", {{"x", raCrlf}, {A25, raCrlf}, {"", raCrlf}, {"y", raCrlf}}},
    };
    for (const Case& C : Cases) {
        W.SetWordWrap(C.WordWrap);
        TEditorStringList List;
        List.Add("stale");
        List.SetRowAttribute(0, raWrapped);
        ChangeCounter Counter;
        List.OnChange = TNotifyEvent::Of<&ChangeCounter::Changed>(&Counter);
        W.WrapText(C.Text, List);
        EXPECT_EQ(Rows(List), C.Rows) << cp932::ToUtf8(C.Text);
        EXPECT_EQ(Counter.Count, 1) << "one update bracket";
    }
    W.SetWordWrap(false);
    EXPECT_EQ(W.WrapCount(Rep("a", 500)), 1);
    W.SetWordWrap(true);
    EXPECT_EQ(W.WrapCount(Rep("a", 500)), 25 + 1);
}

TEST(LineBreakingTest, WrapperParameters) {
    TEditorWrapper W; // no option object: the defaults
    EXPECT_EQ(W.Option().GetWrapByte(), 80);
    W.SetWordWrap(true);
    W.SetTabSpaceCount(4);
    TDelimiters D;
    D.Include('x');
    W.SetDelimiters(D);
    const TColumnParams P = W.ColumnParams();
    EXPECT_TRUE(P.WordWrap);
    EXPECT_EQ(P.TabSpaceCount, 4);
    EXPECT_EQ(P.WrapByte, 80);
    EXPECT_EQ(P.Delimiters, D);
    // The delimiters decide where WordBreak may cut: here only after an "x".
    TEditorWrapOption O;
    O.SetWordBreak(true);
    O.SetWrapByte(20);
    W.SetWrapOption(&O);
    EXPECT_EQ(Cut(W, Rep("a", 10) + "x" + Rep(" ", 15)),
              (std::vector<Row>{{Rep("a", 10) + "x", raWrapped}, {Rep(" ", 15), raCrlf}}));
    // Tab width: with 4 columns per tab, five tabs fill 20 columns exactly.
    EXPECT_EQ(Cut(W, "\t\t\t\t\tb"), (std::vector<Row>{{"\t\t\t\t\t", raWrapped}, {"b", raCrlf}}));
}

} // namespace
