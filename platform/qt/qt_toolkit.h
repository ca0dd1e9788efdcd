// The Qt 6 implementation of the toolkit interfaces: the application object,
// top-level windows and message boxes.
#pragma once

#include <QApplication>
#include <QMainWindow>
#include <QTranslator>
#include <memory>
#include <vector>

#include "platform/ui.h"

namespace qtbackend {

class TQtForm;

// The window class behind a TQtForm: a main window whose central widget is the
// client area, so a menu bar later sits above the client area as on Windows.
class TQtFormWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TQtFormWindow(TQtForm& Form);
    QWidget* Client() const { return FClient; }

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    TQtForm& FForm;
    QWidget* FClient;
};

class TQtForm : public TUiForm {
public:
    TQtForm();
    ~TQtForm() override;

    void SetCaption(const std::string& Caption) override;
    std::string GetCaption() const override;
    void SetClientSize(int Width, int Height) override;
    int GetClientWidth() const override;
    int GetClientHeight() const override;
    void SetBorderStyle(TBorderStyle Style) override;
    TBorderStyle GetBorderStyle() const override { return FBorderStyle; }
    void SetPosition(TFormPosition Position) override { FPosition = Position; }
    void SetFont(const std::string& FaceName, int PixelHeight) override;
    std::string GetFontFace() const override { return FFontFace; }
    int GetFontHeight() const override { return FFontHeight; }

    TUiLabeledEdit* AddLabeledEdit() override;
    TUiEdit* AddEdit() override;
    TUiLabel* AddLabel(const std::string& Caption, int Left, int Top) override;
    TUiButton* AddButton(const std::string& Caption) override;
    TUiSpinEdit* AddSpinEdit() override;
    TUiListBox* AddListBox() override;
    TUiMainMenu* AddMainMenu() override;
    TUiPopupMenu* AddPopupMenu() override;

    void Show() override;
    bool IsVisible() const override;
    int ShowModal() override;
    void EndModal(int Result) override;
    void Close() override;

    TQtFormWindow* Window() const { return FWindow.get(); }

private:
    friend class TQtFormWindow;
    void ApplySizePolicy();
    void PlaceOnScreen();
    void RememberClientSize();

    template <class T> T* Keep(std::unique_ptr<T> Control);

    std::unique_ptr<TQtFormWindow> FWindow;
    std::vector<std::unique_ptr<TUiControl>> FControls;
    std::unique_ptr<TUiMainMenu> FMainMenu;
    std::vector<std::unique_ptr<TUiPopupMenu>> FPopupMenus;
    TBorderStyle FBorderStyle = bsSizeable;
    TFormPosition FPosition = poDesigned;
    std::string FFontFace;
    int FFontHeight = 0;
    int FClientWidth = 0;
    int FClientHeight = 0;
    class QEventLoop* FModalLoop = nullptr;
    int FModalResult = 0;
};

// The application object: QApplication with the toolkit's Japanese translation.
class TQtToolkit : public TUiToolkit {
public:
    TQtToolkit(int& Argc, char** Argv);
    ~TQtToolkit() override;

    std::unique_ptr<TUiForm> CreateForm() override;
    void Run(TUiForm& MainForm) override;
    void ShowMessage(const std::string& Text) override;
    bool AskYesNo(const std::string& Text, bool YesDefault = true) override;
    std::string InputBox(const std::string& Caption, const std::string& Prompt,
                         const std::string& Default, TInputForm Form) override;
    bool Execute(TFileDialog& Dialog) override;
    void Beep() override;

private:
    std::unique_ptr<QApplication> FApp;
    QTranslator FTranslator;
};

} // namespace qtbackend
