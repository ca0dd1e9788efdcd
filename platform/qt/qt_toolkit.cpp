// Top-level windows, the message loop and message boxes on Qt Widgets.
#include "platform/qt/qt_toolkit.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/qt/font_map.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {
const QString& MessageTitle() {
    static const QString Title = QStringLiteral("Feedloom");
    return Title;
}

// The application, with the IBus input method asked to answer each key before the next is
// read (unless the user's environment says otherwise). Without that a key that IBus answers
// late can be delivered behind the keys typed after it: a path typed quickly into the file
// dialog, whose name completer opens a popup as it goes, came out as "/mp/ft..." for
// "/tmp/f...".
std::unique_ptr<QApplication> MakeApplication(int& Argc, char** Argv) {
    if (!qEnvironmentVariableIsSet("IBUS_ENABLE_SYNC_MODE")) qputenv("IBUS_ENABLE_SYNC_MODE", "1");
    return std::make_unique<QApplication>(Argc, Argv);
}
} // namespace

TQtFormWindow::TQtFormWindow(TQtForm& Form) : FForm(Form), FClient(new QWidget(this)) {
    setCentralWidget(FClient);
}

void TQtFormWindow::closeEvent(QCloseEvent* Event) {
    if (FForm.OnCloseQuery && !FForm.OnCloseQuery()) {
        Event->ignore();
        return;
    }
    Event->accept();
    FForm.RememberClientSize();
    if (FForm.FModalLoop) FForm.FModalLoop->quit();
}

TQtForm::TQtForm() : FWindow(std::make_unique<TQtFormWindow>(*this)) {}

// The controls go before the window that holds their widgets.
TQtForm::~TQtForm() {
    FPopupMenus.clear();
    FMainMenu.reset();
    FControls.clear();
}

template <class T> T* TQtForm::Keep(std::unique_ptr<T> Control) {
    T* P = Control.get();
    FControls.push_back(std::move(Control));
    return P;
}

TUiLabeledEdit* TQtForm::AddLabeledEdit() {
    return Keep(std::make_unique<TQtLabeledEdit>(*this));
}
TUiEdit* TQtForm::AddEdit() {
    return Keep(std::make_unique<TQtEdit>(*this));
}
TUiLabel* TQtForm::AddLabel(const std::string& Caption, int Left, int Top) {
    return Keep(std::make_unique<TQtLabel>(*this, Caption, Left, Top));
}
TUiButton* TQtForm::AddButton(const std::string& Caption) {
    return Keep(std::make_unique<TQtButton>(*this, Caption));
}
TUiSpinEdit* TQtForm::AddSpinEdit() {
    return Keep(std::make_unique<TQtSpinEdit>(*this));
}
TUiListBox* TQtForm::AddListBox() {
    return Keep(std::make_unique<TQtListBox>(*this));
}

TUiMainMenu* TQtForm::AddMainMenu() {
    if (!FMainMenu) {
        FMainMenu = std::make_unique<TQtMainMenu>(FWindow->menuBar());
        ApplySizePolicy();
    }
    return FMainMenu.get();
}

TUiPopupMenu* TQtForm::AddPopupMenu() {
    FPopupMenus.push_back(std::make_unique<TQtPopupMenu>(FWindow.get()));
    return FPopupMenus.back().get();
}

void TQtForm::SetCaption(const std::string& Caption) {
    FWindow->setWindowTitle(ToQString(Caption));
}

std::string TQtForm::GetCaption() const {
    return FromQString(FWindow->windowTitle());
}

void TQtForm::SetClientSize(int Width, int Height) {
    FClientWidth = Width;
    FClientHeight = Height;
    ApplySizePolicy();
}

// A hidden window reports the size it will show with.
int TQtForm::GetClientWidth() const {
    return FWindow->isVisible() ? FWindow->Client()->width() : FClientWidth;
}
int TQtForm::GetClientHeight() const {
    return FWindow->isVisible() ? FWindow->Client()->height() : FClientHeight;
}

void TQtForm::RememberClientSize() {
    FClientWidth = FWindow->Client()->width();
    FClientHeight = FWindow->Client()->height();
}

