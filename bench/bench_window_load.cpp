// The memory of reading a state file, as whole processes: the window's start-up (this
// program started with --window FILE runs the windows of Feedloom, offscreen, through
// the same FormCreate as the program, then shows the main window and paints it, its item
// list laid out over every item), and feedloom-feed writing the feed and checking it. The
// peak resident memory of each (GNU time's %M) is set against the budget of 64 MB plus ten
// times the file's size. The files: ItemList of 1,000,000 and 10,000,000 empty entries with
// the other three lists empty (2 MB and 20 MB), and 250,000 whole items (about 23 MB).
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/form1.h"
#include "app/state_file.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/streams.h"
#include "support/measured_process.h"

namespace {

constexpr double MB = 1e6;

// The kinds of state file, by benchmark argument.
enum TFileKind : int { fkEmpty1M, fkEmpty10M, fkItems250K };

std::string TempFolder() {
    const char* Base = getenv("TMPDIR");
    return Base && *Base ? Base : "/tmp";
}

// A state file of one kind at Path.
void WriteState(TFileKind Kind, const std::string& Path) {
    TAppData Data;
    if (Kind == fkItems250K) {
        for (int I = 0; I < 250000; ++I) {
            char N[16];
            std::snprintf(N, sizeof N, "%06d", I);
            Data.Items.MutableList(ilLink).Append(std::string("http://example.jp/item/") + N);
            Data.Items.MutableList(ilTime).Append("2026-12-08T09:30:00+09:00");
            Data.Items.MutableList(ilDes).Append(std::string("description ") + N + "|");
            Data.Items.MutableList(ilItem).Append(std::string("Item ") + N);
        }
    } else {
        // Empty entries in ItemList alone: the writer writes the lists as they are.
        Data.Items.MutableList(ilItem).Resize(Kind == fkEmpty1M ? 1000000 : 10000000);
    }
    TFileStream F(Path, fmCreate);
    WriteStateImages(F, Data);
}

// The state file of one kind, written once per run of this program and removed at exit.
class TStateFiles {
public:
    ~TStateFiles() {
        for (const auto& [Kind, Path] : FPaths) std::remove(Path.c_str());
    }
    const std::string& Path(TFileKind Kind) {
        auto It = FPaths.find(Kind);
        if (It != FPaths.end()) return It->second;
        std::string Path = TempFolder() + "/feedloom-bench-state-XXXXXX";
        const int Fd = mkstemp(Path.data());
        if (Fd < 0) {
            std::perror("mkstemp");
            std::exit(1);
        }
        close(Fd);
        WriteState(Kind, Path);
        return FPaths.emplace(Kind, Path).first->second;
    }

private:
    std::map<TFileKind, std::string> FPaths;
};

TStateFiles& Files() {
    static TStateFiles F;
    return F;
}

double FileMegabytes(const std::string& Path) {
    struct stat St {};
    stat(Path.c_str(), &St);
    return static_cast<double>(St.st_size) / MB;
}

std::string SelfPath() {
    char Buffer[4096];
    const ssize_t N = readlink("/proc/self/exe", Buffer, sizeof Buffer - 1);
    if (N <= 0) std::exit(1);
    return std::string(Buffer, static_cast<size_t>(N));
}

std::string FolderOf(const std::string& Path) {
    return Path.substr(0, Path.rfind('/'));
}

// Runs Args as a child process (output thrown away): its peak resident memory in bytes.
double PeakOf(const std::vector<std::string>& Args) {
    const benchtext::TMeasuredRun R = benchtext::RunMeasured(
        Args, TempFolder() + "/feedloom-bench-rss-" + std::to_string(getpid()));
    // feedloom-feed --check ends with 2 when it found something.
    if (R.ExitStatus < 0 || R.ExitStatus > 2 || R.PeakKib < 0) {
        std::fprintf(stderr, "%s failed\n", Args[0].c_str());
        std::exit(1);
    }
    return static_cast<double>(R.PeakKib) * 1024;
}

void Report(benchmark::State& State, double Peak, const std::string& Path) {
    const double File = FileMegabytes(Path);
    const double Budget = 64 + 10 * File;
    State.counters["file_mb"] = File;
    State.counters["peak_mb"] = Peak / MB;
    State.counters["budget_mb"] = Budget;
    State.counters["peak_per_budget"] = Peak / MB / Budget;
}

// The window's start-up on the file; the largest peak of the iterations.
void BM_WindowStartup(benchmark::State& State) {
    const std::string& Path = Files().Path(static_cast<TFileKind>(State.range(0)));
    double Peak = 0;
    for (auto _ : State) Peak = std::max(Peak, PeakOf({SelfPath(), "--window", Path}));
    Report(State, Peak, Path);
}

// feedloom-feed on the file: Arg 1 0 writes the feed, 1 checks it (--check, no output).
void BM_FeedTool(benchmark::State& State) {
    const std::string& Path = Files().Path(static_cast<TFileKind>(State.range(0)));
    const std::string Tool = FolderOf(FolderOf(SelfPath())) + "/feedloom-feed";
    const std::string Settings = TempFolder() + "/feedloom-bench-none.ini"; // no such file
    std::vector<std::string> Args = {Tool, "--state", Path, "--settings", Settings};
    Args.push_back(State.range(1) ? "--check" : "-");
    double Peak = 0;
    for (auto _ : State) Peak = std::max(Peak, PeakOf(Args));
    Report(State, Peak, Path);
}

BENCHMARK(BM_WindowStartup)->Arg(fkEmpty1M)->Arg(fkEmpty10M)->Arg(fkItems250K)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeedTool)
    ->Args({fkEmpty10M, 0})
    ->Args({fkEmpty10M, 1})
    ->Args({fkItems250K, 1})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// Messages are printed rather than shown: nobody answers a box here.
class TBenchToolkit : public qtbackend::TQtToolkit {
public:
    using TQtToolkit::TQtToolkit;
    void ShowMessage(const std::string& Text) override { std::fprintf(stderr, "message: %s\n", Text.c_str()); }
};

// The child's work for --window FILE: the four windows as the program makes them (settings,
// then FILE as the state file), the main window shown and painted; then the process ends.
int WindowOnly(const char* Path) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int Argc = 1;
    static char Name[] = "feedloom";
    static char* Argv[] = {Name, nullptr};
    TBenchToolkit Toolkit(Argc, Argv);
    SetUiToolkit(&Toolkit);
    qtbackend::InstallQtServices();
    TAppFiles Files;
    Files.State = Path;
    Files.Settings = TempFolder() + "/feedloom-bench-none.ini";
    int Items = 0, Shown = 0;
    {
        TFeedloomApplication App(Toolkit, Files);
        App.CreateForms();
        TUiForm& W = App.Form1()->Window();
        W.Show();
        // The layout of the list (one position a row) and the first paint.
        for (int I = 0; I < 3; ++I) QCoreApplication::processEvents();
        (void)dynamic_cast<qtbackend::TQtForm&>(W).Window()->grab();
        Items = App.Form1()->Data.Items.Count();
        Shown = App.Form1()->ItemList->Count();
    }
    SetUiToolkit(nullptr);
    std::fprintf(stderr, "items %d, rows %d\n", Items, Shown);
    return Items == Shown ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--window") == 0) return WindowOnly(argv[2]);
    // --write-state 1M|10M|250K FILE: the benchmarks' state files, for measuring by hand.
    if (argc >= 4 && std::strcmp(argv[1], "--write-state") == 0) {
        const std::string K = argv[2];
        WriteState(K == "1M" ? fkEmpty1M : K == "10M" ? fkEmpty10M : fkItems250K, argv[3]);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
