// Fuzz target of the editor parser: arbitrary bytes as rows, an arbitrary carried state,
// every recogniser on. Traps when the tokens do not tile the text on character boundaries
// or when the row scan leaves a state that does not fit the row's packed fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/colouring/editor_fountain.h"
#include "editor/colouring/editor_parser.h"
#include "editor/model/row_string_list.h"

namespace {

TEditorFountain& Scheme() {
    static TEditorFountain* F = [] {
        auto* S = new TEditorFountain(nullptr);
        S->SetMail(true);
        S->SetUrl(true);
        S->SetCommenter("//");
        S->SetQuotation("'");
        S->SetControlCode(true);
        S->SetHexPrefix("0x");
        for (auto [L, R] : {std::pair{"{", "}"}, std::pair{"/*", "*/"}, std::pair{"[[", "]]"}}) {
            auto* Item = S->GetBrackets()->Add();
            Item->SetLeftBracket(L);
            Item->SetRightBracket(R);
        }
        S->GetReserveWordList()->Add("if");
        return S;
    }();
    return *F;
}

bool IsBlank(unsigned char C) {
    return C != 0 && C != 0x09 && C <= 0x20;
}

void Check(bool Ok) {
    if (!Ok) __builtin_trap();
}

// The tiling property. A zero byte or CR/LF (never in a row, but arbitrary here) may end
// the tokens; so may a row said to start inside a region that does not exist.
void CheckTiles(TFountainParser& P, std::string_view Text, const TRowAttributeData& State) {
    std::vector<bool> Starts(Text.size() + 1, false);
    for (size_t I = 0; I < Text.size(); I += (cp932::IsLeadByte(Text[I]) && I + 1 < Text.size()) ? 2 : 1)
        Starts[I] = true;
    Starts[Text.size()] = true;
    P.NewData(Text, State);
    int End = 0;
    for (int K = P.NextToken(); K != tokEnd; K = P.NextToken()) {
        int Pos = P.SourcePos(), Len = P.TokenLength();
        Check(Len > 0 && Pos >= End && Pos + Len <= static_cast<int>(Text.size()));
        for (int I = End; I < Pos; ++I) Check(IsBlank(static_cast<unsigned char>(Text[I])));
        Check(Starts[Pos] && Starts[Pos + Len]);
        End = Pos + Len;
    }
    // What is left is blanks up to the end or up to a row-end byte (CR and LF count as
    // both).
    size_t I = End;
    while (I < Text.size() && IsBlank(static_cast<unsigned char>(Text[I])) && Text[I] != 0x0D &&
           Text[I] != 0x0A)
        ++I;
    bool StaleRegion = State.BracketIndex >= 3; // only items 0..2 exist
    bool StaleCarry = State.CarryToken == tokBracket && State.CarryLength <= 0 && End == 0;
    Check(I == Text.size() || Text[I] == 0 || Text[I] == 0x0D || Text[I] == 0x0A || StaleRegion ||
          StaleCarry);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 3) return 0;
    TRowAttributeData State;
    State.BracketIndex = static_cast<int>(Data[0] % 16) - 2; // -2..13
    State.CarryToken = Data[1] % 32 == 0 ? 0 : Data[1] % 32;
    State.CarryLength = Data[2] % 4 == 0 ? 0 : Data[2];
    State.ElementState = Data[1];
    std::string_view Bytes(reinterpret_cast<const char*>(Data) + 3, Size - 3);
    size_t Cut = Bytes.empty() ? 0 : Data[0] * Bytes.size() / 256;
    std::string RowA(Bytes.substr(0, Cut)), RowB(Bytes.substr(Cut));

    TEditorFountain& F = Scheme();
    auto P = F.CreateParser();
    CheckTiles(*P, Bytes, State);

    TEditorStringList Rows;
    Rows.Add(RowA);
    Rows.Add(RowB);
    Rows.SetRowAttribute(0, raWrapped);
    Rows.SetRowAttribute(1, raEof);
    State.RowAttribute = raWrapped;
    TRowAttributeData Next = State;
    P->ScanRow(0, &Rows, Next);
    Check(Next.BracketIndex >= -2 && Next.BracketIndex <= 13);
    Check(Next.CarryLength >= 0 && Next.CarryLength <= 255);
    // A consistent state (no length without a carried kind) stays consistent; an empty row
    // passes any state on as it is.
    if (State.CarryLength == 0 || State.CarryToken != 0) Check(Next.CarryLength == 0 || Next.CarryToken != 0);
    Next.RowAttribute = raEof;
    CheckTiles(*P, RowB, Next);
    P->ScanRow(1, &Rows, Next);
    Check(Next.CarryLength >= 0 && Next.CarryLength <= 255);

    // Colours are looked up for every token without fault.
    P->NewData(Bytes, State);
    while (P->NextToken() != tokEnd) (void)P->TokenToFountainColor();
    return 0;
}
