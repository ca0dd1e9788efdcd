// The scheme objects: colours, bracket collections, notification, colour walks, defaults.
#include <gtest/gtest.h>

#include <functional>

#include "colouring/colouring_support.h"
#include "platform/cp932.h"

namespace {

TEST(FountainColor, SettersReportRealChangesOnly) {
    TFountainColor C;
    TChangeCounter Counter;
    C.OnChange = Counter.Event();
    EXPECT_EQ(C.GetBkColor(), clNoColor);
    EXPECT_EQ(C.GetColor(), clNoColor);
    EXPECT_EQ(C.GetStyle(), 0);
    C.SetColor(clNoColor);
    C.SetBkColor(clNoColor);
    C.SetStyle(0);
    EXPECT_EQ(Counter.Count, 0);
    C.SetColor(0xFF);
    C.SetBkColor(0x00FF00);
    C.SetStyle(fsBold | fsItalic);
    EXPECT_EQ(Counter.Count, 3);
    TFountainColor D;
    TChangeCounter DCounter;
    D.OnChange = DCounter.Event();
    D.Assign(&C);
    EXPECT_EQ(DCounter.Count, 1);
    EXPECT_EQ(D.GetColor(), 0xFF);
    EXPECT_EQ(D.GetBkColor(), 0x00FF00);
    EXPECT_EQ(D.GetStyle(), fsBold | fsItalic);
}

TEST(FountainBrackets, FifteenthItemFails) {
    const std::string Message = "TFountainBracketCollection\r\nYou can not add item over 14";
    TEditorFountain F(nullptr);
    auto* B = F.GetBrackets();
    for (int I = 0; I < 14; ++I) B->Add()->SetLeftBracket(std::to_string(I));
    try {
        B->Add();
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), Message);
    }
    EXPECT_EQ(B->GetCount(), 14);

    // Assigning from a collection of fifteen fails at the fifteenth and keeps fourteen copies.
    TEditorBracketCollection Big(nullptr);
    for (int I = 0; I < 14; ++I) Big.Add()->SetLeftBracket("x" + std::to_string(I));
    TEditorFountain G(nullptr);
    TChangeCounter Counter;
    G.GetNotifyEventList()->Add(Counter.Event());
    G.GetBrackets()->Assign(&Big);
    EXPECT_EQ(Counter.Count, 1) << "one report for the whole copy";
    EXPECT_EQ(G.GetBrackets()->GetItems(13)->GetLeftBracket(), "x13");
    // A plain collection class keeps the same limit on the framework's own path.
    TCollection* Plain = G.GetBrackets();
    EXPECT_THROW(Plain->Add(), EListError);
}

TEST(FountainBrackets, ItemAssignAndColourReporting) {
    TEditorFountain F(nullptr);
    TChangeCounter Counter;
    F.GetNotifyEventList()->Add(Counter.Event());
    auto* A = F.GetBrackets()->Add();
    EXPECT_EQ(Counter.Count, 1) << "adding is a change";
    A->SetLeftBracket("(*");
    A->SetRightBracket("*)");
    EXPECT_EQ(Counter.Count, 1) << "setting brackets directly does not report";
    A->GetItemColor()->SetColor(0x123456);
    EXPECT_EQ(Counter.Count, 2) << "an item colour change reaches the scheme";
    EXPECT_EQ(Counter.LastSender, &F);
    auto* B = F.GetBrackets()->Add();
    B->Assign(A);
    EXPECT_EQ(B->GetLeftBracket(), "(*");
    EXPECT_EQ(B->GetRightBracket(), "*)");
    EXPECT_EQ(B->GetItemColor()->GetColor(), 0x123456);

    int Before = Counter.Count;
    F.GetBrackets()->SetItemsColor(0xFF);
    F.GetBrackets()->SetItemsBkColor(0xFF00);
    F.GetBrackets()->SetItemsStyle(fsUnderline);
    EXPECT_EQ(Counter.Count, Before + 3) << "each bulk setter reports once";
    for (int I = 0; I < 2; ++I) {
        auto* C = F.GetBrackets()->GetItems(I)->GetItemColor();
        EXPECT_EQ(C->GetColor(), 0xFF);
        EXPECT_EQ(C->GetBkColor(), 0xFF00);
        EXPECT_EQ(C->GetStyle(), fsUnderline);
    }
}

