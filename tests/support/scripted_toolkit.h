// A toolkit double for the application's handlers: windows and controls are the real Qt
// ones (offscreen), while message boxes, questions, the input box, the file dialogs,
// modal forms and opening documents are answered from a script and recorded.
#pragma once

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/qt/qt_services.h"
#include "platform/ui.h"
#include "support/qt_app.h"

namespace testsupport {

class TScriptedToolkit : public TUiToolkit {
public:
    // What a modal form does while it is shown: set its controls, press its buttons.
    // Its result is the form's modal result (or what the action returns when no button
    // ended the form).
    using TModalAction = std::function<int(TUiForm& Form)>;

    TScriptedToolkit() : FInner(TestToolkit()) { qtbackend::InstallQtServices(); }
    ~TScriptedToolkit() override {
        EXPECT_TRUE(Answers.empty()) << Answers.size() << " question answers left unused";
        EXPECT_TRUE(Inputs.empty()) << Inputs.size() << " input box answers left unused";
        EXPECT_TRUE(Files.empty()) << Files.size() << " file dialog answers left unused";
        EXPECT_TRUE(Modals.empty()) << Modals.size() << " modal actions left unused";
    }

    // --- The script ---------------------------------------------------------------------------
    std::deque<bool> Answers;                      // questions: true for Yes
    std::deque<std::optional<std::string>> Inputs; // input boxes: nullopt for Cancel; a file
                                                   // name's answer is the system's bytes
    std::deque<std::optional<std::string>> Files;  // file dialogs: nullopt for Cancel
    std::deque<TModalAction> Modals;               // modal forms, in the order shown

    // --- What was shown ---------------------------------------------------------------------
    std::vector<std::string> Messages;
    std::vector<std::string> Questions;
    std::vector<bool> QuestionYesDefaults;
    struct TInputShown {
        std::string Caption, Prompt, Default;
    };
    std::vector<TInputShown> InputBoxes;
    std::vector<TFileDialog> FileDialogs;
    std::vector<std::string> ModalCaptions;
    std::vector<std::string> Opened;
    int Beeps = 0;

    // --- TUiToolkit -----------------------------------------------------------------------------
    std::unique_ptr<TUiForm> CreateForm() override { return FInner.CreateForm(); }
    void Run(TUiForm&) override { ADD_FAILURE() << "the message loop does not run under the script"; }

    int ShowModal(TUiForm& Form) override {
        ModalCaptions.push_back(Form.GetCaption());
        if (Modals.empty()) {
            ADD_FAILURE() << "unscripted modal form " << Form.GetCaption();
            return 0;
        }
        TModalAction Action = std::move(Modals.front());
        Modals.pop_front();
        if (Form.OnShow) Form.OnShow();
        return Action(Form);
    }
    void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
    bool AskYesNo(const std::string& Text, bool YesDefault = true) override {
        Questions.push_back(Text);
        QuestionYesDefaults.push_back(YesDefault);
        if (Answers.empty()) {
            ADD_FAILURE() << "unscripted question";
            return false;
        }
        const bool A = Answers.front();
        Answers.pop_front();
        return A;
    }
    std::string InputBox(const std::string& Caption, const std::string& Prompt,
                         const std::string& Default, TInputForm Form) override {
        InputBoxes.push_back({Caption, Prompt, Default});
        std::optional<std::string> A;
        if (Inputs.empty()) {
            ADD_FAILURE() << "unscripted input box";
        } else {
            A = std::move(Inputs.front());
            Inputs.pop_front();
        }
        return A ? *A : Form == ifFileName ? SystemPathOf(Default) : Default;
    }
    bool Execute(TFileDialog& Dialog) override {
        FileDialogs.push_back(Dialog);
        if (Files.empty()) {
            ADD_FAILURE() << "unscripted file dialog";
            return false;
        }
        std::optional<std::string> A = std::move(Files.front());
        Files.pop_front();
        if (!A) return false;
        Dialog.FileName = *A;
        return true;
    }
    void Beep() override { ++Beeps; }
    void OpenDocument(const std::string& PathOrUrl) override { Opened.push_back(PathOrUrl); }

private:
    TUiToolkit& FInner;
};

} // namespace testsupport
