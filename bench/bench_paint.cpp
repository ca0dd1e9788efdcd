// Painting benchmarks: a full repaint of 45 rows by 160 columns of coloured CP932 text beside
// a floor that only fills the surface and draws the same glyphs in the same cells; scrolling
// by one row; and one changed row at the end of a 100 MiB text against a 1 MiB text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/screen_strings.h"
#include "support/cp932_text_gen.h"
#include "tests/support/block_font_engine.h"
#include "tests/support/fake_window_host.h"

namespace {

constexpr int Rows = 45, Cols = 160, CW = 6, FH = 13;
constexpr int Width = 31 + Cols * CW + CW / 2, Height = 2 + Rows * FH + 5;

// Lines of at least Cols bytes: generated CP932 text with a URL, a mail address, numbers,
// a string and, on every fifth line, a comment.
std::string ColouredText(int Lines) {
    const std::string Base = benchtext::GenerateCp932Text(size_t{1} << 20, 7);
    const std::vector<std::string_view> Parts = benchtext::SplitCrlfLines(Base);
    std::string T;
    size_t P = 0;
    for (int I = 0; I < Lines; ++I) {
        std::string L = "see http://example.com/item" + std::to_string(I) +
                        " or owner@example.com, n=" + std::to_string(I * 37) + " x=" + std::to_string(I) +
                        ".5e-2 \"quoted text\" ";
        while (L.size() < Cols + 40) {
            std::string_view Piece = Parts[P++ % Parts.size()];
            L.append(Piece.substr(0, 60));
            // Keep the line free of cut double-byte characters and tabs.
            while (!L.empty() && (static_cast<unsigned char>(L.back()) >= 0x80)) L.pop_back();
            L.push_back(' ');
        }
        for (char& C : L)
            if (C == '\t') C = ' ';
        if (I % 5 == 0) L += "// a comment to the end";
        T += L + "\r\n";
    }
    return T;
}

void Colour(TEditor& E) {
    TEditorViewInfo& V = *E.GetView();
    V.SetUrl(true);
    V.SetMail(true);
    V.SetCommenter("//");
    V.GetColors()->GetUrl()->SetColor(0xC00000);
    V.GetColors()->GetMail()->SetColor(0x008000);
    V.GetColors()->GetInt()->SetColor(0x0000C0);
    V.GetColors()->GetStr()->SetColor(0x808000);
    V.GetColors()->GetComment()->SetColor(0x008080);
}

struct TView {
    TBlockFontEngine Engine;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    TFakeWindowHost* Host = nullptr;
    TView() {
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
        Colour(*E);
    }
    void Clear() {
        Host->Invalidated.clear();
        Host->Paints.clear();
        Host->Scrolls.clear();
    }
};

void BM_FullRepaint(benchmark::State& State) {
    TView V;
    V.E->GetLines()->SetTextStr(ColouredText(200));
    V.E->GetScreenStrings()->ScanAll();
    for (auto _ : State) {
        V.E->Invalidate();
        V.Host->Update();
        V.Clear();
    }
    State.counters["rows"] = V.E->GetRowCount();
    State.counters["cols"] = V.E->GetColCount();
}
BENCHMARK(BM_FullRepaint);

// The same surface filled, and the same visible bytes drawn row by row in the same cells.
void BM_FullRepaintFloor(benchmark::State& State) {
    TView V;
    V.E->GetLines()->SetTextStr(ColouredText(200));
    TCanvas& C = V.Host->Canvas();
    const int TL = V.E->TextLeft(), TT = V.E->TextTop();
    for (auto _ : State) {
        C.SetBrushColor(clWhite);
        C.FillRect(Rect(0, 0, Width, Height));
        C.SetFont(V.E->GetFont());
        for (int R = 0; R <= Rows; ++R) {
            const std::string_view T = V.E->RowText(R);
            const int Y = TT + R * FH;
            C.ExtTextOut(TL, Y, etoOpaque | etoClipped, Rect(TL, Y, Width, Y + FH), T.substr(0, Cols + 1),
                         CW);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRepaintFloor);

void BM_ScrollOneRow(benchmark::State& State) {
    TView V;
    V.E->GetLines()->SetTextStr(ColouredText(2000));
    V.E->GetScreenStrings()->ScanAll();
    V.E->Invalidate();
    V.Host->Update();
    int Top = 0;
    double Painted = 0;
    int64_t Scrolls = 0;
    for (auto _ : State) {
        const bool Back = Top + 1 >= 1900;
        Top = Back ? 0 : Top + 1;
        V.E->SetTopRow(Top);
        // The jump back to the top is no one-row scroll: it repaints the screen, uncounted.
        if (!Back)
            for (const auto& S : V.Host->Scrolls) {
                Painted += static_cast<double>(S.Uncovered.Height()) / V.E->GetRowHeight();
                ++Scrolls;
            }
        V.Clear();
    }
    State.counters["rows_painted_per_scroll"] = Scrolls ? Painted / static_cast<double>(Scrolls) : 0;
}
BENCHMARK(BM_ScrollOneRow);

// One row replaced at the end of a text of the given size, with the view at the end and
// the left bar numbering the rows; includes the repaint that follows.
void BM_ChangeLastRow(benchmark::State& State) {
    TView V;
    V.E->GetLeftbar()->SetVisible(true);
    V.E->GetLines()->SetTextStr(benchtext::GenerateCp932Text(static_cast<size_t>(State.range(0)) << 20));
    TEditorScreenStrings& L = *V.E->GetScreenStrings();
    V.E->SetTopRow(L.GetCount() - V.E->GetRowCount());
    V.E->Invalidate();
    V.Host->Update();
    bool Flip = false;
    for (auto _ : State) {
        L.ReplaceRows(L.GetCount() - 1, 1, Flip ? "the last row, changed" : "the last row");
        Flip = !Flip;
        V.Clear();
    }
    State.counters["rows"] = L.GetCount();
}
BENCHMARK(BM_ChangeLastRow)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
