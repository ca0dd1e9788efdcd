// WrapAll that runs out of memory part-way: the rows stay as they were.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "screen_strings_support.h"
#include "support/failing_new.h"

namespace {

using namespace screen_test;

// Every row: its text, how it ends, its marks and its Data.
std::string RowsOf(const TEditorScreenStrings& S) {
    std::string R;
    for (int I = 0; I < S.GetCount(); ++I)
        R += std::string(S.RowView(I)) + "|" + std::to_string(S.GetRowAttribute(I)) + "," +
             std::to_string(S.GetRowMarks(I)) + "," + std::to_string(S.GetData(I)) + "\n";
    return R;
}

// Runs WrapAll on rows that Prepare makes, failing its first, second, ... allocation until
// it succeeds: after each failure the rows are as they were and can be cut again; Check
// looks at the rows after the wrap.
void WrapAllFailingEachAllocation(const std::function<void(TAttached&)>& Prepare,
                                  const std::function<void(TEditorScreenStrings&)>& Check) {
    bool Succeeded = false;
    for (long long Fail = 0; !Succeeded && Fail < 400; ++Fail) {
        TAttached A;
        TEditorScreenStrings& S = *A.S;
        Prepare(A);
        const std::string Before = RowsOf(S);
        const std::string Whole = Text(S);
        failing_new::AllocationsLeft = Fail;
        try {
            S.WrapAll();
            Succeeded = true;
        } catch (const std::bad_alloc&) {
            failing_new::AllocationsLeft = -1;
            EXPECT_EQ(RowsOf(S), Before) << "failing allocation " << Fail;
            EXPECT_EQ(Text(S), Whole) << "failing allocation " << Fail;
            S.WrapAll();
        }
        failing_new::AllocationsLeft = -1;
        EXPECT_EQ(CheckRows(S, nullptr), "") << "failing allocation " << Fail;
        EXPECT_EQ(Text(S), Whole);
        Check(S);
    }
    EXPECT_TRUE(Succeeded);
}

TEST(WrapAllFailure, RowsStayAsTheyWereWhenAnAllocationFails) {
    // Lines that stay one row (their text moves to the new rows), lines that wrap, and a
    // line of two rows that is joined and cut again.
    std::string Lines;
    for (int I = 0; I < 12; ++I)
        Lines +=
            (I % 3 == 0 ? std::string(45, static_cast<char>('a' + I)) : "line " + std::to_string(I)) + "\r\n";
    Lines += "end";
    WrapAllFailingEachAllocation(
        [&](TAttached& A) {
            A.S->GetWrapOption()->SetWrapByte(40);
            A.S->SetWordWrap(true);
            A.S->ReplaceRows(0, 0, Lines);
            // Narrower rows without the rewrap that the option change would start at once.
            A.Editor.Loading = true;
            A.S->GetWrapOption()->SetWrapByte(20);
            A.Editor.Loading = false;
        },
        [](TEditorScreenStrings&) {});
}

// The first wrap of one-row lines, as after a load with word wrap off: the cut is noted before
// any row changes, and the rows are then laid inside the row array, where nothing allocates.
TEST(WrapAllFailure, OneRowLinesStayAsTheyWereWhenAnAllocationFails) {
    std::string Lines;
    for (int I = 0; I < 12; ++I) Lines += std::string(I % 2 == 0 ? 45 : 7, static_cast<char>('a' + I)) + "\r\n";
    Lines += "end";
    int Wrapped = 0;
    WrapAllFailingEachAllocation(
        [&](TAttached& A) {
            TEditorScreenStrings& S = *A.S;
            S.GetWrapOption()->SetWrapByte(20);
            S.ReplaceRows(0, 0, Lines);
            A.Editor.Loading = true;
            S.SetWordWrap(true);
            A.Editor.Loading = false;
            Wrapped = 0;
            for (int I = 0; I < S.GetCount(); ++I) Wrapped += S.WrapCount(S.RowView(I));
            ASSERT_GT(Wrapped, S.GetCount());
        },
        [&](TEditorScreenStrings& S) { EXPECT_EQ(S.GetCount(), Wrapped); });
}

} // namespace
