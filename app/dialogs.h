// The three dialogs of the application: the item dialog TForm2, the output file
// dialog TForm3 and the site description dialog TForm4. Created at start-up and
// kept for the whole run, so their controls keep their contents between uses.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/feed_check.h"
#include "platform/ui.h"

class TEditor;
class TForm1;

// A dialog's frame as its window design gives it.
struct TDialogDesign {
    const char* Caption; // UTF-8
    TBorderStyle Border;
    int ClientWidth;
    int ClientHeight;
    const char* FontFace; // UTF-8
    int FontHeight;
};

class TDialogForm {
public:
    TDialogForm(TUiToolkit& Toolkit, TForm1& Form1, const TDialogDesign& Design);
    virtual ~TDialogForm() = default;
    TUiForm& Window() { return *FWindow; }

protected:
    TUiToolkit& FToolkit;
    TForm1& FForm1;
    std::unique_ptr<TUiForm> FWindow;
};

// The item dialog: add (FEditMode 0), edit (1) and add by reference (2). Neither button
// answers Enter or Esc: Enter in DesED starts a new line.
class TForm2 : public TDialogForm {
public:
    TForm2(TUiToolkit& Toolkit, TForm1& Form1);
    ~TForm2() override;

    void FormShow();
    void Button1Click();
    void Button2Click();

    TUiLabeledEdit* ItemED = nullptr;
    TUiLabeledEdit* LinkED = nullptr;
    TEditor* DesED = nullptr;
    TUiButton* Button1 = nullptr;
    TUiButton* Button2 = nullptr;
    TUiLabeledEdit* TimeED = nullptr;
    TUiLabel* Label1 = nullptr; // "Description"

private:
    std::unique_ptr<TEditor> FDesED;
};

// The output file dialog: OK turns the configured file on, Cancel (and Esc) off; closing
// it by its frame changes nothing.
class TForm3 : public TDialogForm {
public:
    TForm3(TUiToolkit& Toolkit, TForm1& Form1);

    void Button1Click();
    void Button2Click();
    void Button3Click();

    TUiLabel* Label1 = nullptr;
    TUiEdit* Edit1 = nullptr;
    TUiButton* Button1 = nullptr; // "..."
    TUiButton* Button2 = nullptr; // "OK"
    TUiButton* Button3 = nullptr; // "Cancel"
    TFileDialog OpenDialog1;
};

// The site description dialog.
class TForm4 : public TDialogForm {
public:
    TForm4(TUiToolkit& Toolkit, TForm1& Form1);

    void FormShow();
    void Button1Click();
    void Button2Click();

    TUiButton* Button1 = nullptr; // "OK", the default button
    TUiButton* Button2 = nullptr; // "Cancel", the cancel button
    TUiEdit* Sitedes = nullptr;
};

// The feed check's findings, one row each with its severity. Double-clicking a finding of
// an item selects the item in the main list and closes the dialog.
class TForm5 : public TDialogForm {
public:
    TForm5(TUiToolkit& Toolkit, TForm1& Form1);

    // The rows of the list, before the dialog is shown.
    void SetFindings(std::vector<TFinding> Findings);
    void FindingListDblClick();
    void Button1Click();

    TUiListBox* FindingList = nullptr;
    TUiButton* Button1 = nullptr; // "閉じる", the default and the cancel button

private:
    std::vector<TFinding> FFindings;
};

// The filter of the feed's open and save dialogs.
inline constexpr const char* FeedFileFilter = "RDFファイル(*.rdf)|*.rdf|XMLファイル(*.xml)|*.xml"; // UTF-8
