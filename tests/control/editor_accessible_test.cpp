// The editor as assistive technology reads it: offsets, text, lines, caret and selections
// checked against the plain UTF-16 conversion of the whole text, the row index kept up to
// date by edits, the change events, and edits made through the interface.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/control/editor_accessible.h"
#include "editor/model/wrap_option.h"
#include "editor_edit_support.h"
#include "platform/cp932.h"

namespace {

using edit_test::TDriven;

// The whole text as a screen reader must see it: UTF-16, each line break one "\n".
std::u16string Plain(const TEditor& E) {
    std::u16string S;
    for (int R = 0; R < E.RowsCount(); ++R) {
        S += cp932::ToUtf16(E.RowText(R));
        if (E.RowAttr(R) == raCrlf) S += u'\n';
    }
    return S;
}

const std::string Kanji = cp932::Literal("日本語");     // double-byte
const std::string HalfKana = cp932::Literal("ｱｲｳｴｵ");  // single-byte katakana
const std::string Mixed = cp932::Literal("漢字とｶﾅ");

// Every offset and span against the plain text; the caret stands on every offset in turn.
void ExpectMatchesPlain(TDriven& D, const std::string& Name) {
    SCOPED_TRACE(Name);
    TEditorAccessible& A = *D->GetAccessible();
    const std::u16string P = Plain(*D.E);
    const int N = static_cast<int>(P.size());
    ASSERT_EQ(A.CharacterCount(), N);
    EXPECT_EQ(A.Text(0, N), P);
    for (int O = 0; O <= N; ++O) {
        SCOPED_TRACE(O);
        for (int K : {1, 3, 17})
            EXPECT_EQ(A.Text(O, O + K), P.substr(static_cast<size_t>(O), static_cast<size_t>(K)));
        // The screen row and the line around O: the line ends after its "\n".
        int S = 0, E = 0;
        A.RowBounds(O, true, S, E);
        const size_t Break = P.rfind(u'\n', O == 0 ? std::u16string::npos : static_cast<size_t>(O - 1));
        const int WantS = O == 0 || Break == std::u16string::npos ? 0 : static_cast<int>(Break) + 1;
        const size_t Next = P.find(u'\n', static_cast<size_t>(O));
        const int WantE = Next == std::u16string::npos ? N : static_cast<int>(Next) + 1;
        if (O < N || P.empty() || P.back() != u'\n') {
            EXPECT_EQ(S, WantS);
            EXPECT_EQ(E, WantE);
        }
        int RS = 0, RE = 0;
        A.RowBounds(O, false, RS, RE);
        EXPECT_TRUE(S <= RS && RS <= O && (O < RE || RE == E) && RE <= E) << RS << " " << RE;
        // The caret put on O reads back as O, and stands before the character at O.
        A.SetCaretOffset(O);
        EXPECT_EQ(A.CaretOffset(), O);
        int Row = 0, Byte = 0;
        A.OffsetToRowByte(O, Row, Byte);
        EXPECT_EQ(A.RowByteToOffset(Row, Byte), O);
        EXPECT_FALSE(A.CharacterRect(O).IsEmpty());
        // A point inside the character's cell names it again (while the cell is in view).
        const TRect Cell = A.CharacterRect(O);
        const TRect Client = D.Host->ClientRect();
        if (O < N && Cell.Right <= Client.Right && Cell.Bottom <= Client.Bottom && Cell.Left >= D->TextLeft()) {
            EXPECT_EQ(A.OffsetAtPoint(TPoint{Cell.Left + 1, Cell.Top + 1}), O);
        }
    }
}

TEST(EditorAccessible, OffsetsTextLinesAndCaretMatchThePlainText) {
    const struct {
        const char* Name;
        std::string Text;
        int WrapByte; // 0: word wrap off
    } Cases[] = {
        {"empty", "", 0},
        {"ascii rows", "abc\r\ndef", 0},
        {"double-byte", Kanji + "x\r\n" + Kanji, 0},
        {"half-width katakana", HalfKana + "\r\n" + Kanji + HalfKana, 0},
        {"tabs", "\ta\tb\r\n" + Kanji + "\t" + HalfKana + "\t", 0},
        {"empty rows", "\r\n\r\na\r\n\r\n", 0},
        {"final line break", Mixed + "\r\n", 0},
        {"wrapped", std::string(45, 'w') + "\r\n" + Kanji + Kanji + Kanji + Kanji + Mixed + Mixed + "\r\nend", 20},
        {"wrapped tabs and kana", "\t" + HalfKana + HalfKana + HalfKana + HalfKana + HalfKana + "\t" + Kanji, 20},
    };
    for (const auto& C : Cases) {
        TDriven D(C.Text);
        if (C.WrapByte != 0) {
            D->GetWrapOption()->SetWrapByte(C.WrapByte);
            D->SetWordWrap(true);
            ASSERT_GT(D->RowsCount(), 2) << C.Name;
        }
        ExpectMatchesPlain(D, C.Name);
    }
}

TEST(EditorAccessible, BoxSelectionIsOneSelectionPerRow) {
    // Columns 2 .. 5 boxed: a double-byte character that starts inside the box is taken
    // whole, one that starts before it is not; a short row gives an empty selection.
    TDriven D("ab" + Kanji + "\r\nx\r\n\tcdefg\r\n" + HalfKana);
    TEditorAccessible& A = *D->GetAccessible();
    D->SetSelectionMode(smBox);
    D->SetRowCol(3, 5);
    D->StartSelection();
    D->SetRowCol(0, 2);
    D->ExtendSelection();
    ASSERT_EQ(A.SelectionCount(), 4);
    const std::u16string P = Plain(*D.E);
    const std::vector<std::u16string> Want = {u"日本", u"", u"", u"ｳｴｵ"};
    for (int I = 0; I < 4; ++I) {
        int S = 0, E = 0;
        A.Selection(I, S, E);
        EXPECT_EQ(P.substr(static_cast<size_t>(S), static_cast<size_t>(E - S)), Want[static_cast<size_t>(I)]) << I;
    }
    // A stream selection set through the interface is one selection.
    A.SetSelection(1, 6);
    EXPECT_EQ(D->GetSelectionMode(), smNormal);
    ASSERT_EQ(A.SelectionCount(), 1);
    int S = 0, E = 0;
    A.Selection(0, S, E);
    EXPECT_EQ(std::make_pair(S, E), std::make_pair(1, 6));
    EXPECT_EQ(D->GetSelText(), "b" + Kanji + "\r\n");
}

TEST(EditorAccessible, EditsKeepTheIndexAndReportWhatChanged) {
    // Typed characters, line breaks, deletions, replacements and undo at random places,
    // through the keyboard and through the interface, with word wrap switched now and then.
    // After every step the row offsets agree with the plain text, and the insert and remove
    // events, applied to a mirror of the text, give the text again.
    TDriven D("start\r\n" + Kanji + "\t" + HalfKana);
    D->GetWrapOption()->SetWrapByte(20);
    TEditorAccessible& A = *D->GetAccessible();
    D.Host->AccessibilityListening = true;
    std::u16string Mirror = Plain(*D.E);
    std::mt19937 Rng(21);
    const std::u16string Pieces[] = {u"a", u"日本", u"ｶﾅ", u"\n", u"\t", u"long text that wraps over rows "};
    for (int Step = 0; Step < 300; ++Step) {
        const int N = A.CharacterCount();
        const int At = static_cast<int>(Rng() % static_cast<unsigned>(N + 1));
        const int To = std::min(N, At + static_cast<int>(Rng() % 8));
        switch (Rng() % 7) {
        case 0: A.InsertText(At, Pieces[Rng() % 6]); break;
        case 1: A.ReplaceText(At, To, Pieces[Rng() % 6]); break;
        case 2: A.DeleteText(At, To); break;
        case 3: D->Undo(); break;
        case 4: A.SetCaretOffset(At); D.Send(WM_CHAR, Rng() % 2 ? uintptr_t(VK_BACK) : uintptr_t('q')); break;
        case 5: A.SetCaretOffset(At); D.Send(WM_CHAR, VK_RETURN); break;
        default: if (Rng() % 8 == 0) D->SetWordWrap(!D->GetWordWrap()); break;
        }
        for (const TAccessibleEvent& Ev : D.Host->AccessibleEvents) {
            const size_t O = static_cast<size_t>(Ev.Offset);
            if (Ev.Kind == TAccessibleEvent::aeTextInserted) {
                ASSERT_LE(O, Mirror.size()) << Step;
                Mirror.insert(O, Ev.Text);
            } else if (Ev.Kind == TAccessibleEvent::aeTextRemoved) {
                ASSERT_EQ(Mirror.substr(O, Ev.Text.size()), Ev.Text) << Step;
                Mirror.erase(O, Ev.Text.size());
            }
        }
        D.Host->AccessibleEvents.clear();
        const std::u16string P = Plain(*D.E);
        ASSERT_EQ(Mirror, P) << Step;
        ASSERT_EQ(A.CharacterCount(), static_cast<int>(P.size())) << Step;
        size_t Start = 0;
        for (int R = 0; R < D->RowsCount(); ++R) {
            ASSERT_EQ(A.RowByteToOffset(R, 0), static_cast<int>(Start)) << Step << " row " << R;
            Start += cp932::Utf16Length(D->RowText(R)) + (D->RowAttr(R) == raCrlf ? 1 : 0);
        }
        ASSERT_EQ(Start, P.size()) << Step;
        if (Step % 100 == 99) ExpectMatchesPlain(D, "after edits, step " + std::to_string(Step));
    }

    // An edit through the interface is one undo step.
    const std::u16string Before = Plain(*D.E);
    ASSERT_TRUE(A.ReplaceText(0, 2, u"新\nz"));
    D->Undo();
    EXPECT_EQ(Plain(*D.E), Before);

    // Read-only: nothing changes and nothing is reported.
    D.Host->AccessibleEvents.clear();
    D->SetReadOnly(true);
    EXPECT_FALSE(A.InsertText(0, u"no"));
    EXPECT_FALSE(A.DeleteText(0, 2));
    EXPECT_FALSE(A.ReplaceText(0, 2, u"no"));
    EXPECT_EQ(Plain(*D.E), Before);
    EXPECT_TRUE(D.Host->AccessibleEvents.empty());
}

TEST(EditorAccessible, RowUnitIndexAgreesWithAPlainListAcrossBlocks) {
    // Enough rows for many blocks; replacements that cross block ends, empty blocks and split them.
    TRowUnitIndex Index;
    std::vector<int32_t> List;
    std::mt19937 Rng(7);
    for (int Step = 0; Step < 300; ++Step) {
        const int First = static_cast<int>(Rng() % (List.size() + 1));
        const int Old = std::min(static_cast<int>(Rng() % (Step % 20 == 0 ? 9000 : 40)), static_cast<int>(List.size()) - First);
        std::vector<int32_t> New(Rng() % (Step % 3 == 0 ? 3000 : 30));
        for (int32_t& U : New) U = static_cast<int32_t>(Rng() % 4); // empty rows among them
        Index.Replace(First, Old, New);
        List.erase(List.begin() + First, List.begin() + First + Old);
        List.insert(List.begin() + First, New.begin(), New.end());
        ASSERT_EQ(Index.RowCount(), static_cast<int>(List.size()));
        std::vector<int64_t> Starts(List.size() + 1, 0);
        for (size_t R = 0; R < List.size(); ++R) Starts[R + 1] = Starts[R] + List[R];
        ASSERT_EQ(Index.Total(), Starts.back());
        for (int K = 0; K < 50 && !List.empty(); ++K) {
            const int R = static_cast<int>(Rng() % List.size());
            ASSERT_EQ(Index.RowStart(R), Starts[static_cast<size_t>(R)]) << Step;
            ASSERT_EQ(Index.Units(R), List[static_cast<size_t>(R)]);
            int64_t At = 0;
            if (List[static_cast<size_t>(R)] > 0) {
                ASSERT_EQ(Index.RowAt(Starts[static_cast<size_t>(R)], At), R);
            }
        }
    }
}

} // namespace
