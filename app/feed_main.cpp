// feedloom-feed: writes the feed of Feedloom's saved items from the state and settings
// files, for publishing scripts and scheduled jobs. It changes neither file: an output that
// is one of them (or the archive) is refused. With --check it prints what the feed check
// finds, and writes the feed only when OUTPUT is given.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
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
#include "platform/locations.h"

namespace {

constexpr std::string_view kUsage =
    "usage: feedloom-feed [--check] [--state FILE] [--settings FILE] [OUTPUT | -]\n";

// The command line. Paths are kept as the system's bytes.
struct TOptions {
    std::string StatePath, SettingsPath, OutputPath;
    bool HaveOutput = false;
    bool Help = false;
    bool Check = false;
    std::string Error; // why the command line is wrong, or ""
};

TOptions ParseOptions(int argc, char** argv, const TFileLocations& Where) {
    TOptions O;
    O.StatePath = Where.DataFolder + "feedloom.dat";
    O.SettingsPath = Where.ConfigFolder + "feedloom.ini";
    bool OptionsEnd = false;
    for (int I = 1; I < argc && O.Error.empty(); ++I) {
        const std::string_view Arg = argv[I];
        if (!OptionsEnd && (Arg == "-h" || Arg == "--help")) {
            O.Help = true;
        } else if (!OptionsEnd && Arg == "--check") {
            O.Check = true;
        } else if (!OptionsEnd && (Arg == "--state" || Arg == "--settings")) {
            if (I + 1 >= argc)
                O.Error = std::string(Arg) + " needs a file name";
            else if (argv[I + 1][0] == '\0')
                O.Error = std::string(Arg) + " needs a file name, not an empty one";
            else
                (Arg == "--state" ? O.StatePath : O.SettingsPath) = argv[++I];
        } else if (!OptionsEnd && Arg == "--") {
            OptionsEnd = true;
        } else if (!OptionsEnd && Arg.size() > 1 && Arg[0] == '-') {
            O.Error = "unknown option: " + std::string(Arg);
        } else if (O.HaveOutput) {
            O.Error = "more than one output file: " + std::string(Arg);
        } else if (Arg.empty()) {
            O.Error = "the output file name is empty";
        } else {
            O.OutputPath = Arg;
            O.HaveOutput = true;
        }
    }
    return O;
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
        std::fprintf(To, "%s\t%s\t%s\n", SeverityKeyword(F.Severity), Item.c_str(),
                     cp932::ToUtf8(F.Message).c_str());
    }
}

int Fail(const std::string& Utf8Message) {
    std::fprintf(stderr, "feedloom-feed: %s\n", Utf8Message.c_str());
    return 1;
}

std::string MessageOf(const Exception& E) {
    return cp932::ToUtf8(E.Message());
}

// Why the input at Path cannot be read, or "" when it can (a missing file counts as
// readable when Optional).
std::string InputProblem(const std::string& What, const std::string& Path, bool Optional) {
    switch (FileKindOf(Path)) {
    case TFileKind::Missing:
        return Optional ? std::string() : "no " + What + ": " + Path;
    case TFileKind::Directory:
        return What + " is a folder: " + Path;
    case TFileKind::Other:
    case TFileKind::Regular:
        break;
    }
    try {
        CheckReadable(Path);
    } catch (const Exception& E) {
        return "cannot read the " + What + " " + Path + ": " + MessageOf(E);
    }
    return std::string();
}

void WriteStandardOutput(const std::string& Bytes) {
    size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t N = write(STDOUT_FILENO, Bytes.data() + Done, Bytes.size() - Done);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) throw EWriteError(cp932::Literal("標準出力に書き込めません"));
        Done += static_cast<size_t>(N);
    }
}

int Run(const TOptions& O, const TFileLocations& Where) {
    TAppData Data;
    if (std::string P = InputProblem("settings file", O.SettingsPath, true); !P.empty()) return Fail(P);
    LoadSettings(O.SettingsPath, Data.Settings);
    if (std::string P = InputProblem("state file", O.StatePath, false); !P.empty()) return Fail(P);
    TStateFile State(O.StatePath);
    try {
        // The feed holds at most SpinEdit1MaxValue items (or the stored value, see
        // ReadStateImages): the rest of each list is read through but not kept, so memory
        // stays bounded by the file's size. The check looks at the items the feed writes
        // and counts the rest (TItemStore::NotKept).
        State.LoadState(Data, static_cast<size_t>(SpinEdit1MaxValue));
    } catch (const Exception& E) {
        return Fail("cannot read the state file " + O.StatePath + ": " + MessageOf(E));
    } catch (const std::bad_alloc&) {
        return Fail("out of memory reading the state file " + O.StatePath);
    }
    bool Found = false;
    if (O.Check) {
        // Beside a feed being written, the findings go to standard error, so that they
        // never mix with a feed written to standard output.
        const std::vector<TFinding> Findings = CheckFeed(Data);
        PrintFindings(Findings, O.HaveOutput ? stderr : stdout);
        Found = !Findings.empty();
        if (!O.HaveOutput) return Found ? 2 : 0;
    }
    std::string Output = O.OutputPath;
    if (!O.HaveOutput) {
        if (!Data.Settings.F1Checked || Data.Settings.FSavePath.empty())
            return Fail("no output file configured in " + O.SettingsPath + "; give one on the command line");
        Output = SystemPathOf(Data.Settings.FSavePath);
    }
    std::unique_ptr<TEditor> Editor1(TEditor::Create(nullptr));
    TStringList FOutput;
    if (Output == "-") {
        BuildFeed(false, Data, *Editor1, FOutput);
        WriteStandardOutput(FeedFileBytes(FOutput));
        return Found ? 2 : 0;
    }
    const std::string Input = InputNamedBy(Output, {O.StatePath, O.SettingsPath, Where.DataFolder + "feedloom.rdf"});
    if (!Input.empty()) return Fail("not writing " + Output + ": it is the same file as " + Input);
    WriteFeed(Output, false, Data, *Editor1, FOutput);
    return Found ? 2 : 0;
}

} // namespace

int main(int argc, char** argv) {
    // A write past the file-size limit fails with EFBIG and is reported like any other
    // write error, instead of the signal ending the program silently with its temporary
    // file left behind. A closed pipe likewise gives EPIPE.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // The window's files: beside this program, or in the user's folders when installed.
    const TFileLocations& Where = ProgramFileLocations();
    const TOptions O = ParseOptions(argc, argv, Where);
    if (!O.Error.empty())
        return Fail(O.Error + " (" + std::string(kUsage.substr(0, kUsage.size() - 1)) + ")");
    if (O.Help) {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }
    try {
        return Run(O, Where);
    } catch (const Exception& E) {
        return Fail(MessageOf(E));
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& E) {
        return Fail(E.what());
    }
}
