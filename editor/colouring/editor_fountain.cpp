// The editor's colouring scheme: named colours, bracket collection and the scheme itself.
#include "editor/colouring/editor_fountain.h"

#include <strings.h>

#include "editor/colouring/editor_parser.h"

// ---- TEditorColors -----------------------------------------------------------------------

TEditorColors::TEditorColors(TFountain* Fountain) : FFountain(Fountain) {
    FAnk = MakeColor();
    FComment = MakeColor();
    FDBCS = MakeColor();
    FHit = MakeColor();
    FInt = MakeColor();
    FMail = MakeColor();
    FSelect = MakeColor();
    FStr = MakeColor();
    FSymbol = MakeColor();
    FUrl = MakeColor();
    // Navy background, white text: set before the change event is of any use.
    FSelect->SetBkColor(0x800000);
    FSelect->SetColor(0xFFFFFF);
}

TEditorColors::~TEditorColors() = default;

std::unique_ptr<TEditorColor> TEditorColors::MakeColor() {
    auto Color = std::make_unique<TEditorColor>();
    Color->OnChange = TNotifyEvent::Of<&TNotifyPersistent::ChangedProc>(this);
    return Color;
}

TFountainColor* TEditorColors::GetReserve() const { return FFountain != nullptr ? FFountain->GetReserve() : nullptr; }

void TEditorColors::SetReserve(TFountainColor* Value) {
    if (TFountainColor* Reserve = GetReserve()) Reserve->Assign(Value);
}

void TEditorColors::Assign(TPersistent* Source) {
    auto* From = dynamic_cast<TEditorColors*>(Source);
    if (From == nullptr) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    if (From == this) return;
    // The Reserve colour reports to the scheme directly, not through this set.
    std::unique_ptr<TUpdateGuard<TNotifyEventList>> SchemeBracket;
    if (FFountain != nullptr)
        SchemeBracket = std::make_unique<TUpdateGuard<TNotifyEventList>>(*FFountain->GetNotifyEventList());
    TUpdateGuard<TEditorColors> Bracket(*this);
    SetAnk(From->GetAnk());
    SetComment(From->GetComment());
    SetDBCS(From->GetDBCS());
    SetHit(From->GetHit());
    SetInt(From->GetInt());
    SetMail(From->GetMail());
    SetStr(From->GetStr());
    SetSymbol(From->GetSymbol());
    if (From->GetReserve() != nullptr) SetReserve(From->GetReserve());
    SetUrl(From->GetUrl());
    SetSelect(From->GetSelect());
}

void TEditorColors::VisitPublished(TPropertyVisitor& Visitor) {
    Visitor.Visit("Ank", FAnk.get());
    Visitor.Visit("Comment", FComment.get());
    Visitor.Visit("DBCS", FDBCS.get());
    Visitor.Visit("Hit", FHit.get());
    Visitor.Visit("Int", FInt.get());
    Visitor.Visit("Mail", FMail.get());
    Visitor.Visit("Reserve", GetReserve());
    Visitor.Visit("Select", FSelect.get());
    Visitor.Visit("Str", FStr.get());
    Visitor.Visit("Symbol", FSymbol.get());
    Visitor.Visit("Url", FUrl.get());
}

// ---- TEditorBracketCollection ------------------------------------------------------------

void TEditorBracketCollection::SetItemsBkColor(TColor Value) {
    TUpdateGuard<TCollection> Bracket(*this);
    for (int I = 0; I < GetCount(); ++I) GetItems(I)->GetItemColor()->SetBkColor(Value);
}

void TEditorBracketCollection::SetItemsColor(TColor Value) {
    TUpdateGuard<TCollection> Bracket(*this);
    for (int I = 0; I < GetCount(); ++I) GetItems(I)->GetItemColor()->SetColor(Value);
}

void TEditorBracketCollection::SetItemsStyle(TFontStyles Value) {
    TUpdateGuard<TCollection> Bracket(*this);
    for (int I = 0; I < GetCount(); ++I) GetItems(I)->GetItemColor()->SetStyle(Value);
}

// ---- TEditorFountain ---------------------------------------------------------------------

TEditorFountain::TEditorFountain(TComponent* AOwner) : TFountain(AOwner) {}

TEditorFountain::~TEditorFountain() { FColors.reset(); }

void TEditorFountain::CreateParts() {
    TFountain::CreateParts();
    FColors = CreateEditorColors();
}

TEditorColors* TEditorFountain::GetColors() const {
    EnsureParts();
    return FColors.get();
}

std::unique_ptr<TFountainBracketCollection> TEditorFountain::CreateBrackets() {
    auto Brackets = std::make_unique<TEditorBracketCollection>(this);
    Brackets->OnChange = TNotifyEvent::Of<&TNotifyEventList::ChangedProc>(GetNotifyEventList());
    return Brackets;
}

std::unique_ptr<TEditorColors> TEditorFountain::CreateEditorColors() {
    auto Colors = std::make_unique<TEditorColors>(this);
    Colors->OnChange = TNotifyEvent::Of<&TNotifyEventList::ChangedProc>(GetNotifyEventList());
    return Colors;
}

TFountainParserClass TEditorFountain::GetParserClass() {
    return [](TFountain* Fountain) -> std::unique_ptr<TFountainParser> {
        return std::make_unique<TEditorParser>(Fountain);
    };
}

void TEditorFountain::ApplyColorToAllProc(TFountainColor* Color, const std::string& PropName) {
    if (strcasecmp(PropName.c_str(), "Select") == 0 || strcasecmp(PropName.c_str(), "Hit") == 0) return;
    TFountain::ApplyColorToAllProc(Color, PropName);
}

void TEditorFountain::ApplyToColors(TColor Value, TFontStyles Style, int Flags) {
    TFountainColor Temp;
    Temp.SetBkColor(Value);
    Temp.SetColor(Value);
    Temp.SetStyle(Style);
    TUpdateGuard<TNotifyEventList> Bracket(*GetNotifyEventList());
    ApplyColorToAll(GetColors(), &Temp, Flags);
}

void TEditorFountain::SetAllBkColor(TColor Value) { ApplyToColors(Value, 0, 1); }

void TEditorFountain::SetAllColor(TColor Value) { ApplyToColors(Value, 0, 2); }

void TEditorFountain::SetAllStyle(TFontStyles Value) { ApplyToColors(clNoColor, Value, 4); }

void TEditorFountain::VisitPublished(TPropertyVisitor& Visitor) {
    TFountain::VisitPublished(Visitor);
    Visitor.Visit("Colors", GetColors());
}
