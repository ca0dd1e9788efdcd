// Input benchmarks on a control with a window: a typed character at the end of the last row
// of a generated 100 MiB CP932 text (about 1.6 million rows) beside the same on 1 MiB, with
// the repaint of the row; Enter in the middle of the 100 MiB text and the Backspace that joins
// the lines again beside a raw move of the row array's tail; an auto-repeated Down key at row
// 1,000,000 beside the same at row 1,000. Each figure and its reference come from one run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/colouring/editor_fountain.h"
#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "support/cp932_text_gen.h"
#include "tests/support/block_font_engine.h"
#include "tests/support/fake_window_host.h"

namespace {

constexpr int Width = 1000, Height = 700;

// A focused control with the left bar (line numbers) on a window double, showing the text of
// the given size in MiB.
struct TView {
    TBlockFontEngine Engine;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    TFakeWindowHost* Host = nullptr;
    explicit TView(size_t MiB) {
        E->GetLeftbar()->SetVisible(true);
        E->GetCaret()->AutoIndent = false;
        E->GetCaret()->BackSpaceUnIndent = false;
        E->GetLines()->SetTextStr(benchtext::GenerateCp932Text(MiB << 20, 1, benchtext::lmShort));
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
        Host->SetFocus();
        E->Invalidate();
        Host->Update();
    }
    void Char(unsigned char B) {
        Host->PostMessage(WM_CHAR, B, 1);
        Host->DispatchPosted();
        Host->Update();
    }
    // Shows row R near the top of the view with the caret on it at column C.
    void Place(int R, int C) {
        E->SetTopRow(std::max(0, R - 5));
        E->SetRowCol(R, C);
        Host->Update();
        Forget();
    }
    void Forget() {
        Host->Invalidated.clear();
        Host->Paints.clear();
        Host->Scrolls.clear();
        Host->CaretCalls.clear();
        Host->Sent.clear();
    }
    int Rows() const { return E->RowsCount(); }
};

TView& ViewOf(size_t MiB) {
    static std::unique_ptr<TView> Big, Small;
    std::unique_ptr<TView>& V = MiB == 100 ? Big : Small;
    if (!V) V = std::make_unique<TView>(MiB);
    return *V;
}

// One WM_CHAR at the end of the last row, and the repaint of that row. Every 256 keys the
// row is put back (not timed), so that it stays short.
void BM_KeyToPaintedRow(benchmark::State& State) {
    TView& V = ViewOf(static_cast<size_t>(State.range(0)));
    const int Last = V.Rows() - 1;
    const std::string Original =
        std::string(V.E->RowText(Last)) + (V.E->RowAttr(Last) == raCrlf ? "\r\n" : "");
    V.Place(Last, V.E->RowWidth(Last));
    int Typed = 0;
    double Painted = 0;
    for (auto _ : State) {
        V.Char('x');
        Painted += static_cast<double>(V.Host->Paints.size());
        V.Forget();
        if (++Typed == 256) {
            State.PauseTiming();
            V.E->GetScreenStrings()->ReplaceRows(Last, 1, Original);
            V.Place(Last, V.E->RowWidth(Last));
            Typed = 0;
            State.ResumeTiming();
        }
    }
    V.E->GetScreenStrings()->ReplaceRows(Last, 1, Original);
    State.counters["rows"] = V.Rows();
    State.counters["paints_per_key"] = Painted / static_cast<double>(State.iterations());
}
BENCHMARK(BM_KeyToPaintedRow)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

// Enter through WM_CHAR 13 in the middle of a row in the middle of the 100 MiB text; the
// Backspace that joins the lines again is not timed.
void BM_EnterInTheMiddle(benchmark::State& State) {
    TView& V = ViewOf(100);
    const int Mid = V.Rows() / 2;
    const int Col = V.E->RowWidth(Mid) / 2;
    V.Place(Mid, Col);
    const std::pair<int, int> At{V.E->GetRow(), V.E->GetCol()};
    for (auto _ : State) {
        V.Char('\r');
        State.PauseTiming();
        V.Char('\b');
        V.Forget();
        State.ResumeTiming();
    }
    if (std::make_pair(V.E->GetRow(), V.E->GetCol()) != At)
        State.SkipWithError("the caret did not come back");
    State.counters["rows"] = V.Rows();
}
BENCHMARK(BM_EnterInTheMiddle)->Unit(benchmark::kMicrosecond);

// The Backspace at column 0 that joins the line split by an untimed Enter.
void BM_BackSpaceJoinInTheMiddle(benchmark::State& State) {
    TView& V = ViewOf(100);
    const int Mid = V.Rows() / 2;
    const int Col = V.E->RowWidth(Mid) / 2;
    V.Place(Mid, Col);
    const int RowsBefore = V.Rows();
    for (auto _ : State) {
        State.PauseTiming();
        V.Char('\r');
        V.Forget();
        State.ResumeTiming();
        V.Char('\b');
    }
    if (V.Rows() != RowsBefore) State.SkipWithError("the lines were not joined");
    State.counters["rows"] = V.Rows();
}
BENCHMARK(BM_BackSpaceJoinInTheMiddle)->Unit(benchmark::kMicrosecond);

// The floor of the two above: moving the tail of a row array of the same size from the
// middle one item toward the end (what a new row costs at least), raw.
void BM_Floor_MoveRowTail(benchmark::State& State) {
    const size_t Rows = static_cast<size_t>(ViewOf(100).Rows());
    std::vector<TRowStringItem> Items(Rows + 1);
    const size_t Mid = Rows / 2;
    char* Base = reinterpret_cast<char*>(Items.data());
    const size_t Tail = (Rows - Mid) * sizeof(TRowStringItem);
    bool Forward = true;
    for (auto _ : State) {
        if (Forward)
            std::memmove(Base + (Mid + 1) * sizeof(TRowStringItem), Base + Mid * sizeof(TRowStringItem),
                         Tail);
        else
            std::memmove(Base + Mid * sizeof(TRowStringItem), Base + (Mid + 1) * sizeof(TRowStringItem),
                         Tail);
        Forward = !Forward;
        benchmark::ClobberMemory();
    }
    State.counters["rows"] = static_cast<double>(Rows);
}
BENCHMARK(BM_Floor_MoveRowTail)->Unit(benchmark::kMicrosecond);

// One auto-repeat of a held Down key with the caret on the last visible row (each repeat
// moves Speed.CaretVerticalAc rows and scrolls), from row 1,000 or row 1,000,000 of the
// 100 MiB text. Every 200 repeats the caret goes back (not timed).
void BM_RepeatDown(benchmark::State& State) {
    TView& V = ViewOf(100);
    const int Start = static_cast<int>(State.range(0));
    auto Reset = [&] {
        V.E->SetTopRow(Start);
        V.E->SetRowCol(Start + V.E->GetRowCount() - 1, 0);
        V.Host->SendMessage(WM_KEYDOWN, VK_DOWN, 1);
        V.Host->Update();
        V.Forget();
    };
    Reset();
    int Repeats = 0;
    double Scrolled = 0;
    for (auto _ : State) {
        V.Host->SendMessage(WM_KEYDOWN, VK_DOWN, static_cast<intptr_t>(1u | KF_REPEAT));
        V.Host->Update();
        Scrolled += static_cast<double>(V.Host->Scrolls.size());
        V.Forget();
        if (++Repeats == 200) {
            State.PauseTiming();
            V.Host->SendMessage(WM_KEYUP, VK_DOWN, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
            Reset();
            Repeats = 0;
            State.ResumeTiming();
        }
    }
    V.Host->SendMessage(WM_KEYUP, VK_DOWN, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
    State.counters["scrolls_per_repeat"] = Scrolled / static_cast<double>(State.iterations());
}
BENCHMARK(BM_RepeatDown)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// A text just opened (the 100 MiB text set anew, caret and view at the top, first screen
// painted; not timed), then Ctrl+End and the paint of the last screen. Argument 0: the
// editor's own scheme; 1: a scheme with the brackets "{" "}" and "/*" "*/", whose regions
// may stay open over lines, so that the state of the last line needs every line above it.
void BM_OpenCtrlEndFirstPaint(benchmark::State& State) {
    TView& V = ViewOf(100);
    const std::string Text = benchtext::GenerateCp932Text(size_t{100} << 20, 1, benchtext::lmShort);
    TEditorFountain Brackets(nullptr);
    for (auto [L, R] : {std::pair{"{", "}"}, std::pair{"/*", "*/"}}) {
        auto* Item = Brackets.GetBrackets()->Add();
        Item->SetLeftBracket(L);
        Item->SetRightBracket(R);
    }
    if (State.range(0) == 1) V.E->SetFountain(&Brackets);
    int Painted = 0;
    for (auto _ : State) {
        State.PauseTiming();
        // The view goes to the top before the text is set: the scan that setting a text makes
        // reaches two screens past the top row, which would otherwise still be the last
        // iteration's, at the end, and the rows asked for below would all be scanned already.
        V.E->SetTopRow(0);
        V.E->SetRowCol(0, 0);
        V.E->GetLines()->SetTextStr(Text);
        V.Host->Update();
        V.Forget();
        State.ResumeTiming();
        V.Host->KeysDown[VK_CONTROL] = true;
        V.Host->SendMessage(WM_KEYDOWN, VK_END, 1);
        V.Host->KeysDown[VK_CONTROL] = false;
        V.Host->SendMessage(WM_KEYUP, VK_END, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
        V.Host->Update();
        Painted = static_cast<int>(V.Host->Paints.size());
    }
    V.E->SetFountain(nullptr);
    if (V.E->GetRow() < V.Rows() - 1) std::abort();
    State.counters["paints"] = Painted;
}
BENCHMARK(BM_OpenCtrlEndFirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
