// Searching the generated 100 MiB CP932 text from row 0 for a word about 1% before its end,
// each search timed beside `grep -c` over the same text in a file (a fresh grep process per
// iteration, as a user would run it), so that the ratios come from one run:
//   folded     case-folded search       vs  LC_ALL=C grep -c -i -F WORD FILE
//   fuzzy      the same with soFuzzy    vs  the folded search (in the same iteration)
//   match case soMatchCase              vs  LC_ALL=C grep -c -F WORD FILE
// and, as the floor of reading the text, memchr over the editor's block of it.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "support/cp932_text_gen.h"

extern char** environ;

namespace {

constexpr size_t Big = size_t{100} << 20;
// Found once, about 1% before the end; the generator never writes it.
const char* const Word = "Quokka";

struct TDoc {
    std::string Path;
    std::unique_ptr<TEditor> Editor{TEditor::Create(nullptr)};
    TDoc() {
        std::string Text = benchtext::GenerateCp932Text(Big, 1, benchtext::lmShort);
        // Put the word at the start of the line that begins after 99% of the text.
        size_t At = Text.find("\r\n", Text.size() / 100 * 99) + 2;
        Text.replace(At, 6, Word);
        Path = "/tmp/feedloom_bench_search_" + std::to_string(getpid()) + ".txt";
        FILE* F = std::fopen(Path.c_str(), "wb");
        if (!F || std::fwrite(Text.data(), 1, Text.size(), F) != Text.size()) std::abort();
        std::fclose(F);
        Editor->GetLines()->SetTextStr(Text);
    }
    ~TDoc() { std::remove(Path.c_str()); }
};

TDoc& Doc() {
    static TDoc D;
    return D;
}

using TClock = std::chrono::steady_clock;

double Seconds(TClock::time_point From) {
    return std::chrono::duration<double>(TClock::now() - From).count();
}

// Writes over twice the processor's last-level cache (32 MiB here), so that what a search
// finds in the caches is not what the search before it left there: a search run right after
// another over the same text took up to a fifth less time than the same search run first.
void EvictCaches() {
    static std::vector<char> Sweep(size_t{64} << 20);
    static char Value = 0;
    std::memset(Sweep.data(), ++Value, Sweep.size());
    benchmark::ClobberMemory();
}

// One search from row 0, begun with none of the text in the caches; its wall time in seconds.
double TimeSearch(TSearchOptions Options) {
    TEditor& E = *Doc().Editor;
    E.CancelSelection();
    E.SetRowCol(0, 0);
    EvictCaches();
    const auto T0 = TClock::now();
    const bool Found = E.Search(Word, Options | soDown);
    const double S = Seconds(T0);
    if (!Found || E.GetRow() < E.RowsCount() / 100 * 98) std::abort();
    return S;
}

// grep over the file, its output thrown away; wall time in seconds.
double TimeGrep(bool IgnoreCase) {
    std::vector<std::string> Args = {"grep", "-c"};
    if (IgnoreCase) Args.push_back("-i");
    Args.push_back("-F");
    Args.push_back(Word);
    Args.push_back(Doc().Path);
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    std::vector<std::string> EnvStrings = {"LC_ALL=C", "PATH=/usr/bin:/bin"};
    std::vector<char*> Env;
    for (std::string& A : EnvStrings) Env.push_back(A.data());
    Env.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
    const auto T0 = TClock::now();
    pid_t Pid;
    if (posix_spawnp(&Pid, "grep", &Actions, nullptr, Argv.data(), Env.data()) != 0) std::abort();
    int Status = 0;
    waitpid(Pid, &Status, 0);
    const double S = Seconds(T0);
    posix_spawn_file_actions_destroy(&Actions);
    // grep -c finds the one line.
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) std::abort();
    return S;
}

double Median(std::vector<double> V) {
    std::sort(V.begin(), V.end());
    const size_t N = V.size();
    return N % 2 ? V[N / 2] : (V[N / 2 - 1] + V[N / 2]) / 2;
}

// Times Mine and then Theirs in every iteration; the benchmark's time is Mine's. The ratio
// is the median of the iterations' ratios, and the peer's time the median of its times: on
// a shared virtual machine the search's own speed drifts, at times by a factor of two for
// seconds on end (memchr over the same block does not), and a pair timed together sees the
// same phase.
template <class TMine, class TTheirs>
void Compare(benchmark::State& State, TMine Mine, TTheirs Theirs, const char* Name) {
    Doc();
    std::vector<double> Ratios, TheirTimes;
    for (auto _ : State) {
        const double S = Mine();
        const double T = Theirs();
        State.SetIterationTime(S);
        Ratios.push_back(S / T);
        TheirTimes.push_back(T);
    }
    State.counters[std::string(Name) + "_ms"] = Median(TheirTimes) * 1000;
    State.counters["ratio"] = Median(Ratios);
}

// The floor: memchr over the editor's own text block for a byte it does not hold, begun
// with none of it in the caches as the searches are.
void BM_Floor_MemchrText(benchmark::State& State) {
    TEditor& E = *Doc().Editor;
    const TEditorScreenStrings& L = *E.GetScreenStrings();
    const char* From = L.RowView(0).data();
    const std::string_view Last = L.RowView(L.GetCount() - 1);
    const size_t Size = static_cast<size_t>(Last.data() + Last.size() - From);
    for (auto _ : State) {
        State.PauseTiming();
        EvictCaches();
        State.ResumeTiming();
        benchmark::DoNotOptimize(std::memchr(From, 0, Size));
    }
    State.counters["MiB"] = static_cast<double>(Size) / (1 << 20);
}
BENCHMARK(BM_Floor_MemchrText)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_Search_Folded_vs_GrepI(benchmark::State& State) {
    Compare(State, [] { return TimeSearch(0); }, [] { return TimeGrep(true); }, "grep_i");
}

void BM_Search_Fuzzy_vs_Folded(benchmark::State& State) {
    Compare(State, [] { return TimeSearch(soFuzzy); }, [] { return TimeSearch(0); }, "folded");
}

void BM_Search_MatchCase_vs_Grep(benchmark::State& State) {
    Compare(State, [] { return TimeSearch(soMatchCase); }, [] { return TimeGrep(false); }, "grep");
}

} // namespace

BENCHMARK(BM_Search_Folded_vs_GrepI)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Search_Fuzzy_vs_Folded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Search_MatchCase_vs_Grep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

BENCHMARK_MAIN();
