// TEditorPopupMenu, the context menu every editor control makes for itself: row marks 0-9,
// undo and redo, the clipboard commands, delete, select all and the box selection mode.
#pragma once

#include <memory>

#include "platform/menus.h"

class TEditor;

class TEditorPopupMenu : public TPopupMenu {
public:
    // The menu of Editor (not owned); call CreateItems through Create.
    TEditorPopupMenu(TComponent* AOwner, TEditor* Editor);
    // Makes the menu and its items.
    static std::unique_ptr<TEditorPopupMenu> Create(TComponent* AOwner, TEditor* Editor);

    TEditor* GetEditor() const { return FEditor; }

    virtual void MarkSetClick(TObject* Sender);
    virtual void MarkJumpClick(TObject* Sender);
    virtual void UndoClick(TObject* Sender);
    virtual void RedoClick(TObject* Sender);
    virtual void CutClick(TObject* Sender);
    virtual void CopyClick(TObject* Sender);
    virtual void PasteClick(TObject* Sender);
    virtual void BoxPasteClick(TObject* Sender);
    virtual void DeleteClick(TObject* Sender);
    virtual void SelectAllClick(TObject* Sender);
    virtual void BoxSelectionClick(TObject* Sender);
    // Sets every item's enabled and checked state from the editor.
    virtual void MenuPopup(TObject* Sender);
    virtual void CreateItems();

    TMenuItem* MarkSetMenu = nullptr;
    TMenuItem* MarkJumpMenu = nullptr;
    TMenuItem* UndoItem = nullptr;
    TMenuItem* RedoItem = nullptr;
    TMenuItem* CutItem = nullptr;
    TMenuItem* CopyItem = nullptr;
    TMenuItem* PasteItem = nullptr;
    TMenuItem* BoxPasteItem = nullptr;
    TMenuItem* DeleteItem = nullptr;
    TMenuItem* SelectAllItem = nullptr;
    TMenuItem* BoxSelectionItem = nullptr;

private:
    TEditor* FEditor;
};
