// The editor's settings objects: setters with their ranges, and Assign.
#include "editor/control/editor_settings.h"

#include <algorithm>

namespace {

// Stores Value in Field and reports through Owner when it differs.
template <class T>
void Store(TNotifyPersistent& Owner, T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Owner.Changed();
}

// Clamps to Lo..Hi, then lowers an odd value by one.
int EvenInRange(int Value, int Lo, int Hi) {
    Value = std::clamp(Value, Lo, Hi);
    return Value - (Value & 1);
}

} // namespace

// TEditorCursors ---------------------------------------------------------------------------

void TEditorCursors::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorCursors*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    DefaultCursor = S->DefaultCursor;
    DragSelCursor = S->DragSelCursor;
    DragSelCopyCursor = S->DragSelCopyCursor;
    InSelCursor = S->InSelCursor;
    LeftMarginCursor = S->LeftMarginCursor;
    TopMarginCursor = S->TopMarginCursor;
}

// TEditorCaret -----------------------------------------------------------------------------

TEditorCaret::TEditorCaret() : FCursors(std::make_unique<TEditorCursors>()) {}

TEditorCaret::~TEditorCaret() = default;

void TEditorCaret::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorCaret*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    AutoCursor = S->AutoCursor;
    AutoIndent = S->AutoIndent;
    BackSpaceUnIndent = S->BackSpaceUnIndent;
    FCursors->Assign(S->FCursors.get());
    FreeCaret = S->FreeCaret;
    FreeRow = S->FreeRow;
    InTab = S->InTab;
    KeepCaret = S->KeepCaret;
    LockScroll = S->LockScroll;
    NextLine = S->NextLine;
    PrevSpaceIndent = S->PrevSpaceIndent;
    RowSelect = S->RowSelect;
    SelDragMode = S->SelDragMode;
    SelMove = S->SelMove;
    SoftTab = S->SoftTab;
    FStyle = S->FStyle;
    TabIndent = S->TabIndent;
    FTabSpaceCount = S->FTabSpaceCount;
    TokenEndStop = S->TokenEndStop;
    Changed();
}

void TEditorCaret::SetStyle(TEditorCaretStyle Value) { Store(*this, FStyle, Value); }

void TEditorCaret::SetTabSpaceCount(int Value) { Store(*this, FTabSpaceCount, EvenInRange(Value, 2, 8)); }

// TEditorMargin ----------------------------------------------------------------------------

void TEditorMargin::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorMargin*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FCharacter = S->FCharacter;
    FLeft = S->FLeft;
    FLine = S->FLine;
    FTop = S->FTop;
    FUnderlineExtra = S->FUnderlineExtra;
    Changed();
}

void TEditorMargin::SetValue(int& Field, int Value) { Store(*this, Field, std::clamp(Value, 0, 100)); }
void TEditorMargin::SetCharacter(int Value) { SetValue(FCharacter, Value); }
void TEditorMargin::SetLeft(int Value) { SetValue(FLeft, Value); }
void TEditorMargin::SetLine(int Value) { SetValue(FLine, Value); }
void TEditorMargin::SetTop(int Value) { SetValue(FTop, Value); }

// TEditorMark / TEditorMarks ---------------------------------------------------------------

void TEditorMark::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorMark*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FColor = S->FColor;
    FVisible = S->FVisible;
    Changed();
}

void TEditorMark::SetColor(TColor Value) { Store(*this, FColor, Value); }
void TEditorMark::SetVisible(bool Value) { Store(*this, FVisible, Value); }

TEditorMarks::TEditorMarks() {
    for (auto* P : {&FEofMark, &FRetMark, &FWrapMark, &FHideMark, &FUnderline}) {
        *P = std::make_unique<TEditorMark>();
        (*P)->OnChange = TNotifyEvent::Of<&TNotifyPersistent::ChangedProc>(static_cast<TNotifyPersistent*>(this));
    }
}

TEditorMarks::~TEditorMarks() = default;

void TEditorMarks::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorMarks*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    TUpdateGuard<TNotifyPersistent> Guard(*this);
    FEofMark->Assign(S->FEofMark.get());
    FRetMark->Assign(S->FRetMark.get());
    FWrapMark->Assign(S->FWrapMark.get());
    FHideMark->Assign(S->FHideMark.get());
    FUnderline->Assign(S->FUnderline.get());
}

