// Benchmarks of the screen rows on a generated 100 MiB CP932 text (about 1.6 million lines)
// beside a 1 MiB one, each figure next to the floor it is compared with (a 1 MiB text, a raw
// move of the row array's tail, filling the rows from the text), so that the ratios can be
// read from one run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/colouring/editor_fountain.h"
#include "support/cp932_text_gen.h"
#include "tests/model/screen_strings_support.h"

namespace {

using screen_test::TEditorDouble;

constexpr size_t Big = size_t{100} << 20;
constexpr size_t Small = size_t{1} << 20;

const std::string& TextOf(size_t Bytes) {
    static std::string BigText, SmallText;
    std::string& T = Bytes == Big ? BigText : SmallText;
    if (T.empty()) T = benchtext::GenerateCp932Text(Bytes, 1, benchtext::lmShort);
    return T;
}

// Fills the rows with the lines of Text, one raCrlf row each (what loading does).
void Fill(TEditorScreenStrings& S, const std::string& Text) {
    const std::vector<std::string_view> Lines = benchtext::SplitCrlfLines(Text);
    TStringsUpdateGuard Bracket(S);
    S.SetCapacity(static_cast<int>(Lines.size()));
    for (std::string_view L : Lines) S.AddRow(L);
}

// A text with an editor attached, its default colouring scheme and the colouring scanned
// as far as a fresh editor scans it.
struct TDoc {
    TEditorFountain Fountain{nullptr};
    TEditorDouble Editor;
    TEditorScreenStrings* S = new TEditorScreenStrings;
    explicit TDoc(size_t Bytes) {
        Editor.Fountain = &Fountain;
        Editor.ScreenHeight = 1080;
        Editor.RowHeight = 16;
        Editor.InitBracketsFull = false;
        Editor.TabSpaceCount = 8;
        S->AddEditor(&Editor);
        Fill(*S, TextOf(Bytes));
        S->ScanAll();
    }
    ~TDoc() { S->RemoveEditor(&Editor); }
};

TDoc& DocOf(size_t Bytes) {
    static std::unique_ptr<TDoc> BigDoc, SmallDoc;
    std::unique_ptr<TDoc>& D = Bytes == Big ? BigDoc : SmallDoc;
    if (!D) D = std::make_unique<TDoc>(Bytes);
    return *D;
}

void Counters(benchmark::State& State, const TEditorScreenStrings& S) {
    State.counters["rows"] = static_cast<double>(S.GetCount());
}

// Typing one byte at the end of a row: ReplaceRows of that row (with its undo step and the
// colouring scan), alternating with taking the byte out again so that the text stays put.
void TypeOneByte(benchmark::State& State, size_t Bytes, bool AtEnd) {
    TDoc& D = DocOf(Bytes);
    TEditorScreenStrings& S = *D.S;
    const int Row = AtEnd ? S.GetCount() - 1 : S.GetCount() / 2;
    const std::string Original(S.RowView(Row));
    const std::string Typed = Original + "x";
    // Showing the row scans the colouring up to it, as painting does.
    S.UpdateRowAttributes(Row, false);
    bool Odd = false;
    for (auto _ : State) {
        D.Editor.Row = Row;
        D.Editor.Col = static_cast<int>(Original.size());
        S.ReplaceRows(Row, 1, (Odd = !Odd) ? Typed + "\r\n" : Original + "\r\n");
    }
    S.ReplaceRows(Row, 1, Original + "\r\n");
    Counters(State, S);
}
void BM_TypeByte_100MiB_End(benchmark::State& State) {
    TypeOneByte(State, Big, true);
}
void BM_TypeByte_100MiB_Middle(benchmark::State& State) {
    TypeOneByte(State, Big, false);
}
void BM_TypeByte_1MiB_End(benchmark::State& State) {
    TypeOneByte(State, Small, true);
}
void BM_TypeByte_1MiB_Middle(benchmark::State& State) {
    TypeOneByte(State, Small, false);
}

// Inserting a line in the middle and deleting it again (two ReplaceRows per iteration).
void BM_InsertDeleteLine_100MiB_Middle(benchmark::State& State) {
    TDoc& D = DocOf(Big);
    TEditorScreenStrings& S = *D.S;
    const int Row = S.GetCount() / 2;
    for (auto _ : State) {
        S.ReplaceRows(Row, 0, "a new line\r\n");
        S.ReplaceRows(Row, 1, "");
    }
    Counters(State, S);
}

// The floor of the above: moving the tail of a row array of the same size one item toward
// the end and back, raw.
void BM_Floor_MoveRowTail_100MiB_Middle(benchmark::State& State) {
    const size_t Rows = static_cast<size_t>(DocOf(Big).S->GetCount());
    std::vector<TRowStringItem> Items(Rows + 1);
    const size_t Mid = Rows / 2;
    char* Base = reinterpret_cast<char*>(Items.data());
    const size_t Tail = (Rows - Mid) * sizeof(TRowStringItem);
    for (auto _ : State) {
        std::memmove(Base + (Mid + 1) * sizeof(TRowStringItem), Base + Mid * sizeof(TRowStringItem), Tail);
        std::memmove(Base + Mid * sizeof(TRowStringItem), Base + (Mid + 1) * sizeof(TRowStringItem), Tail);
        benchmark::ClobberMemory();
    }
    State.counters["rows"] = static_cast<double>(Rows);
}

// WrapAll of the 100 MiB text at WrapByte 80 with kinsoku, beside filling the rows from the
// text. The full load through Lines.LoadFromFile is measured by bench_lines_load.
void BM_WrapAll_100MiB_Kinsoku(benchmark::State& State) {
    TEditorDouble Editor;
    Editor.TabSpaceCount = 8;
    auto* S = new TEditorScreenStrings;
    S->AddEditor(&Editor);
    Fill(*S, TextOf(Big));
    S->GetWrapOption()->SetLeading(true);
    S->GetWrapOption()->SetWrapByte(80);
    Editor.Loading = true; // store the flag without the rebuild
    S->SetWordWrap(true);
    Editor.Loading = false;
    for (auto _ : State) S->WrapAll();
    Counters(State, *S);
    S->RemoveEditor(&Editor);
}
void BM_Floor_FillRows_100MiB(benchmark::State& State) {
    TEditorDouble Editor;
    auto* S = new TEditorScreenStrings;
    S->AddEditor(&Editor);
    const std::string& T = TextOf(Big);
    for (auto _ : State) {
        S->Clear();
        Fill(*S, T);
    }
    Counters(State, *S);
    S->RemoveEditor(&Editor);
}

// Undo and redo of a 1 MiB paste into the middle of the 100 MiB text.
void BM_UndoRedo_1MiBPaste_In100MiB(benchmark::State& State) {
    TDoc& D = DocOf(Big);
    TEditorScreenStrings& S = *D.S;
    const int Row = S.GetCount() / 2;
    S.ReplaceRows(Row, 0, TextOf(Small));
    for (auto _ : State) {
        S.Undo();
        S.Redo();
    }
    S.Undo();
    Counters(State, S);
}

} // namespace

BENCHMARK(BM_TypeByte_1MiB_End)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeByte_100MiB_End)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeByte_1MiB_Middle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeByte_100MiB_Middle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Floor_MoveRowTail_100MiB_Middle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertDeleteLine_100MiB_Middle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UndoRedo_1MiBPaste_In100MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_FillRows_100MiB)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WrapAll_100MiB_Kinsoku)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
