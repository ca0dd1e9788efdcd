// Properties of the column map and of line cutting over generated CP932 text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/model/dbcs.h"
#include "editor/model/line_breaking.h"
#include "random_cp932.h"

namespace {

// Byte offsets of S at which a character starts, plus S's length.
std::vector<bool> CharacterBoundaries(std::string_view S) {
    std::vector<bool> B(S.size() + 1, false);
    for (size_t I = 0; I < S.size(); I += static_cast<size_t>(CharLengthAt(S, I))) B[I] = true;
    B[S.size()] = true;
    return B;
}

TColumnParams RandomParams(TRandomCp932& R) {
    TColumnParams P;
    P.TabSpaceCount = 1 + R.Below(12);
    P.WordWrap = R.Chance(60);
    P.WrapByte = 20 + R.Below(80);
    return P;
}

TEST(ColumnMapPropertyTest, OneCodePerColumnUpToTheBuildLimit) {
    TRandomCp932 R(20240611);
    for (int Case = 0; Case < 4000; ++Case) {
        const std::string S = R.Line(Case % 10 == 0 ? 1500 : 120);
        const TColumnParams P = RandomParams(R);
        const std::string Map = MakeColumnMap(S, P);
        const int Width = DisplayWidth(S, P);
        const int Limit = ColumnMapLimit(P);
        const int Columns = static_cast<int>(Map.size());
        SCOPED_TRACE(testing::Message() << "case " << Case << " width " << Width << " limit " << Limit);

        if (Width < Limit) {
            ASSERT_EQ(Columns, Width);
        } else {
            ASSERT_GE(Columns, Limit);
            ASSERT_LE(Columns, Width);
        }
        // The map covers a whole-character prefix of S whose width is the map's length.
        const size_t Used = Map.size() - static_cast<size_t>(CountChar(Map, cmTabFill, Columns));
        ASSERT_LE(Used, S.size());
        ASSERT_TRUE(CharacterBoundaries(S)[Used]);
        ASSERT_EQ(DisplayWidth(S.substr(0, Used), P), Columns);

        // Codes: a lead column is always followed by its trail, fill only follows a tab.
        for (size_t I = 0; I < Map.size(); ++I) {
            const char C = Map[I];
            ASSERT_TRUE(C >= '1' && C <= '5') << I;
            if (C == cmLead) {
                ASSERT_TRUE(I + 1 < Map.size() && Map[I + 1] == cmTrail) << I;
            } else if (C == cmTrail) {
                ASSERT_TRUE(I > 0 && Map[I - 1] == cmLead) << I;
            } else if (C == cmTabFill) {
                ASSERT_TRUE(I > 0 && (Map[I - 1] == cmTabFill || Map[I - 1] == cmDelimiter)) << I;
            }
        }

        // Expanded tabs occupy the same columns, and every map column maps back to the byte
        // of the character that covers it.
        const std::string Expanded = ExpandTabs(S, P);
        // A tab is left only as the partner of a lead byte before it.
        const std::vector<bool> ExpandedStarts = CharacterBoundaries(Expanded);
        for (size_t I = 0; I < Expanded.size(); ++I)
            ASSERT_FALSE(Expanded[I] == '\t' && ExpandedStarts[I]) << I;
        ASSERT_EQ(DisplayWidth(Expanded, P), Width);
        if (S.size() <= 120) {
            const int Step = Columns > 60 ? 7 : 1;
            for (int Col = 0; Col < Columns; Col += Step) {
                if (Map[static_cast<size_t>(Col)] == cmTrail) continue;
                const int B = ColumnToByteIndex(Map, Col, static_cast<int>(S.size()));
                ASSERT_TRUE(CharacterBoundaries(S)[static_cast<size_t>(B)]) << Col;
                const int Start = DisplayWidth(S.substr(0, static_cast<size_t>(B)), P);
                const int End = DisplayWidth(
                    S.substr(0, static_cast<size_t>(B + CharLengthAt(S, static_cast<size_t>(B)))), P);
                ASSERT_LE(Start, Col);
                ASSERT_LT(Col, End);
            }
        }
    }
}

struct TCutRow {
    std::string_view Text;
    TRowAttribute Attr;
};

// Checks every property of the rows of Line; returns the number of rows.
void CheckRows(const TEditorWrapper& W, std::string_view Line, const std::vector<TCutRow>& Rows) {
    const TEditorWrapOption& O = W.Option();
    const int WrapByte = O.GetWrapByte();
    TColumnParams P = W.ColumnParams();
    ASSERT_FALSE(Rows.empty());

    std::string Joined;
    const std::vector<bool> Boundaries = CharacterBoundaries(Line);
    for (size_t I = 0; I < Rows.size(); ++I) {
        const TCutRow& Row = Rows[I];
        const bool Last = I + 1 == Rows.size();
        ASSERT_EQ(Row.Attr, Last ? raCrlf : raWrapped) << "row " << I;
        // Only the empty row after an exactly filled line may be empty.
        if (Row.Text.empty()) {
            ASSERT_TRUE(Last) << "row " << I;
            ASSERT_TRUE(Rows.size() == 1 || !O.GetFollowRetMark());
        }
        Joined += Row.Text;
        // No row ends inside a double-byte character: the row boundaries are character
        // boundaries of the line, so the rows read the same characters as the line.
        ASSERT_TRUE(Boundaries[Joined.size()]) << "row " << I << " ends inside a character";

        // Width: at most WrapByte, or up to two more columns of hanging punctuation.
        int Width = 0;
        for (size_t J = 0; J < Row.Text.size();) {
            const int L = CharLengthAt(Row.Text, J);
            const std::string_view C = Row.Text.substr(J, static_cast<size_t>(L));
            Width = C == "\t" ? TabStop(Width, P) : Width + L;
            if (Width > WrapByte) {
                ASSERT_TRUE(O.GetFollowPunctuation()) << "row " << I << " is " << Width << " wide";
                ASSERT_TRUE(IncludesStr(C, O.GetPunctuationStr())) << "row " << I << " overhang";
                ASSERT_LE(Width, WrapByte + 2) << "row " << I;
            }
            J += static_cast<size_t>(L);
        }
        ASSERT_EQ(Width, DisplayWidth(Row.Text, P));
    }
    ASSERT_EQ(Joined, Line);
    ASSERT_EQ(W.WrapCount(Line), static_cast<int>(Rows.size()));
}

TEST(LineBreakingPropertyTest, RowsRebuildTheLineAndKeepTheRules) {
    TRandomCp932 R(7);
    for (int Case = 0; Case < 5000; ++Case) {
        TEditorWrapOption O;
        O.SetWrapByte(R.Chance(20) ? 80 : 20 + R.Below(40));
        O.SetFollowRetMark(R.Chance(50));
        O.SetFollowPunctuation(R.Chance(50));
        O.SetLeading(R.Chance(50));
        O.SetWordBreak(R.Chance(50));
        TEditorWrapper W(&O);
        W.SetWordWrap(true);
        W.SetTabSpaceCount(1 + R.Below(10));
        const std::string Line = R.Line(Case % 50 == 0 ? 20000 : 400);
        SCOPED_TRACE(testing::Message()
                     << "case " << Case << " W " << O.GetWrapByte() << " length " << Line.size());

        std::vector<TCutRow> Rows;
        W.CutLine(Line, [&Rows](std::string_view T, TRowAttribute A) { Rows.push_back({T, A}); });
        CheckRows(W, Line, Rows);
        if (HasFatalFailure()) return;
    }
}

TEST(LineBreakingPropertyTest, WrapTextIsTheRowsOfEachLine) {
    TRandomCp932 R(99);
    TEditorWrapOption O;
    TEditorWrapper W(&O);
    TEditorStringList List;
    for (int Case = 0; Case < 1500; ++Case) {
        O.SetWrapByte(20 + R.Below(30));
        O.SetFollowRetMark(R.Chance(50));
        O.SetFollowPunctuation(R.Chance(50));
        O.SetLeading(R.Chance(50));
        O.SetWordBreak(R.Chance(50));
        W.SetWordWrap(R.Chance(80));
        std::vector<std::string> Lines(static_cast<size_t>(1 + R.Below(5)));
        std::string Text;
        for (size_t I = 0; I < Lines.size(); ++I) {
            Lines[I] = R.Line(150);
            Text += Lines[I];
            if (I + 1 < Lines.size() || R.Chance(50)) Text += "\r\n";
        }
        // An empty last line without a line break of its own adds nothing to the text.
        if (Lines.size() > 1 && Lines.back().empty() && !Text.ends_with("\r\n\r\n")) Lines.pop_back();
        W.WrapText(Text, List);

        std::vector<std::pair<std::string, TRowAttribute>> Expected;
        for (const std::string& Line : Lines)
            W.CutLine(Line,
                      [&](std::string_view T, TRowAttribute A) { Expected.emplace_back(std::string(T), A); });
        ASSERT_EQ(List.GetCount(), static_cast<int>(Expected.size())) << "case " << Case;
        for (int I = 0; I < List.GetCount(); ++I) {
            ASSERT_EQ(List.Get(I), Expected[static_cast<size_t>(I)].first) << "case " << Case << " row " << I;
            ASSERT_EQ(List.GetRowAttribute(I), Expected[static_cast<size_t>(I)].second) << "case " << Case;
        }
        if (!W.GetWordWrap()) {
            ASSERT_EQ(List.GetCount(), static_cast<int>(Lines.size()));
        }
    }
}

} // namespace
