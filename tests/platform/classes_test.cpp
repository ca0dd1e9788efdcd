// Tests of the framework classes: string lists, pointer list, collections, components.
#include "platform/classes.h"

#include <cstdint>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "platform/cp932.h"
#include "platform/streams.h"

namespace {

std::vector<std::string> Rows(const TStrings& S) {
    std::vector<std::string> R;
    for (int I = 0; I < S.GetCount(); ++I) R.push_back(S.Get(I));
    return R;
}

// Counts the change events of a string list.
struct TEventCounter : TObject {
    int Changing = 0;
    int Change = 0;
    void OnChanging(TObject*) { ++Changing; }
    void OnChange(TObject*) { ++Change; }
    void Attach(TStringList& L) {
        Changing = Change = 0;
        L.OnChanging = TNotifyEvent::Of<&TEventCounter::OnChanging>(this);
        L.OnChange = TNotifyEvent::Of<&TEventCounter::OnChange>(this);
    }
};

} // namespace

TEST(StringsText, SetTextStrSplitsAtEveryLineBreak) {
    struct Case {
        std::string Text;
        std::vector<std::string> Rows;
    };
    const Case Cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}}, // LF CR is two line breaks
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\r", {"a"}},
        {std::string("ab\0cd\r\nef", 9), {"ab"}}, // a NUL ends the text
    };
    for (const Case& C : Cases) {
        TStringList L;
        L.Add("old");
        L.SetTextStr(C.Text);
        EXPECT_EQ(Rows(L), C.Rows) << "text " << testing::PrintToString(C.Text);
    }
}

TEST(StringsText, GetTextStrEndsEveryRowWithCrLf) {
    TStringList L;
    EXPECT_EQ(L.GetTextStr(), "");
    L.Add("a");
    L.Add("");
    L.Add("b");
    EXPECT_EQ(L.GetTextStr(), "a\r\n\r\nb\r\n");
    TStringList Copy;
    Copy.SetTextStr(L.GetTextStr());
    EXPECT_EQ(Rows(Copy), Rows(L));
}

