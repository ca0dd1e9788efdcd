// Form controls on Qt Widgets.
#include "platform/qt/qt_controls.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionMenuItem>
#include <QStyledItemDelegate>

#include "platform/qt/font_map.h"
#include "platform/qt/qt_toolkit.h"

namespace qtbackend {

// An event handler's failure is shown in a message box and the program goes on, as a
// framework failure escaping a handler should; it never unwinds through Qt's event loop.
template <class F> void RunHandler(F&& Handler) {
    try {
        Handler();
    } catch (const Exception& E) {
        ShowException(E);
    } catch (const std::exception& E) {
        ShowException(Exception(E.what()));
    }
}

// --- Common state -------------------------------------------------------------------------

TQtControlState::TQtControlState(TQtForm& Form, QWidget* Widget, TUiControl& Control)
    : FForm(Form), FWidget(Widget), FControl(Control) {
    Widget->installEventFilter(this);
    Widget->show();
}

TQtControlState::~TQtControlState() {
    delete FWidget.data();
}

bool TQtControlState::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FWidget && Event->type() == QEvent::FocusOut && FControl.OnExit)
        RunHandler(FControl.OnExit);
    return false;
}

void TQtControlState::SetFont(const TUiFont& Font) {
    FOwnFont = true;
    FFont = Font;
    if (!FWidget) return;
    QFont F = MappedFont(Font.Face, Font.Height);
    F.setUnderline(Font.Underline);
    FWidget->setFont(F);
    QPalette P = FWidget->palette();
    if (Font.Color == clWindowText) {
        P = QPalette();
    } else {
        const QColor C(Font.Color & 0xFF, (Font.Color >> 8) & 0xFF, (Font.Color >> 16) & 0xFF);
        P.setColor(QPalette::Text, C);
        P.setColor(QPalette::WindowText, C);
    }
    FWidget->setPalette(P);
}

TUiFont TQtControlState::GetFont() const {
    if (FOwnFont) return FFont;
    TUiFont F;
    F.Face = FForm.GetFontFace();
    F.Height = FForm.GetFontHeight();
    return F;
}

QCursor ToQCursor(TCursor Cursor) {
    switch (Cursor) {
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

// --- Edits --------------------------------------------------------------------------------

void TQtLineEdit::mouseReleaseEvent(QMouseEvent* Event) {
    QLineEdit::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint())) emit clicked();
}

namespace {
// Wires a line edit's signals to the edit interface's events.
template <class TEditIface> TQtLineEdit* MakeLineEdit(TQtForm& Form, TEditIface* Owner) {
    auto* E = new TQtLineEdit(Form.Window()->Client());
    QObject::connect(E, &QLineEdit::textChanged, [Owner] {
        if (Owner->OnChange) RunHandler(Owner->OnChange);
    });
    QObject::connect(E, &TQtLineEdit::clicked, [Owner] {
        if (Owner->OnClick) RunHandler(Owner->OnClick);
    });
    return E;
}

void ApplyCursor(QLineEdit* E, TCursor Cursor) {
    if (!E) return;
    if (Cursor == crDefault)
        E->unsetCursor();
    else
        E->setCursor(ToQCursor(Cursor));
}
} // namespace

TQtEdit::TQtEdit(TQtForm& Form) : TQtControl(Form, MakeLineEdit(Form, this)) {}

void TQtEdit::SetText(const std::string& Text) {
    Edit()->setText(ToQString(Text));
}
std::string TQtEdit::GetText() const {
    return FromQString(Edit()->text());
}
std::string TQtEdit::GetFileNameText() const {
    return QFile::encodeName(Edit()->text()).toStdString();
}
void TQtEdit::SetReadOnly(bool ReadOnly) {
    Edit()->setReadOnly(ReadOnly);
}
bool TQtEdit::GetReadOnly() const {
    return Edit()->isReadOnly();
}
void TQtEdit::SetCursor(TCursor Cursor) {
    FCursor = Cursor;
    ApplyCursor(Edit(), Cursor);
}

