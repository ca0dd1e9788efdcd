// Notifying base classes of the colouring schemes and settings objects: a persistent object
// with a change event and an update bracket, a collection that reports its changes, a list of
// bound methods, and the list of handlers that a scheme calls on every change.
#pragma once

#include <memory>

#include "platform/classes.h"

// A persistent object that reports its changes through OnChange. Changes inside a
// BeginUpdate/EndUpdate bracket (which nests) are reported once, when the outermost
// bracket closes.
class TNotifyPersistent : public TPersistent {
public:
    // Calls OnChange(this) when no bracket is open and a handler is assigned.
    virtual void Changed();
    virtual void BeginUpdate();
    // Closes one bracket level, then Changed (which reports only at level 0). A surplus
    // EndUpdate leaves the count at 0.
    virtual void EndUpdate();
    // Installed by an owner as the OnChange of the objects it owns, so that a change of a
    // part is a change of the whole: Changed unless Sender is this object itself.
    virtual void ChangedProc(TObject* Sender);

    int GetUpdateCount() const { return FUpdateCount; }

    TNotifyEvent OnChange;

protected:
    int FUpdateCount = 0;
};

// Keeps an update bracket of a notifying object open for a scope.
template <class T> class TUpdateGuard {
public:
    explicit TUpdateGuard(T& Object) : FObject(Object) { FObject.BeginUpdate(); }
    ~TUpdateGuard() { FObject.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    T& FObject;
};

// A collection that reports every change (an item added, deleted or changed, outside the
// collection's own update bracket) through OnChange with itself as sender. Descendants
// provide NewItem.
class TNotifyCollection : public TCollection {
public:
    explicit TNotifyCollection(TPersistent* AOwner) : FOwner(AOwner) {}

    TPersistent* GetOwner() const override { return FOwner; }
    // The OnChange handler for sub-objects of the items: the collection's own change
    // notification (ending in Update) unless Sender is the collection itself.
    virtual void ChangedProc(TObject* Sender);

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

// A list of bound methods. Each entry is an allocated copy of a TNotifyEvent; the list
// frees them.
class TMethodList : public TList {
public:
    TMethodList() = default;
    ~TMethodList() override;

    // Appends a copy of Method; returns its index.
    virtual int Add(const TNotifyEvent& Method);
    // Frees and deletes the last entry equal to Method (same code, same object); nothing
    // when there is none.
    virtual void Remove(const TNotifyEvent& Method);
    void Clear() override;

    TNotifyEvent GetMethod(int Index) const { return *static_cast<TNotifyEvent*>(Get(Index)); }
    // Whether Method is registered at least once.
    bool Contains(const TNotifyEvent& Method) const;
};

// The change handlers registered with a scheme. Changed calls each registration (a handler
// registered twice runs twice) in order of registration, with the owning scheme as sender.
// Sub-objects of the scheme report into the list through ChangedProc.
class TNotifyEventList : public TNotifyPersistent {
public:
    explicit TNotifyEventList(TPersistent* AOwner);
    ~TNotifyEventList() override;

    void Changed() override;
    TPersistent* GetOwner() const override { return FOwner; }
    virtual void Add(const TNotifyEvent& Handler);
    virtual void Remove(const TNotifyEvent& Handler);

    int GetHandlerCount() const { return FList->GetCount(); }

private:
    std::unique_ptr<TMethodList> FList;
    TPersistent* FOwner;
};
