// The framework classes: persistent objects, collections, components, pointer and string lists.
#include "platform/classes.h"

#include <algorithm>
#include <typeinfo>

#include "platform/cp932.h"
#include "platform/streams.h"

namespace {

const std::string& IndexErrorMessage() {
    static const std::string Message = cp932::Literal("リストのインデックスが範囲を超えています");
    return Message;
}

} // namespace

// ---- TPersistent -------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
    if (Source != nullptr) {
        Source->AssignTo(this);
        return;
    }
    AssignError(nullptr, this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    AssignError(this, Dest);
}

void TPersistent::AssignError(const TPersistent* Source, const TPersistent* Dest) {
    // The class names are the compiler's; they only help whoever reads the message.
    std::string SourceName = Source != nullptr ? typeid(*Source).name() : "nil";
    std::string DestName = Dest != nullptr ? typeid(*Dest).name() : "nil";
    throw EConvertError(SourceName + cp932::Literal(" を ") + DestName + cp932::Literal(" に代入できません"));
}

// ---- TCollectionItem ---------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (Collection != nullptr) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection != nullptr) FCollection->RemoveItem(this);
}

int TCollectionItem::GetIndex() const {
    if (FCollection == nullptr) return -1;
    const auto& Items = FCollection->FItems;
    auto It = std::find(Items.begin(), Items.end(), this);
    return It == Items.end() ? -1 : static_cast<int>(It - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int Current = GetIndex();
    if (Current < 0 || Current == Value) return;
    auto& Items = FCollection->FItems;
    if (Value < 0 || Value >= static_cast<int>(Items.size())) TList::Error();
    Items.erase(Items.begin() + Current);
    Items.insert(Items.begin() + Value, this);
    Changed(true);
}

TPersistent* TCollectionItem::GetOwner() const {
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection -------------------------------------------------------------------------

TCollection::~TCollection() {
    // No notification while the collection goes: Update is no longer the derived one.
    FUpdateCount = 1;
    while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add() {
    TCollectionItem* Item = NewItem();
    if (Item->FCollection != this) {
        if (Item->FCollection != nullptr) Item->FCollection->RemoveItem(Item);
        InsertItem(Item);
    }
    Changed();
    return Item;
}

void TCollection::Delete(int Index) {
    delete GetItem(Index);
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    try {
        while (!FItems.empty()) delete FItems.back();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) TList::Error();
    return FItems[static_cast<size_t>(Index)];
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TCollection::Assign(TPersistent* Source) {
    auto* From = dynamic_cast<TCollection*>(Source);
    if (From == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (From == this) return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* Item : From->FItems) Add()->Assign(Item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem* /*Item*/) {}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    if (It != FItems.end()) FItems.erase(It);
    Item->FCollection = nullptr;
    Changed();
}

// ---- TComponent --------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    // Tell everyone who asked; each link is dropped on both sides before the call, so a
    // handler may register or unregister freely.
    while (!FFreeNotifies.empty()) {
        TComponent* Other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& Back = Other->FFreeNotifies;
        Back.erase(std::remove(Back.begin(), Back.end(), this), Back.end());
        Other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* C = FComponents.back();
        FComponents.pop_back();
        C->FOwner = nullptr;
        delete C;
    }
}

TComponent* TComponent::GetComponent(int Index) const {
    if (Index < 0 || Index >= GetComponentCount()) TList::Error();
    return FComponents[static_cast<size_t>(Index)];
}

void TComponent::InsertComponent(TComponent* C) {
    if (C == nullptr || C->FOwner == this) return;
    if (C->FOwner != nullptr) C->FOwner->RemoveComponent(C);
    FComponents.push_back(C);
    C->FOwner = this;
    Notification(C, opInsert);
}

void TComponent::RemoveComponent(TComponent* C) {
    if (C == nullptr || C->FOwner != this) return;
    auto It = std::find(FComponents.begin(), FComponents.end(), C);
    if (It != FComponents.end()) FComponents.erase(It);
    C->FOwner = nullptr;
    if ((FComponentState & csDestroying) == 0) Notification(C, opRemove);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    auto& Back = AComponent->FFreeNotifies;
    if (std::find(Back.begin(), Back.end(), this) == Back.end()) Back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                        FFreeNotifies.end());
    auto& Back = AComponent->FFreeNotifies;
    Back.erase(std::remove(Back.begin(), Back.end(), this), Back.end());
}

void TComponent::EndLoading() {
    if ((FComponentState & csLoading) == 0) return;
    FComponentState &= ~static_cast<unsigned>(csLoading);
    Loaded();
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent != nullptr) RemoveFreeNotification(AComponent);
    // A handler may free owned components; walk a copy and skip those that left.
    std::vector<TComponent*> Owned = FComponents;
    for (auto It = Owned.rbegin(); It != Owned.rend(); ++It) {
        if (*It == AComponent) continue;
        if (std::find(FComponents.begin(), FComponents.end(), *It) == FComponents.end()) continue;
        (*It)->Notification(AComponent, Operation);
    }
}

// ---- TList -------------------------------------------------------------------------------

void TList::Error() {
    throw EListError(IndexErrorMessage());
}

int TList::Add(void* Item) {
    FItems.push_back(Item);
    return GetCount() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > GetCount()) Error();
    FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
    if (Index < 0 || Index >= GetCount()) Error();
    FItems.erase(FItems.begin() + Index);
}

