// Tests of the notifying base classes and the file-extension component.
#include "editor/colouring/notify.h"

#include <gtest/gtest.h>

#include "editor/colouring/file_ext_component.h"

namespace {

// Records the senders it was called with.
struct TRecorder : TObject {
    std::vector<TObject*> Senders;
    void Handle(TObject* Sender) { Senders.push_back(Sender); }
    void Other(TObject* Sender) { Senders.push_back(Sender); }
    TNotifyEvent Event() { return TNotifyEvent::Of<&TRecorder::Handle>(this); }
};

} // namespace

TEST(NotifyPersistent, BracketsReportOnceAtTheOutermostEnd) {
    TNotifyPersistent P;
    TRecorder R;
    P.Changed(); // no handler: nothing to call
    P.OnChange = R.Event();
    P.Changed();
    EXPECT_EQ(R.Senders, (std::vector<TObject*>{&P}));

    R.Senders.clear();
    P.BeginUpdate();
    for (int I = 0; I < 3; ++I) P.Changed();
    P.EndUpdate();
    EXPECT_EQ(R.Senders.size(), 1u);

    R.Senders.clear();
    P.BeginUpdate();
    P.BeginUpdate();
    P.Changed();
    P.EndUpdate();
    EXPECT_TRUE(R.Senders.empty());
    P.EndUpdate();
    EXPECT_EQ(R.Senders.size(), 1u);

    P.EndUpdate(); // a surplus close must not block later reports
    R.Senders.clear();
    P.Changed();
    EXPECT_EQ(R.Senders.size(), 1u);
}

TEST(NotifyPersistent, ChangedProcReportsChangesOfPartsOnly) {
    TNotifyPersistent Whole;
    TNotifyPersistent Part;
    TRecorder R;
    Whole.OnChange = R.Event();
    Part.OnChange = TNotifyEvent::Of<&TNotifyPersistent::ChangedProc>(&Whole);
    Part.Changed();
    EXPECT_EQ(R.Senders, (std::vector<TObject*>{&Whole}));
    Whole.ChangedProc(&Whole);
    EXPECT_EQ(R.Senders.size(), 1u);
    {
        TUpdateGuard<TNotifyPersistent> Guard(Whole);
        Part.Changed();
        Part.Changed();
    }
    EXPECT_EQ(R.Senders.size(), 2u);
}

namespace {

class TCountItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    void Touch() { Changed(false); }
};

class TCountCollection : public TNotifyCollection {
public:
    using TNotifyCollection::TNotifyCollection;

protected:
    TCollectionItem* NewItem() override { return new TCountItem(this); }
};

} // namespace

TEST(NotifyCollection, ReportsAddDeleteAndItemChanges) {
    TNotifyPersistent Owner;
    TCountCollection C(&Owner);
    TRecorder R;
    C.OnChange = R.Event();
    EXPECT_EQ(C.GetOwner(), &Owner);
    auto* Item = static_cast<TCountItem*>(C.Add());
    Item->Touch();
    C.Delete(0);
    EXPECT_EQ(R.Senders, (std::vector<TObject*>(3, &C)));

    R.Senders.clear();
    C.ChangedProc(&C);
    EXPECT_TRUE(R.Senders.empty());
    TNotifyPersistent SubObject;
    SubObject.OnChange = TNotifyEvent::Of<&TNotifyCollection::ChangedProc>(&C);
    SubObject.Changed();
    EXPECT_EQ(R.Senders.size(), 1u);
    C.BeginUpdate();
    C.Add();
    SubObject.Changed();
    C.EndUpdate();
    EXPECT_EQ(R.Senders.size(), 2u);
}

TEST(MethodList, RemoveTakesOneRegistrationFromTheEnd) {
    TRecorder A, B;
    TMethodList L;
    const TNotifyEvent EA = A.Event();
    const TNotifyEvent EB = B.Event();
    const TNotifyEvent EA2 = TNotifyEvent::Of<&TRecorder::Other>(&A); // same object, other code
    L.Add(EA);
    L.Add(EB);
    EXPECT_EQ(L.Add(EA), 2);
    L.Remove(EA2); // not registered: nothing
    EXPECT_EQ(L.GetCount(), 3);
    L.Remove(EA);
    ASSERT_EQ(L.GetCount(), 2);
    EXPECT_EQ(L.GetMethod(0), EA);
    EXPECT_EQ(L.GetMethod(1), EB);
    L.Clear();
    EXPECT_EQ(L.GetCount(), 0);
    L.Add(EB); // freed by the destructor (ASan checks)
}

