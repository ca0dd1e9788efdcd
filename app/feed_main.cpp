// feedloom-feed: writes the feed of Feedloom's saved items from the state and settings
// files, for publishing scripts and scheduled jobs. It changes neither file. With --check
// it prints what the feed check finds, and writes the feed only when OUTPUT is given.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_data.h"
#include "app/feed_builder.h"
#include "app/feed_check.h"
#include "app/settings_file.h"
#include "app/state_file.h"
#include "editor/control/editor.h"
#include "platform/classes.h"
#include "platform/cp932.h"
#include "platform/exceptions.h"
#include "platform/files.h"

namespace {

constexpr const char* kUsage = "usage: feedloom-feed [--check] [--state FILE] [--settings FILE] [OUTPUT]\n";

int Fail(const std::string& Utf8Message) {
    std::fprintf(stderr, "feedloom-feed: %s\n", Utf8Message.c_str());
    return 1;
}

int Usage() {
    std::fputs(kUsage, stderr);
    return 1;
}

const char* SeverityKeyword(TFindingSeverity Severity) {
    switch (Severity) {
    case fsError:
        return "error";
    case fsWarning:
        return "warning";
    case fsNote:
        break;
    }
    return "note";
}

// One line a finding: severity, the item's number from 1 at the top (or "-"), message.
void PrintFindings(const std::vector<TFinding>& Findings, std::FILE* To) {
    for (const TFinding& F : Findings) {
        const std::string Item = F.ItemIndex >= 0 ? std::to_string(F.ItemIndex + 1) : "-";
        std::fprintf(To, "%s\t%s\t%s\n", SeverityKeyword(F.Severity), Item.c_str(), cp932::ToUtf8(F.Message).c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    // A write past the file-size limit fails with EFBIG and is reported like any other
    // write error, instead of the signal ending the program silently with its temporary
    // file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    // Paths come in and go out as the system spells them (UTF-8); inside they are CP932.
    const std::string Folder = ExtractFilePath(ExeFileName());
    std::string StatePath = Folder + "feedloom.dat";
    std::string SettingsPath = Folder + "feedloom.ini";
    std::string OutputPath;
    bool HaveOutput = false;
    bool Check = false;
    for (int I = 1; I < argc; ++I) {
        const std::string_view Arg = argv[I];
        if (Arg == "-h" || Arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (Arg == "--check") {
            Check = true;
        } else if (Arg == "--state" || Arg == "--settings") {
            if (I + 1 >= argc) return Usage();
            (Arg == "--state" ? StatePath : SettingsPath) = cp932::FromUtf8(argv[++I]);
        } else if (Arg.size() > 1 && Arg[0] == '-') {
            return Usage();
        } else if (HaveOutput) {
            return Usage();
        } else {
            OutputPath = cp932::FromUtf8(Arg);
            HaveOutput = true;
        }
    }
    if (HaveOutput && OutputPath.empty()) return Usage();

    bool Found = false;
    try {
        TAppData Data;
        LoadSettings(SettingsPath, Data.Settings);
        TStateFile State(StatePath);
        if (!State.LoadState(Data)) return Fail("no state file: " + cp932::ToUtf8(StatePath));
        if (Check) {
            // Beside a feed being written, the findings go to standard error, so that they
            // never mix with a feed written to standard output.
            const std::vector<TFinding> Findings = CheckFeed(Data);
            PrintFindings(Findings, HaveOutput ? stderr : stdout);
            Found = !Findings.empty();
            if (!HaveOutput) return Found ? 2 : 0;
        }
        if (!HaveOutput) {
            if (!Data.Settings.F1Checked || Data.Settings.FSavePath.empty())
                return Fail("no output file configured in " + cp932::ToUtf8(SettingsPath) +
                            "; give one on the command line");
            OutputPath = Data.Settings.FSavePath;
        }
        std::unique_ptr<TEditor> Editor1(TEditor::Create(nullptr));
        TStringList FOutput;
        WriteFeed(OutputPath, false, Data, *Editor1, FOutput);
    } catch (const Exception& E) {
        return Fail(cp932::ToUtf8(E.Message()));
    } catch (const std::exception& E) {
        return Fail(E.what());
    }
    return Found ? 2 : 0;
}
