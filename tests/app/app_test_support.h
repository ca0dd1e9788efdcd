// A running application in a temporary folder, driven through the scripted toolkit.
#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "app/application.h"
#include "app_data/app_data_support.h"
#include "editor/control/editor.h"
#include "support/scripted_toolkit.h"

namespace apptest {

inline TAppFiles FilesIn(const TTempDir& Dir) {
    return {Dir.File("feedloom.dat"), Dir.File("feedloom.ini"), Dir.File("feedloom.rdf"),
            Dir.File("help.chm"), Dir.File("feedloom-guide.html")};
}

// The rows of an editor's Lines.
inline std::vector<std::string> Rows(TEditor& E) {
    std::vector<std::string> R;
    for (int I = 0; I < E.GetLines()->GetCount(); ++I) R.push_back(E.GetLines()->Get(I));
    return R;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    // Starts the windows as the program does: settings, then the state file.
    void Start() {
        App.reset();
        App = std::make_unique<TFeedloomApplication>(T, Files);
        App->CreateForms();
        F1 = App->Form1();
        F2 = App->Form2();
    }

    // Adds an item through the item dialog, as a user would.
    void AddItem(const std::string& Title, const std::string& Link, const std::string& Description) {
        T.Modals.push_back([&, Title, Link, Description](TUiForm&) {
            F2->ItemED->SetText(Title);
            F2->LinkED->SetText(Link);
            F2->DesED->GetLines()->Add(Description);
            F2->Button1->Click();
            return mrOk;
        });
        F1->New2->Click();
    }

    void Select(int Index) {
        F1->ItemList->SetItemIndex(Index);
        F1->ItemListClick();
    }

    std::vector<std::string> Titles() const {
        const TPackedStrings& L = F1->Data.Items.List(ilItem);
        return {L.begin(), L.end()};
    }

    TTempDir Dir;
    TAppFiles Files = FilesIn(Dir);
    testsupport::TScriptedToolkit T;
    std::unique_ptr<TFeedloomApplication> App;
    TForm1* F1 = nullptr;
    TForm2* F2 = nullptr;
};

} // namespace apptest
