// Notifying persistent object, notifying collection, method list and handler list.
#include "editor/colouring/notify.h"

#include <vector>

// ---- TNotifyPersistent -------------------------------------------------------------------

void TNotifyPersistent::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TNotifyPersistent::BeginUpdate() {
    ++FUpdateCount;
}

void TNotifyPersistent::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TNotifyPersistent::ChangedProc(TObject* Sender) {
    if (Sender != this) Changed();
}

// ---- TNotifyCollection -------------------------------------------------------------------

void TNotifyCollection::ChangedProc(TObject* Sender) {
    if (Sender != this) TCollection::Changed();
}

void TNotifyCollection::Update(TCollectionItem* /*Item*/) {
    if (OnChange) OnChange(this);
}

// ---- TMethodList -------------------------------------------------------------------------

TMethodList::~TMethodList() {
    TMethodList::Clear();
}

int TMethodList::Add(const TNotifyEvent& Method) {
    auto Record = std::make_unique<TNotifyEvent>(Method);
    int Index = TList::Add(Record.get());
    Record.release();
    return Index;
}

void TMethodList::Remove(const TNotifyEvent& Method) {
    for (int I = GetCount() - 1; I >= 0; --I) {
        auto* Record = static_cast<TNotifyEvent*>(Get(I));
        if (*Record == Method) {
            Delete(I);
            delete Record;
            return;
        }
    }
}

void TMethodList::Clear() {
    for (int I = 0; I < GetCount(); ++I) delete static_cast<TNotifyEvent*>(Get(I));
    TList::Clear();
}

bool TMethodList::Contains(const TNotifyEvent& Method) const {
    for (int I = 0; I < GetCount(); ++I)
        if (*static_cast<TNotifyEvent*>(Get(I)) == Method) return true;
    return false;
}

// ---- TNotifyEventList --------------------------------------------------------------------

TNotifyEventList::TNotifyEventList(TPersistent* AOwner)
    : FList(std::make_unique<TMethodList>()), FOwner(AOwner) {}

TNotifyEventList::~TNotifyEventList() = default;

void TNotifyEventList::Changed() {
    if (FUpdateCount != 0) return;
    // A handler may unregister itself or others (an editor that detaches from the scheme):
    // walk a snapshot and skip handlers that are no longer registered.
    std::vector<TNotifyEvent> Handlers;
    Handlers.reserve(static_cast<size_t>(FList->GetCount()));
    for (int I = 0; I < FList->GetCount(); ++I) Handlers.push_back(FList->GetMethod(I));
    TObject* Sender = GetOwner();
    for (const TNotifyEvent& Handler : Handlers)
        if (FList->Contains(Handler)) Handler(Sender);
}

void TNotifyEventList::Add(const TNotifyEvent& Handler) {
    FList->Add(Handler);
}

void TNotifyEventList::Remove(const TNotifyEvent& Handler) {
    FList->Remove(Handler);
}
