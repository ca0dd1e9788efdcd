// The framework classes the editor and the application build on: persistent objects,
// collections, components with destruction notification, pointer and string lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
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

protected:
    virtual void AssignTo(TPersistent* Dest);
    virtual TPersistent* GetOwner() { return nullptr; }
};

class TCollection;

class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollection* GetCollection() const { return FCollection; }
    int GetIndex() const;

protected:
    // Reports a change of this item (AllItems: of the whole collection) to the collection.
    virtual void Changed(bool AllItems);
    TPersistent* GetOwner() override;

private:
    friend class TCollection;
    TCollection* FCollection;
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
    // Copies the items of another collection (same item class) by Assign.
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
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* GetOwner() const { return FOwner; }
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& Name) { FName = Name; }
    unsigned GetComponentState() const { return FComponentState; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* GetComponent(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }

    // Asks to be told (Notification with opRemove) when AComponent is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Loading bracket used when a component's properties are read from a stream.
    void BeginLoading() { FComponentState |= csLoading; }
    void EndLoading();

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded() {}

private:
    void InsertComponent(TComponent* C);
    void RemoveComponent(TComponent* C);
    TComponent* FOwner;
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
    virtual void Clear();
    int GetCount() const { return static_cast<int>(FItems.size()); }
    void* Get(int Index) const; // EListError "リストのインデックスが範囲を超えています"
    void Put(int Index, void* Item);
    int IndexOf(void* Item) const;

private:
    std::vector<void*> FItems;
};

// The abstract string list. Descendants provide the storage (Get, Put, GetCount,
// Insert, Delete, Clear, ...); text get/set, file load/save and the counted update
// bracket live here. BeginUpdate/EndUpdate nest; SetUpdateState runs only for the
// outermost pair.
class TStrings : public TPersistent {
public:
    virtual int Add(const std::string& S);
    void AddStrings(TStrings* Strings);
    void Append(const std::string& S) { Add(S); }
    void Assign(TPersistent* Source) override;
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateNesting() const { return FUpdateCount; }

    virtual std::string Get(int Index) const = 0;
    virtual void Put(int Index, const std::string& S);
    virtual int GetCount() const = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int /*NewCapacity*/) {}
    virtual int IndexOf(const std::string& S) const;

    // The rows joined, each followed by CR LF.
    virtual std::string GetTextStr() const;
    // Replaces the rows by the lines of Value, split at CR LF, lone CR or lone LF.
    virtual void SetTextStr(const std::string& Value);

    virtual void LoadFromStream(TStream& Stream);
    virtual void SaveToStream(TStream& Stream) const;
    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName) const;

    std::string operator[](int Index) const { return Get(Index); }

protected:
    virtual void SetUpdateState(bool /*Updating*/) {}
    [[noreturn]] static void Error(); // EStringListError "リストのインデックスが範囲を超えています"

private:
    int FUpdateCount = 0;
};

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

// A concrete string list; optionally sorted, comparing without regard to ASCII case
// when CaseSensitive is false (the default).
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
    int IndexOf(const std::string& S) const override;
    // Sorted search: true and the index of S, or false and where S would go.
    bool Find(const std::string& S, int& Index) const;

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changed();
    virtual void Changing();
    int Compare(const std::string& A, const std::string& B) const;

private:
    void Sort();
    std::vector<std::string> FList;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FUpdating = false;
};