TEST(NotifyEventList, CallsEveryRegistrationWithTheOwnerAsSender) {
    TNotifyPersistent Scheme;
    TNotifyEventList List(&Scheme);
    TRecorder A, B;
    List.Add(A.Event());
    List.Add(B.Event());
    List.Add(A.Event());
    List.Changed();
    EXPECT_EQ(A.Senders, (std::vector<TObject*>{&Scheme, &Scheme}));
    EXPECT_EQ(B.Senders.size(), 1u);

    List.Remove(A.Event());
    A.Senders.clear();
    B.Senders.clear();
    // A sub-object reporting into the list; a bracket gives one call per registration.
    TNotifyPersistent Colour;
    Colour.OnChange = TNotifyEvent::Of<&TNotifyPersistent::ChangedProc>(&List);
    List.BeginUpdate();
    Colour.Changed();
    Colour.Changed();
    Colour.Changed();
    EXPECT_TRUE(A.Senders.empty());
    List.EndUpdate();
    EXPECT_EQ(A.Senders.size(), 1u);
    EXPECT_EQ(B.Senders.size(), 1u);
    List.Remove(A.Event());
    List.Remove(A.Event()); // no longer registered: nothing
    EXPECT_EQ(List.GetHandlerCount(), 1);
}

namespace {

// A handler that unregisters another one while the list is calling.
struct TDetacher : TObject {
    TNotifyEventList* List = nullptr;
    TNotifyEvent Victim;
    int Calls = 0;
    void Handle(TObject*) {
        ++Calls;
        List->Remove(Victim);
    }
};

} // namespace

TEST(NotifyEventList, AHandlerMayUnregisterOthersDuringTheCall) {
    TNotifyEventList List(nullptr);
    TDetacher D;
    TRecorder Victim;
    D.List = &List;
    D.Victim = Victim.Event();
    List.Add(TNotifyEvent::Of<&TDetacher::Handle>(&D));
    List.Add(Victim.Event());
    List.Changed();
    EXPECT_EQ(D.Calls, 1);
    EXPECT_TRUE(Victim.Senders.empty());
    EXPECT_EQ(List.GetHandlerCount(), 1);
}

namespace {

class TTextScheme : public TFileExtComponent {
public:
    using TFileExtComponent::TFileExtComponent;

protected:
    void InitFileExtList() override {
        GetFileExtList()->Add(".txt");
        GetFileExtList()->Add(".ini");
    }
};

} // namespace

TEST(FileExtComponent, ExtensionsAreSortedUniqueAndCaseBlind) {
    TFileExtComponent Plain(nullptr);
    EXPECT_EQ(Plain.GetFileExtList()->GetCount(), 0);
    EXPECT_FALSE(Plain.HasExtension(".txt"));

    TComponent Form(nullptr);
    auto* Scheme = new TTextScheme(&Form); // freed by its owner
    EXPECT_TRUE(Scheme->HasExtension(".TXT"));
    EXPECT_FALSE(Scheme->HasExtension(".tx"));
    Scheme->GetFileExtList()->Add(".Txt");
    EXPECT_EQ(Scheme->GetFileExtList()->GetCount(), 2);

    TStringList Value;
    for (const char* S : {".pas", ".dpr", ".PAS", ".inc"}) Value.Add(S);
    Scheme->SetFileExtList(&Value);
    const TStringList* L = Scheme->GetFileExtList();
    ASSERT_EQ(L->GetCount(), 3);
    EXPECT_EQ(L->Get(0), ".dpr");
    EXPECT_EQ(L->Get(1), ".inc");
    EXPECT_EQ(L->Get(2), ".pas");
    EXPECT_FALSE(Scheme->HasExtension(".txt"));
    EXPECT_TRUE(Scheme->HasExtension(".Inc"));
}
