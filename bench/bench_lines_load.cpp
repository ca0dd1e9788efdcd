// Benchmarks of loading a 100 MiB CP932 file of about 1.6 million lines into an editor's
// Lines: the load against a floor that reads the file in 8 KiB blocks and counts its line
// ends, the memory the load keeps against the file size, and WrapAll of the loaded text
// against the load. Beside them, whole processes: this program started to load the file
// (wrap off, and wrapped at 80 bytes with kinsoku) against vim loading it, each pair of runs
// in one iteration so that the ratio comes from one run, with the peak memory of each.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/model/editor_client.h"
#include "editor/model/editor_strings.h"
#include "editor/model/screen_strings.h"
#include "platform/streams.h"
#include "support/cp932_text_gen.h"
#include "support/measured_process.h"

namespace {

constexpr size_t FileBytes = size_t{100} << 20;
// The file is generated in pieces so that making it does not raise the process's peak
// memory above what the load itself needs (the ru_maxrss figure below depends on that).
constexpr size_t PieceBytes = size_t{4} << 20;

// The generated file, removed at exit.
class TTextFile {
public:
    TTextFile() {
        const char* Base = getenv("TMPDIR");
        FPath = std::string(Base && *Base ? Base : "/tmp") + "/feedloom-bench-lines-XXXXXX";
        const int Fd = mkstemp(FPath.data());
        if (Fd < 0) {
            std::perror("mkstemp");
            std::exit(1);
        }
        close(Fd);
        TFileStream F(FPath, fmCreate);
        for (size_t Done = 0; Done < FileBytes; Done += PieceBytes) {
            const std::string Piece = benchtext::GenerateCp932Text(
                PieceBytes, static_cast<uint32_t>(1 + Done / PieceBytes), benchtext::lmShort);
            F.WriteBuffer(Piece.data(), static_cast<int64_t>(Piece.size()));
            // Pieces end inside a line; join them with a line break so no line grows across.
            F.WriteBuffer("\r\n", 2);
        }
        malloc_trim(0);
    }
    ~TTextFile() { std::remove(FPath.c_str()); }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

const TTextFile& File() {
    static const TTextFile F;
    return F;
}

// An editor without a window: what the screen rows and Lines call does nothing.
class TQuietEditor : public TEditorClient, public TEditorStringsHost {
public:
    void DoChange() override {}
    void InvalidateRow(int) override {}
    bool HasSelection() const override { return false; }
    void CancelSelection() override {}
    int GetRow() const override { return Row; }
    int GetCol() const override { return Col; }
    void SetRow(int Value) override { Row = Value; }
    void SetCol(int Value) override { Col = Value; }
    int GetTopRow() const override { return TopRow; }
    void SetTopRow(int Value) override { TopRow = Value; }
    void BeginCaretUpdate() override {}
    void EndCaretUpdate() override {}
    void RefreshViewAndCorner() override {}
    bool Focused() const override { return false; }
    bool IsLoading() const override { return Loading; }
    bool IsDestroying() const override { return false; }
    TFountain* ActiveFountain() const override { return nullptr; }
    int GetRowHeight() const override { return 16; }
    int GetScreenHeight() const override { return 1200; }
    bool GetInitBracketsFull() const override { return false; }
    int GetTabSpaceCount() const override { return 8; }
    const TDelimiters& GetDelimiters() const override { return Delimiters; }

    TEditorScreenStrings* GetScreenStrings() const override { return Strings; }
    void SetCaretOffset(int FromRow, int) override { Row = FromRow; }
    void HideUnderline() override {}
    void ShowUnderline() override {}
    void SetSettingRowCol(bool) override {}
    void UpdateCaret() override {}
    bool IsShowing() const override { return false; }
    void SetRedraw(bool) override {}