void TQtForm::SetBorderStyle(TBorderStyle Style) {
    FBorderStyle = Style;
    ApplySizePolicy();
}

// A single or dialog border fixes the client area; a sizeable one only sets it.
void TQtForm::ApplySizePolicy() {
    QWidget* Client = FWindow->Client();
    if (FBorderStyle == bsSizeable) {
        // The window takes the size that gives the client area its design size,
        // and may be resized from there.
        FWindow->setMinimumSize(0, 0);
        FWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        Client->setMinimumSize(0, 0);
        Client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const int MenuHeight = FWindow->menuWidget() ? FWindow->menuWidget()->sizeHint().height() : 0;
        FWindow->resize(FClientWidth, FClientHeight + MenuHeight);
    } else {
        Client->setFixedSize(FClientWidth, FClientHeight);
        FWindow->adjustSize();
        FWindow->setFixedSize(FWindow->sizeHint());
    }
    FWindow->setWindowFlag(Qt::WindowMaximizeButtonHint, FBorderStyle == bsSizeable);
    FWindow->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, FBorderStyle != bsSizeable);
}

void TQtForm::SetFont(const std::string& FaceName, int PixelHeight) {
    FFontFace = FaceName;
    FFontHeight = PixelHeight;
    FWindow->setFont(MappedFont(FaceName, PixelHeight));
}

void TQtForm::PlaceOnScreen() {
    if (FPosition == poDesigned) return;
    QRect Area;
    if (FPosition == poMainFormCenter && QApplication::activeWindow() &&
        QApplication::activeWindow() != FWindow.get()) {
        Area = QApplication::activeWindow()->frameGeometry();
    } else if (QScreen* S = QGuiApplication::primaryScreen()) {
        Area = S->availableGeometry();
    } else {
        return;
    }
    QRect Frame = FWindow->frameGeometry();
    Frame.moveCenter(Area.center());
    FWindow->move(Frame.topLeft());
}

void TQtForm::Show() {
    if (OnShow) OnShow();
    if (FBorderStyle != bsSizeable) ApplySizePolicy();
    PlaceOnScreen();
    FWindow->show();
    // Lay the client area out now rather than at the next turn of the event loop,
    // so its size is right from the moment the window shows.
    if (QLayout* L = FWindow->layout()) L->activate();
}

bool TQtForm::IsVisible() const {
    return FWindow->isVisible();
}

int TQtForm::ShowModal() {
    FWindow->setWindowModality(Qt::ApplicationModal);
    FModalResult = 0;
    Show();
    QEventLoop Loop;
    FModalLoop = &Loop;
    Loop.exec();
    FModalLoop = nullptr;
    RememberClientSize();
    FWindow->hide();
    FWindow->setWindowModality(Qt::NonModal);
    return FModalResult;
}

void TQtForm::EndModal(int Result) {
    FModalResult = Result;
    if (FModalLoop) FModalLoop->quit();
}

void TQtForm::Close() {
    FWindow->close();
}

TQtToolkit::TQtToolkit(int& Argc, char** Argv) : FApp(MakeApplication(Argc, Argv)) {
    QApplication::setApplicationName(QStringLiteral("Feedloom"));
    // The desktop entry (feedloom.desktop) and its icon: Wayland matches the window to the
    // entry by this name, X11 by the class "Feedloom" in StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral("feedloom"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("feedloom")));
    // The interface is Japanese, and so are the toolkit's own texts (dialog buttons).
    if (FTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&FTranslator);
}

TQtToolkit::~TQtToolkit() {
    QApplication::removeTranslator(&FTranslator);
}

std::unique_ptr<TUiForm> TQtToolkit::CreateForm() {
    return std::make_unique<TQtForm>();
}

void TQtToolkit::Run(TUiForm& MainForm) {
    MainForm.Show();
    QApplication::exec();
}

void TQtToolkit::ShowMessage(const std::string& Text) {
    QMessageBox Box(QMessageBox::NoIcon, MessageTitle(), ToQString(Text), QMessageBox::Ok,
                    QApplication::activeWindow());
    Box.exec();
}

