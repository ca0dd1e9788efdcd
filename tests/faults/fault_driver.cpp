// The fault-injection harness's program: the real windows and handlers of Feedloom on
// the files beside this executable (copy it into a folder as "feedloom" and its files
// are that folder's feedloom.dat, .ini and .rdf), one operation per run.
//
//   seed N     N items, the feed file configured as feed.rdf (in the working folder);
//              closes the window
//   close [T]  one more item (titled T, "new item" by default) and changed settings,
//              then FormCloseQuery; the question after a failed save is answered No
//   close-yes  the same, the question answered Yes (close without saving)
//   feed-to F  RSSR1Click to the configured file F (which must exist)
//   save-as F  RSSR1Click with no configured file, the save dialog answered with F
//   feed [T]   one more item, then RSSR1Click to the configured file
//   cleanup [T] one more item, then C1Click answered Yes (the archive)
//   css        S2Click, the input box answered with a new, long path
//   load       the items read at start-up
//   loop KIND  writes the state, settings, feed or archive file again and again,
//              alternately with two contents, until killed; first it writes the two
//              contents to FILE.ref-a and FILE.ref-b and prints "ready" once the file
//              holds the first one
//
// Every message box text is printed as "message: TEXT", every question as "question: TEXT"
// ("question-no-default: TEXT" when No is the default), every item as "item: TITLE", the
// close's result as "closed: 0|1", in UTF-8. The exit status is 0 whatever they say.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/cleanup.h"
#include "app/feed_builder.h"
#include "app/settings_file.h"
#include "app/state_file.h"
#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/streams.h"
#include "support/scripted_toolkit.h"

