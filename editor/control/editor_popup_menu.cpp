// The editor's context menu: its items, their states when it opens, and their commands.
#include "editor/control/editor_popup_menu.h"

#include <string>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

namespace {

int TagOf(TObject* Sender) {
    const auto* Item = dynamic_cast<TMenuItem*>(Sender);
    return Item ? Item->Tag : -1;
}

} // namespace

TEditorPopupMenu::TEditorPopupMenu(TComponent* AOwner, TEditor* Editor)
    : TPopupMenu(AOwner), FEditor(Editor) {}

std::unique_ptr<TEditorPopupMenu> TEditorPopupMenu::Create(TComponent* AOwner, TEditor* Editor) {
    auto Menu = std::make_unique<TEditorPopupMenu>(AOwner, Editor);
    Menu->CreateItems();
    Menu->OnPopup = TNotifyEvent::Of<&TEditorPopupMenu::MenuPopup>(Menu.get());
    return Menu;
}

void TEditorPopupMenu::CreateItems() {
    TMenuItem* Root = GetItems();
    auto Item = [](const char* Utf8Caption, const char* ShortCutText, TNotifyEvent Click, bool Enabled) {
        auto I = std::make_unique<TMenuItem>(cp932::Literal(Utf8Caption), TextToShortCut(ShortCutText));
        I->OnClick = Click;
        I->Enabled = Enabled;
        return I;
    };
    MarkSetMenu = Root->Add(Item("マーク設定", "", {}, true));
    MarkJumpMenu = Root->Add(Item("マークジャンプ", "", {}, true));
    for (int N = 0; N <= 9; ++N) {
        const std::string Digit = std::to_string(N);
        TMenuItem* Set =
            MarkSetMenu->Add(Item(Digit.c_str(), ("Shift+Ctrl+" + Digit).c_str(),
                                  TNotifyEvent::Of<&TEditorPopupMenu::MarkSetClick>(this), true));
        Set->Tag = N;
        TMenuItem* Jump =
            MarkJumpMenu->Add(Item(Digit.c_str(), ("Ctrl+" + Digit).c_str(),
                                   TNotifyEvent::Of<&TEditorPopupMenu::MarkJumpClick>(this), true));
        Jump->Tag = N;
    }
    Root->Add(Item("-", "", {}, true));
    UndoItem = Root->Add(
        Item("元に戻す(&U)", "Ctrl+Z", TNotifyEvent::Of<&TEditorPopupMenu::UndoClick>(this), false));
    RedoItem = Root->Add(
        Item("やり直し(&R)", "Ctrl+A", TNotifyEvent::Of<&TEditorPopupMenu::RedoClick>(this), false));
    Root->Add(Item("-", "", {}, true));
    CutItem =
        Root->Add(Item("切り取り(&T)", "Ctrl+X", TNotifyEvent::Of<&TEditorPopupMenu::CutClick>(this), false));
    CopyItem =
        Root->Add(Item("コピー(&C)", "Ctrl+C", TNotifyEvent::Of<&TEditorPopupMenu::CopyClick>(this), false));
    PasteItem = Root->Add(
        Item("貼り付け(&P)", "Ctrl+V", TNotifyEvent::Of<&TEditorPopupMenu::PasteClick>(this), false));
    BoxPasteItem = Root->Add(
        Item("Box貼り付け(&B)", "Ctrl+B", TNotifyEvent::Of<&TEditorPopupMenu::BoxPasteClick>(this), false));
    DeleteItem =
        Root->Add(Item("削除(&D)", "", TNotifyEvent::Of<&TEditorPopupMenu::DeleteClick>(this), false));
    Root->Add(Item("-", "", {}, true));
    SelectAllItem = Root->Add(
        Item("すべて選択(&A)", "", TNotifyEvent::Of<&TEditorPopupMenu::SelectAllClick>(this), false));
    Root->Add(Item("-", "", {}, true));
    BoxSelectionItem = Root->Add(Item("Box選択モード(&K)", "Ctrl+K",
                                      TNotifyEvent::Of<&TEditorPopupMenu::BoxSelectionClick>(this), true));
}

void TEditorPopupMenu::MenuPopup(TObject*) {
    if (!FEditor) return;
    TEditor& E = *FEditor;
    const bool Writable = !E.GetReadOnly();
    const bool Selected = E.GetSelLength() > 0;
    const bool HasText = TEditor::ClipboardHasText();
    UndoItem->Enabled = E.CanUndo() && Writable;
    RedoItem->Enabled = E.CanRedo() && Writable;
    CutItem->Enabled = Selected && Writable;
    CopyItem->Enabled = Selected;
    PasteItem->Enabled = HasText && Writable;
    BoxPasteItem->Enabled = HasText && Writable;
    DeleteItem->Enabled = Selected && Writable;
    // Whether the text has a byte, without counting them all.
    const int Rows = E.RowsCount();
    SelectAllItem->Enabled = Rows > 1 || (Rows == 1 && (!E.RowText(0).empty() || E.RowAttr(0) == raCrlf));
    BoxSelectionItem->Checked = E.GetSelectionMode() == smBox;
    const TRowMarks InUse = E.GetScreenStrings() ? E.GetScreenStrings()->MarksInUse() : 0;
    for (int N = 0; N <= 9; ++N) {
        const bool Used = (InUse & (1u << N)) != 0;
        MarkSetMenu->GetItem(N)->Checked = Used;
        MarkJumpMenu->GetItem(N)->Checked = Used;
    }
}

void TEditorPopupMenu::MarkSetClick(TObject* Sender) {
    const int N = TagOf(Sender);
    if (!FEditor || N < 0) return;
    const int Row = FEditor->GetRow();
    if ((FEditor->GetRowMarks(Row) & (1u << N)) != 0)
        FEditor->DeleteRowMark(Row, N);
    else
        FEditor->PutRowMark(Row, N);
}

void TEditorPopupMenu::MarkJumpClick(TObject* Sender) {
    const int N = TagOf(Sender);
    if (FEditor && N >= 0) FEditor->GotoRowMark(N);
}

void TEditorPopupMenu::UndoClick(TObject*) {
    if (FEditor) FEditor->Undo();
}
void TEditorPopupMenu::RedoClick(TObject*) {
    if (FEditor) FEditor->Redo();
}
void TEditorPopupMenu::CutClick(TObject*) {
    if (FEditor) FEditor->CutToClipboard();
}
void TEditorPopupMenu::CopyClick(TObject*) {
    if (FEditor) FEditor->CopyToClipboard();
}
void TEditorPopupMenu::PasteClick(TObject*) {
    if (FEditor) FEditor->PasteFromClipboard();
}
void TEditorPopupMenu::BoxPasteClick(TObject*) {
    if (FEditor) FEditor->BoxPasteFromClipboard();
}
void TEditorPopupMenu::DeleteClick(TObject*) {
    if (FEditor) FEditor->ClearSelection();
}
void TEditorPopupMenu::SelectAllClick(TObject*) {
    if (FEditor) FEditor->SelectAll();
}

void TEditorPopupMenu::BoxSelectionClick(TObject*) {
    BoxSelectionItem->Checked = !BoxSelectionItem->Checked;
    if (FEditor) FEditor->SetSelectionMode(BoxSelectionItem->Checked ? smBox : smNormal);
}
