// Search with case and width folding: the tables, the matcher against a plain candidate loop,
// and TEditor::Search over chunks of rows with its hit styles.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "control/search_reference.h"
#include "editor/control/editor.h"
#include "editor/control/editor_search.h"
#include "editor/control/search_tables.h"
#include "editor/model/wrap_option.h"
#include "platform/cp932.h"
#include "support/block_font_engine.h"
#include "support/fake_window_host.h"

namespace {

using namespace search_tables;
using namespace search_reference;

std::string L(const char* Utf8) {
    return cp932::Literal(Utf8);
}

// ---- random texts of the characters that fold ---------------------------------------------------

std::string RandomText(std::mt19937& Rng, int Pieces_) {
    std::string S;
    const auto& P = Pieces();
    for (int I = 0; I < Pieces_; ++I) S += P[Rng() % P.size()];
    return S;
}

// A pattern: random pieces, or characters copied from the text.
std::string RandomPattern(std::mt19937& Rng, const std::string& Text) {
    if (Rng() % 2 == 0 || Text.size() < 4) return RandomText(Rng, 1 + static_cast<int>(Rng() % 3));
    // Copy from a character start.
    std::vector<size_t> Starts;
    for (size_t I = 0; I < Text.size();) {
        Starts.push_back(I);
        I += RefLead(static_cast<unsigned char>(Text[I])) && I + 1 < Text.size() ? 2 : 1;
    }
    const size_t From = Starts[Rng() % Starts.size()];
    return Text.substr(From, 1 + Rng() % 5);
}

TEST(SearchMatcher, AgreesWithThePlainCandidateLoop) {
    const TSearchOptions Bits[] = {soDown,  soMatchCase,        soWholeWord,
                                   soFuzzy, soIgnoreLineBreaks, soIgnoreSpaces};
    std::mt19937 Rng(20240611);
    int Found = 0, Compared = 0;
    for (int Mask = 0; Mask < 64; ++Mask) {
        TSearchOptions O = 0;
        for (int B = 0; B < 6; ++B)
            if (Mask & (1 << B)) O |= Bits[B];
        for (int Pat = 0; Pat < 6; ++Pat) {
            std::string Text = RandomText(Rng, 20 + static_cast<int>(Rng() % 120));
            const std::string Pattern = RandomPattern(Rng, Text);
            const TSearchMatcher M(Pattern, O);
            for (int Try = 0; Try < 6; ++Try) {
                if (Try == 3) Text = RandomText(Rng, 20 + static_cast<int>(Rng() % 120));
                TSearchInfo Pos;
                Pos.Start = static_cast<int>(Rng() % (Text.size() + 1));
                if (O & soDown)
                    Pos.Start = Try % 2 ? 0 : Pos.Start;
                else
                    Pos.Start = Try % 2 ? static_cast<int>(Text.size()) : Pos.Start;
                Pos.Length = Rng() % 4 == 0 ? static_cast<int>(Rng() % 3) : 0;
                const TRefResult Want = RefSearch(Text, Pos, Pattern, O);
                TSearchInfo Got = Pos;
                const int At = M.Find(Text, Got);
                TRefResult Have;
                if (At >= 0) Have = {At, Got.Length};
                ASSERT_EQ(Have, Want)
                    << "options " << O << " pattern " << testing::PrintToString(Pattern) << " text "
                    << testing::PrintToString(Text) << " start " << Pos.Start << " length " << Pos.Length;
                // The one-shot entry points give the same.
                TSearchInfo Once = Pos;
                const bool Hit = SearchText(Text, Once, Pattern, O);
                EXPECT_EQ(Hit, Want.Start >= 0);
                if (Hit) {
                    EXPECT_EQ(Once.Start, Want.Start);
                }
                Found += Want.Start >= 0;
                ++Compared;
            }
        }
    }
    // The texts are dense enough that many searches succeed.
    EXPECT_GT(Found, Compared / 10);
}

TEST(SearchMatcher, EdgeCases) {
    const std::string Ka = "\xB6", Voiced = "\xDE", Ga = L("ガ");
    struct TRow {
        const char* Name;
        std::string Text;
        std::string Pattern;
        TSearchOptions Options;
        int Start; // -1: not found
        int Length;
    } Rows[] = {
        {"fuzzy folds half-width lowercase", "xx abc", "ABC", soDown | soFuzzy, 3, 3},
        {"fuzzy folds full-width uppercase", "x" + L("ＡＢＣ"), "ABC", soDown | soFuzzy, 1, 6},
        {"fuzzy folds full-width lowercase", "x" + L("ａｂｃ"), "ABC", soDown | soFuzzy, 1, 6},
        {"fuzzy: half-width ka + voiced mark by ga", "x" + Ka + Voiced + "y", Ga, soDown | soFuzzy, 1, 2},
        {"fuzzy: ga by half-width ka + voiced mark", "x" + Ga, Ka + Voiced, soDown | soFuzzy, 1, 2},
        {"fuzzy: half-width vu finds itself", "x\xB3\xDE", "\xB3\xDE", soDown | soFuzzy, 1, 2},
        {"fuzzy: half-width vu by full-width vu", "x\xB3\xDE", L("ヴ"), soDown | soFuzzy, 1, 2},
        {"fuzzy: full-width lowercase pattern finds half-width", "xa", L("ａ"), soDown | soFuzzy, 1, 1},
        {"fuzzy: ka alone is not ga", "x" + Ka + Voiced, L("カ"), soDown | soFuzzy, -1, 0},
        {"fold: abc matches ABC", "xABC", "abc", soDown, 1, 3},
        {"match case: abc does not match ABC", "xABC", "abc", soDown | soMatchCase, -1, 0},
        {"fold: small alpha in the text by capital alpha", "x" + L("α"), L("Α"), soDown, 1, 2},
        {"fold: capital alpha in the text not by small alpha", "x" + L("Α"), L("α"), soDown, -1, 0},
        {"fold: Cyrillic small by capital", L("жЖ"), L("Ж"), soDown, 0, 2},
        {"fold: small Roman numeral by the capital", "x\xEE\xEF", "\x87\x54", soDown, 1, 2},
        {"whole word: not inside cab", "cab", "ab", soDown | soWholeWord, -1, 0},
        {"whole word: not inside abc", "abc", "ab", soDown | soWholeWord, -1, 0},
        {"whole word: not inside abc searching up", "abc", "ab", soWholeWord, -1, 0},
        {"whole word: in x ab.", "x ab.", "ab", soDown | soWholeWord, 2, 2},
        {"whole word: _ separates", "ab_c", "ab", soDown | soWholeWord, 0, 2},
        {"whole word: the trail byte of A is no separator", L("ＤＡＴＡ"), "TA",
         soDown | soFuzzy | soWholeWord, -1, 0},
        {"whole word: no word starts after a kanji", L("本") + "ab", "ab", soDown | soWholeWord, -1, 0},
        {"whole word: nor searching up", L("本") + "ab", "ab", soWholeWord, -1, 0},
        {"whole word: no word ends before a kanji", "ab" + L("本"), "ab", soDown | soWholeWord, -1, 0},
        {"whole word: full-width punctuation separates", L("、") + "ab" + L("。"), "ab", soDown | soWholeWord,
         2, 2},
        {"spaces without line breaks", "a b\r\nc", "abc", soDown | soIgnoreSpaces, -1, 0},
        {"spaces and line breaks", "a b\r\nc", "abc", soDown | soIgnoreSpaces | soIgnoreLineBreaks, 0, 6},
        {"full-width space skipped",
         "a\x81\x40"
         "bc",
         "abc", soDown | soIgnoreSpaces, 0, 5},
        {"blanks before the first character stay", " a b", "ab", soDown | soIgnoreSpaces, 1, 3},
        {"trail byte 0x5C is no backslash", L("ソ") + "\\", "\\", soDown, 2, 1},
        {"trail byte a is no letter",
         "\x82\x61"
         "a",
         "a", soDown | soMatchCase, 2, 1},
        {"up finds the last", "ab ab ab", "ab", 0, 6, 2},
        // In a text of 96 bytes or more the byte classes of the vector scan filter: here their
        // pairs are too irregular to be held exactly, and each group's bytes are widened.
        {"fuzzy with blanks and breaks in a long text", std::string(40, 'x') + L("ａ　ｂ") + std::string(60, 'x'),
         "ab", soDown | soFuzzy | soIgnoreSpaces | soIgnoreLineBreaks, 40, 6},
        {"empty pattern", "abc", "", soDown, -1, 0},
        {"empty buffer", "", "a", soDown, -1, 0},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TSearchInfo Pos;
        Pos.Start = (R.Options & soDown) ? 0 : static_cast<int>(R.Text.size());
        const bool Hit = SearchText(R.Text, Pos, R.Pattern, R.Options);
        EXPECT_EQ(Hit ? Pos.Start : -1, R.Start);
        if (Hit) {
            EXPECT_EQ(Pos.Length, R.Length);
        }
        EXPECT_EQ(RefSearch(R.Text,
                            TSearchInfo{(R.Options & soDown) ? 0 : static_cast<int>(R.Text.size()), 0},
                            R.Pattern, R.Options)
                      .Start,
                  R.Start);
    }
}

TEST(SearchMatcher, RefusesPositionsOutsideTheBuffer) {
    for (TSearchInfo Pos : {TSearchInfo{-1, 0}, TSearchInfo{4, 0}, TSearchInfo{0, -1}}) {
        const TSearchInfo Before = Pos;
        EXPECT_EQ(SearchBuffer("abc", Pos, "a", soDown), nullptr);
        EXPECT_EQ(SearchBuffer("abc", Pos, "a", 0), nullptr);
        EXPECT_EQ(Pos.Start, Before.Start);
        EXPECT_EQ(Pos.Length, Before.Length);
    }
}

TEST(SearchTables, FullWidthFormsAndKanaCells) {
    EXPECT_EQ(KanaJisTable[0xB6], 0xAB);
    EXPECT_EQ(KanaJisTable[0xCA], 0xCF);
    EXPECT_EQ(KanaJisTable[0xB1], 0x22);
    EXPECT_EQ(KanaJisTable[0xB0], 0);
    // Every kana cell names the katakana of the full-width table.
    for (int B = 0xA6; B <= 0xDD; ++B) {
        if (B == 0xB0) continue;
        EXPECT_EQ(JisToShiftJis(0x25, KanaJisTable[B] & 0x7F), FullWidthTable[B]) << B;
    }
    EXPECT_TRUE(WordSeparators.Contains('_'));
    EXPECT_FALSE(WordSeparators.Contains('a'));
    EXPECT_FALSE(WordSeparators.Contains(0x81));
    EXPECT_EQ(UpperTable[static_cast<unsigned char>('q')], 'Q');
    EXPECT_EQ(UpperTable[0xE5], 0xE5);
    InitializeSearchTables(); // a second initialisation changes nothing
    EXPECT_EQ(UpperTable[static_cast<unsigned char>('q')], 'Q');

    struct TRow {
        std::string In, Out;
    } Rows[] = {
        {"Ab 1", L("Ａｂ　１")},         {"\xB6\xDE\xCA\xDF\xCA\xDE\xB3\xDE\xB1", L("ガパバヴア")},
        {"\xCE\xDF\xC4\xDE", L("ポド")}, {L("漢") + "~", L("漢") + "\x81\x50"},
        {"\t\xDE", "\t" + L("゛")},
    };
    for (const TRow& R : Rows) EXPECT_EQ(ToFullWidth(R.In), R.Out) << R.In;
}

// ---- the editor ---------------------------------------------------------------------------------

struct TEditorFixture {
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    explicit TEditorFixture(const std::string& Text = {}) {
        if (!Text.empty()) E->GetLines()->SetTextStr(Text);
    }
    TEditor* operator->() const { return E.get(); }
};

TEST(EditorSearch, SuccessiveHitsBothWays) {
    TEditorFixture F("one ab\r\ntwo ab ab\r\nab");
    F->SetHitStyle(hsSelect);
    std::vector<int> Starts;
    while (F->Search("AB", soDown)) {
        Starts.push_back(F->GetSelStart());
        EXPECT_EQ(F->GetSelLength(), 2);
        EXPECT_EQ(F->GetSelectionState(), selSelected);
        EXPECT_EQ(F->GetHitLength(), 2);
    }
    EXPECT_EQ(Starts, (std::vector<int>{4, 12, 15, 19}));
    std::vector<int> Back;
    while (F->Search("ab", 0)) Back.push_back(F->GetSelStart());
    EXPECT_EQ(Back, (std::vector<int>{15, 12, 4}));
    // From the empty row after a final line break, up finds the last row's match.
    TEditorFixture G("ab\r\n");
    G->SetRow(1);
    EXPECT_FALSE(G->Search("\r\n", soDown));
    ASSERT_TRUE(G->Search("b", 0));
    EXPECT_EQ(G->GetSelStart(), 1);
}

TEST(EditorSearch, EmptyEditorFindsNothing) {
    TEditorFixture F;
    EXPECT_FALSE(F->Search("a", soDown));
    EXPECT_FALSE(F->Search("a", 0));
    TEditorFixture G("abc");
    EXPECT_FALSE(G->Search("", soDown));
    EXPECT_FALSE(G->Search("x", soDown));
    EXPECT_EQ(G->GetSelectionState(), selNone);
}

// Successive searches both ways from each start offset must give what the reference finds
// in the whole text.
void ExpectSearchesAgree(TEditor* E, const std::string& Text, const std::string& Pattern, TSearchOptions O,
                         const std::vector<int>& Starts, int Hits) {
    for (int Start : Starts)
        for (TSearchOptions Dir : {soDown, TSearchOptions{0}}) {
            E->SetSelStart(Start);
            SCOPED_TRACE(testing::Message() << "options " << (O | Dir) << " from " << E->GetSelStart()
                                            << " pattern " << testing::PrintToString(Pattern));
            TSearchInfo Pos{E->GetSelStart(), 0};
            for (int Hit = 0; Hit < Hits; ++Hit) {
                const TRefResult Want = RefSearch(Text, Pos, Pattern, O | Dir);
                const bool Got = E->Search(Pattern, O | Dir);
                ASSERT_EQ(Got, Want.Start >= 0) << "hit " << Hit << " from " << Pos.Start;
                if (!Got) break;
                ASSERT_EQ(E->GetSelStart(), Want.Start) << "hit " << Hit << " from " << Pos.Start;
                ASSERT_EQ(E->GetSelLength(), Want.Length);
                Pos = Dir ? TSearchInfo{Want.Start + Want.Length, 0} : TSearchInfo{Want.Start, 0};
            }
        }
}

// Rows of random lengths with runs of empty rows, enough for several chunks, with and without
// word wrap. The patterns are often long pieces of the text with the breaks and blanks taken
// out, so that their matches are few and skip breaks; searched from random points, the first
// match is often a chunk or more away. The chunked search must find exactly what a search of
// the whole text finds: over rows that lie in place in the loaded text, over wrapped rows,
// and over a loaded text with every 37th line put back anew (its own block, so that chunks
// go from rows scanned in place to copied ones and back).
TEST(EditorSearch, ChunkedSearchAgreesWithTheWholeText) {
    std::mt19937 Rng(7);
    std::string Text;
    for (int Row = 0; Row < 1000; ++Row) {
        if (Row) Text += "\r\n";
        if (Row % 53 == 7) {
            for (int Empty = static_cast<int>(Rng() % 40); Empty > 0; --Empty) Text += "\r\n";
            continue;
        }
        // Rows stay within the caret's 1000 columns.
        const int Len = Row % 97 == 5 ? 100 : static_cast<int>(Rng() % 60);
        std::string R = RandomText(Rng, Len);
        std::erase_if(R, [](char C) { return C == '\r' || C == '\n'; });
        Text += R;
    }
    ASSERT_GT(Text.size(), 4u * 8192);
    const int Size = static_cast<int>(Text.size());
    for (const auto& [Wrap, Edited] : {std::pair{false, false}, {true, false}, {false, true}}) {
        SCOPED_TRACE(Wrap ? "wrapped" : Edited ? "edited" : "loaded");
        TEditorFixture F;
        F->GetWrapOption()->SetWrapByte(20);
        F->SetWordWrap(Wrap);
        F->GetLines()->SetTextStr(Text);
        for (int Line = 3; Edited && Line < F->GetLines()->GetCount(); Line += 37)
            F->GetLines()->Put(Line, F->GetLines()->Get(Line));
        std::mt19937 PatRng(11);
        for (int Pat = 0; Pat < 24; ++Pat) {
            const auto O = static_cast<unsigned>(PatRng() % 64);
            const TSearchOptions Options = static_cast<TSearchOptions>(
                (O & 0x0E) | (O & 0x10 ? soIgnoreLineBreaks : 0) | (O & 0x20 ? soIgnoreSpaces : 0));
            std::string Pattern;
            if (Pat % 3 == 0)
                Pattern = RandomText(PatRng, 1 + static_cast<int>(PatRng() % 2));
            else
                Pattern = Text.substr(PatRng() % Text.size(), 1 + PatRng() % 120);
            std::erase_if(Pattern, [](char C) { return C == '\r' || C == '\n' || C == ' ' || C == '\t'; });
            if (Pattern.empty()) Pattern = "a";
            ExpectSearchesAgree(F.E.get(), Text, Pattern, Options,
                                {0, Size, static_cast<int>(PatRng() % Text.size())}, 3);
        }
    }
}

// One match (or none) placed where the first chunk down from the top and the first chunk up
// from the end stop: rows of 100 bytes fill each of them to 8100 bytes. Searched both ways
// from the text's ends against the reference: across a run of empty rows longer than a chunk,
// across blanks and breaks, across wrapped rows, a word cut by the wraps at both borders (its
// first four letters are no whole word), and a half-width katakana whose voiced mark the wrap
// puts in the next row (one character then, no match for the katakana alone).
TEST(EditorSearch, MatchesAcrossAChunkBorder) {
    std::string Fill;
    for (int Row = 0; Row < 81; ++Row) Fill += std::string(98, 'x') + "\r\n";
    std::string Empty;
    for (int Row = 0; Row < 8000; ++Row) Empty += "\r\n";
    const std::string Letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";
    // Lines of 200 bytes in rows of 20: the chunk down ends at byte 100 of the line, the chunk
    // up begins there.
    const std::string Across = std::string(70, 'x') + Letters + std::string(70, 'x') + "\r\n";
    const std::string CutWord = std::string(95, 'x') + " wwwwwwww " + std::string(95, 'y') + "\r\n";
    const std::string AfterKanji =
        std::string(97, 'x') + " " + L("本") + "ab " + std::string(95, 'y') + "\r\n";
    const std::string KanaAndMark = std::string(99, 'x') + "\xB3\xDE" + std::string(99, 'y') + "\r\n";
    struct TCase {
        const char* Name;
        std::string Middle, Pattern;
        TSearchOptions Options;
        bool Wrap;
    } Cases[] = {
        {"empty rows", "ab\r\n" + Empty + "cd\r\n", "bc", soIgnoreLineBreaks, false},
        {"blanks and breaks", "a b \r\n\t" + Empty + " cd\r\n", "abc", soIgnoreLineBreaks | soIgnoreSpaces,
         false},
        {"wrapped rows", Across, Letters, soMatchCase, true},
        {"a word cut by wraps", CutWord, "wwww", soWholeWord, true},
        {"a kanji before the wrap joins the word after it", AfterKanji, "ab", soWholeWord, true},
        {"a katakana before the wrap takes the voiced mark after it", KanaAndMark, "\xB3", soFuzzy, true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        const std::string Text = Fill + C.Middle + Fill.substr(0, Fill.size() - 2);
        TEditorFixture F;
        F->GetWrapOption()->SetWrapByte(20);
        F->SetWordWrap(C.Wrap);
        F->GetLines()->SetTextStr(Text);
        if (C.Wrap) {
            ASSERT_EQ(F->RowText(81 * 5 + 4), C.Middle.substr(80, 20)) << "rows of 20 bytes";
        }
        ExpectSearchesAgree(F.E.get(), Text, C.Pattern, C.Options, {0, static_cast<int>(Text.size())}, 3);
    }
    // A single long row without a match ends an upward search.
    TEditorFixture G(std::string(20000, 'q'));
    G->SetRowCol(0, 900);
    EXPECT_FALSE(G->Search("z", 0));
}

// Searching up with line breaks skipped, a match may start before the start point and go on
// into the rows after it; the editor finds it as the search of the whole text does.
TEST(EditorSearch, UpFindsAMatchThatGoesOnPastTheStartRow) {
    const std::string Text = "x\r\na\r\nb\r\nc\r\ny";
    struct TRow {
        int Row, Col;
        TSearchOptions Options;
        std::string Pattern;
    } Rows[] = {
        {2, 1, soIgnoreLineBreaks, "abc"},                // after b: a .. c goes on past row 2
        {1, 1, soIgnoreLineBreaks, "abc"},                // after a: the match would start after it
        {3, 0, soIgnoreLineBreaks | soFuzzy, "ABC"},      // at c's start
        {2, 0, soIgnoreLineBreaks | soWholeWord, "abcy"}, // four rows
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Pattern + " from " + std::to_string(R.Row) + "," + std::to_string(R.Col));
        TEditorFixture F(Text);
        F->SetRowCol(R.Row, R.Col);
        const TRefResult Want =
            RefSearch(Text, TSearchInfo{F->RowColToOffset(0, R.Row, R.Col), 0}, R.Pattern, R.Options);
        const bool Got = F->Search(R.Pattern, R.Options);
        ASSERT_EQ(Got, Want.Start >= 0);
        if (Got) {
            EXPECT_EQ(F->GetSelStart(), Want.Start);
            EXPECT_EQ(F->GetSelLength(), Want.Length);
        }
    }
}

TEST(EditorSearch, HitStyles) {
    TBlockFontEngine Engine;
    for (TEditorHitStyle Style : {hsSelect, hsDraw, hsCaret}) {
        SCOPED_TRACE(static_cast<int>(Style));
        std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
        E->GetLines()->SetTextStr("one\r\nfind ABC here\r\nabc");
        E->SetHitStyle(Style);
        E->SetBounds(300, 100);
        auto H = std::make_unique<TFakeWindowHost>(*E, 300, 100, &Engine);
        TFakeWindowHost* Host = H.get();
        E->AttachHost(std::move(H));
        Host->SetFocus();
        Host->CaretCalls.clear();
        ASSERT_TRUE(E->Search("abc", soDown));
        EXPECT_EQ(E->GetHitLength(), 3);
        EXPECT_EQ(E->GetSelectionState(), Style == hsSelect ? selSelected : selHit);
        EXPECT_EQ(E->GetSelText(), "ABC");
        if (Style == hsCaret) {
            // The caret stands at the hit's start and is as wide as the hit.
            EXPECT_EQ(E->GetRow(), 1);
            EXPECT_EQ(E->GetCol(), 5);
            const auto Last =
                std::find_if(Host->CaretCalls.rbegin(), Host->CaretCalls.rend(),
                             [](const auto& C) { return C.Kind == TFakeWindowHost::TCaretCall::ccCreate; });
            ASSERT_NE(Last, Host->CaretCalls.rend());
            EXPECT_EQ(Last->A, 3 * E->GetColWidth());
            EXPECT_EQ(Last->B, E->GetFontHeight());
        } else {
            EXPECT_EQ(E->GetCol(), 8);
        }
        // The next search starts after the hit.
        ASSERT_TRUE(E->Search("abc", soDown));
        EXPECT_EQ(E->GetSelStart(), 20);
        E->CancelSelection();
        EXPECT_EQ(E->GetHitLength(), 0);
    }
}

} // namespace
