// The framework classes the editor and the application build on: persistent objects,
// collections, components with destruction notification, pointer and string lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"
#include "platform/object.h"

class TStream;

// An object whose values can be copied from another one with Assign.
class TPersistent : public TObject {
public:
    // Copies Source's values into this object. The default asks Source to AssignTo
    // this object and raises EConvertError when neither side knows the other.
    virtual void Assign(TPersistent* Source);
    // The object this one belongs to (an item's collection, a component's owner, ...).
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Copies this object's values into Dest; the default raises EConvertError.
    virtual void AssignTo(TPersistent* Dest);
    // The conversion error for assigning Source to Dest (either may be null).
    [[noreturn]] static void AssignError(const TPersistent* Source, const TPersistent* Dest);
};

class TCollection;

// An item of a TCollection. Constructing it with a collection appends it there (silently:
// TCollection::Add reports the addition); destroying it removes it and reports the removal.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollection* GetCollection() const { return FCollection; }
    // Position in the collection, -1 when the item belongs to none.
    int GetIndex() const;
    // Moves the item to Value within its collection (EListError when out of range).
    void SetIndex(int Value);
    TPersistent* GetOwner() const override;

protected:
    // Reports a change of this item (AllItems: of the whole collection) to the collection:
    // Update(this) or Update(nullptr), unless the collection's update bracket is open.
    virtual void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

// An owning, ordered collection of items made by the virtual factory NewItem.
// Adding, deleting or changing an item runs Update outside an update bracket;
// inside BeginUpdate/EndUpdate it runs once, at the outermost EndUpdate.
class TCollection : public TPersistent {
public:
    TCollection() = default;
    ~TCollection() override;

    TCollectionItem* Add();
    void Delete(int Index); // EListError when out of range
    void Clear();
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* GetItem(int Index) const; // EListError when out of range
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }
    // Copies the items of another collection: Clear, then one new item per source item,
    // filled by the new item's Assign; reported once.
    void Assign(TPersistent* Source) override;

    // The collection's own change notification: Update(nullptr) unless bracketed.
    void Changed();

protected:
    virtual TCollectionItem* NewItem() = 0;
    virtual void Update(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
};

enum TOperation : uint8_t { opInsert, opRemove };
enum TComponentStateFlag : uint8_t { csLoading = 1, csReading = 2, csDestroying = 4, csDesigning = 8 };

