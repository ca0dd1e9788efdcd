// Random edits of the screen rows against a plain string reference, with undo and redo.
#include <gtest/gtest.h>

#include <random>

#include "editor/colouring/editor_fountain.h"
#include "model/screen_strings_support.h"

using namespace screen_test;

namespace {

struct TRandom {
    std::mt19937 Gen;
    explicit TRandom(unsigned Seed) : Gen(Seed) {}
    unsigned Next(unsigned Bound) { return Bound == 0 ? 0 : static_cast<unsigned>(Gen() % Bound); }
    bool Exhausted() const { return false; }
};

} // namespace

// Many thousands of steps, word wrap on and off, random wrap options, texts with every kind of
// line break, double-byte characters and tabs.
TEST(ScreenStringsRandom, TextRowsMarksAndHistoryStayConsistent) {
    TRandom Rand(20240611);
    TExerciser X;
    int Steps = 0;
    for (int Segment = 0; Segment < 60; ++Segment) {
        const std::string E = X.Segment(Rand, 120);
        ASSERT_EQ(E, "") << "segment " << Segment;
        Steps += 120;
    }
    EXPECT_GE(Steps, 7000);
}

// The same with every segment starting from the text reloaded as slices of up to three shared
// blocks: sliced rows edited, undone and redone, wrapped as slices of slices, and edits that
// reach across the border of two blocks.
TEST(ScreenStringsRandom, RowsSlicedFromSharedBlocksBehaveAsOwnRows) {
    TRandom Rand(20261208);
    TExerciser X;
    X.Slices = true;
    for (int Segment = 0; Segment < 40; ++Segment) {
        const std::string E = X.Segment(Rand, 120);
        ASSERT_EQ(E, "") << "segment " << Segment;
    }
}

// Colouring states asked for at random rows after every edit, with the bracket scheme (a region
// open over many lines: the scan walks from the last scanned row) and with a scheme whose
// comments and strings go on only over a wrap (the scan starts at the row's own line). Either
// way every scanned row holds what a scan from row 0 gives it.
TEST(ScreenStringsRandom, ColouringStatesAskedForAnywhereAreExact) {
    TEditorFountain Plain(nullptr);
    Plain.SetCommenter("/*");
    Plain.SetQuotation(",");
    for (TFountain* Scheme : {static_cast<TFountain*>(nullptr), static_cast<TFountain*>(&Plain)}) {
        TRandom Rand(20261209);
        TExerciser X;
        if (Scheme != nullptr) X.UseScheme(Scheme);
        X.Jumps = true;
        X.A.Editor.InitBracketsFull = false;
        X.A.Editor.ScreenHeight = 32; // two rows per screen: short scans, many rows left unscanned
        for (int Segment = 0; Segment < 20; ++Segment) {
            const std::string E = X.Segment(Rand, 120);
            ASSERT_EQ(E, "") << "segment " << Segment << (Scheme ? " (plain scheme)" : " (brackets)");
        }
    }
}
