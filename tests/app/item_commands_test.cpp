// The main window's item commands and selection display, driven through the scripted
// toolkit: add, edit, add by reference, cancel, delete, move, and what each leaves shown.
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "platform/cp932.h"

using apptest::Rows;
using cp932::Literal;

namespace {
const std::string PleaseSelect = Literal("アイテムを選択して下さい！");
} // namespace

class ItemCommands : public apptest::AppTest {};

TEST_F(ItemCommands, StartWithoutFilesShowsTheDesignValues) {
    EXPECT_EQ(F1->SiteE->GetText(), "http://");
    EXPECT_EQ(F1->NameE->GetText(), "");
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 5);
    EXPECT_EQ(F1->SpinEdit1->GetText(), "5");
    EXPECT_EQ(F1->ItemList->Count(), 0);
    EXPECT_EQ(F1->SelectedIndex(), -1);
    EXPECT_TRUE(T.Messages.empty());
    EXPECT_EQ(F1->Data.Settings.FTimeZone, "+09:00");
}

TEST_F(ItemCommands, AddInsertsAtTheTopAndClearsTheSelection) {
    F1->SiteE->SetText("http://example.jp/");
    // In add mode the dialog starts from the site URL and an empty description.
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F2->ItemED->GetText(), "");
        EXPECT_EQ(F2->LinkED->GetText(), "http://example.jp/");
        EXPECT_EQ(F2->DesED->GetLines()->GetCount(), 0);
        EXPECT_FALSE(F2->TimeED->GetEnabled());
        F2->ItemED->SetText(Literal("最初"));
        F2->DesED->GetLines()->Add("x\r\ny");
        F2->Button1->Click();
        return mrOk;
    });
    F1->New2->Click();
    AddItem("second", "http://b/", "a|b");
    ASSERT_EQ(Titles(), (std::vector<std::string>{"second", Literal("最初")}));
    EXPECT_EQ(F1->Data.Items.Description(1), "x|y|");
    EXPECT_EQ(F1->Data.Items.Description(0), "a|b|");
    EXPECT_EQ(F1->Data.Items.Time(0).substr(19), "+09:00");
    // After OK nothing is selected and the detail fields are empty.
    EXPECT_EQ(F1->SelectedIndex(), -1);
    EXPECT_EQ(F1->LinkE->GetText(), "");
    EXPECT_EQ(F1->TimeE->GetText(), "");
    EXPECT_EQ(F1->DesE->GetLines()->GetCount(), 0);
    // The visible and hidden lists mirror the store.
    EXPECT_EQ(F1->ItemList->Get(0), "second");
    EXPECT_EQ(F1->linkList->Get(1), "http://example.jp/");
    EXPECT_EQ(F1->DesList->Get(0), "a|b|");
    EXPECT_EQ(F1->TimeList->Count(), 2);

    // A description typed as a|b comes back as two rows.
    Select(0);
    EXPECT_EQ(F1->LinkE->GetText(), "http://b/");
    EXPECT_EQ(Rows(*F1->DesE), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(F1->TimeE->GetText(), F1->Data.Items.Time(0));
}

TEST_F(ItemCommands, EditAndAddByReference) {
    AddItem("old", "http://old/", Literal("説明\r\n二行"));
    AddItem("top", "http://top/", "");
    const std::string OldTime(F1->Data.Items.Time(1));
    Select(1);
    // Edit keeps the place; the time field is enabled and an emptied time is stored.
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F2->ItemED->GetText(), "old");
        EXPECT_EQ(F2->LinkED->GetText(), "http://old/");
        EXPECT_EQ(Rows(*F2->DesED), (std::vector<std::string>{Literal("説明"), Literal("二行")}));
        EXPECT_TRUE(F2->TimeED->GetEnabled());
        EXPECT_EQ(F2->TimeED->GetText(), OldTime);
        F2->ItemED->SetText("edited");
        F2->TimeED->SetText("");
        F2->Button1->Click();
        return mrOk;
    });
    F1->New1->Click();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"top", "edited"}));
    EXPECT_EQ(F1->Data.Items.Time(1), "");
    EXPECT_EQ(F1->SelectedIndex(), -1);

    // Add by reference copies title, link and description with a fresh time, on top.
    Select(1);
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F2->ItemED->GetText(), "edited");
        EXPECT_FALSE(F2->TimeED->GetEnabled());
        EXPECT_EQ(F2->TimeED->GetText(), "");
        F2->Button1->Click();
        return mrOk;
    });
    F1->S1->Click();
    ASSERT_EQ(Titles(), (std::vector<std::string>{"edited", "top", "edited"}));
    EXPECT_EQ(F1->Data.Items.Link(0), "http://old/");
    EXPECT_EQ(F1->Data.Items.Description(0), F1->Data.Items.Description(2));
    EXPECT_NE(F1->Data.Items.Time(0), "");

    // Cancel changes nothing, also after the fields were edited.
    Select(0);
    T.Modals.push_back([&](TUiForm&) {
        F2->ItemED->SetText("never");
        F2->Button2->Click();
        return mrCancel;
    });
    F1->Edit1->Click();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"edited", "top", "edited"}));
    EXPECT_EQ(F1->SelectedIndex(), 0);
}

