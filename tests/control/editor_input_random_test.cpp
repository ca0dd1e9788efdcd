// Random sequences of keys, characters and input-method results on a control with a window:
// after every step the text equals the plain model and the rows keep their invariants; undoing
// every step gives back the start and redoing every step gives the end.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "control/editor_input_support.h"
#include "editor/model/wrap_option.h"
#include "model/screen_strings_support.h"

namespace {

using namespace input_test;

const uint8_t NavKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};

TInputStep RandomStep(std::mt19937& Rand) {
    static const std::vector<std::string> Chars = {
        "a", "b", " ", "x", ".", "(", A, Kan, cp932::Literal("ｱ"), cp932::Literal("、")};
    static const std::vector<std::string> ImeResults = {A, Kan + A + Kan, cp932::Literal("日本語"),
                                                        cp932::Literal("かな") + "a"};
    auto Pick = [&](int N) { return static_cast<int>(Rand() % static_cast<unsigned>(N)); };
    TInputStep S;
    const int K = Pick(100);
    if (K < 30) {
        S.Kind = ikChar;
        S.Bytes = Chars[static_cast<size_t>(Pick(static_cast<int>(Chars.size())))];
    } else if (K < 36) {
        S.Kind = ikIme;
        S.Bytes = ImeResults[static_cast<size_t>(Pick(static_cast<int>(ImeResults.size())))];
    } else if (K < 41) {
        S.Kind = ikTab;
    } else if (K < 48) {
        S.Kind = ikEnter;
    } else if (K < 51) {
        S.Kind = ikShiftEnter;
    } else if (K < 59) {
        S.Kind = ikBackSpace;
    } else if (K < 65) {
        S.Kind = ikDelete;
    } else {
        S.Kind = ikKey;
        S.Vk = NavKeys[Pick(8)];
        const int M = Pick(10);
        S.Shift = static_cast<TShiftState>((M < 3 ? ssShift : 0) | (M == 3 || M == 4 ? ssCtrl : 0));
    }
    return S;
}

std::string Describe(const TInputStep& S) {
    std::ostringstream O;
    O << "kind " << int(S.Kind) << " vk " << int(S.Vk) << " shift " << int(S.Shift) << " bytes";
    for (unsigned char B : S.Bytes) O << ' ' << std::hex << int(B) << std::dec;
    return O.str();
}

struct TRunOptions {
    bool WordWrap;
    bool SoftTab;
    bool FreeCaret;
    bool NextLine;
};

void RunSequence(unsigned Seed, const TRunOptions& Opt, int Steps) {
    SCOPED_TRACE("seed " + std::to_string(Seed));
    std::mt19937 Rand(Seed);
    TInputEditor W("first line\r\n\tsecond " + A + "\r\nthird", 240, 160);
    W->GetCaret()->AutoIndent = false;
    W->GetCaret()->BackSpaceUnIndent = false;
    W->GetCaret()->SoftTab = Opt.SoftTab;
    W->GetCaret()->FreeCaret = Opt.FreeCaret;
    W->GetCaret()->NextLine = Opt.NextLine;
    W->GetCaret()->SetTabSpaceCount(4);
    if (Opt.WordWrap) {
        W->GetWrapOption()->SetWrapByte(20);
        W->SetWordWrap(true);
    }
    TEditorScreenStrings& Rows = *W->GetScreenStrings();
    Rows.GetUndoObj()->SetUndoListMax(1 << 20);
    TPlainModel Model;
    Model.Text = W.Text();
    const std::string Start = Model.Text;
    for (int I = 0; I < Steps; ++I) {
        const TInputStep Step = RandomStep(Rand);
        SCOPED_TRACE("step " + std::to_string(I) + ": " + Describe(Step));
        const TCaretPlace Place = PlaceOf(*W.E);
        Model.Apply(Step, Place);
        Perform(W, Step);
        ASSERT_EQ(W.Text(), Model.Text);
        ASSERT_EQ(screen_test::CheckRows(Rows, nullptr), "");
        ASSERT_GE(W->GetRow(), 0);
        ASSERT_LE(W->GetRow(), Rows.LastCaretRow());
        ASSERT_EQ(W->GetCaretHideCount(), 0);
        ASSERT_EQ(W->GetUnderlineHideCount(), 0);
    }
    const std::string End = Model.Text;
    TEditorUndoObj& Undo = *Rows.GetUndoObj();
    while (Undo.CanUndo()) Rows.Undo();
    EXPECT_EQ(W.Text(), Start);
    EXPECT_EQ(screen_test::CheckRows(Rows, nullptr), "");
    while (Undo.CanRedo()) Rows.Redo();
    EXPECT_EQ(W.Text(), End);
    EXPECT_EQ(screen_test::CheckRows(Rows, nullptr), "");
}

TEST(EditorInputRandom, KeysCharactersAndImeResultsFollowThePlainModel) {
    const TRunOptions Options[] = {
        {false, false, true, false},
        {false, true, false, true},
        {true, false, true, true},
        {true, true, false, false},
    };
    unsigned Seed = 1;
    for (const TRunOptions& O : Options) {
        SCOPED_TRACE(std::string("wrap ") + (O.WordWrap ? "on" : "off") + ", soft tab " +
                     (O.SoftTab ? "on" : "off") + ", free caret " + (O.FreeCaret ? "on" : "off"));
        for (int Run = 0; Run < 6; ++Run) RunSequence(Seed++, O, 300);
    }
}

} // namespace
