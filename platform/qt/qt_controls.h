// The controls of a form on Qt Widgets: edits, labels, buttons, the spin box, list boxes
// and menus behind the interfaces of platform/ui.h.
#pragma once

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractListModel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <memory>
#include <vector>

#include "platform/qt/qt_text.h"
#include "platform/ui.h"

class QPushButton;

namespace qtbackend {

class TQtForm;

// Common state of a control: its widget and the form whose font it inherits.
class TQtControlState : public QObject {
    Q_OBJECT
public:
    TQtControlState(TQtForm& Form, QWidget* Widget, TUiControl& Control);
    // The widget goes with its control, so no signal reaches a control that is gone.
    ~TQtControlState() override;
    QWidget* Widget() const { return FWidget; }
    TQtForm& Form() const { return FForm; }

    void SetFont(const TUiFont& Font);
    TUiFont GetFont() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TQtForm& FForm;
    QPointer<QWidget> FWidget;
    TUiControl& FControl;
    bool FOwnFont = false;
    TUiFont FFont;
};

// The TUiControl part over a TQtControlState, shared by every control class.
template <class TBase> class TQtControl : public TBase {
public:
    TQtControl(TQtForm& Form, QWidget* Widget) : FState(Form, Widget, *this) {}
    void SetBounds(int Left, int Top, int Width, int Height) override {
        if (QWidget* W = FState.Widget()) W->setGeometry(Left, Top, Width, Height);
        BoundsChanged();
    }
    TRect BoundsRect() const override {
        QWidget* W = FState.Widget();
        if (!W) return {};
        const QRect G = W->geometry();
        return Rect(G.left(), G.top(), G.left() + G.width(), G.top() + G.height());
    }
    void SetVisible(bool Visible) override {
        FVisible = Visible;
        if (QWidget* W = FState.Widget()) W->setVisible(Visible);
        BoundsChanged();
    }
    bool GetVisible() const override { return FVisible; }
    void SetEnabled(bool Enabled) override {
        if (QWidget* W = FState.Widget()) W->setEnabled(Enabled);
        BoundsChanged();
    }
    bool GetEnabled() const override { return FState.Widget() && FState.Widget()->isEnabled(); }
    void SetFocus() override {
        if (QWidget* W = FState.Widget()) W->setFocus(Qt::OtherFocusReason);
    }
    bool Focused() const override { return FState.Widget() && FState.Widget()->hasFocus(); }
    void SetFont(const TUiFont& Font) override {
        FState.SetFont(Font);
        BoundsChanged();
    }
    TUiFont GetFont() const override { return FState.GetFont(); }
    void SetHint(const std::string& Hint) override {
        if (QWidget* W = FState.Widget()) W->setToolTip(ToQString(Hint));
    }

    QWidget* Widget() const { return FState.Widget(); }

protected:
    // Controls with a companion widget (a label) place it again.
    virtual void BoundsChanged() {}
    TQtControlState FState;
    bool FVisible = true;
};

// A line edit that reports left clicks.
class TQtLineEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

class TQtEdit : public TQtControl<TUiEdit> {
public:
    explicit TQtEdit(TQtForm& Form);
    void SetText(const std::string& Text) override;
    std::string GetText() const override;
    std::string GetFileNameText() const override;
    void SetReadOnly(bool ReadOnly) override;
    bool GetReadOnly() const override;
    void SetCursor(TCursor Cursor) override;
    TCursor GetCursor() const override { return FCursor; }
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget()); }

private:
    TCursor FCursor = crDefault;
};

class TQtLabeledEdit : public TQtControl<TUiLabeledEdit> {
public:
    explicit TQtLabeledEdit(TQtForm& Form);
    ~TQtLabeledEdit() override;
    void SetText(const std::string& Text) override;
    std::string GetText() const override;
    std::string GetFileNameText() const override;
    void SetReadOnly(bool ReadOnly) override;
    bool GetReadOnly() const override;
    void SetCursor(TCursor Cursor) override;
    TCursor GetCursor() const override { return FCursor; }
    void SetLabelCaption(const std::string& Caption) override;
    std::string GetLabelCaption() const override;
    TRect LabelBoundsRect() const override;
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget()); }
    QLabel* Label() const { return FLabel; }

protected:
    void BoundsChanged() override;

private:
    QPointer<QLabel> FLabel;
    TCursor FCursor = crDefault;
};

class TQtLabel : public TQtControl<TUiLabel> {
public:
    TQtLabel(TQtForm& Form, const std::string& Caption, int Left, int Top);
    void SetCaption(const std::string& Caption) override;
    std::string GetCaption() const override;

protected:
    void BoundsChanged() override;
};

class TQtButton : public TQtControl<TUiButton> {
public:
    TQtButton(TQtForm& Form, const std::string& Caption);
    ~TQtButton() override;
    void SetCaption(const std::string& Caption) override;
    std::string GetCaption() const override;
    void SetDefault(bool Default) override;
    bool GetDefault() const override { return FDefault != nullptr; }
    void SetCancel(bool Cancel) override;
    bool GetCancel() const override { return FCancel != nullptr; }
    void Click() override;

private:
    QPushButton* Button() const;
    QPointer<QShortcut> FDefault;
    QPointer<QShortcut> FCancel;
};

