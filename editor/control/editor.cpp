// TEditor as a component: construction and destruction, the owned objects, the published
// properties, the settings handler, text changes and the text messages.
#include "editor/control/editor.h"

#include <algorithm>
#include <cstring>

#include "editor/control/editor_accessible.h"
#include "editor/control/editor_popup_menu.h"
#include "editor/control/editor_screen.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/screen_strings.h"
#include "editor/model/undo.h"
#include "editor/model/wrap_option.h"

// ---- construction and destruction ------------------------------------------------------------

TEditor::TEditor(TComponent* AOwner) : TComponent(AOwner) {
    FHeight = 89;
    FWidth = 185;
    FBorderStyle = bsSingle;
    FCursor = crIBeam;
    FTabStop = true;
    WantReturns = true;
    WantTabs = true;
}

void TEditor::AfterConstruction() {
    FDelimiters = GetDelimiters();

    FList = CreateEditorScreenStrings();
    FList->AddEditor(this);
    FLines = CreateEditorStrings();
    FScreen = CreateEditorScreen();
    FView = CreateEditorViewInfo();
    FView->OnChange = TNotifyEvent::Of<&TEditor::SettingsChanged>(this);

    FParentColor = false;
    FColor = clWhite;
    FFont.Color = clBlack;
    FFont.Name = "FixedSys";

    const TNotifyEvent Handler = TNotifyEvent::Of<&TEditor::SettingsChanged>(this);
    FCaret = CreateEditorCaret();
    FCaret->OnChange = Handler;
    FMarks = CreateEditorMarks();
    FMarks->OnChange = Handler;
    FMargin = CreateEditorMargin();
    FMargin->OnChange = Handler;
    FImagebar = CreateEditorImagebar();
    FImagebar->OnChange = Handler;
    FLeftbar = CreateEditorLeftbar();
    FLeftbar->OnChange = Handler;
    FRuler = CreateEditorRuler();
    FRuler->OnChange = Handler;

    CreateBitmaps();
    FSpeed = CreateEditorSpeed();
    if (!GetDesigning()) FPopupMenu = CreateEditorPopupMenu();
}

TEditor::~TEditor() {
    FDestroying = true;
    FHost.reset();
    SetFountain(nullptr);
    FScreen.reset();
    FView.reset();
    if (FList) {
        TEditorScreenStrings* List = FList;
        FList = nullptr;
        List->RemoveEditor(this);
    }
    FLines.reset();
    FCaret.reset();
    FMarks.reset();
    FMargin.reset();
    FImagebar.reset();
    FLeftbar.reset();
    FRuler.reset();
    FreeBitmaps();
    FSpeed.reset();
    FPopupMenu.reset();
}

std::unique_ptr<TEditorCaret> TEditor::CreateEditorCaret() { return std::make_unique<TEditorCaret>(); }
std::unique_ptr<TEditorImagebar> TEditor::CreateEditorImagebar() { return std::make_unique<TEditorImagebar>(); }
std::unique_ptr<TEditorLeftbar> TEditor::CreateEditorLeftbar() { return std::make_unique<TEditorLeftbar>(); }
std::unique_ptr<TEditorMarks> TEditor::CreateEditorMarks() { return std::make_unique<TEditorMarks>(); }
std::unique_ptr<TEditorMargin> TEditor::CreateEditorMargin() { return std::make_unique<TEditorMargin>(); }
std::unique_ptr<TEditorRuler> TEditor::CreateEditorRuler() { return std::make_unique<TEditorRuler>(); }
std::unique_ptr<TEditorSpeed> TEditor::CreateEditorSpeed() { return std::make_unique<TEditorSpeed>(); }
// The popup menu class belongs to the menu code; a control without one shows none.
// The menu is owned by the control, not by a component owner.
std::unique_ptr<TObject> TEditor::CreateEditorPopupMenu() { return TEditorPopupMenu::Create(nullptr, this); }
std::unique_ptr<TEditorScreen> TEditor::CreateEditorScreen() { return std::make_unique<TEditorScreen>(this); }
TEditorScreenStrings* TEditor::CreateEditorScreenStrings() { return new TEditorScreenStrings(); }
std::unique_ptr<TEditorStrings> TEditor::CreateEditorStrings() { return std::make_unique<TEditorStrings>(this); }
std::unique_ptr<TEditorViewInfo> TEditor::CreateEditorViewInfo() { return std::make_unique<TEditorViewInfo>(); }

