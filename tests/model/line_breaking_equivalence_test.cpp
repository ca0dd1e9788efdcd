// The row cutter against a plain, step-by-step reading of the cutting procedure (column map
// rebuilt for the rest of the line, the column cursor, character membership by IncludesStr),
// over generated lines with every combination of the options; and WrapAll against that
// reading line by line, marks included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/dbcs.h"
#include "editor/model/line_breaking.h"
#include "model/screen_strings_support.h"
#include "random_cp932.h"

namespace {

struct TRefRow {
    std::string Text;
    TRowAttribute Attr;
    bool operator==(const TRefRow&) const = default;
};

struct TSettings {
    const TEditorWrapOption* Option;
    bool WordWrap;
    int TabSpaceCount;
    TDelimiters Delimiters;
};

// The procedure as written: map, MoveTo(W), the four rules, emit, rebuild for the rest.
std::vector<TRefRow> ReferenceCut(const TSettings& Set, std::string_view Line) {
    const TEditorWrapOption& O = *Set.Option;
    const int W = O.GetWrapByte();
    if (!Set.WordWrap) return {{std::string(Line), raCrlf}};
    TColumnParams P;
    P.Delimiters = Set.Delimiters;
    P.TabSpaceCount = Set.TabSpaceCount;
    P.WordWrap = true;
    P.WrapByte = W;
    auto In = [](const std::string& X, std::string_view C) { return IncludesStr(C, X); };

    std::vector<TRefRow> Rows;
    std::string S(Line);
    std::string Map = MakeColumnMap(S, P);
    if (static_cast<int>(Map.size()) < W) return {{S, raCrlf}};
    TEditorAttributeArray C(S, Map);
    C.MoveTo(W);
    for (;;) {
        if (C.AtEnd()) {
            if (!S.empty() || !O.GetFollowRetMark())
                Rows.push_back({S, raCrlf});
            else
                Rows.back().Attr = raCrlf;
            return Rows;
        }
        if (C.GetAttrChar() == cmLead) {
            C.Prev();
        } else if (O.GetWordBreak() && C.ColumnCount() > W) {
            while (!(C.GetAttrChar() == cmDelimiter || C.GetAttrChar() == cmTabFill ||
                     C.GetAttrChar() == cmTrail || C.GetPos() <= W / 3))
                C.PrevChar();
        }
        if (O.GetFollowPunctuation()) {
            while (C.GetPos() < W + 2) {
                const std::string_view N = C.NextChar();
                if (!In(O.GetPunctuationStr(), N)) break;
                // A mark that would reach a third column past the margin waits for the next row.
                if (C.GetPos() + static_cast<int>(N.size()) > W + 2) break;
                C.Next();
                if (C.GetAttrChar() == cmLead) C.Next();
            }
        }
        if (O.GetLeading() && C.GetPos() < C.ColumnCount()) {
            const int Limit = (W / 5) * 4;
            while (C.GetPos() > Limit && In(O.GetLeadStr(), C.CurrentChar())) C.PrevChar();
            if (C.GetPos() + 1 < C.ColumnCount()) {
                std::string Next(C.NextChar());
                std::string Cur(C.CurrentChar());
                if (In(O.GetFollowStr(), Next)) {
                    while (C.GetPos() > Limit && (In(O.GetLeadStr(), Cur) || In(O.GetFollowStr(), Next))) {
                        C.PrevChar();
                        Next = Cur;
                        Cur = std::string(C.CurrentChar());
                    }
                }
            }
        }
        const size_t N = static_cast<size_t>(C.GetSrcPos());
        if (N == 0 || N > S.size()) return {{"<no progress>", raInvalid}};
        Rows.push_back({S.substr(0, N), raWrapped});
        S.erase(0, N);
        Map = MakeColumnMap(S, P);
        C.Init(S, Map);
        C.MoveTo(W);
    }
}

std::vector<TRefRow> FastCut(const TEditorWrapper& W, std::string_view Line) {
    std::vector<TRefRow> Rows;
    W.CutLine(Line, [&Rows](std::string_view R, TRowAttribute A) { Rows.push_back({std::string(R), A}); });
    return Rows;
}

// A random set string of the option's kind: marks, brackets, ASCII and the odd lone lead byte.
std::string RandomSetString(TRandomCp932& R) {
    std::string S;
    for (int N = R.Below(12); N > 0; --N) {
        if (R.Chance(10))
            S += static_cast<char>(R.LeadByte()); // pairs with whatever follows
        else
            R.AppendPiece(S);
    }
    return S;
}

// Lines rich in what the rules look at: the option strings' characters near every margin.
std::string RandomLine(TRandomCp932& R, const TEditorWrapOption& O, size_t MaxLength) {
    std::string S;
    const size_t Length = static_cast<size_t>(R.Below(static_cast<int>(MaxLength) + 1));
    const std::string* Sets[] = {&O.GetFollowStr(), &O.GetLeadStr(), &O.GetPunctuationStr()};
    while (S.size() < Length) {
        const std::string& Set = *Sets[R.Below(3)];
        if (R.Chance(25) && !Set.empty()) {
            // A character of the set (or a byte of one).
            size_t I = static_cast<size_t>(R.Below(static_cast<int>(Set.size())));
            S += Set.substr(I, R.Chance(80) ? 2 : 1);
        } else {
            R.AppendPiece(S);
        }
    }
    return S;
}

TEST(LineBreakingEquivalenceTest, CutterGivesTheRowsOfThePlainProcedure) {
    TRandomCp932 R(31337);
    const int WrapBytes[] = {20, 21, 24, 37, 80, 250};
    int Lines = 0, Wrapped = 0;
    for (unsigned Flags = 0; Flags < 32; ++Flags) {
        for (int Round = 0; Round < 40; ++Round) {
            TEditorWrapOption O;
            O.SetFollowRetMark(Flags & 1);
            O.SetFollowPunctuation(Flags & 2);
            O.SetLeading(Flags & 4);
            O.SetWordBreak(Flags & 8);
            O.SetWrapByte(WrapBytes[Round % 6]);
            if (Round % 4 == 3) {
                O.SetFollowStr(RandomSetString(R));
                O.SetLeadStr(RandomSetString(R));
                O.SetPunctuationStr(RandomSetString(R));
            }
            TSettings Set{&O, (Flags & 16) == 0, 1 + R.Below(12), DefaultDelimiters()};
            if (Round % 5 == 4) {
                // Odd delimiters: tab a word byte, some lead bytes and letters delimiters.
                Set.Delimiters.Exclude('\t');
                Set.Delimiters.Include(0x82);
                Set.Delimiters.Include('a');
            }
            TEditorWrapper W(&O);
            W.SetWordWrap(Set.WordWrap);
            W.SetTabSpaceCount(Set.TabSpaceCount);
            W.SetDelimiters(Set.Delimiters);
            for (int K = 0; K < 12; ++K) {
                const size_t Max = K == 0 ? 3000 : static_cast<size_t>(O.GetWrapByte()) * (1 + K % 4);
                const std::string Line = RandomLine(R, O, Max);
                const std::vector<TRefRow> Expected = ReferenceCut(Set, Line);
                ASSERT_EQ(FastCut(W, Line), Expected)
                    << "flags " << Flags << " W " << O.GetWrapByte() << " tab " << Set.TabSpaceCount
                    << " line \"" << Line << "\"";
                ASSERT_EQ(W.WrapCount(Line), Set.WordWrap ? static_cast<int>(Expected.size()) : 1);
                Lines += Set.WordWrap;
                Wrapped += Expected.size() > 1;
            }
        }
    }
    // The lines must exercise the cut, not only the one-row case.
    EXPECT_GT(Wrapped, Lines / 2);
}

// Changing an option string between cuts takes effect at the next cut.
TEST(LineBreakingEquivalenceTest, CutterFollowsChangedOptionStrings) {
    TEditorWrapOption O;
    O.SetWrapByte(20);
    O.SetLeading(true);
    TEditorWrapper W(&O);
    W.SetWordWrap(true);
    const std::string Line = std::string(19, 'a') + "(bc" + std::string(30, 'd');
    TSettings Set{&O, true, 8, DefaultDelimiters()};
    const std::vector<TRefRow> WithBracket = FastCut(W, Line);
    ASSERT_EQ(WithBracket, ReferenceCut(Set, Line));
    EXPECT_EQ(WithBracket[0].Text, std::string(19, 'a')); // "(" may not end a row
    O.SetLeadStr("x");
    const std::vector<TRefRow> Without = FastCut(W, Line);
    EXPECT_EQ(Without, ReferenceCut(Set, Line));
    EXPECT_EQ(Without[0].Text, std::string(19, 'a') + "(");
}

// WrapAll gives each logical line the reference rows; the k-th old row's marks go to the k-th
// new row (the surplus to the last), and a line of one new row takes all its old marks.
// From case 60 on the rows start one per line, as a load with word wrap off leaves them (the
// first wrap is done inside the row array when no row has marks).
TEST(LineBreakingEquivalenceTest, WrapAllCutsEveryLineAsThePlainProcedure) {
    TRandomCp932 R(4242);
    for (int Case = 0; Case < 100; ++Case) {
        const bool OneRowLines = Case >= 60;
        screen_test::TAttached A;
        TEditorScreenStrings& S = *A.S;
        A.Editor.TabSpaceCount = 1 + R.Below(9);
        TEditorWrapOption& O = *S.GetWrapOption();
        O.SetFollowRetMark(R.Chance(50));
        O.SetFollowPunctuation(R.Chance(50));
        O.SetLeading(R.Chance(50));
        O.SetWordBreak(R.Chance(50));
        // The rows as an earlier wrap width left them, with marks on some.
        O.SetWrapByte(20 + R.Below(60));
        if (!OneRowLines) {
            A.Editor.Loading = true;
            S.SetWordWrap(true);
            A.Editor.Loading = false;
        }
        std::string Text;
        for (int L = 1 + R.Below(30); L > 0; --L) Text += RandomLine(R, O, 300) + "\r\n";
        if (OneRowLines && R.Chance(50)) Text += RandomLine(R, O, 300); // no line break at the end
        S.ReplaceRows(0, 0, Text);
        if (!OneRowLines || Case % 4 == 0)
            for (int M = 0; M < 16; ++M) screen_test::PlaceMark(S, M, R.Below(S.GetCount()));
        if (OneRowLines) {
            A.Editor.Loading = true;
            S.SetWordWrap(true);
            A.Editor.Loading = false;
        }

        struct TLine {
            std::string Text;
            std::vector<TRowMarks> Marks;
        };
        std::vector<TLine> Old;
        for (int Row = 0; Row < S.GetCount();) {
            const int E = S.LineEndRow(Row);
            TLine L;
            for (int I = Row; I <= E; ++I) {
                L.Text.append(S.RowView(I));
                L.Marks.push_back(S.GetRowMarks(I));
            }
            Old.push_back(std::move(L));
            Row = E + 1;
        }
        const TRowAttribute LastAttr = S.GetRowAttribute(S.GetCount() - 1);

        if (OneRowLines) {
            // The width without the rewrap its change starts (it may be the same width).
            A.Editor.Loading = true;
            O.SetWrapByte(20 + R.Below(60));
            A.Editor.Loading = false;
            S.WrapAll();
        } else {
            O.SetWrapByte(20 + R.Below(60)); // rewraps through WrapAll
        }
        TSettings Set{&O, true, A.Editor.TabSpaceCount, A.Editor.Delimiters};
        std::vector<TRefRow> Rows;
        std::vector<TRowMarks> Marks;
        for (const TLine& L : Old) {
            const std::vector<TRefRow> New = ReferenceCut(Set, L.Text);
            const size_t First = Rows.size();
            Rows.insert(Rows.end(), New.begin(), New.end());
            Marks.resize(Rows.size(), 0);
            for (size_t K = 0; K < L.Marks.size(); ++K)
                Marks[First + std::min(K, New.size() - 1)] |= L.Marks[K];
        }
        Rows.back().Attr = LastAttr;

        ASSERT_EQ(S.GetCount(), static_cast<int>(Rows.size())) << "case " << Case;
        for (int I = 0; I < S.GetCount(); ++I) {
            ASSERT_EQ(S.RowView(I), Rows[static_cast<size_t>(I)].Text) << "case " << Case << " row " << I;
            ASSERT_EQ(S.GetRowAttribute(I), Rows[static_cast<size_t>(I)].Attr)
                << "case " << Case << " row " << I;
            ASSERT_EQ(S.GetRowMarks(I), Marks[static_cast<size_t>(I)]) << "case " << Case << " row " << I;
        }
    }
}

} // namespace