TEST(Fountain, EveryPartReportsToEveryHandler) {
    TEditorFountain F(nullptr);
    TChangeCounter A, B;
    F.GetNotifyEventList()->Add(A.Event());
    F.GetNotifyEventList()->Add(B.Event());
    struct {
        const char* Name;
        std::function<void()> Change;
    } Cases[] = {
        {"reserve colour", [&] { F.GetReserve()->SetStyle(fsBold); }},
        {"a named colour", [&] { F.GetColors()->GetAnk()->SetColor(1); }},
        {"word list", [&] {
             TStringList L;
             L.Add("begin");
             F.SetReserveWordList(&L);
         }},
        {"colours assigned", [&] {
             TEditorColors Other(nullptr);
             Other.GetStr()->SetColor(5);
             Other.GetInt()->SetColor(6);
             F.SetColors(&Other);
         }},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        int A0 = A.Count, B0 = B.Count;
        C.Change();
        EXPECT_EQ(A.Count, A0 + 1);
        EXPECT_EQ(B.Count, B0 + 1);
        EXPECT_EQ(A.LastSender, &F);
    }
    EXPECT_TRUE(F.GetReserveWordList()->IndexOf("BEGIN") >= 0);
    EXPECT_EQ(F.GetColors()->GetStr()->GetColor(), 5);
    EXPECT_EQ(F.GetColors()->GetReserve(), F.GetReserve());
}

TEST(EditorFountain, Defaults) {
    TEditorFountain F(nullptr);
    EXPECT_EQ(F.GetCommenter(), "");
    EXPECT_FALSE(F.GetControlCode());
    EXPECT_EQ(F.GetHexPrefix(), "");
    EXPECT_FALSE(F.GetMail());
    EXPECT_EQ(F.GetQuotation(), "");
    EXPECT_FALSE(F.GetUrl());
    EXPECT_EQ(F.GetBrackets()->GetCount(), 0);
    EXPECT_EQ(F.GetReserveWordList()->GetCount(), 0);
    TEditorColors* C = F.GetColors();
    for (TFountainColor* Color : {(TFountainColor*)C->GetAnk(), (TFountainColor*)C->GetComment(),
                                  (TFountainColor*)C->GetDBCS(), (TFountainColor*)C->GetHit(),
                                  (TFountainColor*)C->GetInt(), (TFountainColor*)C->GetMail(), C->GetReserve(),
                                  (TFountainColor*)C->GetStr(), (TFountainColor*)C->GetSymbol(),
                                  (TFountainColor*)C->GetUrl()}) {
        EXPECT_EQ(Color->GetBkColor(), clNoColor);
        EXPECT_EQ(Color->GetColor(), clNoColor);
        EXPECT_EQ(Color->GetStyle(), 0);
    }
    EXPECT_EQ(C->GetSelect()->GetBkColor(), 0x800000);
    EXPECT_EQ(C->GetSelect()->GetColor(), 0xFFFFFF);
    // With the defaults every token is painted in the editor's own colours.
    auto P = F.CreateParser();
    const std::string Text = "abc 12 + ab@c.d http://x " + cp932::Literal("漢字") + " 'q' // c";
    P->NewData(Text, TRowAttributeData());
    while (P->NextToken() != tokEnd) {
        TFountainColor* Color = P->TokenToFountainColor();
        if (Color == nullptr) continue;
        EXPECT_EQ(Color->GetBkColor(), clNoColor);
        EXPECT_EQ(Color->GetColor(), clNoColor);
        EXPECT_EQ(Color->GetStyle(), 0);
    }
}

TEST(EditorFountain, SetAllLeavesSelectAndHit) {
    struct {
        const char* Name;
        std::function<void(TEditorFountain&)> Apply;
        std::function<bool(TFountainColor*)> Changed;
    } Cases[] = {
        {"foreground", [](TEditorFountain& F) { F.SetAllColor(0x0000FF); },
         [](TFountainColor* C) { return C->GetColor() == 0x0000FF; }},
        {"background", [](TEditorFountain& F) { F.SetAllBkColor(0x00FF00); },
         [](TFountainColor* C) { return C->GetBkColor() == 0x00FF00; }},
        {"style", [](TEditorFountain& F) { F.SetAllStyle(fsItalic); },
         [](TFountainColor* C) { return C->GetStyle() == fsItalic; }},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TEditorFountain F(nullptr);
        TChangeCounter Counter;
        F.GetNotifyEventList()->Add(Counter.Event());
        Case.Apply(F);
        EXPECT_EQ(Counter.Count, 1);
        TEditorColors* C = F.GetColors();
        for (TFountainColor* Color : {(TFountainColor*)C->GetAnk(), (TFountainColor*)C->GetComment(),
                                      (TFountainColor*)C->GetDBCS(), (TFountainColor*)C->GetInt(),
                                      (TFountainColor*)C->GetMail(), (TFountainColor*)C->GetStr(),
                                      (TFountainColor*)C->GetSymbol(), (TFountainColor*)C->GetUrl(), F.GetReserve()})
            EXPECT_TRUE(Case.Changed(Color));
        EXPECT_FALSE(Case.Changed(C->GetSelect()));
        EXPECT_FALSE(Case.Changed(C->GetHit()));
    }
}