TQtLabeledEdit::TQtLabeledEdit(TQtForm& Form)
    : TQtControl(Form, MakeLineEdit(Form, this)), FLabel(new QLabel(Form.Window()->Client())) {
    FLabel->setBuddy(Edit());
    FLabel->show();
}

TQtLabeledEdit::~TQtLabeledEdit() {
    delete FLabel.data();
}

void TQtLabeledEdit::SetText(const std::string& Text) {
    Edit()->setText(ToQString(Text));
}
std::string TQtLabeledEdit::GetText() const {
    return FromQString(Edit()->text());
}
std::string TQtLabeledEdit::GetFileNameText() const {
    return QFile::encodeName(Edit()->text()).toStdString();
}
void TQtLabeledEdit::SetReadOnly(bool ReadOnly) {
    Edit()->setReadOnly(ReadOnly);
}
bool TQtLabeledEdit::GetReadOnly() const {
    return Edit()->isReadOnly();
}
void TQtLabeledEdit::SetCursor(TCursor Cursor) {
    FCursor = Cursor;
    ApplyCursor(Edit(), Cursor);
}

void TQtLabeledEdit::SetLabelCaption(const std::string& Caption) {
    FLabel->setText(ToQString(Caption));
    BoundsChanged();
}

std::string TQtLabeledEdit::GetLabelCaption() const {
    return FromQString(FLabel->text());
}

TRect TQtLabeledEdit::LabelBoundsRect() const {
    const QRect G = FLabel->geometry();
    return Rect(G.left(), G.top(), G.left() + G.width(), G.top() + G.height());
}

// The label sits left of the edit, 3 pixels away, centred on the edit's height; it keeps
// the form's font (the edit's own font, a link's blue underline, is not the label's).
void TQtLabeledEdit::BoundsChanged() {
    if (!FLabel || !Widget()) return;
    FLabel->setFont(MappedFont(FState.Form().GetFontFace(), FState.Form().GetFontHeight()));
    FLabel->adjustSize();
    const QRect E = Widget()->geometry();
    // A caption that the installed font makes wider than the room left of the edit
    // eats into the 3-pixel gap before it is cut off on the right.
    const int Left = std::max(0, E.left() - 3 - FLabel->width());
    FLabel->setGeometry(Left, E.top() + (E.height() - FLabel->height()) / 2,
                        std::min(FLabel->width(), std::max(0, E.left() - Left)), FLabel->height());
    FLabel->setVisible(FVisible);
    FLabel->setEnabled(Widget()->isEnabled());
}

// --- Labels and buttons ---------------------------------------------------------------------

TQtLabel::TQtLabel(TQtForm& Form, const std::string& Caption, int Left, int Top)
    : TQtControl(Form, new QLabel(ToQString(Caption), Form.Window()->Client())) {
    Widget()->move(Left, Top);
    Widget()->adjustSize();
}

void TQtLabel::SetCaption(const std::string& Caption) {
    static_cast<QLabel*>(Widget())->setText(ToQString(Caption));
    Widget()->adjustSize();
}

std::string TQtLabel::GetCaption() const {
    return FromQString(static_cast<QLabel*>(Widget())->text());
}

void TQtLabel::BoundsChanged() {
    Widget()->adjustSize();
}

TQtButton::TQtButton(TQtForm& Form, const std::string& Caption)
    : TQtControl(Form, new QPushButton(ToQString(Caption), Form.Window()->Client())) {
    // A focused button is pressed by the space bar or Enter; elsewhere in the form Enter
    // and Esc reach only the form's default and cancel buttons (forms are no QDialogs, so
    // a focused button never becomes the default of the whole form).
    Button()->setAutoDefault(true);
    QObject::connect(Button(), &QPushButton::clicked, [this] {
        if (OnClick) RunHandler(OnClick);
    });
}