    TEditorScreenStrings* Strings = nullptr;
    int Row = 0, Col = 0, TopRow = 0;
    bool Loading = false;
    TDelimiters Delimiters = DefaultDelimiters();
};

struct TEditorLines {
    TQuietEditor Editor;
    TEditorStrings Lines{&Editor};
    TEditorLines() {
        Editor.Strings = new TEditorScreenStrings;
        Editor.Strings->AddEditor(&Editor);
        TEditorWrapOption* W = Editor.Strings->GetWrapOption();
        W->SetWrapByte(80);
        W->SetLeading(true);
        W->SetWordBreak(true);
        W->SetFollowPunctuation(true);
    }
    ~TEditorLines() { Editor.Strings->RemoveEditor(&Editor); }
    TEditorScreenStrings& Rows() { return *Editor.Strings; }
};

int64_t MaxRssBytes() {
    rusage U{};
    getrusage(RUSAGE_SELF, &U);
    return static_cast<int64_t>(U.ru_maxrss) * 1024;
}

int64_t HeapInUse() {
    const struct mallinfo2 M = mallinfo2();
    return static_cast<int64_t>(M.uordblks + M.hblkhd);
}

// The floor: the same 8 KiB blocks, the same line-end rule, every byte looked at, nothing kept.
void BM_Floor_ReadBlocksCountLines(benchmark::State& State) {
    const std::string& Path = File().Path();
    int64_t Lines = 0;
    for (auto _ : State) {
        const int Fd = open(Path.c_str(), O_RDONLY);
        char Buffer[8192];
        Lines = 0;
        bool PendingCr = false;
        for (;;) {
            const ssize_t N = read(Fd, Buffer, sizeof Buffer);
            if (N <= 0) break;
            ssize_t I = 0;
            if (PendingCr && Buffer[0] == '\n') I = 1;
            PendingCr = false;
            for (; I < N; ++I) {
                const char C = Buffer[I];
                if (C != '\r' && C != '\n') continue;
                ++Lines;
                if (C == '\r') {
                    if (I + 1 < N) {
                        if (Buffer[I + 1] == '\n') ++I;
                    } else {
                        PendingCr = true;
                    }
                }
            }
        }
        close(Fd);
        benchmark::DoNotOptimize(Lines);
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(FileBytes));
    State.counters["lines"] = static_cast<double>(Lines);
}

// The same floor with the line ends found by memchr, as LoadFromFile finds them.
void BM_Floor_ReadBlocksMemchr(benchmark::State& State) {
    const std::string& Path = File().Path();
    int64_t Lines = 0;
    for (auto _ : State) {
        const int Fd = open(Path.c_str(), O_RDONLY);
        char Buffer[8192];
        Lines = 0;
        bool PendingCr = false;
        for (;;) {
            const ssize_t N = read(Fd, Buffer, sizeof Buffer);
            if (N <= 0) break;
            const char* P = Buffer;
            const char* End = Buffer + N;
            if (PendingCr && *P == '\n') ++P;
            PendingCr = false;
            auto Find = [&](char C) {
                const void* Hit = std::memchr(P, C, static_cast<size_t>(End - P));
                return Hit ? static_cast<const char*>(Hit) : End;
            };
            const char* Cr = Find('\r');
            const char* Lf = Find('\n');
            while ((P = Cr < Lf ? Cr : Lf) != End) {
                ++Lines;
                if (*P++ == '\r') {
                    if (P == End)
                        PendingCr = true;
                    else if (*P == '\n')
                        ++P;
                }
                if (Cr < P) Cr = Find('\r');
                if (Lf < P) Lf = Find('\n');
            }
        }
        close(Fd);
        benchmark::DoNotOptimize(Lines);
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(FileBytes));
    State.counters["lines"] = static_cast<double>(Lines);
}

// The load and WrapAll are timed as the first of a process runs them: every large array they
// make is freshly mapped (glibc's initial mmap threshold, pinned). Left to itself the
// allocator raises the threshold once a large block is freed and then serves the next load's
// arrays from pages it already holds, so a repeated load would skip the page faults that a
// real load pays and the ratio of WrapAll to the load would compare unlike memory. The
// floors run before this is set and the whole-process runs are fresh processes.
void FreshLargeBlocks() {
    static const bool Set = mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1;
    if (!Set) std::fprintf(stderr, "mallopt(M_MMAP_THRESHOLD) failed\n");
}

// The first load of the process also measures memory: the rise of ru_maxrss (the peak of
// resident memory, which nothing before the load has driven higher than the small pieces
// of the generator) and the heap bytes in use after the load (mallinfo2 uordblks + hblkhd)
// over those before it, each divided by the file size.
void BM_LoadFromFile_NoWrap(benchmark::State& State) {
    const std::string& Path = File().Path();
    FreshLargeBlocks();
    static double PeakRatio = -1, HeldRatio = -1;
    if (PeakRatio < 0) {
        malloc_trim(0);
        const int64_t Rss0 = MaxRssBytes();
        const int64_t Heap0 = HeapInUse();
        {
            TEditorLines L;
            L.Lines.LoadFromFile(Path);
            HeldRatio = static_cast<double>(HeapInUse() - Heap0) / static_cast<double>(FileBytes);
            PeakRatio = static_cast<double>(MaxRssBytes() - Rss0) / static_cast<double>(FileBytes);
        }
        malloc_trim(0);
    }
    int Rows = 0;
    for (auto _ : State) {
        State.PauseTiming();
        {
            TEditorLines L;
            State.ResumeTiming();
            L.Lines.LoadFromFile(Path);
            Rows = L.Rows().GetCount();
            State.PauseTiming();
        } // freeing the rows is not part of the load
        State.ResumeTiming();
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(FileBytes));
    State.counters["rows"] = Rows;
    State.counters["peak_rss_per_file_byte"] = PeakRatio;
    State.counters["heap_per_file_byte"] = HeldRatio;
}

// WrapAll at WrapByte 80 with Leading (kinsoku), WordBreak and FollowPunctuation on, over the
// loaded text: each iteration wraps a text just loaded (the load and the freeing untimed), so
// that it is a first wrap, as after opening a file, with the row array as the load left it.
void BM_WrapAll_LoadedText(benchmark::State& State) {
    FreshLargeBlocks();
    int Rows = 0;
    for (auto _ : State) {
        State.PauseTiming();
        {
            TEditorLines L;
            L.Lines.LoadFromFile(File().Path());
            TEditorScreenStrings& S = L.Rows();
            // Switch the flag on without the rebuild that SetWordWrap would run at once.
            L.Editor.Loading = true;
            S.SetWordWrap(true);
            L.Editor.Loading = false;
            State.ResumeTiming();
            S.WrapAll();
            Rows = S.GetCount();
            State.PauseTiming();
        }
        State.ResumeTiming();
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(FileBytes));
    State.counters["rows"] = Rows;
}

// ---- whole processes ----------------------------------------------------------------------

struct TRun {
    double Seconds = 0;
    int64_t PeakBytes = 0;
};

// Runs Args as a child process: wall time and peak resident memory; ends the benchmark when
// the command fails.
TRun RunProcess(const std::vector<std::string>& Args) {
    const benchtext::TMeasuredRun R = benchtext::RunMeasured(Args, File().Path() + ".rss");
    if (R.ExitStatus != 0 || R.PeakKib < 0) {
        std::fprintf(stderr, "%s failed\n", Args[0].c_str());
        std::exit(1);
    }
    return {R.Seconds, R.PeakKib * 1024};
}

std::string SelfPath() {
    char Buffer[4096];
    const ssize_t N = readlink("/proc/self/exe", Buffer, sizeof Buffer - 1);
    if (N <= 0) std::exit(1);
    return std::string(Buffer, static_cast<size_t>(N));
}

// The child's work for --load FILE [--wrap]: an editor's Lines load the file (wrapped at 80
// bytes with kinsoku, word break and following punctuation when asked), then the process ends.
int LoadOnly(const char* Path, bool Wrap) {
    TEditorLines L;
    if (Wrap) {
        L.Editor.Loading = true; // the flag only; the load wraps
        L.Rows().SetWordWrap(true);
        L.Editor.Loading = false;
    }
    L.Lines.LoadFromFile(Path);
    return L.Rows().GetCount() > 0 ? 0 : 1;
}

// Arg 0: wrap off; 1: wrap on. Each iteration starts this program to load the file, then vim
// to load it and go to its end; the ratio is of the summed wall times, the memory figures are
// the largest peak of each over the file size.
void BM_LoadProcess_vs_Vim(benchmark::State& State) {
    const std::string& Path = File().Path();
    const bool Wrap = State.range(0) != 0;
    std::vector<std::string> Mine = {SelfPath(), "--load", Path};
    if (Wrap) Mine.push_back("--wrap");
    const std::vector<std::string> Vim = {"vim",  "-u",    "NONE", "-i", "NONE", "-N",
                                          "-n",   "-es",   "--cmd", "set enc=cp932 fencs=cp932 ffs=dos",
                                          "-c",   "normal G", "-c", "q!", Path};
    double MineSeconds = 0, VimSeconds = 0;
    int64_t MinePeak = 0, VimPeak = 0;
    for (auto _ : State) {
        const TRun A = RunProcess(Mine);
        const TRun B = RunProcess(Vim);
        MineSeconds += A.Seconds;
        VimSeconds += B.Seconds;
        MinePeak = std::max(MinePeak, A.PeakBytes);
        VimPeak = std::max(VimPeak, B.PeakBytes);
        State.SetIterationTime(A.Seconds);
    }
    State.counters["ratio"] = MineSeconds / VimSeconds;
    State.counters["vim_ms"] = VimSeconds * 1000 / static_cast<double>(State.iterations());
    State.counters["peak_per_file_byte"] = static_cast<double>(MinePeak) / static_cast<double>(FileBytes);
    State.counters["vim_peak_per_file_byte"] = static_cast<double>(VimPeak) / static_cast<double>(FileBytes);
}

BENCHMARK(BM_Floor_ReadBlocksCountLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Floor_ReadBlocksMemchr)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFromFile_NoWrap)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WrapAll_LoadedText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadProcess_vs_Vim)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--load") == 0)
        return LoadOnly(argv[2], argc >= 4 && std::strcmp(argv[3], "--wrap") == 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