bool TQtToolkit::AskYesNo(const std::string& Text, bool YesDefault) {
    QMessageBox Box(QMessageBox::Information, MessageTitle(), ToQString(Text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    Box.setDefaultButton(YesDefault ? QMessageBox::Yes : QMessageBox::No);
    // Japanese buttons also where the toolkit's translation is not installed.
    Box.button(QMessageBox::Yes)->setText(QString::fromUtf8("はい(&Y)"));
    Box.button(QMessageBox::No)->setText(QString::fromUtf8("いいえ(&N)"));
    return Box.exec() == QMessageBox::Yes;
}

std::string TQtToolkit::InputBox(const std::string& Caption, const std::string& Prompt,
                                 const std::string& Default, TInputForm Form) {
    QDialog Box(QApplication::activeWindow());
    Box.setWindowTitle(ToQString(Caption));
    auto* Layout = new QVBoxLayout(&Box);
    Layout->addWidget(new QLabel(ToQString(Prompt), &Box));
    auto* Edit = new QLineEdit(ToQString(Default), &Box);
    Edit->setMinimumWidth(300);
    Layout->addWidget(Edit);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Box);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("キャンセル"));
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Box, &QDialog::accept);
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Box, &QDialog::reject);
    Layout->addWidget(Buttons);
    Edit->selectAll();
    if (Box.exec() != QDialog::Accepted)
        return Form == ifFileName ? SystemPathOf(Default) : Default;
    return Form == ifFileName ? QFile::encodeName(Edit->text()).toStdString()
                              : FromQString(Edit->text());
}

// "RDFファイル(*.rdf)|*.rdf|..." as Qt's name filters "RDFファイル(*.rdf)", ...: a description
// that already ends with its pattern in brackets is used as it is.
static QStringList QtNameFilters(const std::string& Filter) {
    QStringList Parts = ToQString(Filter).split(QLatin1Char('|'));
    QStringList Result;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        const QString& Desc = Parts[I];
        const QString Pattern = QString(Parts[I + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (Desc.endsWith(QLatin1Char('(') + Pattern + QLatin1Char(')')))
            Result << Desc;
        else
            Result << Desc + QStringLiteral(" (") + Pattern + QLatin1Char(')');
    }
    return Result;
}

bool TQtToolkit::Execute(TFileDialog& Dialog) {
    QFileDialog Box(QApplication::activeWindow());
    const QStringList Filters = QtNameFilters(Dialog.Filter);
    Box.setNameFilters(Filters);
    if (Dialog.FilterIndex >= 1 && Dialog.FilterIndex <= Filters.size())
        Box.selectNameFilter(Filters[Dialog.FilterIndex - 1]);
    Box.setDefaultSuffix(ToQString(Dialog.DefaultExt));
    Box.setSizeGripEnabled(Dialog.Options & TFileDialog::ofEnableSizing);
    QFileDialog::Options O = QFileDialog::Option(0);
    if (Dialog.Kind == TFileDialog::fdSave) {
        Box.setAcceptMode(QFileDialog::AcceptSave);
        Box.setFileMode(QFileDialog::AnyFile);
        if (!(Dialog.Options & TFileDialog::ofOverwritePrompt)) O |= QFileDialog::DontConfirmOverwrite;
    } else {
        Box.setAcceptMode(QFileDialog::AcceptOpen);
        Box.setFileMode((Dialog.Options & TFileDialog::ofFileMustExist) ? QFileDialog::ExistingFile
                                                                        : QFileDialog::AnyFile);
    }
    // Qt's dialogs have no read-only check box, so ofHideReadOnly holds by itself.
    Box.setOptions(O);
    // File names are the system's bytes, not CP932 text.
    if (!Dialog.FileName.empty())
        Box.selectFile(QFile::decodeName(QByteArray::fromStdString(Dialog.FileName)));
    if (Box.exec() != QDialog::Accepted || Box.selectedFiles().isEmpty()) return false;
    Dialog.FileName = QFile::encodeName(Box.selectedFiles().first()).toStdString();
    for (qsizetype I = 0; I < Filters.size(); ++I)
        if (Filters[I] == Box.selectedNameFilter()) Dialog.FilterIndex = static_cast<int>(I) + 1;
    return true;
}

void TQtToolkit::Beep() {
    QApplication::beep();
}

} // namespace qtbackend
