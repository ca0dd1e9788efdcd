// Popup menus on QMenu: the items with their captions, shortcut texts, check marks and
// enabled states; the chosen item is clicked after the menu has closed.
#pragma once

#include <QMenu>
#include <memory>

#include "platform/menus.h"

namespace qtbackend {

class TQtPopupMenuPresenter : public TPopupMenuPresenter {
public:
    void Show(TPopupMenu& Menu, TPoint ScreenPos) override;
    // The QMenu of a menu's items as they are now; each action's data is its TMenuItem*.
    static std::unique_ptr<QMenu> BuildMenu(const TMenuItem& Items);
};

} // namespace qtbackend