// TEditorRuler -----------------------------------------------------------------------------

void TEditorRuler::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorRuler*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FBkColor = S->FBkColor;
    FColor = S->FColor;
    FEdge = S->FEdge;
    FGaugeRange = S->FGaugeRange;
    FMarkColor = S->FMarkColor;
    FVisible = S->FVisible;
    Changed();
}

void TEditorRuler::SetBkColor(TColor Value) { Store(*this, FBkColor, Value); }
void TEditorRuler::SetColor(TColor Value) { Store(*this, FColor, Value); }
void TEditorRuler::SetEdge(bool Value) { Store(*this, FEdge, Value); }
void TEditorRuler::SetGaugeRange(int Value) { Store(*this, FGaugeRange, EvenInRange(Value, 8, 10)); }
void TEditorRuler::SetMarkColor(TColor Value) { Store(*this, FMarkColor, Value); }
void TEditorRuler::SetVisible(bool Value) { Store(*this, FVisible, Value); }

// TEditorLeftbar ---------------------------------------------------------------------------

void TEditorLeftbar::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorLeftbar*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FBkColor = S->FBkColor;
    FColor = S->FColor;
    FColumn = S->FColumn;
    FEdge = S->FEdge;
    FLeftMargin = S->FLeftMargin;
    FRightMargin = S->FRightMargin;
    FShowNumber = S->FShowNumber;
    FShowNumberMode = S->FShowNumberMode;
    FVisible = S->FVisible;
    FZeroBase = S->FZeroBase;
    FZeroLead = S->FZeroLead;
    Changed();
}

void TEditorLeftbar::SetBkColor(TColor Value) { Store(*this, FBkColor, Value); }
void TEditorLeftbar::SetColor(TColor Value) { Store(*this, FColor, Value); }
void TEditorLeftbar::SetColumn(int Value) { Store(*this, FColumn, std::clamp(Value, 1, 8)); }
void TEditorLeftbar::SetEdge(bool Value) { Store(*this, FEdge, Value); }
void TEditorLeftbar::SetLeftMargin(int Value) { Store(*this, FLeftMargin, std::clamp(Value, 0, 100)); }
void TEditorLeftbar::SetRightMargin(int Value) { Store(*this, FRightMargin, std::clamp(Value, 0, 100)); }
void TEditorLeftbar::SetShowNumber(bool Value) { Store(*this, FShowNumber, Value); }
void TEditorLeftbar::SetShowNumberMode(TEditorShowNumberMode Value) { Store(*this, FShowNumberMode, Value); }
void TEditorLeftbar::SetVisible(bool Value) { Store(*this, FVisible, Value); }
void TEditorLeftbar::SetZeroBase(bool Value) { Store(*this, FZeroBase, Value); }
void TEditorLeftbar::SetZeroLead(bool Value) { Store(*this, FZeroLead, Value); }

// TEditorImagebar --------------------------------------------------------------------------

void TEditorImagebar::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorImagebar*>(Source);
    if (!S) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FDigitWidth = S->FDigitWidth;
    FLeftMargin = S->FLeftMargin;
    FMarkWidth = S->FMarkWidth;
    FRightMargin = S->FRightMargin;
    FVisible = S->FVisible;
    Changed();
}

void TEditorImagebar::SetDigitWidth(int Value) { Store(*this, FDigitWidth, std::clamp(Value, 0, 100)); }
void TEditorImagebar::SetLeftMargin(int Value) { Store(*this, FLeftMargin, std::clamp(Value, 0, 100)); }
void TEditorImagebar::SetMarkWidth(int Value) { Store(*this, FMarkWidth, std::clamp(Value, 0, 100)); }
void TEditorImagebar::SetRightMargin(int Value) { Store(*this, FRightMargin, std::clamp(Value, 0, 100)); }
void TEditorImagebar::SetVisible(bool Value) { Store(*this, FVisible, Value); }

// TEditorSpeed -----------------------------------------------------------------------------

void TEditorSpeed::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TEditorSpeed*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    CaretVerticalAc = S->CaretVerticalAc;
    InitBracketsFull = S->InitBracketsFull;
    PageVerticalRange = S->PageVerticalRange;
    PageVerticalRangeAc = S->PageVerticalRangeAc;
}
