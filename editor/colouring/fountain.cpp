// The colouring scheme's settings objects, the fountain component and its colour walks.
#include "editor/colouring/fountain.h"

#include "editor/colouring/fountain_parser.h"
#include "platform/cp932.h"

// ---- TFountainColor ----------------------------------------------------------------------

void TFountainColor::Assign(TPersistent* Source) {
    if (auto* From = dynamic_cast<TFountainColor*>(Source)) {
        FBkColor = From->FBkColor;
        FColor = From->FColor;
        FStyle = From->FStyle;
        Changed();
        return;
    }
    TNotifyPersistent::Assign(Source);
}

void TFountainColor::SetBkColor(TColor Value) {
    if (FBkColor == Value) return;
    FBkColor = Value;
    Changed();
}

void TFountainColor::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed();
}

void TFountainColor::SetStyle(TFontStyles Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

// ---- TFountainColorItem ------------------------------------------------------------------

TFountainColorItem::TFountainColorItem(TCollection* Collection)
    : TCollectionItem(Collection), FItemColor(std::make_unique<TFountainColor>()) {
    if (auto* Notify = dynamic_cast<TNotifyCollection*>(Collection))
        FItemColor->OnChange = TNotifyEvent::Of<&TNotifyCollection::ChangedProc>(Notify);
}

TFountainColorItem::~TFountainColorItem() = default;

void TFountainColorItem::Assign(TPersistent* Source) {
    if (auto* From = dynamic_cast<TFountainColorItem*>(Source)) {
        SetItemColor(From->GetItemColor());
        return;
    }
    TCollectionItem::Assign(Source);
}

void TFountainColorItem::VisitPublished(TPropertyVisitor& Visitor) { Visitor.Visit("ItemColor", FItemColor.get()); }

// ---- TFountainBracketItem ----------------------------------------------------------------

void TFountainBracketItem::Assign(TPersistent* Source) {
    if (auto* From = dynamic_cast<TFountainBracketItem*>(Source)) {
        FLeftBracket = From->FLeftBracket;
        FRightBracket = From->FRightBracket;
    }
    TFountainColorItem::Assign(Source);
}

// ---- TFountainBracketCollection ----------------------------------------------------------

TFountainBracketItem* TFountainBracketCollection::Add() {
    return static_cast<TFountainBracketItem*>(TCollection::Add());
}

TCollectionItem* TFountainBracketCollection::NewItem() {
    // Checked here rather than in Add so that every way of adding (the framework's own
    // assignment included) keeps the limit.
    if (GetCount() >= MaxBracketItems)
        throw EListError("TFountainBracketCollection\r\nYou can not add item over " +
                         std::to_string(MaxBracketItems));
    return new TFountainBracketItem(this);
}

void TFountainBracketCollection::Assign(TPersistent* Source) {
    auto* From = dynamic_cast<TFountainBracketCollection*>(Source);
    if (From == nullptr) {
        TNotifyCollection::Assign(Source);
        return;
    }
    if (From == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int I = 0; I < From->GetCount(); ++I) Add()->Assign(From->GetItems(I));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TFountain ---------------------------------------------------------------------------

TFountain::TFountain(TComponent* AOwner)
    : TFileExtComponent(AOwner), FNotifyEventList(std::make_unique<TNotifyEventList>(this)) {}

TFountain::~TFountain() {
    // The parts report into the notification list, so they go before it.
    FBrackets.reset();
    FReserveWordList.reset();
    FReserve.reset();
    FNotifyEventList.reset();
}

void TFountain::RunCreateParts() {
    FPartsCreated = true;
    CreateParts();
}

void TFountain::CreateParts() {
    FBrackets = CreateBrackets();
    InitBrackets();
    FReserveWordList = std::make_unique<TStringList>();
    FReserveWordList->SetDuplicates(dupIgnore);
    FReserveWordList->SetCaseSensitive(false);
    FReserveWordList->SetSorted(true);
    InitReserveWordList();
    CreateReserve();
}

TFountainBracketCollection* TFountain::GetBrackets() const {
    EnsureParts();
    return FBrackets.get();
}

TFountainColor* TFountain::GetReserve() const {
    EnsureParts();
    return FReserve.get();
}

TStringList* TFountain::GetReserveWordList() const {
    EnsureParts();
    return FReserveWordList.get();
}

void TFountain::SetReserveWordList(TStrings* Value) {
    GetReserveWordList()->Assign(Value);
    FNotifyEventList->Changed();
}

std::unique_ptr<TFountainColor> TFountain::CreateFountainColor() {
    auto Color = std::make_unique<TFountainColor>();
    Color->OnChange = TNotifyEvent::Of<&TNotifyEventList::ChangedProc>(FNotifyEventList.get());
    return Color;
}

void TFountain::CreateReserve() { FReserve = CreateFountainColor(); }

std::unique_ptr<TFountainBracketCollection> TFountain::CreateBrackets() {
    auto Brackets = std::make_unique<TFountainBracketCollection>(this);
    Brackets->OnChange = TNotifyEvent::Of<&TNotifyEventList::ChangedProc>(FNotifyEventList.get());
    return Brackets;
}

std::unique_ptr<TFountainParser> TFountain::CreateParser() { return GetParserClass()(this); }

void TFountain::VisitPublished(TPropertyVisitor& Visitor) {
    EnsureParts();
    Visitor.Visit("FileExtList", GetFileExtList());
    Visitor.Visit("Brackets", FBrackets.get());
    Visitor.Visit("Reserve", FReserve.get());
    Visitor.Visit("ReserveWordList", FReserveWordList.get());
}

void TFountain::WalkColors(TPersistent* Obj, TColorProc Proc, int Depth) {
    // The settings trees are shallow; the bound only protects against a property that
    // leads back to an object on the way.
    if (Obj == nullptr || Depth > 16) return;
    struct TWalker final : TPropertyVisitor {
        TFountain* Self;
        TColorProc Proc;
        int Depth;
        TWalker(TFountain* S, TColorProc P, int D) : Self(S), Proc(P), Depth(D) {}
        void Visit(const char* PropName, TPersistent* Value) override {
            if (Value == nullptr) return;
            if (auto* Color = dynamic_cast<TFountainColor*>(Value)) (Self->*Proc)(Color, PropName);
            Self->WalkColors(Value, Proc, Depth + 1);
        }
    } Walker(this, Proc, Depth);
    if (auto* Collection = dynamic_cast<TCollection*>(Obj)) {
        for (int I = 0; I < Collection->GetCount(); ++I) WalkColors(Collection->GetItem(I), Proc, Depth + 1);
        return;
    }
    if (auto* Published = dynamic_cast<TPublishedObjects*>(Obj)) Published->VisitPublished(Walker);
}

bool TFountain::HasItalicColor(TPersistent* Obj) {
    FItalicFound = false;
    WalkColors(Obj, &TFountain::HasItalicColorProc, 0);
    return FItalicFound;
}

void TFountain::HasItalicColorProc(TFountainColor* Color, const std::string& /*PropName*/) {
    if (Color->GetStyle() & fsItalic) FItalicFound = true;
}

void TFountain::ApplyColorToAll(TPersistent* Obj, TFountainColor* Color, int Flags) {
    if (Color == nullptr) return;
    FApplyColor = Color;
    FApplyFlags = Flags;
    WalkColors(Obj, &TFountain::ApplyColorToAllProc, 0);
    FApplyColor = nullptr;
    FApplyFlags = 0;
}

void TFountain::ApplyColorToAllProc(TFountainColor* Color, const std::string& /*PropName*/) {
    if (Color == FApplyColor) return;
    if (FApplyFlags & 1) Color->SetBkColor(FApplyColor->GetBkColor());
    if (FApplyFlags & 2) Color->SetColor(FApplyColor->GetColor());
    if (FApplyFlags & 4) Color->SetStyle(FApplyColor->GetStyle());
}