TEST(StringList, IndexErrorsCarryTheMessageAndLeaveTheListAlone) {
    const std::string Message = cp932::Literal("リストのインデックスが範囲を超えています");
    TStringList L;
    L.Add("a");
    L.Add("b");
    const std::function<void()> Bad[] = {
        [&] { L.Get(2); },         [&] { L.Get(-1); },         [&] { L.Put(2, "x"); },
        [&] { L.Insert(3, "x"); }, [&] { L.Insert(-1, "x"); }, [&] { L.Delete(2); },
        [&] { L.Exchange(0, 2); }, [&] { L.Exchange(-1, 0); },
    };
    for (size_t I = 0; I < std::size(Bad); ++I) {
        try {
            Bad[I]();
            ADD_FAILURE() << "no error for case " << I;
        } catch (const EStringListError& E) {
            EXPECT_EQ(E.Message(), Message) << "case " << I;
        }
        EXPECT_EQ(Rows(L), (std::vector<std::string>{"a", "b"})) << "case " << I;
    }
    L.Insert(2, "c"); // at Count appends
    EXPECT_EQ(Rows(L), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(StringList, SortedCaseInsensitiveIgnoresDuplicates) {
    TStringList L;
    L.SetSorted(true);
    EXPECT_EQ(L.Add(".txt"), 0);
    EXPECT_EQ(L.Add(".C"), 0);
    EXPECT_EQ(L.Add(".TXT"), 1); // already there: the existing index
    EXPECT_EQ(L.Add(".htm"), 1);
    EXPECT_EQ(Rows(L), (std::vector<std::string>{".C", ".htm", ".txt"}));
    int Index = -1;
    EXPECT_TRUE(L.Find(".Htm", Index));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(L.Find(".d", Index));
    EXPECT_EQ(Index, 1); // where it would go
    EXPECT_EQ(L.IndexOf(".TXT"), 2);
    EXPECT_EQ(L.IndexOf(".rtf"), -1);
    EXPECT_THROW(L.Insert(0, "x"), EStringListError);
    EXPECT_THROW(L.Put(0, "x"), EStringListError);

    L.SetDuplicates(dupError);
    EXPECT_THROW(L.Add(".c"), EStringListError);
    EXPECT_EQ(L.GetCount(), 3);
    L.SetDuplicates(dupAccept);
    L.Add(".c");
    EXPECT_EQ(Rows(L), (std::vector<std::string>{".C", ".c", ".htm", ".txt"}));

    L.SetCaseSensitive(true); // re-sorts by bytes
    L.SetDuplicates(dupIgnore);
    EXPECT_EQ(L.IndexOf(".TXT"), -1);
    EXPECT_EQ(L.Add(".TXT"), 1);
}

TEST(StringList, SortingAnUnsortedListAndCaseFoldingOfDoubleByteText) {
    TStringList L;
    for (const char* S : {"b", "A", "c", "a"}) L.Add(S);
    L.SetSorted(true);
    EXPECT_EQ(Rows(L), (std::vector<std::string>{"A", "a", "b", "c"})); // stable

    // The trail byte 'a' (0x61) of a double-byte character is not folded to 'A'.
    const std::string Kana = "\x83\x61";  // a katakana
    const std::string Other = "\x83\x41"; // another katakana
    EXPECT_NE(CompareText(Kana, Other), 0);
    EXPECT_EQ(CompareText("x" + Kana + "y", "X" + Kana + "Y"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_LT(CompareText("ab", "ABC"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
}

TEST(StringList, EventsFireAroundChangesAndOncePerBracket) {
    TStringList L;
    TEventCounter C;
    C.Attach(L);
    L.Add("a");
    L.Insert(0, "b");
    L.Put(0, "c");
    L.Exchange(0, 1);
    L.Delete(0);
    EXPECT_EQ(C.Changing, 5);
    EXPECT_EQ(C.Change, 5);
    L.Clear();
    L.Clear(); // empty: nothing
    EXPECT_EQ(C.Change, 6);

    C.Attach(L);
    L.BeginUpdate();
    L.BeginUpdate();
    for (int I = 0; I < 10; ++I) L.Add("x");
    L.EndUpdate();
    EXPECT_EQ(C.Change, 0);
    L.EndUpdate();
    EXPECT_EQ(C.Changing, 1);
    EXPECT_EQ(C.Change, 1);

    C.Attach(L);
    L.SetTextStr("1\r\n2\r\n3");
    EXPECT_EQ(C.Changing, 1);
    EXPECT_EQ(C.Change, 1);
}

TEST(StringList, AssignAddStringsEquals) {
    TStringList A;
    A.SetTextStr("x\r\ny");
    TStringList B;
    B.Add("old");
    B.Assign(&A);
    EXPECT_TRUE(B.Equals(&A));
    B.AddStrings(&A);
    EXPECT_EQ(Rows(B), (std::vector<std::string>{"x", "y", "x", "y"}));
    EXPECT_FALSE(B.Equals(&A));
    B.Assign(&B); // self-assignment keeps the rows
    EXPECT_EQ(B.GetCount(), 4);
    EXPECT_THROW(B.Assign(nullptr), EConvertError);
}

TEST(StringList, FileRoundTripAndMissingFile) {
    const std::string Dir = testing::TempDir() + "classes_test_" + std::to_string(getpid());
    std::filesystem::create_directories(Dir);
    const std::string Path = Dir + "/rows.txt";
    TStringList L;
    L.SetTextStr("first\r\n\x82\xa0\x82\xa2\r\n\r\nlast");
    L.SaveToFile(Path);
    EXPECT_EQ(std::filesystem::file_size(Path), L.GetTextStr().size());
    TStringList R;
    R.Add("old");
    R.LoadFromFile(Path);
    EXPECT_TRUE(R.Equals(&L));

    TStringList Missing;
    Missing.Add("kept");
    EXPECT_THROW(Missing.LoadFromFile(Dir + "/none.txt"), EFOpenError);
    EXPECT_EQ(Rows(Missing), (std::vector<std::string>{"kept"}));
    EXPECT_THROW(L.SaveToFile(Dir + "/no/such/dir/x.txt"), EFCreateError);
    std::filesystem::remove_all(Dir);
}

TEST(List, IndexChecksAndRemove) {
    TList L;
    int A = 1, B = 2, C = 3;
    EXPECT_EQ(L.Add(&A), 0);
    L.Add(&B);
    L.Insert(0, &C);
    EXPECT_EQ(L.Get(0), &C);
    EXPECT_EQ(L.IndexOf(&B), 2);
    EXPECT_EQ(L.Remove(&A), 1);
    EXPECT_EQ(L.Remove(&A), -1);
    EXPECT_EQ(L.GetCount(), 2);
    EXPECT_THROW(L.Get(2), EListError);
    EXPECT_THROW(L.Insert(3, &A), EListError);
    EXPECT_THROW(L.Delete(-1), EListError);
    L.Exchange(0, 1);
    EXPECT_EQ(L.Get(0), &B);
}

namespace {

// A collection that records its Update calls.
class TTestItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int Value = 0;
    void Assign(TPersistent* Source) override {
        if (auto* S = dynamic_cast<TTestItem*>(Source)) {
            Value = S->Value;
            return;
        }
        TCollectionItem::Assign(Source);
    }
    void Touch() { Changed(false); }
};

class TTestCollection : public TCollection {
public:
    std::vector<TCollectionItem*> Updates;
    TTestItem* AddItem(int Value) {
        auto* I = static_cast<TTestItem*>(Add());
        I->Value = Value;
        return I;
    }

protected:
    TCollectionItem* NewItem() override { return new TTestItem(this); }
    void Update(TCollectionItem* Item) override { Updates.push_back(Item); }
};

} // namespace

TEST(Collection, UpdateRunsPerChangeOrOncePerBracket) {
    TTestCollection C;
    TTestItem* A = C.AddItem(1);
    TTestItem* B = C.AddItem(2);
    EXPECT_EQ(C.Updates, (std::vector<TCollectionItem*>{nullptr, nullptr}));
    EXPECT_EQ(B->GetIndex(), 1);
    EXPECT_EQ(B->GetOwner(), &C);
    A->Touch();
    EXPECT_EQ(C.Updates.back(), A);
    C.Delete(0);
    EXPECT_EQ(C.GetCount(), 1);
    EXPECT_EQ(C.GetItem(0), B);
    EXPECT_EQ(C.Updates.size(), 4u);
    EXPECT_THROW(C.GetItem(1), EListError);
    EXPECT_THROW(C.Delete(1), EListError);

    C.Updates.clear();
    C.BeginUpdate();
    C.BeginUpdate();
    C.AddItem(3);
    B->Touch();
    C.Clear();
    C.EndUpdate();
    EXPECT_TRUE(C.Updates.empty());
    C.EndUpdate();
    EXPECT_EQ(C.Updates, (std::vector<TCollectionItem*>{nullptr}));
    EXPECT_EQ(C.GetCount(), 0);
}

TEST(Collection, AssignCopiesItemsAndSetIndexMoves) {
    TTestCollection From;
    for (int V : {5, 6, 7}) From.AddItem(V);
    TTestCollection To;
    To.AddItem(9);
    To.Updates.clear();
    To.Assign(&From);
    ASSERT_EQ(To.GetCount(), 3);
    EXPECT_EQ(static_cast<TTestItem*>(To.GetItem(2))->Value, 7);
    EXPECT_EQ(To.Updates.size(), 1u);
    To.GetItem(2)->SetIndex(0);
    EXPECT_EQ(static_cast<TTestItem*>(To.GetItem(0))->Value, 7);
    EXPECT_EQ(static_cast<TTestItem*>(To.GetItem(1))->Value, 5);
    EXPECT_THROW(To.GetItem(0)->SetIndex(3), EListError);

    TStringList NotACollection;
    EXPECT_THROW(To.Assign(&NotACollection), EConvertError);
}

namespace {

// A component that holds a reference to another and clears it when told.
class TRefComponent : public TComponent {
public:
    using TComponent::TComponent;
    ~TRefComponent() override { ++*DeathCount; }
    TComponent* Ref = nullptr;
    int* DeathCount = &Dummy;
    std::vector<std::pair<TComponent*, TOperation>> Told;
    void SetRef(TComponent* C) {
        if (Ref) Ref->RemoveFreeNotification(this);
        Ref = C;
        if (C) C->FreeNotification(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        Told.emplace_back(AComponent, Operation);
        if (Operation == opRemove && AComponent == Ref) Ref = nullptr;
        TComponent::Notification(AComponent, Operation);
    }

private:
    int Dummy = 0;
};

} // namespace

TEST(Component, OwnerFreesOwnedComponents) {
    int Deaths = 0;
    auto* Owner = new TRefComponent(nullptr);
    auto* A = new TRefComponent(Owner);
    auto* B = new TRefComponent(Owner);
    A->DeathCount = &Deaths;
    B->DeathCount = &Deaths;
    EXPECT_EQ(Owner->GetComponentCount(), 2);
    EXPECT_EQ(A->GetOwner(), Owner);
    EXPECT_EQ(Owner->Told.size(), 2u); // opInsert for each
    // B's address, kept as a number: the pointer itself must not be used once B is gone.
    const auto BAddress = reinterpret_cast<std::uintptr_t>(static_cast<TComponent*>(B));
    delete B; // leaves its owner
    EXPECT_EQ(Deaths, 1);
    EXPECT_EQ(Owner->GetComponentCount(), 1);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(Owner->Told.back().first), BAddress);
    EXPECT_EQ(Owner->Told.back().second, opRemove);
    EXPECT_THROW(Owner->GetComponent(1), EListError);
    delete Owner;
    EXPECT_EQ(Deaths, 2);
}

TEST(Component, FreeNotificationClearsReferencesEitherWayRound) {
    auto* Scheme = new TRefComponent(nullptr);
    auto* Editor1 = new TRefComponent(nullptr);
    auto* Editor2 = new TRefComponent(nullptr);
    Editor1->SetRef(Scheme);
    Editor2->SetRef(Scheme);
    Scheme->FreeNotification(Editor1); // twice: still one notification
    delete Scheme;
    EXPECT_EQ(Editor1->Ref, nullptr);
    EXPECT_EQ(Editor2->Ref, nullptr);
    EXPECT_EQ(Editor1->Told.size(), 1u);

    // The referencing side dies first: the referenced one must not call it later.
    auto* Scheme2 = new TRefComponent(nullptr);
    Editor1->SetRef(Scheme2);
    delete Editor1;
    delete Scheme2; // ASan would report a call into the freed editor
    Editor2->SetRef(nullptr);
    delete Editor2;
}

TEST(Component, LoadingBracketRunsLoaded) {
    struct TLoading : TComponent {
        using TComponent::TComponent;
        int LoadedCount = 0;
        void Loaded() override { ++LoadedCount; }
    } C(nullptr);
    C.BeginLoading();
    EXPECT_NE(C.GetComponentState() & csLoading, 0u);
    C.EndLoading();
    C.EndLoading();
    EXPECT_EQ(C.GetComponentState() & csLoading, 0u);
    EXPECT_EQ(C.LoadedCount, 1);
}
