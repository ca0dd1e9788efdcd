// Fuzz target: the search matcher against the plain candidate loop (whole words told apart
// by character, as the reference does). The input chooses the
// options (every combination of the six), the text (pieces of the characters that fold, or
// raw bytes), the pattern (pieces, or bytes copied from the text), where the search starts
// and the length of the current hit; a run of successive searches follows each hit. One input
// in six instead fills an editor with rows of such text and compares TEditor::Search, which
// reads the rows in chunks, with the reference over the whole text.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "control/search_reference.h"
#include "editor/control/editor.h"
#include "editor/control/editor_search.h"
#include "editor/model/wrap_option.h"
#include "fuzz_bytes.h"

namespace {

using search_reference::Pieces;
using search_reference::RefSearch;
using search_reference::TRefResult;

TSearchOptions OptionsOf(unsigned Mask) {
    const TSearchOptions Bits[] = {soDown,  soMatchCase,        soWholeWord,
                                   soFuzzy, soIgnoreLineBreaks, soIgnoreSpaces};
    TSearchOptions O = 0;
    for (int B = 0; B < 6; ++B)
        if (Mask & (1u << B)) O |= Bits[B];
    return O;
}

std::string PieceText(TFuzzBytes& In, unsigned Count, bool Breaks = true) {
    std::string S;
    const auto& P = Pieces();
    for (unsigned I = 0; I < Count; ++I) {
        const std::string& Piece = P[In.Next(static_cast<unsigned>(P.size()))];
        if (!Breaks && (Piece.find('\r') != std::string::npos || Piece.find('\n') != std::string::npos))
            continue;
        S += Piece;
    }
    return S;
}

[[noreturn]] void Fail(const char* What, const std::string& Text, const std::string& Pattern,
                       TSearchOptions O, TSearchInfo Pos, TRefResult Want, TRefResult Have) {
    std::fprintf(
        stderr,
        "search: %s\n  options %u pattern \"%s\"\n  text \"%s\"\n  from %d length %d: want %d+%d, got "
        "%d+%d\n",
        What, O, Quote(Pattern).c_str(), Quote(Text).c_str(), Pos.Start, Pos.Length, Want.Start, Want.Length,
        Have.Start, Have.Length);
    std::abort();
}

// The matcher against the reference, then on from each hit.
void CheckMatcher(TFuzzBytes& In) {
    const TSearchOptions O = OptionsOf(In.Next(64));
    std::string Text;
    if (In.Next(4) == 0) {
        for (unsigned N = In.Next(96); N > 0; --N) Text += static_cast<char>(In.Next(256));
    } else {
        Text = PieceText(In, In.Next(160));
    }
    std::string Pattern;
    if (In.Next(2) == 0 && !Text.empty()) {
        const unsigned From = In.Next(static_cast<unsigned>(Text.size()));
        Pattern = Text.substr(From, 1 + In.Next(6));
    } else if (In.Next(8) == 0) {
        for (unsigned N = 1 + In.Next(4); N > 0; --N) Pattern += static_cast<char>(In.Next(256));
    } else {
        Pattern = PieceText(In, 1 + In.Next(3));
    }
    TSearchInfo Pos;
    switch (In.Next(3)) {
    case 0:
        Pos.Start = (O & soDown) ? 0 : static_cast<int>(Text.size());
        break;
    default:
        Pos.Start = static_cast<int>(In.Next(static_cast<unsigned>(Text.size()) + 1));
        break;
    }
    Pos.Length = In.Next(4) == 0 ? static_cast<int>(In.Next(3)) : 0;

    const TSearchMatcher M(Pattern, O);
    for (int Hit = 0; Hit < 8; ++Hit) {
        const TRefResult Want = RefSearch(Text, Pos, Pattern, O);
        TSearchInfo Got = Pos;
        const int At = M.Find(Text, Got);
        TRefResult Have;
        if (At >= 0) Have = {At, Got.Length};
        if (!(Have == Want)) Fail("matcher differs from the reference", Text, Pattern, O, Pos, Want, Have);
        if (Want.Start < 0) break;
        if (Want.Start + Want.Length > static_cast<int>(Text.size()) || Want.Length <= 0)
            Fail("match outside the text", Text, Pattern, O, Pos, Want, Have);
        int End = 0;
        if (!(O & soWholeWord) && !M.MatchAt(reinterpret_cast<const unsigned char*>(Text.data()),
                                             static_cast<int>(Text.size()), Want.Start, End))
            Fail("MatchAt refuses the match", Text, Pattern, O, Pos, Want, Have);
        Pos = (O & soDown) ? TSearchInfo{Want.Start, Want.Length} : TSearchInfo{Want.Start, 0};
    }
}

// Successive searches of an editor's rows from any point against the reference over the
// whole text: rows of pieces and long runs of empty rows, now and then copied for several
// chunks, with or without word wrap; the pattern is pieces or a long copy out of the text
// without its breaks and blanks, so that matches are few and skip breaks across chunks.
void CheckEditor(TFuzzBytes& In) {
    TSearchOptions O = OptionsOf(In.Next(64));
    std::string Rows;
    const unsigned RowCount = 1 + In.Next(24);
    for (unsigned R = 0; R < RowCount; ++R) {
        if (R) Rows += "\r\n";
        if (In.Next(6) == 0)
            for (unsigned Empty = In.Next(5000); Empty > 0; --Empty) Rows += "\r\n";
        else
            Rows += PieceText(In, In.Next(40), false);
    }
    std::string Text = Rows;
    if (In.Next(3) == 0 && !Rows.empty())
        while (Text.size() < 12000) Text += "\r\n" + Rows;
    std::string Pattern;
    if (In.Next(2) == 0 && !Text.empty()) {
        Pattern = Text.substr(In.Next(static_cast<unsigned>(Text.size())), 1 + In.Next(200));
        std::erase_if(Pattern, [](char C) { return C == '\r' || C == '\n' || C == ' ' || C == '\t'; });
    } else {
        Pattern = PieceText(In, 1 + In.Next(3), false);
    }
    if (Pattern.empty()) Pattern = "a";
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    if (In.Next(3) == 0) {
        E->GetWrapOption()->SetWrapByte(static_cast<int>(20 + In.Next(40)));
        E->SetWordWrap(true);
    }
    E->GetLines()->SetTextStr(Text);
    E->SetHitStyle(hsSelect);
    const bool Down = O & soDown;
    E->SetSelStart(static_cast<int>(In.Next(static_cast<unsigned>(Text.size()) + 1)));
    TSearchInfo Pos{E->GetSelStart(), 0};
    for (int Hit = 0; Hit < 3; ++Hit) {
        const TRefResult Want = RefSearch(Text, Pos, Pattern, O);
        const bool Got = E->Search(Pattern, O);
        const TRefResult Have = Got ? TRefResult{E->GetSelStart(), E->GetSelLength()} : TRefResult{};
        if (!(Have == Want))
            Fail("TEditor::Search differs from the reference", Text, Pattern, O, Pos, Want, Have);
        if (!Got) break;
        Pos = Down ? TSearchInfo{Want.Start + Want.Length, 0} : TSearchInfo{Want.Start, 0};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TFuzzBytes In{Data, Size};
    // Preparing a pattern costs most of a run, so each input prepares one or a few.
    if (In.Next(6) == 0)
        CheckEditor(In);
    else
        CheckMatcher(In);
    return 0;
}