TQtButton::~TQtButton() {
    delete FDefault;
    delete FCancel;
}

QPushButton* TQtButton::Button() const {
    return static_cast<QPushButton*>(Widget());
}

void TQtButton::SetCaption(const std::string& Caption) {
    Button()->setText(ToQString(Caption));
}
std::string TQtButton::GetCaption() const {
    return FromQString(Button()->text());
}

namespace {
// Enter presses the focused button if there is one, else the default button; Esc always
// presses the cancel button.
QShortcut* FormKey(TQtForm& Form, int Key, TUiButton* Button) {
    auto* S = new QShortcut(QKeySequence(Key), Form.Window(), nullptr, nullptr, Qt::WindowShortcut);
    QWidget* Window = Form.Window();
    QObject::connect(S, &QShortcut::activated, [Button, Key, Window] {
        if (Key != Qt::Key_Escape) {
            auto* Focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            if (Focused && Focused->window() == Window) {
                Focused->click();
                return;
            }
        }
        if (Button->GetEnabled() && Button->GetVisible()) Button->Click();
    });
    return S;
}
} // namespace

void TQtButton::SetDefault(bool Default) {
    delete FDefault;
    Button()->setDefault(Default);
    if (Default) {
        FDefault = FormKey(FState.Form(), Qt::Key_Return, this);
        auto* Enter = FormKey(FState.Form(), Qt::Key_Enter, this);
        Enter->setParent(FDefault);
    }
}

void TQtButton::SetCancel(bool Cancel) {
    delete FCancel;
    if (Cancel) FCancel = FormKey(FState.Form(), Qt::Key_Escape, this);
}

void TQtButton::Click() {
    Button()->click();
}

// --- Spin box -------------------------------------------------------------------------------

TQtSpinBox::TQtSpinBox(QWidget* Parent) : QAbstractSpinBox(Parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
}

int TQtSpinBox::Value() const {
    return SpinTextValue(FromQString(lineEdit()->text()), Min);
}

void TQtSpinBox::SetValue(int V) {
    if (Max > Min) V = std::clamp(V, Min, Max);
    lineEdit()->setText(QString::number(V));
}

void TQtSpinBox::stepBy(int Steps) {
    SetValue(Value() + Steps * Increment);
    lineEdit()->selectAll();
}

// Every text is acceptable: pasted text is not filtered, and nothing is clamped while
// the user types.
QValidator::State TQtSpinBox::validate(QString&, int&) const {
    return QValidator::Acceptable;
}
void TQtSpinBox::fixup(QString&) const {}

void TQtSpinBox::keyPressEvent(QKeyEvent* Event) {
    const QString T = Event->text();
    const bool Command = Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!Command && T.size() == 1 && T[0].isPrint()) {
        const char16_t C = T[0].unicode();
        if (C >= 0x80 || !SpinAcceptsChar(static_cast<char>(C))) {
            QApplication::beep();
            Event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(Event);
}

// Leaving the box puts a value outside MinValue..MaxValue on the nearer bound.
void TQtSpinBox::focusOutEvent(QFocusEvent* Event) {
    QAbstractSpinBox::focusOutEvent(Event);
    const int V = Value();
    if (Max > Min && (V < Min || V > Max)) SetValue(V);
}

TQtSpinEdit::TQtSpinEdit(TQtForm& Form) : TQtControl(Form, new TQtSpinBox(Form.Window()->Client())) {}

void TQtSpinEdit::SetText(const std::string& Text) {
    Box()->Edit()->setText(ToQString(Text));
}
std::string TQtSpinEdit::GetText() const {
    return FromQString(Box()->Edit()->text());
}

// --- List box -------------------------------------------------------------------------------

namespace {
class TItemHeightDelegate : public QStyledItemDelegate {
public:
    TItemHeightDelegate(QObject* Parent, const int& Height) : QStyledItemDelegate(Parent), FHeight(Height) {}
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        QSize S = QStyledItemDelegate::sizeHint(Option, Index);
        S.setHeight(FHeight);
        return S;
    }

private:
    const int& FHeight;
};
} // namespace

