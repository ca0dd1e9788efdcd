// QMenu from the items of a popup menu.
#include "platform/qt/qt_popup_menu.h"

#include <QAction>

#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {

void AddItems(QMenu& Menu, const TMenuItem& Items) {
    for (int I = 0; I < Items.GetCount(); ++I) {
        TMenuItem* Item = Items.GetItem(I);
        if (!Item->Visible) continue;
        if (Item->IsLine()) {
            Menu.addSeparator();
            continue;
        }
        if (Item->GetCount() > 0) {
            QMenu* Sub = Menu.addMenu(ToQString(Item->Caption));
            Sub->setEnabled(Item->Enabled);
            AddItems(*Sub, *Item);
            continue;
        }
        // The shortcut is shown after a tab; it is matched by the control, not by Qt.
        QString Text = ToQString(Item->Caption);
        const std::string Keys = ShortCutToText(Item->ShortCut);
        if (!Keys.empty()) Text += QLatin1Char('\t') + QString::fromLatin1(Keys.c_str());
        QAction* A = Menu.addAction(Text);
        A->setEnabled(Item->Enabled);
        A->setCheckable(Item->Checked);
        A->setChecked(Item->Checked);
        A->setData(QVariant::fromValue(reinterpret_cast<quintptr>(Item)));
    }
}

} // namespace

std::unique_ptr<QMenu> TQtPopupMenuPresenter::BuildMenu(const TMenuItem& Items) {
    auto Menu = std::make_unique<QMenu>();
    AddItems(*Menu, Items);
    return Menu;
}

void TQtPopupMenuPresenter::Show(TPopupMenu& Menu, TPoint ScreenPos) {
    std::unique_ptr<QMenu> Q = BuildMenu(*Menu.GetItems());
    QAction* Chosen = Q->exec(QPoint(ScreenPos.X, ScreenPos.Y));
    if (!Chosen || !Chosen->isEnabled()) return;
    auto* Item = reinterpret_cast<TMenuItem*>(Chosen->data().value<quintptr>());
    if (Item) Item->Click();
}

} // namespace qtbackend
