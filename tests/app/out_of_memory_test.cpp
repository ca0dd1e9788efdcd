// The window reading a state file it has no memory for: the message in words, the part
// read shown, start-up going on, and the whole file kept aside at close.
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/state_file.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "support/failing_new.h"

TEST(OutOfMemory, TheWindowSaysSoShowsWhatWasReadAndKeepsTheFileAside) {
    TTempDir Dir;
    const TAppFiles Files = apptest::FilesIn(Dir);
    TAppData Data;
    Data.SiteE = "http://example.jp/";
    // 600,000 one-byte titles and the other three lists empty, as a file may hold them: a
    // 1.8 MB file whose offsets need 2.4 MB, so the reading fails part-way through ItemList.
    for (int I = 0; I < 600000; ++I) Data.Items.MutableList(ilItem).Append("a");
    TStateFile(Files.State).SaveState(Data);
    const std::string File = ReadFileBytes(Files.State);
    ASSERT_LT(File.size(), 2u << 20);

    testsupport::TScriptedToolkit T;
    TFeedloomApplication App(T, Files);
    failing_new::FailFrom = 2u << 20;
    App.CreateForms();
    failing_new::FailFrom = 0;
    EXPECT_EQ(T.Messages, (std::vector<std::string>{cp932::Literal("メモリが足りないため、ファイル \"") +
                                                    DisplayPath(Files.State) +
                                                    cp932::Literal("\" を読み込めません。")}));
    TForm1& F1 = *App.Form1();
    EXPECT_EQ(F1.SiteE->GetText(), "http://example.jp/");
    // The titles read before the failure, and as many entries in every list.
    ASSERT_TRUE(F1.Data.Items.LengthsEqual());
    EXPECT_GT(F1.Data.Items.Count(), 100000);
    EXPECT_LT(F1.Data.Items.Count(), 600000);
    EXPECT_EQ(F1.ItemList->Count(), F1.Data.Items.Count());
    EXPECT_EQ(F1.ItemList->Get(F1.Data.Items.Count() - 1), "a");
    // Start-up went on: every window is there and the list works.
    ASSERT_NE(App.Form5(), nullptr);
    F1.ItemList->SetItemIndex(1);
    F1.ItemListClick();
    EXPECT_EQ(F1.SelectedIndex(), 1);
    // The close writes the part and keeps the whole file aside first.
    EXPECT_TRUE(F1.FormCloseQuery());
    EXPECT_EQ(ReadFileBytes(Files.State + ".bad"), File);
}
