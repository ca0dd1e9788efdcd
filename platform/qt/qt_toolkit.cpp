// Top-level windows, the message loop and message boxes on Qt Widgets.
#include "platform/qt/qt_toolkit.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>

#include "platform/cp932.h"
#include "platform/qt/font_map.h"
#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {
const QString& MessageTitle() {
    static const QString Title = QStringLiteral("Feedloom");
    return Title;
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

TQtForm::~TQtForm() = default;

void TQtForm::SetCaption(const std::string& Caption) { FWindow->setWindowTitle(ToQString(Caption)); }

std::string TQtForm::GetCaption() const { return FromQString(FWindow->windowTitle()); }

void TQtForm::SetClientSize(int Width, int Height) {
    FClientWidth = Width;
    FClientHeight = Height;
    ApplySizePolicy();
}

// A hidden window reports the size it will show with.
int TQtForm::GetClientWidth() const { return FWindow->isVisible() ? FWindow->Client()->width() : FClientWidth; }
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
    if (FBorderStyle != bsSizeable) FWindow->adjustSize();
    PlaceOnScreen();
    FWindow->show();
    // Lay the client area out now rather than at the next turn of the event loop,
    // so its size is right from the moment the window shows.
    if (QLayout* L = FWindow->layout()) L->activate();
}

bool TQtForm::IsVisible() const { return FWindow->isVisible(); }

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

void TQtForm::Close() { FWindow->close(); }

TQtToolkit::TQtToolkit(int& Argc, char** Argv) : FApp(std::make_unique<QApplication>(Argc, Argv)) {
    QApplication::setApplicationName(QStringLiteral("Feedloom"));
    // The interface is Japanese, and so are the toolkit's own texts (dialog buttons).
    if (FTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&FTranslator);
}

TQtToolkit::~TQtToolkit() {
    QApplication::removeTranslator(&FTranslator);
}

std::unique_ptr<TUiForm> TQtToolkit::CreateForm() { return std::make_unique<TQtForm>(); }

void TQtToolkit::Run(TUiForm& MainForm) {
    MainForm.Show();
    QApplication::exec();
}

void TQtToolkit::ShowMessage(const std::string& Text) {
    QMessageBox Box(QMessageBox::NoIcon, MessageTitle(), ToQString(Text), QMessageBox::Ok,
                    QApplication::activeWindow());
    Box.exec();
}

bool TQtToolkit::AskYesNo(const std::string& Text) {
    QMessageBox Box(QMessageBox::Information, MessageTitle(), ToQString(Text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    return Box.exec() == QMessageBox::Yes;
}

} // namespace qtbackend