void TList::Exchange(int Index1, int Index2) {
    if (Index1 < 0 || Index1 >= GetCount()) Error();
    if (Index2 < 0 || Index2 >= GetCount()) Error();
    std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
}

int TList::Remove(void* Item) {
    int Index = IndexOf(Item);
    if (Index >= 0) Delete(Index);
    return Index;
}

void TList::Clear() {
    FItems.clear();
    FItems.shrink_to_fit();
}

void* TList::Get(int Index) const {
    if (Index < 0 || Index >= GetCount()) Error();
    return FItems[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
    if (Index < 0 || Index >= GetCount()) Error();
    FItems[static_cast<size_t>(Index)] = Item;
}

int TList::IndexOf(void* Item) const {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

// ---- CompareText -------------------------------------------------------------------------

int CompareText(std::string_view A, std::string_view B) {
    size_t I = 0;
    size_t N = std::min(A.size(), B.size());
    bool InDouble = false; // the previous byte of both was the same lead byte
    for (; I < N; ++I) {
        auto CA = static_cast<unsigned char>(A[I]);
        auto CB = static_cast<unsigned char>(B[I]);
        if (InDouble) {
            InDouble = false;
        } else {
            if (CA >= 'a' && CA <= 'z') CA = static_cast<unsigned char>(CA - 'a' + 'A');
            if (CB >= 'a' && CB <= 'z') CB = static_cast<unsigned char>(CB - 'a' + 'A');
            // Up to here both strings are equal, so a lead byte stands at the same place in
            // both; when the lead bytes match the trail bytes are compared unfolded.
            if (CA == CB && cp932::IsLeadByte(CA)) InDouble = true;
        }
        if (CA != CB) return CA < CB ? -1 : 1;
    }
    if (A.size() == B.size()) return 0;
    return A.size() < B.size() ? -1 : 1;
}

// ---- TStrings ----------------------------------------------------------------------------

void TStrings::Error() {
    throw EStringListError(IndexErrorMessage());
}

int TStrings::Add(const std::string& S) {
    int Index = GetCount();
    Insert(Index, S);
    return Index;
}

void TStrings::AddStrings(TStrings* Strings) {
    if (Strings == nullptr) return;
    TStringsUpdateGuard Guard(*this);
    int N = Strings->GetCount();
    for (int I = 0; I < N; ++I) Add(Strings->Get(I));
}

void TStrings::Assign(TPersistent* Source) {
    auto* From = dynamic_cast<TStrings*>(Source);
    if (From == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (From == this) return;
    TStringsUpdateGuard Guard(*this);
    Clear();
    AddStrings(From);
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount <= 0) return;
    --FUpdateCount;
    if (FUpdateCount == 0) SetUpdateState(false);
}

bool TStrings::Equals(TStrings* Strings) const {
    if (Strings == nullptr) return false;
    int N = GetCount();
    if (N != Strings->GetCount()) return false;
    for (int I = 0; I < N; ++I)
        if (Get(I) != Strings->Get(I)) return false;
    return true;
}

void TStrings::Put(int Index, const std::string& S) {
    TStringsUpdateGuard Guard(*this);
    Delete(Index);
    Insert(Index, S);
}

void TStrings::Exchange(int Index1, int Index2) {
    TStringsUpdateGuard Guard(*this);
    std::string Temp = Get(Index1);
    Put(Index1, Get(Index2));
    Put(Index2, Temp);
}

int TStrings::IndexOf(const std::string& S) const {
    int N = GetCount();
    for (int I = 0; I < N; ++I)
        if (CompareStrings(Get(I), S) == 0) return I;
    return -1;
}

std::string TStrings::GetTextStr() const {
    int N = GetCount();
    std::string Result;
    // Two passes keep the result to one allocation even for very long lists.
    std::vector<std::string> Rows;
    Rows.reserve(static_cast<size_t>(N));
    size_t Size = 0;
    for (int I = 0; I < N; ++I) {
        Rows.push_back(Get(I));
        Size += Rows.back().size() + 2;
    }
    Result.reserve(Size);
    for (const std::string& Row : Rows) {
        Result += Row;
        Result += "\r\n";
    }
    return Result;
}

void TStrings::SetTextStr(const std::string& Value) {
    TStringsUpdateGuard Guard(*this);
    Clear();
    ForEachTextLine(Value, [this](std::string_view Line) { Add(std::string(Line)); });
}

void TStrings::LoadFromStream(TStream& Stream) {
    int64_t Remaining = Stream.GetSize() - Stream.GetPosition();
    std::string Buffer;
    if (Remaining > 0) {
        Buffer.resize(static_cast<size_t>(Remaining));
        Stream.ReadBuffer(Buffer.data(), Remaining);
    }
    SetTextStr(Buffer);
}

void TStrings::SaveToStream(TStream& Stream) const {
    std::string Text = GetTextStr();
    if (!Text.empty()) Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(Stream);
}

void TStrings::SaveToFile(const std::string& FileName) const {
    // Through memory, so that the file is replaced as a whole or not at all.
    TMemoryStream Stream;
    SaveToStream(Stream);
    Stream.SaveToFile(FileName);
}

// ---- TStringList -------------------------------------------------------------------------

namespace {

const std::string& SortedListMessage() {
    static const std::string Message = cp932::Literal("ソートされたリストに対しては実行できません");
    return Message;
}

const std::string& DuplicateMessage() {
    static const std::string Message = cp932::Literal("文字列リストは重複を許可していません");
    return Message;
}

} // namespace

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) Error();
}

