// Form controls on Qt: a failing handler is reported, not thrown through the event loop.
#include <gtest/gtest.h>

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