TEST_F(ItemCommands, CommandsThatNeedASelectionSaySo) {
    AddItem("a", "", "");
    T.ModalCaptions.clear();
    struct Case {
        const char* Name;
        std::function<void()> Run;
    } Cases[] = {
        {"edit (menu bar)", [&] { F1->New1->Click(); }},
        {"add by reference (menu bar)", [&] { F1->S1->Click(); }},
        {"edit (popup)", [&] { F1->Edit1->Click(); }},
        {"add by reference (popup)", [&] { F1->N2->Click(); }},
        {"delete", [&] { F1->Delete1->Click(); }},
        {"delete (popup)", [&] { F1->Delete2->Click(); }},
        {"double click", [&] { F1->ItemListDblClick(); }},
    };
    for (const Case& C : Cases) {
        T.Messages.clear();
        C.Run();
        EXPECT_EQ(T.Messages, std::vector<std::string>{PleaseSelect}) << C.Name;
    }
    EXPECT_TRUE(T.ModalCaptions.empty());
    EXPECT_TRUE(T.Questions.empty());
    EXPECT_EQ(Titles(), std::vector<std::string>{"a"});
    // Moving without a selection does nothing and says nothing.
    T.Messages.clear();
    F1->N3->Click();
    F1->N4->Click();
    EXPECT_TRUE(T.Messages.empty());
}

TEST_F(ItemCommands, DeleteAsksAndNoKeepsEverything) {
    AddItem("c", "", "");
    AddItem("b", "", "");
    AddItem("a", "", "");
    Select(1);
    T.Answers = {false};
    F1->Delete1->Click();
    EXPECT_EQ(T.Questions, std::vector<std::string>{Literal("削除してもよろしいですか？")});
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(F1->SelectedIndex(), 1);
    T.Answers = {true};
    F1->Delete2->Click();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(F1->Data.Items.List(ilLink).Count(), 2);
    EXPECT_EQ(F1->SelectedIndex(), -1);
    EXPECT_EQ(F1->LinkE->GetText(), "");
}

TEST_F(ItemCommands, MovesKeepTheMovedItemSelectedAndStopAtTheEnds) {
    for (const char* T : {"c", "b", "a"}) AddItem(T, std::string("http://") + T, T);
    struct Step {
        int Select;
        bool Up;
        std::vector<std::string> After;
        int Selected;
    } Steps[] = {
        {0, true, {"a", "b", "c"}, 0},  // the top item does not move up
        {2, false, {"a", "b", "c"}, 2}, // nor the bottom one down
        {0, false, {"b", "a", "c"}, 1}, {1, false, {"b", "c", "a"}, 2}, {2, true, {"b", "a", "c"}, 1},
    };
    for (const Step& S : Steps) {
        Select(S.Select);
        const std::string Shown = F1->LinkE->GetText();
        (S.Up ? F1->N3 : F1->N4)->Click();
        EXPECT_EQ(Titles(), S.After);
        EXPECT_EQ(F1->SelectedIndex(), S.Selected);
        // The detail fields still show the moved item.
        EXPECT_EQ(F1->LinkE->GetText(), Shown);
        EXPECT_EQ(F1->Data.Items.Link(S.Selected), Shown);
        for (int I = 0; I < 3; ++I) EXPECT_EQ(F1->ItemList->Get(I), S.After[I]);
    }
}

TEST_F(ItemCommands, LinkFieldOpensOnlyAUrl) {
    F1->LinkEClick();
    EXPECT_TRUE(T.Opened.empty());
    EXPECT_EQ(F1->LinkE->GetCursor(), crDefault);
    AddItem("a", "http://example.jp/a.html", "");
    Select(0);
    EXPECT_EQ(F1->LinkE->GetCursor(), crHandPoint);
    F1->LinkEClick();
    EXPECT_EQ(T.Opened, std::vector<std::string>{"http://example.jp/a.html"});
    F1->ResetSelection();
    EXPECT_EQ(F1->LinkE->GetCursor(), crDefault);
}