// --- The rows -----------------------------------------------------------------------------

int TQtListModel::rowCount(const QModelIndex& Parent) const {
    if (Parent.isValid()) return 0;
    return FText ? FCount : static_cast<int>(FRows.size());
}

QVariant TQtListModel::data(const QModelIndex& Index, int Role) const {
    if (Role != Qt::DisplayRole || !Index.isValid() || Index.row() >= rowCount()) return {};
    // A failing source shows an empty row: nothing may unwind through Qt's painting.
    try {
        return ToQString(Text(Index.row()));
    } catch (const std::exception&) {
        return QString();
    }
}

std::string TQtListModel::Text(int Row) const {
    return FText ? FText(Row) : FRows[static_cast<size_t>(Row)];
}

void TQtListModel::Assign(std::vector<std::string> Rows) {
    beginResetModel();
    FText = nullptr;
    FCount = 0;
    FRows = std::move(Rows);
    endResetModel();
}

void TQtListModel::SetSource(TUiListBox::TRowText Text, int Count) {
    beginResetModel();
    std::vector<std::string>().swap(FRows);
    FText = std::move(Text);
    FCount = std::max(Count, 0);
    endResetModel();
}

void TQtListModel::SourceChanged(int Count) {
    beginResetModel();
    FCount = std::max(Count, 0);
    endResetModel();
}

void TQtListModel::TakeRows() {
    if (!FText) return;
    std::vector<std::string> Rows;
    Rows.reserve(static_cast<size_t>(FCount));
    for (int R = 0; R < FCount; ++R) Rows.push_back(FText(R));
    FRows = std::move(Rows);
    FText = nullptr;
    FCount = 0;
}

void TQtListModel::Set(int Row, const std::string& S) {
    TakeRows();
    FRows[static_cast<size_t>(Row)] = S;
    const QModelIndex I = index(Row);
    emit dataChanged(I, I, {Qt::DisplayRole});
}

void TQtListModel::Insert(int Row, const std::string& S) {
    TakeRows();
    beginInsertRows(QModelIndex(), Row, Row);
    FRows.insert(FRows.begin() + Row, S);
    endInsertRows();
}

void TQtListModel::Delete(int Row) {
    TakeRows();
    beginRemoveRows(QModelIndex(), Row, Row);
    FRows.erase(FRows.begin() + Row);
    endRemoveRows();
}

// Clicks on the empty part of the list keep the selection (as a Windows list box does),
// and a double click anywhere on the list is reported.
class TQtListFilter : public QObject {
public:
    TQtListFilter(TQtListBox& Box, QListView* List) : QObject(List), FBox(Box), FList(List) {}

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        QListView* L = FList;
        if (Event->type() == QEvent::MouseButtonPress) {
            auto* M = static_cast<QMouseEvent*>(Event);
            if (!L->indexAt(M->position().toPoint()).isValid()) {
                L->setFocus(Qt::MouseFocusReason);
                return M->button() == Qt::LeftButton;
            }
        } else if (Event->type() == QEvent::MouseButtonDblClick) {
            auto* M = static_cast<QMouseEvent*>(Event);
            if (M->button() == Qt::LeftButton && FBox.OnDblClick) {
                RunHandler(FBox.OnDblClick);
                return true;
            }
        }
        return false;
    }

private:
    TQtListBox& FBox;
    QListView* FList;
};

