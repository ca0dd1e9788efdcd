// The row scan: the state carried from row to row across line ends and soft wraps.
#include <gtest/gtest.h>

#include "colouring/colouring_support.h"
#include "platform/cp932.h"

namespace {

void AddPair(TEditorFountain& F, const char* L, const char* R) {
    auto* Item = F.GetBrackets()->Add();
    Item->SetLeftBracket(L);
    Item->SetRightBracket(R);
}

// The tokens the painter gets for row R with its scanned state, cut at the row's end as
// the painter cuts them (a token that starts in the next row is not drawn).
std::vector<TTok> RowTokens(TFountainParser& P, const TEditorStringList& Rows,
                            const std::vector<TRowAttributeData>& States, int R) {
    std::string Text = PaintText(Rows, R);
    int Len = Rows.RowLength(R);
    std::vector<TTok> Out;
    P.NewData(Text, States[static_cast<size_t>(R)]);
    for (int K = P.NextToken(); K != tokEnd && P.SourcePos() < Len; K = P.NextToken())
        Out.push_back({K, std::string(P.TokenString())});
    return Out;
}

TEST(ParserScan, BracketRegionOverFourLines) {
    TEditorFountain F(nullptr);
    AddPair(F, "{", "}");
    auto P = F.CreateParser();
    TEditorStringList Rows;
    FillRows(Rows, {{"a {b", raCrlf}, {"c", raCrlf}, {"   ", raCrlf}, {"d} e", raCrlf}, {"f", raEof}});
    auto S = ScanStates(*P, Rows);
    std::vector<int> Brackets;
    for (const auto& D : S) Brackets.push_back(D.BracketIndex);
    EXPECT_EQ(Brackets, (std::vector<int>{-1, 0, 0, 0, -1})) << "a row of spaces passes the state";
    EXPECT_EQ(RowTokens(*P, Rows, S, 0), (std::vector<TTok>{{tokAnk, "a"}, {tokBracket, "{b"}}));
    EXPECT_EQ(RowTokens(*P, Rows, S, 1), (std::vector<TTok>{{tokBracket, "c"}}));
    EXPECT_EQ(RowTokens(*P, Rows, S, 3), (std::vector<TTok>{{tokBracket, "d}"}, {tokAnk, "e"}}));
    EXPECT_EQ(RowTokens(*P, Rows, S, 4), (std::vector<TTok>{{tokAnk, "f"}}));
}

TEST(ParserScan, WordCutByWrap) {
    struct {
        const char* Name;
        std::vector<TRowPiece> Rows;
        bool Reserved;
        std::vector<TTok> First, Second;
        int CarryToken, CarryLength;
    } Cases[] = {
        {"word", {{"hello wor", raWrapped}, {"ld again", raCrlf}}, false,
         {{tokAnk, "hello"}, {tokAnk, "world"}}, {{tokAnk, "ld"}, {tokAnk, "again"}}, tokAnk, 2},
        {"reserved word carried as kind 8", {{"hello wor", raWrapped}, {"ld again", raCrlf}}, true,
         {{tokAnk, "hello"}, {tokAnk, "world"}}, {{tokReserve, "ld"}, {tokAnk, "again"}}, tokReserve, 2},
        {"number", {{"x 12.", raWrapped}, {"5e-3 y", raCrlf}}, false,
         {{tokAnk, "x"}, {tokFloat, "12.5e-3"}}, {{tokFloat, "5e-3"}, {tokAnk, "y"}}, tokFloat, 4},
        {"row ends between tokens", {{"abc ", raWrapped}, {"def", raCrlf}}, false,
         {{tokAnk, "abc"}}, {{tokAnk, "def"}}, 0, 0},
        {"last row taken whole", {{"ab", raWrapped}, {"cd", raEof}}, false,
         {{tokAnk, "abcd"}}, {{tokAnk, "cd"}}, tokAnk, 2},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditorFountain F(nullptr);
        if (C.Reserved) F.GetReserveWordList()->Add("WORLD");
        auto P = F.CreateParser();
        TEditorStringList Rows;
        FillRows(Rows, C.Rows);
        auto S = ScanStates(*P, Rows);
        EXPECT_EQ(S[1].CarryToken, C.CarryToken);
        EXPECT_EQ(S[1].CarryLength, C.CarryLength);
        EXPECT_EQ(RowTokens(*P, Rows, S, 0), C.First);
        EXPECT_EQ(RowTokens(*P, Rows, S, 1), C.Second);
        if (C.Reserved) {
            const std::string Text1 = PaintText(Rows, 1);
            P->NewData(Text1, S[1]);
            P->NextToken();
            EXPECT_EQ(P->TokenToFountainColor(), F.GetReserve());
        }
    }
}

TEST(ParserScan, WordOverTwoWrapsIsTakenUpByItsHandler) {
    TEditorFountain F(nullptr);
    auto P = F.CreateParser();
    TEditorStringList Rows;
    FillRows(Rows, {{"aaa", raWrapped}, {"bbb", raWrapped}, {"ccc d", raCrlf}});
    auto S = ScanStates(*P, Rows);
    EXPECT_EQ(S[1].CarryToken, tokAnk);
    EXPECT_EQ(S[1].CarryLength, 0);
    EXPECT_EQ(S[2].CarryToken, tokAnk);
    EXPECT_EQ(S[2].CarryLength, 3);
    EXPECT_EQ(RowTokens(*P, Rows, S, 1), (std::vector<TTok>{{tokAnk, "bbbccc"}}));
    EXPECT_EQ(RowTokens(*P, Rows, S, 2), (std::vector<TTok>{{tokAnk, "ccc"}, {tokAnk, "d"}}));
}

TEST(ParserScan, StringsAndCommentsAcrossWraps) {
    struct {
        const char* Name;
        std::vector<TRowPiece> Rows;
        std::vector<std::vector<TTok>> Tokens; // per row
    } Cases[] = {
        {"string open at the wrap", {{"x 'ab", raWrapped}, {"c' y", raCrlf}},
         {{{tokAnk, "x"}, {tokQuotation, "'abc'"}}, {{tokQuotation, "c'"}, {tokAnk, "y"}}}},
        {"doubled quote cut in two", {{"x 'a'", raWrapped}, {"'b' y", raCrlf}},
         {{{tokAnk, "x"}, {tokQuotation, "'a''b'"}}, {{tokQuotation, "'b'"}, {tokAnk, "y"}}}},
        {"string goes on through blanks", {{"'a", raWrapped}, {"  b'", raCrlf}},
         {{{tokQuotation, "'a  b'"}}, {{tokQuotation, "  b'"}}}},
        {"string ends with its line", {{"'a", raCrlf}, {"b'", raCrlf}},
         {{{tokQuotation, "'a"}}, {{tokAnk, "b"}, {tokQuotation, "'"}}}},
        {"comment over two wraps", {{"a // b", raWrapped}, {"c d", raWrapped}, {"e", raCrlf}, {"f", raEof}},
         {{{tokAnk, "a"}, {tokComment, "// bc d"}}, {{tokComment, "c de"}}, {{tokComment, "e"}}, {{tokAnk, "f"}}}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditorFountain F(nullptr);
        F.SetQuotation("'");
        F.SetCommenter("//");
        auto P = F.CreateParser();
        TEditorStringList Rows;
        FillRows(Rows, C.Rows);
        auto S = ScanStates(*P, Rows);
        for (int R = 0; R < Rows.GetCount(); ++R) {
            SCOPED_TRACE(R);
            EXPECT_EQ(RowTokens(*P, Rows, S, R), C.Tokens[static_cast<size_t>(R)]);
        }
        // Both parts of a string are painted in the string colour.
        const std::string Text1 = PaintText(Rows, 1);
        P->NewData(Text1, S[1]);
        if (P->NextToken() == tokQuotation) {
            EXPECT_EQ(P->TokenToFountainColor(), F.GetColors()->GetStr());
        }
    }
}

TEST(ParserScan, BracketsCutByWrap) {
    struct {
        const char* Name;
        std::vector<TRowPiece> Rows;
        std::vector<TTok> Second;
        int BracketIndex, CarryToken, CarryLength;
    } Cases[] = {
        {"closing bracket cut", {{"a /* b *", raWrapped}, {"/ c", raCrlf}}, {{tokBracket, "/"}, {tokAnk, "c"}},
         0, tokBracket, 1},
        {"region closes in the next row", {{"a /* b", raWrapped}, {"c */ d", raCrlf}},
         {{tokBracket, "c */"}, {tokAnk, "d"}}, 0, 0, 0},
        {"opening bracket cut, region closes", {{"a /", raWrapped}, {"*/ x */ y", raCrlf}},
         {{tokBracket, "*/ x */"}, {tokAnk, "y"}}, 0, tokBracket, 7},
        {"region stays open", {{"/* a", raWrapped}, {"b", raWrapped}, {"c", raCrlf}}, {{tokBracket, "bc"}}, 0, 0, 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditorFountain F(nullptr);
        AddPair(F, "/*", "*/");
        auto P = F.CreateParser();
        TEditorStringList Rows;
        FillRows(Rows, C.Rows);
        auto S = ScanStates(*P, Rows);
        EXPECT_EQ(S[1].BracketIndex, C.BracketIndex);
        EXPECT_EQ(S[1].CarryToken, C.CarryToken);
        EXPECT_EQ(S[1].CarryLength, C.CarryLength);
        EXPECT_EQ(RowTokens(*P, Rows, S, 1), C.Second);
        const std::string Text1 = PaintText(Rows, 1);
        P->NewData(Text1, S[1]);
        P->NextToken();
        EXPECT_EQ(P->GetDrawBracketIndex(), 0);
        EXPECT_EQ(P->TokenToFountainColor(), F.GetBrackets()->GetItems(0)->GetItemColor());
    }
}

TEST(ParserScan, StatePassesUnchanged) {
    TEditorFountain F(nullptr);
    auto P = F.CreateParser();
    TEditorStringList Rows;
    FillRows(Rows, {{"", raCrlf}, {"    ", raCrlf}});
    TRowAttributeData D;
    D.BracketIndex = 5;
    D.ElementState = 7;
    D.ExtraState = 9;
    D.LastToken = 3;
    D.StateStr = "kept";
    for (int R = 0; R < 2; ++R) {
        TRowAttributeData In = D;
        P->ScanRow(R, &Rows, In);
        EXPECT_EQ(In.BracketIndex, 5);
        EXPECT_EQ(In.ElementState, 7);
        EXPECT_EQ(In.ExtraState, 9);
        EXPECT_EQ(In.LastToken, 3);
        EXPECT_EQ(In.StateStr, "kept");
    }
    // The descendants' bytes are carried through a scanned row as well.
    FillRows(Rows, {{"abc", raCrlf}});
    TRowAttributeData In = D;
    In.BracketIndex = -1;
    P->ScanRow(0, &Rows, In);
    EXPECT_EQ(In.ExtraState, 9);
    EXPECT_EQ(In.StateStr, "kept");
    EXPECT_EQ(In.BracketIndex, -1);
}

TEST(ParserScan, DoubleByteRunsAcrossWrap) {
    TEditorFountain F(nullptr);
    auto P = F.CreateParser();
    TEditorStringList Rows;
    // The piece in the next row begins with the prolonged sound mark and still belongs to
    // the hiragana run.
    FillRows(Rows, {{cp932::Literal("あい"), raWrapped}, {cp932::Literal("ーう漢"), raCrlf}});
    auto S = ScanStates(*P, Rows);
    EXPECT_EQ(S[1].CarryToken, tokHiragana);
    EXPECT_EQ(S[1].CarryLength, 4);
    EXPECT_EQ(RowTokens(*P, Rows, S, 1),
              (std::vector<TTok>{{tokHiragana, cp932::Literal("ーう")}, {tokKanji, cp932::Literal("漢")}}));
}

} // namespace
