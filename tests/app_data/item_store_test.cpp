// The item store: the four lists against a plain model under random commands, the
// description encoding, and the time stamp.
#include "app/item_store.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <vector>

#include "app_data_support.h"
#include "editor/control/editor.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"

namespace {

void ExpectStoreIs(const TItemStore& Store, const std::vector<TFeedItem>& Model) {
    ASSERT_TRUE(Store.LengthsEqual());
    ASSERT_EQ(Store.Count(), static_cast<int>(Model.size()));
    for (int I = 0; I < Store.Count(); ++I) {
        const TFeedItem& M = Model[static_cast<size_t>(I)];
        EXPECT_EQ(Store.List(ilLink)[I], M.Link);
        EXPECT_EQ(Store.List(ilTime)[I], M.Time);
        EXPECT_EQ(Store.List(ilDes)[I], M.Description);
        EXPECT_EQ(Store.List(ilItem)[I], M.Title);
    }
}

} // namespace

TEST(ItemStore, RandomCommandsKeepTheFourListsInStepWithAModel) {
    std::mt19937 Rng(7);
    TItemStore Store;
    std::vector<TFeedItem> Model;
    int Serial = 0;
    // Empty fields too: the packed lists keep empty entries at their bottom apart.
    auto NewItem = [&] {
        const std::string K = std::to_string(Serial++);
        auto Field = [&](const char* Stem) { return Rng() % 3 == 0 ? std::string() : Stem + K; };
        return TFeedItem{Field("link"), Field("time"), Field("des"), Field("title")};
    };
    for (int Step = 0; Step < 3000; ++Step) {
        const int C = static_cast<int>(Model.size());
        const int Index = static_cast<int>(Rng() % static_cast<unsigned>(C + 2)) - 1; // -1 .. C
        switch (Rng() % 7) {
        case 0:
        case 1: { // add and add by reference: a new item at the top
            const TFeedItem Item = (C > 0 && Rng() % 2) ? Store.Item(0) : NewItem();
            Store.InsertItem(Item);
            Model.insert(Model.begin(), Item);
            break;
        }
        case 2: // edit keeps the place
            if (Index >= 0 && Index < C) {
                const TFeedItem Item = NewItem();
                Store.PutItem(Index, Item);
                Model[static_cast<size_t>(Index)] = Item;
            } else {
                EXPECT_THROW(Store.PutItem(Index, NewItem()), EStringListError);
            }
            break;
        case 3:
            if (Index >= 0 && Index < C) {
                Store.DeleteItem(Index);
                Model.erase(Model.begin() + Index);
            } else {
                EXPECT_THROW(Store.DeleteItem(Index), EStringListError);
            }
            break;
        case 4: { // up or down (taken out and inserted again); nothing past either end
            const int Delta = static_cast<int>(Rng() % 7) - 3;
            const int Target = Index + Delta;
            const bool Moves = Index >= 0 && Index < C && Target >= 0 && Target < C;
            EXPECT_EQ(Store.MoveItem(Index, Delta), Moves ? Target : Index);
            if (Moves) {
                TFeedItem Item = Model[static_cast<size_t>(Index)];
                Model.erase(Model.begin() + Index);
                Model.insert(Model.begin() + Target, Item);
            }
            break;
        }
        case 5: { // rarely, so that the store grows; negative limits stop at empty
            if (Rng() % 8 != 0) break;
            const int32_t Max = static_cast<int32_t>(Rng() % 30) - 10;
            Store.TrimItems(Max);
            while (!Model.empty() && static_cast<int>(Model.size()) > Max) Model.pop_back();
            break;
        }
        case 6: { // as a reader stopped part-way leaves it: one list longer, then evened out
            const TItemListKind Kind = TItemListKind(Rng() % ItemListCount);
            const TFeedItem Item = NewItem();
            const std::string Field[] = {Item.Link, Item.Time, Item.Description, Item.Title};
            Store.MutableList(Kind).Append(Field[Kind]);
            Store.EqualizeLengths();
            TFeedItem Padded;
            (Kind == ilLink ? Padded.Link : Kind == ilTime ? Padded.Time
                                          : Kind == ilDes  ? Padded.Description
                                                           : Padded.Title) = Field[Kind];
            Model.push_back(Padded);
            break;
        }
        }
        ExpectStoreIs(Store, Model);
        if (HasFatalFailure()) return;
    }
}