const TDelimiters& TEditor::GetDelimiters() const {
    static const TDelimiters Default = DefaultDelimiters();
    return Default;
}

TFountain* TEditor::ActiveFountain() const {
    if (FFountain) return FFountain;
    return FView ? FView->GetEditorFountain() : nullptr;
}

// ---- references --------------------------------------------------------------------------------

void TEditor::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FFountain) {
        FFountain = nullptr;
        // The rows still carry the colouring state of the scheme that is gone.
        if (FList && !FDestroying) FList->ScanAll();
        Invalidate();
    }
    if (AComponent == FImageDigits) {
        FImageDigits = nullptr;
        Invalidate();
    }
    if (AComponent == FImageMarks) {
        FImageMarks = nullptr;
        Invalidate();
    }
}

void TEditor::SetFountain(TFountain* Value) {
    if (Value == FFountain) return;
    const TNotifyEvent Handler = TNotifyEvent::Of<&TEditor::SettingsChanged>(this);
    if (FFountain) {
        FFountain->GetNotifyEventList()->Remove(Handler);
        RemoveFreeNotification(FFountain);
    }
    if (Value) {
        Value->GetNotifyEventList()->Add(Handler);
        FreeNotification(Value);
    }
    FFountain = Value;
    if (FDestroying) return;
    FList->ScanAll();
    Invalidate();
}

void TEditor::SetImageDigits(TComponent* Value) {
    if (Value == FImageDigits) return;
    if (FImageDigits) RemoveFreeNotification(FImageDigits);
    FImageDigits = Value;
    if (Value) FreeNotification(Value);
    if (FImagebar->GetVisible()) Invalidate();
}

void TEditor::SetImageMarks(TComponent* Value) {
    if (Value == FImageMarks) return;
    if (FImageMarks) RemoveFreeNotification(FImageMarks);
    FImageMarks = Value;
    if (Value) FreeNotification(Value);
    if (FImagebar->GetVisible()) Invalidate();
}

// ---- published properties ----------------------------------------------------------------------

void TEditor::SetWidth(int Value) { SetBounds(Value, FHeight); }
void TEditor::SetHeight(int Value) { SetBounds(FWidth, Value); }

void TEditor::SetBounds(int Width, int Height) { SetBounds(FLeft, FTop, Width, Height); }

void TEditor::SetBounds(int Left, int Top, int Width, int Height) {
    if (Left == FLeft && Top == FTop && Width == FWidth && Height == FHeight) return;
    FLeft = Left;
    FTop = Top;
    FWidth = Width;
    FHeight = Height;
    if (HandleAllocated()) {
        FHost->SetBounds(Left, Top, Width, Height);
        RefreshView();
    }
}

void TEditor::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

// The font, colour and 3-D changes reach the control as the framework's notifications.
void TEditor::SetCtl3D(bool Value) {
    if (Value == FCtl3D) return;
    FCtl3D = Value;
    Perform(CM_CTL3DCHANGED);
}

void TEditor::SetColor(TColor Value) {
    FParentColor = false;
    if (Value == FColor) return;
    FColor = Value;
    Perform(CM_COLORCHANGED);
}

void TEditor::SetFont(const TFont& Value) {
    if (Value == FFont) return;
    FFont = Value;
    Perform(CM_FONTCHANGED);
}

void TEditor::SetCursor(TCursor Value) {
    FCursor = Value;
    if (HandleAllocated()) FHost->SetCursor(Value);
}

