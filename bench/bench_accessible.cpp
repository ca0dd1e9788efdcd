// What a screen reader asks of the editor on a generated 100 MiB CP932 text (about 1.6 million
// rows), at the end of the text where the row index has the most rows before the answer: the
// character count, 100 characters of text, the line at an offset, the caret offset, moving the
// caret by offset, the character's cell; and a typed character with a listener attached, whose
// change event and index update must not grow with the text (beside the same on 1 MiB).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "editor/control/editor_accessible.h"
#include "support/cp932_text_gen.h"
#include "tests/support/block_font_engine.h"
#include "tests/support/fake_window_host.h"

namespace {

constexpr int Width = 1000, Height = 700;

struct TReaderView {
    TBlockFontEngine Engine;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    TFakeWindowHost* Host = nullptr;
    TEditorAccessible* A = nullptr;
    explicit TReaderView(size_t MiB) {
        E->GetLines()->SetTextStr(benchtext::GenerateCp932Text(MiB << 20, 1, benchtext::lmShort));
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
        Host->SetFocus();
        Host->AccessibilityListening = true;
        A = E->GetAccessible();
        A->CharacterCount(); // the index is built on the first question, as when a reader attaches
        const int Last = E->RowsCount() - 1;
        E->SetTopRow(Last - 5);
        E->SetRowCol(Last, 3);
    }
};

TReaderView& View(size_t MiB) {
    static TReaderView Big(100);
    static TReaderView Small(1);
    return MiB == 100 ? Big : Small;
}

void BM_AccessibleQueries_100MiB_End(benchmark::State& State) {
    TReaderView& V = View(100);
    const int N = V.A->CharacterCount();
    int Sink = 0;
    for (auto _ : State) {
        Sink += V.A->CharacterCount();
        Sink += static_cast<int>(V.A->Text(N - 100, N).size());
        int S = 0, E = 0;
        V.A->RowBounds(N - 2, false, S, E);
        Sink += S;
        Sink += V.A->CaretOffset();
        V.A->SetCaretOffset(N - 1);
        Sink += V.A->CharacterRect(N - 1).Left;
        benchmark::DoNotOptimize(Sink);
    }
    State.counters["queries"] = benchmark::Counter(6, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_AccessibleQueries_100MiB_End)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A character typed at the end and taken back: two text changes, each with its events.
void BM_AccessibleTypeChar(benchmark::State& State) {
    TReaderView& V = View(static_cast<size_t>(State.range(0)));
    const int Last = V.E->RowsCount() - 1;
    for (auto _ : State) {
        V.E->SetRowCol(Last, 3);
        V.Host->SendMessage(WM_CHAR, 'x', 1);
        V.Host->SendMessage(WM_CHAR, VK_BACK, 1);
        V.Host->AccessibleEvents.clear();
    }
}
BENCHMARK(BM_AccessibleTypeChar)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
