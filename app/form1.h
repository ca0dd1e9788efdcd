// The main window TForm1: its controls as designed, its menus, and the handlers of the
// item commands, the feed and the tools. The data it shows lives in Data.
#pragma once

#include <memory>
#include <string>

#include "app/app_data.h"
#include "app/state_file.h"
#include "platform/classes.h"
#include "platform/ui.h"

class TEditor;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

// Where the program keeps its files: beside the executable, or in the user's folders when
// installed (platform/locations.h); a test gives its own.
struct TAppFiles {
    std::string State;    // feedloom.dat
    std::string Settings; // feedloom.ini
    std::string Archive;  // feedloom.rdf, written by the item cleanup
    std::string Help;     // help.chm beside the executable
    std::string Guide;    // the HTML user guide, opened by help when there is no help.chm
    static TAppFiles OfThisProgram();
};

// Result codes of the modal dialogs.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// The settings of the description editors (DesE, DesED): read-only or not, both scroll
// bars, "ＭＳ ゴシック" 12 pixels, caret kept on the text, margin 1, no image bar.
enum TDescriptionEditorMode : uint8_t { deReadOnly, deEditable };
TEditor* CreateDescriptionEditor(TUiForm& Form, TDescriptionEditorMode Mode, int Left, int Top, int Width,
                                 int Height);

class TForm1 {
public:
    TForm1(TUiToolkit& Toolkit, TAppFiles Files);
    ~TForm1();

    TUiForm& Window() { return *FWindow; }
    // The dialogs the handlers open; set once all four windows exist.
    void SetDialogs(TForm2* Form2, TForm3* Form3, TForm4* Form4, TForm5* Form5 = nullptr);

    // FormCreate: settings, then the state file; a read error is shown and start-up goes on.
    void FormCreate();
    // SaveState, then SaveSettings; an error is shown and keeps the window open (false).
    bool FormCloseQuery();

    // Selection and the detail fields.
    int SelectedIndex() const;
    void ResetSelection();
    void ItemListClick();
    void ItemListDblClick();
    void LinkEChange();
    void LinkEClick();

    // Item commands.
    void New2Click(TUiMenuItem& Sender);
    void Delete1Click();
    void N3Click();
    void N4Click();
    void MoveItem(int Delta);
    void TrimItems();

    // Feed and tools.
    void RSSR1Click();
    void D1Click();
    void F1Click();
    void S2Click();
    // Asks for a style sheet path in the input box; false when the answer was refused.
    bool AskStyleSheetPath(const char* Caption, const std::string& Old, std::string& Path);
    void X1Click();
    void C1Click();
    void V1Click();
    void Exit1Click();

    // The texts and the value of the site controls go into Data (before a command reads it).
    void StoreControls();
    // Data's site fields, value and lists go into the controls.
    void ShowData();
    // The four list boxes after a change of the item store (they show its entries through
    // TUiListBox::SetSource and hold none themselves).
    void ShowItems();
    // The check marks of S2, X1 and F1 from the settings.
    void ShowCheckMarks();
    // Writes the settings file; an error is shown (false).
    bool WriteSettings();
    // The CP932 text of a file name that the settings file is to keep; false, after a
    // message naming it, when CP932 cannot hold the name.
    bool StorablePath(const std::string& FileName, std::string& Cp932);

    TAppData Data;
    std::unique_ptr<TStringList> FOutput;
    int32_t FEditMode = 0;
    TFileDialog SaveDialog1;

    // Controls, in tab order.
    TUiLabeledEdit* SiteE = nullptr;
    TUiLabeledEdit* NameE = nullptr;
    TUiSpinEdit* SpinEdit1 = nullptr;
    TUiListBox* ItemList = nullptr;
    TUiLabeledEdit* LinkE = nullptr;
    TUiLabeledEdit* TimeE = nullptr;
    TEditor* DesE = nullptr;
    TUiListBox* linkList = nullptr;
    TUiListBox* TimeList = nullptr;
    TUiListBox* DesList = nullptr;
    TEditor* Editor1 = nullptr;
    TUiLabel* Label1 = nullptr; // "RSS Item"
    TUiLabel* Label2 = nullptr; // "Description"
    TUiLabel* Label3 = nullptr; // "Max RSS Item"

    TUiMainMenu* MainMenu1 = nullptr;
    TUiMenuItem *New2 = nullptr, *New1 = nullptr, *S1 = nullptr, *Delete1 = nullptr, *C2 = nullptr;
    TUiMenuItem *D1 = nullptr, *N5 = nullptr, *S2 = nullptr, *X1 = nullptr, *F1 = nullptr, *V1 = nullptr;
    TUiMenuItem *RSSR1 = nullptr, *Exit1 = nullptr;
    TUiPopupMenu* PopupMenu1 = nullptr;
    TUiMenuItem *N1 = nullptr, *Edit1 = nullptr, *N2 = nullptr, *Delete2 = nullptr, *N3 = nullptr,
                *N4 = nullptr;

    const TAppFiles& Files() const { return FFiles; }
    TStateFile& StateFile() { return FStateFile; }

private:
    void CreateControls();
    void CreateMenus();

    TUiToolkit& FToolkit;
    TAppFiles FFiles;
    TStateFile FStateFile;
    std::unique_ptr<TUiForm> FWindow;
    std::unique_ptr<TEditor> FDesE;
    std::unique_ptr<TEditor> FEditor1;
    TForm2* FForm2 = nullptr;
    TForm3* FForm3 = nullptr;
    TForm4* FForm4 = nullptr;
    TForm5* FForm5 = nullptr;
};