namespace {

using cp932::Literal;

void Print(const char* Kind, const std::string& Cp932) {
    std::printf("%s: %s\n", Kind, cp932::ToUtf8(Cp932).c_str());
    std::fflush(stdout);
}

TFeedItem Item(const std::string& Title) {
    return {"http://example.com/" + Title, "2026-12-08T06:00:00+09:00", Literal("説明 ") + Title + "|",
            Title};
}

// A string of N bytes that a settings value keeps whole.
std::string Long(const std::string& Stem, size_t N) {
    std::string S;
    while (S.size() < N) S += Stem;
    return S.substr(0, N);
}

int RunWindows(const std::string& Op, const std::string& Arg) {
    const std::string NewTitle = Arg.empty() ? "new item" : Arg;
    static int Argc = 1;
    static char Name[] = "feedloom";
    static char* Argv[] = {Name, nullptr};
    testsupport::TQtTestEnvironment::Toolkit() = new qtbackend::TQtToolkit(Argc, Argv);
    {
        testsupport::TScriptedToolkit T;
        TFeedloomApplication App(T);
        App.CreateForms();
        TForm1& F1 = *App.Form1();
        auto AddItem = [&](const std::string& Title) {
            F1.Data.Items.InsertItem(Item(Title));
            F1.ShowItems();
        };
        if (Op == "seed") {
            for (int I = 0; I < std::atoi(Arg.c_str()); ++I) AddItem("old item " + std::to_string(I));
            F1.NameE->SetText("Fault site");
            F1.SpinEdit1->SetValue(100);
            F1.Data.Settings.F1Checked = true;
            // Relative to the working folder, which the harness sets to this folder.
            F1.Data.Settings.FSavePath = "feed.rdf";
            F1.Data.Settings.FSiteDescription = "old description";
            F1.FormCloseQuery();
        } else if (Op == "close" || Op == "close-yes") {
            T.Answers.push_back(Op == "close-yes");
            AddItem(Op == "close" ? NewTitle : "new item");
            // A longer settings file than before, every key changed.
            TSettings& S = F1.Data.Settings;
            S.FCssFlag = !S.FCssFlag;
            S.FCssPath = Long("new.css/", 300);
            S.FXslPath = Long("new.xsl/", 300);
            S.FSiteDescription = Long("new description ", 1500);
            std::printf("closed: %d\n", F1.FormCloseQuery() ? 1 : 0);
            T.Answers.clear(); // no question when the save worked
        } else if (Op == "feed") {
            AddItem(NewTitle);
            F1.RSSR1Click();
        } else if (Op == "cleanup") {
            AddItem(NewTitle);
            T.Answers.push_back(true);
            F1.C1Click();
        } else if (Op == "feed-to" || Op == "save-as") {
            F1.Data.Settings.F1Checked = Op == "feed-to";
            F1.Data.Settings.FSavePath = Arg;
            if (Op == "save-as") T.Files.push_back(Arg);
            F1.RSSR1Click();
        } else if (Op == "css") {
            T.Inputs.push_back(Long("style/", 900) + ".css");
            F1.S2Click();
        } else if (Op == "load") {
            for (const std::string_view Title : F1.Data.Items.List(ilItem)) Print("item", std::string(Title));
        } else {
            std::fprintf(stderr, "fault_driver: unknown operation %s\n", Op.c_str());
            return 2;
        }
        for (const std::string& M : T.Messages) Print("message", M);
        for (size_t Q = 0; Q < T.Questions.size(); ++Q)
            Print(T.QuestionYesDefaults[Q] ? "question" : "question-no-default", T.Questions[Q]);
    }
    delete testsupport::TQtTestEnvironment::Toolkit();
    testsupport::TQtTestEnvironment::Toolkit() = nullptr;
    return 0;
}

// The loop needs no window: the same writers as the handlers, with a fixed feed time so
// that there are exactly two contents.
int Loop(const std::string& Kind) {
    const TAppFiles Files = TAppFiles::OfThisProgram();
    // The two contents depend on nothing the file holds, so every run alternates between
    // the same two.
    TAppData Data[2];
    for (TAppData& D : Data) {
        for (int I = 0; I < 3; ++I) D.Items.InsertItem(Item("old item " + std::to_string(I)));
        D.NameE = "Fault site";
        D.SpinEdit1 = 100;
        D.Settings.F1Checked = true;
        D.Settings.FSavePath = "feed.rdf";
        D.Settings.FTimeZone = "+09:00";
    }
    Data[1].Items.InsertItem(Item("loop item"));
    Data[1].NameE = "Loop site";
    Data[1].Settings.FCssPath = Long("loop.css/", 200);
    Data[1].Settings.FSiteDescription = "loop description";
    std::unique_ptr<TEditor> Editor1(TEditor::Create(nullptr));
    TStringList Output;
    constexpr std::time_t Now = 1796000000;
    std::string Target;
    std::function<void(const std::string&, int)> Write;
    if (Kind == "state") {
        Target = Files.State;
        Write = [&](const std::string& Path, int K) { TStateFile(Path).SaveState(Data[K]); };
    } else if (Kind == "settings") {
        Target = Files.Settings;
        Write = [&](const std::string& Path, int K) { SaveSettings(Path, Data[K].Settings); };
    } else if (Kind == "feed") {
        Target = Data[0].Settings.FSavePath;
        Write = [&](const std::string& Path, int K) {
            WriteFeed(Path, false, Data[K], *Editor1, Output, Now);
        };
    } else if (Kind == "archive") {
        Target = Files.Archive;
        Write = [&](const std::string& Path, int K) {
            TAppData Copy = Data[K];
            CleanupItems(Copy, *Editor1, Output, Path, Now);
        };
    } else {
        std::fprintf(stderr, "fault_driver: unknown loop %s\n", Kind.c_str());
        return 2;
    }
    try {
        if (Kind == "settings") {
            // Every key is rewritten, so the file alternates between these two.
            for (int K = 0; K < 2; ++K) {
                const std::string Ref = Target + (K == 0 ? ".ref-a" : ".ref-b");
                TMemoryStream Old;
                Old.LoadFromFile(Target);
                Old.SaveToFile(Ref);
                SaveSettings(Ref, Data[K].Settings);
            }
        } else {
            Write(Target + ".ref-a", 0);
            Write(Target + ".ref-b", 1);
        }
        Write(Target, 0);
        std::puts("ready");
        std::fflush(stdout);
        for (unsigned long I = 1;; ++I) Write(Target, static_cast<int>(I % 2));
    } catch (const Exception& E) {
        Print("message", E.Message());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    // As the program does: a write past the file-size limit fails and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc < 2) {
        std::fputs(
            "usage: fault_driver seed N | close [T] | feed [T] | cleanup [T] | css | load | loop KIND\n",
            stderr);
        return 2;
    }
    const std::string Op = argv[1];
    if (Op == "loop") return argc > 2 ? Loop(argv[2]) : 2;
    return RunWindows(Op, argc > 2 ? argv[2] : "");
}
