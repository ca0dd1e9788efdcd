// Fuzz target for line cutting: options from the first bytes, the rest as text. Traps when
// the rows do not rebuild the text or break a row rule.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/model/dbcs.h"
#include "editor/model/line_breaking.h"

namespace {

void Check(bool Ok) {
    if (!Ok) __builtin_trap();
}

struct TRow {
    std::string_view Text;
    TRowAttribute Attr;
};

// The rows of one line: they join to the line, end on character boundaries, keep their
// width, and only the last one closes the line.
void CheckLine(const TEditorWrapper& W, std::string_view Line, std::vector<TRow>& Rows) {
    const TEditorWrapOption& O = W.Option();
    const int WrapByte = O.GetWrapByte();
    const TColumnParams P = W.ColumnParams();
    Rows.clear();
    W.CutLine(Line, [&Rows](std::string_view T, TRowAttribute A) { Rows.push_back({T, A}); });
    Check(!Rows.empty());
    Check(W.WrapCount(Line) == static_cast<int>(Rows.size()));

    std::vector<bool> Starts(Line.size() + 1, false);
    for (size_t I = 0; I < Line.size(); I += static_cast<size_t>(CharLengthAt(Line, I))) Starts[I] = true;
    Starts[Line.size()] = true;

    size_t Offset = 0;
    for (size_t I = 0; I < Rows.size(); ++I) {
        const TRow& R = Rows[I];
        const bool Last = I + 1 == Rows.size();
        Check(R.Attr == (Last ? raCrlf : raWrapped));
        Check(!R.Text.empty() || Last);
        Check(R.Text.data() == Line.data() + Offset || R.Text.empty());
        Offset += R.Text.size();
        Check(Offset <= Line.size() && Starts[Offset]);
        if (W.GetWordWrap()) {
            int Width = 0;
            for (size_t J = 0; J < R.Text.size();) {
                const int L = CharLengthAt(R.Text, J);
                const std::string_view C = R.Text.substr(J, static_cast<size_t>(L));
                Width = C == "\t" ? TabStop(Width, P) : Width + L;
                if (Width > WrapByte)
                    Check(O.GetFollowPunctuation() && IncludesStr(C, O.GetPunctuationStr()) &&
                          Width <= WrapByte + 2);
                J += static_cast<size_t>(L);
            }
        }
    }
    Check(Offset == Line.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 3) return 0;
    const uint8_t Flags = Data[0];
    TEditorWrapOption O;
    O.SetFollowRetMark(Flags & 1);
    O.SetFollowPunctuation(Flags & 2);
    O.SetLeading(Flags & 4);
    O.SetWordBreak(Flags & 8);
    O.SetWrapByte(Data[1]);
    TEditorWrapper W(&O);
    W.SetWordWrap(!(Flags & 16));
    W.SetTabSpaceCount(1 + Data[2] % 16);
    const std::string_view Text(reinterpret_cast<const char*>(Data + 3), Size - 3);

    std::vector<TRow> Rows;
    std::vector<std::string_view> Expected;
    ForEachLine(Text, [&](std::string_view Line) {
        CheckLine(W, Line, Rows);
        for (const TRow& R : Rows) Expected.push_back(R.Text);
    });

    TEditorStringList List;
    W.WrapText(Text, List);
    if (Text.empty()) {
        Check(List.GetCount() == 1 && List.RowLength(0) == 0);
    } else {
        Check(List.GetCount() == static_cast<int>(Expected.size()));
        for (int I = 0; I < List.GetCount(); ++I) Check(List.RowView(I) == Expected[static_cast<size_t>(I)]);
    }
    return 0;
}