// The spin box's widget: steps clamp, typing filters characters but never clamps.
class TQtSpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TQtSpinBox(QWidget* Parent);
    void stepBy(int Steps) override;
    QValidator::State validate(QString& Input, int& Pos) const override;
    void fixup(QString& Input) const override;

    int Min = 0;
    int Max = 100;
    int Increment = 1;
    int Value() const;
    void SetValue(int V);
    QLineEdit* Edit() const { return lineEdit(); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
};

class TQtSpinEdit : public TQtControl<TUiSpinEdit> {
public:
    explicit TQtSpinEdit(TQtForm& Form);
    void SetMinValue(int Value) override { Box()->Min = Value; }
    int GetMinValue() const override { return Box()->Min; }
    void SetMaxValue(int Value) override { Box()->Max = Value; }
    int GetMaxValue() const override { return Box()->Max; }
    void SetIncrement(int Value) override { Box()->Increment = Value; }
    int GetIncrement() const override { return Box()->Increment; }
    void SetValue(int Value) override { Box()->SetValue(Value); }
    int GetValue() const override { return Box()->Value(); }
    void SetText(const std::string& Text) override;
    std::string GetText() const override;
    TQtSpinBox* Box() const { return static_cast<TQtSpinBox*>(Widget()); }
};

class TQtPopupMenu;

// The rows of a list box: entries of its own or a source's, converted to QString only for
// the rows the view asks for (with uniform item sizes a QListView asks for the rows it
// paints and one sample row, and keeps one position a row, never an item).
class TQtListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;

    std::string Text(int Row) const;
    void Assign(std::vector<std::string> Rows);
    void SetSource(TUiListBox::TRowText Text, int Count);
    void SourceChanged(int Count);
    void Set(int Row, const std::string& S);
    void Insert(int Row, const std::string& S);
    void Delete(int Row);

private:
    // The source's rows as entries of the list's own.
    void TakeRows();
    std::vector<std::string> FRows;
    TUiListBox::TRowText FText; // set: the rows are the source's
    int FCount = 0;             // the source's rows
};

class TQtListBox : public TQtControl<TUiListBox> {
public:
    explicit TQtListBox(TQtForm& Form);
    int Count() const override;
    std::string Get(int Index) const override;
    void Set(int Index, const std::string& S) override;
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    void Assign(const std::vector<std::string>& Items) override;
    void SetSource(TRowText Text, int Count) override;
    void SourceChanged(int Count) override;
    int GetItemIndex() const override;
    void SetItemIndex(int Index) override;
    void SetItemHeight(int Height) override;
    int GetItemHeight() const override { return FItemHeight; }
    void SetPopupMenu(TUiPopupMenu* Menu) override;
    QListView* List() const { return static_cast<QListView*>(Widget()); }

private:
    friend class TQtListFilter;
    TQtListModel* FModel = nullptr; // owned by the view
    int FItemHeight = 13;
    bool FSetting = false; // selection changes made by the program are not clicks
    TQtPopupMenu* FPopup = nullptr;
};

// A submenu that can draw a check mark as a radio dot without making its items exclusive.
class TQtMenu : public QMenu {
    Q_OBJECT
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem* Option, const QAction* Action) const override;
};

class TQtMenuItem : public TUiMenuItem {
public:
    TQtMenuItem(QAction* Action, QWidget* MenuParent);
    ~TQtMenuItem() override;
    TUiMenuItem* Add(const std::string& Caption) override;
    int Count() const override { return static_cast<int>(FItems.size()); }
    TUiMenuItem* Item(int Index) const override { return FItems.at(Index).get(); }
    std::string GetCaption() const override;
    void SetChecked(bool Checked) override;
    bool GetChecked() const override { return FChecked; }
    void SetRadioItem(bool Radio) override;
    bool GetRadioItem() const override { return FRadio; }
    void SetShortCut(TShortCut ShortCut) override;
    TShortCut GetShortCut() const override { return FShortCut; }
    void Click() override;
    QAction* Action() const { return FAction; }
    QMenu* Menu() const { return FMenu; }

private:
    QPointer<QAction> FAction;
    QWidget* FMenuParent;
    QPointer<TQtMenu> FMenu;
    std::vector<std::unique_ptr<TQtMenuItem>> FItems;
    bool FChecked = false;
    bool FRadio = false;
    TShortCut FShortCut = 0;
};

class TQtMainMenu : public TUiMainMenu {
public:
    explicit TQtMainMenu(QMenuBar* Bar);
    TUiMenuItem* Add(const std::string& Caption) override;
    int Count() const override { return static_cast<int>(FItems.size()); }
    TUiMenuItem* Item(int Index) const override { return FItems.at(Index).get(); }

private:
    QPointer<QMenuBar> FBar;
    std::vector<std::unique_ptr<TQtMenuItem>> FItems;
};

class TQtPopupMenu : public TUiPopupMenu {
public:
    explicit TQtPopupMenu(QWidget* Parent);
    TUiMenuItem* Add(const std::string& Caption) override;
    int Count() const override { return static_cast<int>(FItems.size()); }
    TUiMenuItem* Item(int Index) const override { return FItems.at(Index).get(); }
    TQtMenu* Menu() const { return FMenu; }
    // Makes the items' shortcuts act while Widget has the focus.
    void BindShortcutsTo(QWidget* Widget);

private:
    QPointer<TQtMenu> FMenu;
    QPointer<QWidget> FBound;
    std::vector<std::unique_ptr<TQtMenuItem>> FItems;
};

QKeySequence ToKeySequence(TShortCut ShortCut);
QCursor ToQCursor(TCursor Cursor);

} // namespace qtbackend