TQtListBox::TQtListBox(TQtForm& Form) : TQtControl(Form, new QListView(Form.Window()->Client())) {
    QListView* L = List();
    FModel = new TQtListModel(L);
    L->setModel(FModel);
    L->setSelectionMode(QAbstractItemView::SingleSelection);
    L->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One row height for all rows: the view neither measures nor keeps an item a row.
    L->setUniformItemSizes(true);
    L->setItemDelegate(new TItemHeightDelegate(L, FItemHeight));
    L->viewport()->installEventFilter(new TQtListFilter(*this, L));
    // Reported once the selection has moved (the current row changes before it).
    QObject::connect(L->selectionModel(), &QItemSelectionModel::selectionChanged, [this] {
        if (!FSetting && OnClick) RunHandler(OnClick);
    });
    L->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(L, &QWidget::customContextMenuRequested, [this](const QPoint& P) {
        if (FPopup && FPopup->Menu()) FPopup->Menu()->exec(List()->viewport()->mapToGlobal(P));
    });
}

namespace {

// Program changes to the rows or the selection are no clicks.
class TSettingGuard {
public:
    explicit TSettingGuard(bool& Setting) : FSetting(Setting) { FSetting = true; }
    ~TSettingGuard() { FSetting = false; }
    TSettingGuard(const TSettingGuard&) = delete;
    TSettingGuard& operator=(const TSettingGuard&) = delete;

private:
    bool& FSetting;
};

void CheckIndex(int Index, int Count) {
    if (Index < 0 || Index >= Count)
        throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

} // namespace

int TQtListBox::Count() const {
    return FModel->rowCount();
}

std::string TQtListBox::Get(int Index) const {
    CheckIndex(Index, Count());
    return FModel->Text(Index);
}

void TQtListBox::Set(int Index, const std::string& S) {
    CheckIndex(Index, Count());
    TSettingGuard G(FSetting);
    FModel->Set(Index, S);
}

void TQtListBox::Insert(int Index, const std::string& S) {
    CheckIndex(Index, Count() + 1);
    TSettingGuard G(FSetting);
    FModel->Insert(Index, S);
}

void TQtListBox::Delete(int Index) {
    CheckIndex(Index, Count());
    TSettingGuard G(FSetting);
    FModel->Delete(Index);
}

void TQtListBox::Clear() {
    TSettingGuard G(FSetting);
    FModel->Assign({});
}

void TQtListBox::Assign(const std::vector<std::string>& Items) {
    TSettingGuard G(FSetting);
    FModel->Assign(Items);
}

void TQtListBox::SetSource(TRowText Text, int Count) {
    TSettingGuard G(FSetting);
    FModel->SetSource(std::move(Text), Count);
}

void TQtListBox::SourceChanged(int Count) {
    TSettingGuard G(FSetting);
    FModel->SourceChanged(Count);
}

int TQtListBox::GetItemIndex() const {
    const QModelIndexList Sel = List()->selectionModel()->selectedIndexes();
    return Sel.isEmpty() ? -1 : Sel.first().row();
}

void TQtListBox::SetItemIndex(int Index) {
    TSettingGuard G(FSetting);
    QItemSelectionModel* S = List()->selectionModel();
    if (Index < 0 || Index >= Count()) {
        S->clearSelection();
        S->setCurrentIndex(QModelIndex(), QItemSelectionModel::ClearAndSelect);
    } else {
        // As QListWidget::setCurrentRow: the row becomes current and the only one selected,
        // and the view scrolls to it.
        S->setCurrentIndex(FModel->index(Index), QItemSelectionModel::ClearAndSelect);
    }
}

void TQtListBox::SetItemHeight(int Height) {
    FItemHeight = Height;
    List()->doItemsLayout();
}

void TQtListBox::SetPopupMenu(TUiPopupMenu* Menu) {
    FPopup = dynamic_cast<TQtPopupMenu*>(Menu);
    if (FPopup) FPopup->BindShortcutsTo(List());
}

// --- Menus ----------------------------------------------------------------------------------

void TQtMenu::initStyleOption(QStyleOptionMenuItem* Option, const QAction* Action) const {
    QMenu::initStyleOption(Option, Action);
    if (Action && Action->property("feedloomRadio").toBool() &&
        Option->checkType != QStyleOptionMenuItem::NotCheckable)
        Option->checkType = QStyleOptionMenuItem::Exclusive;
}

TQtMenuItem::TQtMenuItem(QAction* Action, QWidget* MenuParent) : FAction(Action), FMenuParent(MenuParent) {
    QObject::connect(Action, &QAction::triggered, [this] {
        // The check mark is the program's to set, not the click's.
        if (FAction && FAction->isCheckable()) FAction->setChecked(FChecked);
        if (OnClick) RunHandler([this] { OnClick(*this); });
    });
}

TQtMenuItem::~TQtMenuItem() {
    FItems.clear();
    delete FMenu.data();
    delete FAction.data();
}

TUiMenuItem* TQtMenuItem::Add(const std::string& Caption) {
    if (!FMenu) {
        FMenu = new TQtMenu(ToQString(GetCaption()), FMenuParent);
        FAction->setMenu(FMenu.data());
    }
    QAction* A = FMenu->addAction(ToQString(Caption));
    FItems.push_back(std::make_unique<TQtMenuItem>(A, FMenuParent));
    return FItems.back().get();
}

std::string TQtMenuItem::GetCaption() const {
    return FAction ? FromQString(FAction->text()) : std::string();
}

void TQtMenuItem::SetChecked(bool Checked) {
    FChecked = Checked;
    if (!FAction) return;
    FAction->setCheckable(true);
    FAction->setChecked(Checked);
}

void TQtMenuItem::SetRadioItem(bool Radio) {
    FRadio = Radio;
    if (!FAction) return;
    FAction->setCheckable(true);
    FAction->setChecked(FChecked);
    FAction->setProperty("feedloomRadio", Radio);
}

QKeySequence ToKeySequence(TShortCut ShortCut) {
    const int Vk = ShortCut & 0xFF;
    int Key = 0;
    if ((Vk >= 'A' && Vk <= 'Z') || (Vk >= '0' && Vk <= '9'))
        Key = Vk;
    else if (Vk == VK_DELETE)
        Key = Qt::Key_Delete;
    else if (Vk == VK_INSERT)
        Key = Qt::Key_Insert;
    else if (Vk >= VK_F1 && Vk <= VK_F12)
        Key = Qt::Key_F1 + (Vk - VK_F1);
    else
        return {};
    int Mods = 0;
    if (ShortCut & scCtrl) Mods |= Qt::ControlModifier;
    if (ShortCut & scShift) Mods |= Qt::ShiftModifier;
    if (ShortCut & scAlt) Mods |= Qt::AltModifier;
    return QKeySequence(Key | Mods);
}

void TQtMenuItem::SetShortCut(TShortCut ShortCut) {
    FShortCut = ShortCut;
    if (FAction) FAction->setShortcut(ToKeySequence(ShortCut));
}

void TQtMenuItem::Click() {
    if (FAction) FAction->trigger();
}

TQtMainMenu::TQtMainMenu(QMenuBar* Bar) : FBar(Bar) {}

TUiMenuItem* TQtMainMenu::Add(const std::string& Caption) {
    QAction* A = FBar->addAction(ToQString(Caption));
    FItems.push_back(std::make_unique<TQtMenuItem>(A, FBar));
    return FItems.back().get();
}

TQtPopupMenu::TQtPopupMenu(QWidget* Parent) : FMenu(new TQtMenu(Parent)) {}

TUiMenuItem* TQtPopupMenu::Add(const std::string& Caption) {
    QAction* A = FMenu->addAction(ToQString(Caption));
    if (FBound) {
        A->setShortcutContext(Qt::WidgetShortcut);
        FBound->addAction(A);
    }
    FItems.push_back(std::make_unique<TQtMenuItem>(A, FMenu));
    return FItems.back().get();
}

void TQtPopupMenu::BindShortcutsTo(QWidget* Widget) {
    FBound = Widget;
    for (const auto& I : FItems) {
        I->Action()->setShortcutContext(Qt::WidgetShortcut);
        Widget->addAction(I->Action());
    }
}

} // namespace qtbackend