TEST(Fountain, HasItalicColorWalksEveryColour) {
    struct {
        const char* Name;
        std::function<void(TEditorFountain&)> Set;
        bool Italic;
    } Cases[] = {
        {"defaults", [](TEditorFountain&) {}, false},
        {"bold only", [](TEditorFountain& F) { F.GetColors()->GetAnk()->SetStyle(fsBold); }, false},
        {"a named colour", [](TEditorFountain& F) { F.GetColors()->GetComment()->SetStyle(fsItalic); }, true},
        {"the selection colour", [](TEditorFountain& F) { F.GetColors()->GetSelect()->SetStyle(fsItalic); }, true},
        {"the reserve colour", [](TEditorFountain& F) { F.GetReserve()->SetStyle(fsItalic | fsBold); }, true},
        {"a bracket item", [](TEditorFountain& F) {
             F.GetBrackets()->Add();
             F.GetBrackets()->Add()->GetItemColor()->SetStyle(fsItalic);
         }, true},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditorFountain F(nullptr);
        C.Set(F);
        EXPECT_EQ(F.HasItalicColor(&F), C.Italic);
    }
}

TEST(Fountain, ApplyColorToAllOverTheWholeScheme) {
    TEditorFountain F(nullptr);
    F.GetBrackets()->Add();
    TFountainColor Red;
    Red.SetColor(0xFF);
    Red.SetBkColor(0x10);
    Red.SetStyle(fsBold);
    F.ApplyColorToAll(F.GetBrackets(), &Red, 2 | 4);
    auto* Item = F.GetBrackets()->GetItems(0)->GetItemColor();
    EXPECT_EQ(Item->GetColor(), 0xFF);
    EXPECT_EQ(Item->GetStyle(), fsBold);
    EXPECT_EQ(Item->GetBkColor(), clNoColor) << "flag 1 was not given";
    EXPECT_EQ(F.GetColors()->GetAnk()->GetColor(), clNoColor) << "outside the walked object";
}

TEST(EditorFountain, TokenColours) {
    TEditorFountain F(nullptr);
    F.SetMail(true);
    F.SetUrl(true);
    F.SetCommenter("//");
    F.SetQuotation("'");
    F.SetControlCode(true);
    F.SetHexPrefix("$");
    auto* Item = F.GetBrackets()->Add();
    Item->SetLeftBracket("{");
    Item->SetRightBracket("}");
    TEditorColors* C = F.GetColors();
    struct {
        std::string Text;
        TFountainColor* Expected;
    } Cases[] = {
        {"+", C->GetSymbol()}, {"12", C->GetInt()}, {"1.5", C->GetInt()}, {"$1f", C->GetInt()},
        {"{a}", Item->GetItemColor()}, {"// x", C->GetComment()}, {"abc", C->GetAnk()},
        {cp932::Literal("漢"), C->GetDBCS()}, {cp932::Literal("ｱ"), C->GetDBCS()}, {cp932::Literal("、"), C->GetDBCS()},
        {"http://a", C->GetUrl()}, {"a@b.c", C->GetMail()}, {"'s'", C->GetStr()}, {"#13", C->GetStr()},
        {"#$0d", C->GetStr()}, {"\t", nullptr},
    };
    auto P = F.CreateParser();
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        P->NewData(Case.Text, TRowAttributeData());
        ASSERT_NE(P->NextToken(), tokEnd);
        EXPECT_EQ(P->TokenLength(), static_cast<int>(Case.Text.size()));
        EXPECT_EQ(P->TokenToFountainColor(), Case.Expected);
    }
}

} // namespace