int TStringList::Compare(std::string_view A, std::string_view B) const {
    if (FCaseSensitive) return A.compare(B) < 0 ? -1 : (A == B ? 0 : 1);
    return CompareText(A, B);
}

int TStringList::Add(const std::string& S) {
    int Index = GetCount();
    if (FSorted) {
        if (Find(S, Index)) {
            if (FDuplicates == dupIgnore) return Index;
            if (FDuplicates == dupError) throw EStringListError(DuplicateMessage());
            // dupAccept: after the equal ones, so that equal strings keep their order.
            while (Index < GetCount() && Compare(FList[static_cast<size_t>(Index)], S) == 0) ++Index;
        }
    }
    Changing();
    FList.insert(FList.begin() + Index, S);
    Changed();
    return Index;
}

std::string TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FList[static_cast<size_t>(Index)];
}

void TStringList::Put(int Index, const std::string& S) {
    if (FSorted) throw EStringListError(SortedListMessage());
    CheckIndex(Index);
    Changing();
    FList[static_cast<size_t>(Index)] = S;
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
    if (FSorted) throw EStringListError(SortedListMessage());
    if (Index < 0 || Index > GetCount()) Error();
    Changing();
    FList.insert(FList.begin() + Index, S);
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    FList.erase(FList.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    FList.clear();
    FList.shrink_to_fit();
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
    Changed();
}

void TStringList::SetCapacity(int NewCapacity) {
    if (NewCapacity < GetCount()) Error();
    FList.reserve(static_cast<size_t>(NewCapacity));
}

int TStringList::IndexOf(const std::string& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int Index = 0;
    return Find(S, Index) ? Index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
    int L = 0;
    int H = GetCount() - 1;
    bool Found = false;
    while (L <= H) {
        int I = L + (H - L) / 2;
        int C = Compare(FList[static_cast<size_t>(I)], S);
        if (C < 0) {
            L = I + 1;
        } else {
            H = I - 1;
            if (C == 0) Found = true;
        }
    }
    Index = L;
    return Found;
}

void TStringList::Sort() {
    if (FList.size() < 2) return;
    Changing();
    std::stable_sort(FList.begin(), FList.end(),
                     [this](const std::string& A, const std::string& B) { return Compare(A, B) < 0; });
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (FCaseSensitive == Value) return;
    FCaseSensitive = Value;
    if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
    // BeginUpdate calls this before its count goes up and EndUpdate after it is back at 0,
    // so the events below are not suppressed here.
    if (Updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed() {
    if (GetUpdateNesting() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (GetUpdateNesting() == 0 && OnChanging) OnChanging(this);
}