// Memory is the entries' text and an offset each: empty entries at the bottom, however
// many, take neither.
TEST(ItemStore, EmptyEntriesAtTheBottomTakeNoMemory) {
    TPackedStrings Empty;
    for (int I = 0; I < 1000000; ++I) Empty.Append("");
    EXPECT_EQ(Empty.Count(), 1000000);
    EXPECT_EQ(Empty.MemoryUsed(), 0u);

    TPackedStrings Titles;
    for (int I = 0; I < 100000; ++I) Titles.Append("title");
    const size_t Used = Titles.MemoryUsed();
    // Five bytes of text and four of offset an entry, with at most as much again spare.
    EXPECT_LE(Used, 100000u * 9 * 2);
    Titles.Resize(10000000); // as EqualizeLengths pads a shorter list
    EXPECT_EQ(Titles.MemoryUsed(), Used);
    EXPECT_EQ(Titles[9999999], "");
    EXPECT_EQ(Titles[99999], "title");

    TItemStore Store;
    Store.MutableList(ilItem).Resize(1000000);
    Store.EqualizeLengths();
    EXPECT_EQ(Store.Count(), 1000000);
    for (int K = 0; K < ItemListCount; ++K) EXPECT_EQ(Store.List(TItemListKind(K)).MemoryUsed(), 0u);
}

TEST(ItemStore, DescriptionDecodingWorksOnCharacters) {
    const std::string Po = cp932::Literal("ポ"); // trail byte 0x7C
    ASSERT_EQ(Po, "\x83\x7C");
    const struct {
        std::string Stored, Shown;
    } Cases[] = {
        {"", ""},
        {"x|y|", "x\r\ny"},
        {"a|b|", "a\r\nb"}, // typed as a|b on one line: comes back as two lines
        {"|", ""},
        {"||", "\r\n"},
        {"x", "x"},
        {Po + "|", Po},
        {Po + Po + "|" + Po + "|", Po + Po + "\r\n" + Po},
        {"\x83", "\x83"},      // a lone lead byte at the end
        {"\x83|", "\x83|"},    // 0x83 0x7C is one character, not a separator
        {"\x83|x|", "\x83|x"}, // ... and the last '|' is still dropped
    };
    for (const auto& C : Cases) EXPECT_EQ(DecodeDescription(C.Stored), C.Shown) << C.Stored;
}

TEST(ItemStore, DescriptionsComeBackRowForRowThroughTheEditor) {
    TRandomStore Random(11);
    std::unique_ptr<TEditor> Dialog(TEditor::Create(nullptr));
    std::unique_ptr<TEditor> Shown(TEditor::Create(nullptr));
    for (int Round = 0; Round < 200; ++Round) {
        std::vector<std::string> Rows;
        for (int N = 1 + Random.Below(5); N > 0; --N) {
            std::string Row = Random.Entry();
            // A typed '|' is a separator by design; the trail byte 0x7C is not.
            std::string Kept;
            for (size_t I = 0; I < Row.size(); ++I) {
                if (cp932::IsLeadByte(Row[I]) && I + 1 < Row.size())
                    Kept += Row.substr(I++, 2);
                else if (Row[I] != '|')
                    Kept += Row[I];
            }
            Row = Kept;
            Rows.push_back(Row);
        }
        // Lines.Add takes a text that ends in a line break as ending there, so an empty
        // last row does not come back; keep the last row non-empty.
        if (Rows.back().empty()) Rows.back() = "z";
        TStrings& Lines = *Dialog->GetLines();
        Dialog->Clear();
        for (const std::string& Row : Rows) Lines.Add(Row);
        const std::string Stored = JoinDescription(Lines);
        std::string Expected;
        for (const std::string& Row : Rows) Expected += Row + "|";
        ASSERT_EQ(Stored, Expected);

        ShowDescription(*Shown, Stored);
        ASSERT_EQ(Shown->GetLines()->GetCount(), static_cast<int>(Rows.size())) << Stored;
        for (size_t I = 0; I < Rows.size(); ++I)
            EXPECT_EQ(Shown->GetLines()->Get(static_cast<int>(I)), Rows[I]);
        EXPECT_EQ(JoinDescription(*Shown->GetLines()), Stored);
    }
}

TEST(ItemStore, TimeStampFormat) {
    EXPECT_EQ(TimeStampAt(UtcTime(2008, 3, 1, 9, 5, 7), "+09:00"), "2008-03-01T09:05:07+09:00");
    EXPECT_EQ(TimeStampAt(UtcTime(1999, 12, 31, 23, 59, 59), "-05:00"), "1999-12-31T23:59:59-05:00");
    EXPECT_EQ(TimeStampAt(UtcTime(2024, 2, 29, 0, 0, 0), ""), "2024-02-29T00:00:00");
}
