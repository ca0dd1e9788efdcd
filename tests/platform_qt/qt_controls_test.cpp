// Form controls on Qt: a failing handler is reported, not thrown through the event loop.
#include <gtest/gtest.h>

#include <QTest>
#include <set>

#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_toolkit.h"
#include "support/scripted_toolkit.h"

TEST(QtControls, AFailingHandlerIsShownAndTheProgramGoesOn) {
    testsupport::TScriptedToolkit Script;
    SetUiToolkit(&Script);
    auto Form = TestToolkit().CreateForm();
    TUiButton* Button = Form->AddButton("OK");
    Button->OnClick = [] { throw EStringListError("List index out of bounds (3)"); };
    TUiMenuItem* Item = Form->AddMainMenu()->Add("Item");
    Item->OnClick = [](TUiMenuItem&) { throw std::runtime_error("plain failure"); };
    Button->Click();
    Item->Click();
    EXPECT_EQ(Script.Messages, (std::vector<std::string>{"List index out of bounds (3)", "plain failure"}));
    SetUiToolkit(nullptr);
}

TEST(QtControls, ProgramChangesToAListAreNoClicks) {
    auto Form = TestToolkit().CreateForm();
    TUiListBox* List = Form->AddListBox();
    int Clicks = 0;
    List->OnClick = [&] { ++Clicks; };
    List->Assign({"a", "b", "c"});
    List->SetItemIndex(1);
    List->Insert(0, "z");
    List->Delete(0);
    EXPECT_EQ(List->GetItemIndex(), 1);
    List->SetItemIndex(-1);
    EXPECT_EQ(List->GetItemIndex(), -1);
    EXPECT_EQ(Clicks, 0);
    EXPECT_THROW(List->Get(3), EStringListError);
}

// A list of a million rows from a source: the view asks only for the rows it paints (and a
// sample row for the common height), while the keyboard, the selection and Get reach every
// row; changes to the rows are no clicks.
TEST(QtControls, ASourcedListAsksOnlyForTheRowsItShows) {
    auto Form = TestToolkit().CreateForm();
    TUiListBox* List = Form->AddListBox();
    List->SetBounds(0, 0, 200, 97);
    List->SetItemHeight(12);
    int Clicks = 0;
    List->OnClick = [&] { ++Clicks; };
    std::set<int> Asked;
    List->SetSource(
        [&](int Row) {
            Asked.insert(Row);
            return "row " + std::to_string(Row);
        },
        1000000);
    Form->Show();
    QListView* View = dynamic_cast<qtbackend::TQtListBox&>(*List).List();
    View->grab(); // paints the rows on screen
    EXPECT_GE(Asked.size(), 7u);
    EXPECT_LE(Asked.size(), 12u);
    EXPECT_TRUE(Asked.count(0));
    EXPECT_EQ(View->visualRect(View->model()->index(1, 0)).height(), 12);

    View->setFocus();
    List->SetItemIndex(0);
    QTest::keyClick(View, Qt::Key_End);
    EXPECT_EQ(List->GetItemIndex(), 999999);
    EXPECT_EQ(Clicks, 1);
    Asked.clear();
    View->grab();
    EXPECT_TRUE(Asked.count(999999));
    EXPECT_LE(Asked.size(), 12u);
    EXPECT_EQ(List->Get(123456), "row 123456");
    EXPECT_THROW(List->Get(1000000), EStringListError);

    // The source shrank: the selection goes, as after Assign.
    List->SourceChanged(3);
    EXPECT_EQ(List->Count(), 3);
    EXPECT_EQ(List->GetItemIndex(), -1);
    List->SetItemIndex(2);
    // An entry of the list's own: the source's rows become its own first.
    List->Insert(0, "z");
    EXPECT_EQ(List->Count(), 4);
    EXPECT_EQ(List->Get(0), "z");
    EXPECT_EQ(List->Get(3), "row 2");
    EXPECT_EQ(List->GetItemIndex(), 3);
    List->Assign({"a"});
    EXPECT_EQ(List->Get(0), "a");
    EXPECT_EQ(Clicks, 1);
}