void TEditor::SetCaret(TEditorCaret* Value) { FCaret->Assign(Value); }
void TEditor::SetImagebar(TEditorImagebar* Value) { FImagebar->Assign(Value); }
void TEditor::SetLeftbar(TEditorLeftbar* Value) { FLeftbar->Assign(Value); }
void TEditor::SetMarks(TEditorMarks* Value) { FMarks->Assign(Value); }
void TEditor::SetMargin(TEditorMargin* Value) { FMargin->Assign(Value); }
void TEditor::SetRuler(TEditorRuler* Value) { FRuler->Assign(Value); }
void TEditor::SetSpeed(TEditorSpeed* Value) { FSpeed->Assign(Value); }

void TEditor::SetView(TEditorViewInfo* Value) {
    FView->Assign(Value);
    ScrollCaretIntoView();
    PlaceCaret();
}

void TEditor::SetHitStyle(TEditorHitStyle Value) {
    if (Value == FHitStyle) return;
    if (HasSelection()) CancelSelection();
    FHitStyle = Value;
}

void TEditor::SetLines(TStrings* Value) {
    FLines->Assign(Value);
    FList->RefreshViews();
}

void TEditor::SetReadOnly(bool Value) {
    if (Value == FReadOnly || FDragState == dsDragging) return;
    FReadOnly = Value;
    if (Value && FSelectionState == selSelected) SetCursor(FCaret->GetCursors()->DefaultCursor);
}

TStrings* TEditor::GetReserveWordList() const { return FView->GetEditorFountain()->GetReserveWordList(); }

void TEditor::SetReserveWordList(TStrings* Value) {
    TStringList* Own = FView->GetEditorFountain()->GetReserveWordList();
    if (Value == nullptr || Own->Equals(Value)) return;
    Own->Assign(Value);
    FList->ScanAll();
    Invalidate();
}

int TEditor::GetUndoListMax() const { return FList->GetUndoObj()->GetUndoListMax(); }
void TEditor::SetUndoListMax(int Value) { FList->GetUndoObj()->SetUndoListMax(Value); }
bool TEditor::GetWordWrap() const { return FList && FList->GetWordWrap(); }
void TEditor::SetWordWrap(bool Value) { FList->SetWordWrap(Value); }
TEditorWrapOption* TEditor::GetWrapOption() const { return FList ? FList->GetWrapOption() : nullptr; }
void TEditor::SetWrapOption(TEditorWrapOption* Value) { FList->SetWrapOption(Value); }

// ---- operations ----------------------------------------------------------------------------

void TEditor::Clear() { FLines->Clear(); }

void TEditor::ShareLines(TEditor* Other) {
    if (Other == nullptr || Other == this || Other->FList == FList) return;
    CancelSelection();
    TEditorScreenStrings* Old = FList;
    FList = Other->FList;
    FList->AddEditor(this);
    Old->RemoveEditor(this);
    if (FAccessible) FAccessible->RowsRebuilt();
    // The caret and the top row must name rows of the text now shown.
    const int Last = FList->LastCaretRow();
    if (FRow > Last) FRow = Last;
    if (FTopRow > Last) FTopRow = Last;
    {
        TFlagGuard Setting(FSettingRowCol, true);
        SetCol(FCol);
    }
    UpdateMetrics();
    UpdateScrollBars();
    BuildCornerBitmap();
    Invalidate();
}

void TEditor::SettingsChanged(TObject* Sender) {
    if (Sender == FMarks.get() && FMarks)
        FMargin->SetUnderlineExtra(FMarks->GetUnderline()->GetVisible() ? 1 : 0);
    else if (FList && (Sender == FView.get() || dynamic_cast<TFountain*>(Sender) != nullptr))
        FList->ScanAll();
    if (!HandleAllocated()) return;
    UpdateMetrics();
    UpdateScrollBars();
    if (Sender == FLeftbar.get()) {
        BuildLeftbarEdge();
        BuildCornerBitmap();
    } else if (Sender == FMargin.get() || Sender == FRuler.get()) {
        UpdateRulerBitmaps();
        BuildCornerBitmap();
    } else if (Sender == FImagebar.get()) {
        BuildCornerBitmap();
    }
    Invalidate();
    if (Sender == FCaret.get()) {
        FList->GetUndoObj()->Clear();
        UpdateCaret();
    } else {
        ScrollCaretIntoView();
        PlaceCaret();
    }
}