// A component owns the components created with it as owner and frees them with
// itself. Components that only reference each other use FreeNotification: the
// referencing one is told through Notification(..., opRemove) before the other dies.
// The registration is mutual and is dropped by whichever of the two dies first.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* GetOwner() const override { return FOwner; }
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& Name) { FName = Name; }
    unsigned GetComponentState() const { return FComponentState; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* GetComponent(int Index) const; // EListError when out of range

    // Takes C into this component's ownership (removing it from its previous owner) and
    // tells the owned components (Notification opInsert). RemoveComponent gives it up
    // again (opRemove) without freeing it.
    void InsertComponent(TComponent* C);
    void RemoveComponent(TComponent* C);

    // Asks to be told (Notification with opRemove) when AComponent is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Loading bracket used when a component's properties are read from a stream;
    // EndLoading clears the flag and runs Loaded.
    void BeginLoading() { FComponentState |= csLoading; }
    void EndLoading();

protected:
    // Told when AComponent is inserted into or removed from this component's ownership,
    // and when a component this one asked FreeNotification of is destroyed. The default
    // drops the free-notification link for opRemove and passes the news on to the owned
    // components. Overrides clear their references and call the base.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded() {}

private:
    void DestroyComponents();
    TComponent* FOwner = nullptr;
    std::string FName;
    unsigned FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// A list of untyped pointers; it does not own what they point to.
class TList : public TObject {
public:
    ~TList() override = default;
    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    void Exchange(int Index1, int Index2);
    // Deletes the first entry equal to Item; its former index, or -1.
    int Remove(void* Item);
    virtual void Clear();
    int GetCount() const { return static_cast<int>(FItems.size()); }
    void* Get(int Index) const; // EListError "リストのインデックスが範囲を超えています"
    void Put(int Index, void* Item);
    int IndexOf(void* Item) const;
    void* operator[](int Index) const { return Get(Index); }

    // The list index error of all lists.
    [[noreturn]] static void Error();

private:
    std::vector<void*> FItems;
};

// Compares CP932 strings with single-byte a-z folded to A-Z (double-byte characters,
// trail bytes included, compare as they are): <0, 0 or >0.
int CompareText(std::string_view A, std::string_view B);

// The framework's text rule: a NUL ends the text; CR LF, a lone CR and a lone LF end a
// line; a final line break does not start an empty last line. Calls Fn(line) per line.
template <class F> void ForEachTextLine(std::string_view Text, F&& Fn) {
    const size_t Nul = Text.find('\0');
    if (Nul != std::string_view::npos) Text = Text.substr(0, Nul);
    size_t P = 0;
    while (P < Text.size()) {
        const size_t E = Text.find_first_of("\r\n", P);
        if (E == std::string_view::npos) {
            Fn(Text.substr(P));
            return;
        }
        Fn(Text.substr(P, E - P));
        P = E + 1;
        if (Text[E] == '\r' && P < Text.size() && Text[P] == '\n') ++P;
    }
}

// The abstract string list. Descendants provide the storage (Get, Put, GetCount,
// Insert, Delete, Clear, ...); text get/set, file load/save and the counted update
// bracket live here. BeginUpdate/EndUpdate nest; SetUpdateState runs only for the
// outermost pair (SetUpdateState(true) before the count goes up, SetUpdateState(false)
// after it is back at 0).
class TStrings : public TPersistent {
public:
    virtual int Add(const std::string& S);
    void AddStrings(TStrings* Strings);
    void Append(const std::string& S) { Add(S); }
    // From another TStrings: Clear and AddStrings inside one update bracket.
    void Assign(TPersistent* Source) override;
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateNesting() const { return FUpdateCount; }
    // Same count and the same strings, byte for byte.
    bool Equals(TStrings* Strings) const;

    virtual std::string Get(int Index) const = 0;
    // The default deletes and re-inserts the row.
    virtual void Put(int Index, const std::string& S);
    virtual int GetCount() const = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int /*NewCapacity*/) {}
    // The first index of S (letter case ignored as by CompareText), or -1.
    virtual int IndexOf(const std::string& S) const;

    // The rows joined, each followed by CR LF.
    virtual std::string GetTextStr() const;
    // Replaces the rows by the lines of Value, split at CR LF, lone CR or lone LF. A NUL
    // byte ends the text; a line break at the end adds no empty row; an empty Value
    // gives no rows. Runs inside one update bracket.
    virtual void SetTextStr(const std::string& Value);

    // Reads the stream from its position to its end as text (SetTextStr).
    virtual void LoadFromStream(TStream& Stream);
    // Writes GetTextStr.
    virtual void SaveToStream(TStream& Stream) const;
    // EFOpenError / EReadError from the file stream propagate.
    virtual void LoadFromFile(const std::string& FileName);
    // EFCreateError / EWriteError from the file stream propagate.
    virtual void SaveToFile(const std::string& FileName) const;

    std::string operator[](int Index) const { return Get(Index); }

protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    [[noreturn]] static void Error(); // EStringListError "リストのインデックスが範囲を超えています"
    virtual int CompareStrings(std::string_view A, std::string_view B) const { return CompareText(A, B); }

private:
    int FUpdateCount = 0;
};

// Closes an update bracket of a string list on every path.
class TStringsUpdateGuard {
public:
    explicit TStringsUpdateGuard(TStrings& Strings) : FStrings(Strings) { FStrings.BeginUpdate(); }
    ~TStringsUpdateGuard() { FStrings.EndUpdate(); }
    TStringsUpdateGuard(const TStringsUpdateGuard&) = delete;
    TStringsUpdateGuard& operator=(const TStringsUpdateGuard&) = delete;

private:
    TStrings& FStrings;
};

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

// A concrete string list; optionally sorted, comparing without regard to ASCII case
// when CaseSensitive is false (the default). A sorted list refuses Insert and Put
// (EStringListError); Add puts the string in its place and, for a string already
// present, returns the existing index (dupIgnore), adds it (dupAccept) or raises
// EStringListError (dupError).
class TStringList : public TStrings {
public:
    int Add(const std::string& S) override;
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;
    int GetCount() const override { return static_cast<int>(FList.size()); }
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    int GetCapacity() const override { return static_cast<int>(FList.capacity()); }
    void SetCapacity(int NewCapacity) override;
    int IndexOf(const std::string& S) const override;
    // Sorted search: true and the index of S (the first of equal ones), or false and
    // where S would go. On an unsorted list the result is meaningless.
    bool Find(const std::string& S, int& Index) const;
    // Sorts by Compare (stable).
    virtual void Sort();

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    // Fired after / before every change, except inside an update bracket, which fires
    // OnChanging once at its start and OnChange once at its end.
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changed();
    virtual void Changing();
    int Compare(std::string_view A, std::string_view B) const;
    int CompareStrings(std::string_view A, std::string_view B) const override { return Compare(A, B); }

private:
    void CheckIndex(int Index) const;
    std::vector<std::string> FList;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
};