void TEditor::DoChange() {
    if (GetDesigning() && GetWordWrap()) {
        FList->WrapAll();
        FList->ScanAll();
    }
    FScreen->Update();
    if (FAccessible) FAccessible->TextChanged();
    if (FLeftbar->GetVisible() && FLeftbar->GetShowNumber() && UpdateLeftbarColumn()) {
        const int OldWidth = FLeftbarWidth;
        UpdateLeftbarWidth();
        BuildCornerBitmap();
        LeftbarWidthChanged(OldWidth, FLeftbarWidth);
        UpdateColCount();
    }
    UpdateScrollBars();
    if (FList->UpdateInfo.Valid) {
        FModified = true;
        if (OnChange) OnChange(this);
    }
}

void TEditor::RefreshViewAndCorner() {
    if (FAccessible) FAccessible->RowsRebuilt();
    RefreshView();
    BuildCornerBitmap();
}

void TEditor::Loaded() {
    TComponent::Loaded();
    if (GetWordWrap()) FList->WrapAll();
    FList->ScanAll();
    FModified = false;
    if (FAccessible) FAccessible->RowsRebuilt();
}

// ---- assistive technology ----------------------------------------------------------------------

TEditorAccessible* TEditor::GetAccessible() {
    if (!FAccessible) FAccessible = std::make_unique<TEditorAccessible>(*this);
    return FAccessible.get();
}

void TEditor::RowsReplacing(int Index, int Count) {
    if (FAccessible) FAccessible->RowsReplacing(Index, Count);
}

// ---- events --------------------------------------------------------------------------------

void TEditor::DoCaretMoved() {
    if (FAccessible) FAccessible->CaretMoved();
    if (OnCaretMoved) OnCaretMoved(this);
}
void TEditor::DoSelectionChange(bool Selected) {
    if (FAccessible) FAccessible->SelectionChanged();
    if (OnSelectionChange) OnSelectionChange(this, Selected);
}
void TEditor::DoSelectionModeChange() {
    if (OnSelectionModeChange) OnSelectionModeChange(this);
}
void TEditor::DoTopColChange() {
    if (OnTopColChange) OnTopColChange(this);
}
void TEditor::DoTopRowChange() {
    if (OnTopRowChange) OnTopRowChange(this);
}

// ---- text by message -------------------------------------------------------------------------

int TEditor::GetTextBuf(char* Buffer, int Size) const {
    if (Buffer == nullptr || Size <= 0) return 0;
    const std::string Text = FLines->GetTextStr();
    const int N = std::min(static_cast<int>(Text.size()), Size - 1);
    std::memcpy(Buffer, Text.data(), static_cast<size_t>(N));
    Buffer[N] = '\0';
    return N;
}

int TEditor::GetTextLen() const {
    int Total = 0;
    for (int R = 0; R < RowsCount(); ++R)
        Total += static_cast<int>(RowText(R).size()) + (RowAttr(R) == raCrlf ? 2 : 0);
    return Total;
}

void TEditor::SetTextBuf(const std::string& Text) {
    if (FReadOnly) return;
    FLines->SetTextStr(Text);
}

// ---- client services ---------------------------------------------------------------------------

bool TEditor::Focused() const { return FHost && FHost->Focused(); }

// Without a window the colouring horizon assumes a common screen height.
int TEditor::GetScreenHeight() const { return 768; }

void TEditor::SetRedraw(bool Value) {
    if (HandleAllocated()) FHost->SetRedraw(Value);
}

bool TEditor::LeftButtonDown() const { return FHost && FHost->IsKeyDown(VK_LBUTTON); }
