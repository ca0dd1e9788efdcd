// Tests of the double-byte string routines and of the column map.
#include "editor/model/dbcs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/cp932.h"

namespace {

using cp932::Literal;

std::string Rep(const std::string& S, int N) {
    std::string R;
    for (int I = 0; I < N; ++I) R += S;
    return R;
}

TColumnParams Tabs(int T) {
    TColumnParams P;
    P.TabSpaceCount = T;
    return P;
}

TColumnParams Wrapped(int W, int T = 8) {
    TColumnParams P;
    P.TabSpaceCount = T;
    P.WordWrap = true;
    P.WrapByte = W;
    return P;
}

TEST(DbcsTest, ByteSetsHoldTheirRanges) {
    const TDelimiters D = DefaultDelimiters();
    struct Case {
        int Byte;
        bool Delimiter;
        bool Lead;
    };
    const Case Cases[] = {
        {0x00, true, false},  {0x09, true, false},  {0x20, true, false},  {0x2F, true, false},
        {0x30, false, false}, {0x39, false, false}, {0x3A, true, false},  {0x40, true, false},
        {0x41, false, false}, {0x5A, false, false}, {0x5B, true, false},  {0x5C, true, false},
        {0x5E, true, false},  {0x5F, false, false}, {0x60, true, false},  {0x61, false, false},
        {0x7A, false, false}, {0x7B, true, false},  {0x7F, true, false},  {0x80, true, false},
        {0x81, false, true},  {0x9F, false, true},  {0xA0, true, false},  {0xA1, true, false},
        {0xA5, true, false},  {0xA6, false, false}, {0xDF, false, false}, {0xE0, false, true},
        {0xFC, false, true},  {0xFD, true, false},  {0xFF, true, false},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(D.Contains(static_cast<unsigned char>(C.Byte)), C.Delimiter) << std::hex << C.Byte;
        EXPECT_EQ(LeadByteSet.Contains(static_cast<unsigned char>(C.Byte)), C.Lead) << std::hex << C.Byte;
    }
    TByteSet S;
    EXPECT_TRUE(S.IsEmpty());
    S.Include(0xFF);
    S.Include(0x00);
    S.Exclude(0x00);
    EXPECT_TRUE(S.Contains(static_cast<unsigned char>(0xFF)));
    EXPECT_FALSE(S.Contains(static_cast<unsigned char>(0x00)));
    EXPECT_FALSE(S.IsEmpty());
}

TEST(DbcsTest, CharAtAndCountChar) {
    const std::string S = "ab\tb";
    EXPECT_EQ(CharAt(S, 0), '\0');
    EXPECT_EQ(CharAt(S, -3), '\0');
    EXPECT_EQ(CharAt(S, 1), 'a');
    EXPECT_EQ(CharAt(S, 4), 'b');
    EXPECT_EQ(CharAt(S, 5), '\0');
    EXPECT_EQ(CharAt("", 1), '\0');

    struct Case {
        int Limit;
        int Count;
    };
    for (const Case& C :
         {Case{0, 0}, Case{-1, 0}, Case{1, 0}, Case{2, 1}, Case{3, 1}, Case{4, 2}, Case{99, 2}})
        EXPECT_EQ(CountChar(S, 'b', C.Limit), C.Count) << C.Limit;
    EXPECT_EQ(CountChar("", 'b', 5), 0);
}

TEST(DbcsTest, LeadAndTrailBytesFollowTheCharacterWalk) {
    // Per position 1..N+1: 'L' lead, 'T' trail, '.' neither.
    struct Case {
        std::string Text;
        std::string Kinds;
    };
    const Case Cases[] = {
        {Literal("あ") + "A", "LT.."},
        {"A" + Literal("あ"), ".LT."},
        // 0x83 0x5C: the trail byte is a backslash; 0x88 0x9F: a trail byte that is also a lead byte.
        {Literal("ソ") + Literal("亜") + "\\", "LTLT.."},
        // A lead byte takes whatever byte follows it as its trail byte.
        {"\x81\x81\x81\x81", "LTLT."},
        {"\x81\t", "LT."},
        // A lead byte at the very end has no partner and stands alone.
        {"\x81\x81\x81", "LT.."},
        {"a\x82", "..."},
        {"", "."},
        {"\xB1\xDF" + Literal("漢"), "..LT."},
    };
    for (const Case& C : Cases) {
        ASSERT_EQ(C.Kinds.size(), C.Text.size() + 1);
        EXPECT_FALSE(IsLeadByteAt(C.Text, 0));
        EXPECT_FALSE(IsTrailByteAt(C.Text, 0));
        for (int Pos = 1; Pos <= static_cast<int>(C.Text.size()) + 1; ++Pos) {
            const char K = C.Kinds[static_cast<size_t>(Pos - 1)];
            EXPECT_EQ(IsLeadByteAt(C.Text, Pos), K == 'L') << cp932::ToUtf8(C.Text) << " at " << Pos;
            EXPECT_EQ(IsTrailByteAt(C.Text, Pos), K == 'T') << cp932::ToUtf8(C.Text) << " at " << Pos;
        }
    }
}

TEST(DbcsTest, IncludesStrMatchesOnlyAtCharacterBoundaries) {
    struct Case {
        std::string Sub;
        std::string S;
        bool Found;
    };
    const Case Cases[] = {
        {"\\", Literal("ソ"), false},       // trail byte 0x5C of a double-byte character
        {"|", Literal("ポ"), false},        // 0x83 0x7C
        {"\\", Literal("ソ") + "\\", true}, // the same byte at a boundary
        {"A", Literal("あ") + "A", true},
        {Literal("「"), Literal("（［｛「『"), true},
        {"\x75\x81", Literal("「「"), false}, // would straddle two characters: 0x81 0x75 0x81 0x75
        {Literal("。"), Literal("、。"), true},
        {"", "abc", false},
        {"abcd", "abc", false},
        {"abc", "abc", true},
        {"c", "abc", true},
        {"\xA1", Literal("｡"), true}, // half-width ideographic full stop is one byte
        {"", "", false},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(IncludesStr(C.Sub, C.S), C.Found) << cp932::ToUtf8(C.Sub) << " in " << cp932::ToUtf8(C.S);
}

// The set answers every one- and two-byte character exactly as IncludesStr does over the
// string it was built from (and an empty or longer character is in no set).
TEST(DbcsTest, CharSetAgreesWithIncludesStr) {
    const std::string Sets[] = {
        "",
        "abc",
        Literal("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ"),
        Literal("（［｛「『([{｢"),
        Literal("ソ") + "\\" + Literal("ポ"), // trail bytes 0x5C and 0x7C, and 0x5C on its own
        "x\x81",                              // a lead byte as the last byte
        "\x81\x81\x81",                       // a pair and then a lone lead byte
        "\x82"
        "a\xA1\x82",
    };
    for (const std::string& S : Sets) {
        const TCharSet Set(S);
        for (int A = 0; A < 256; ++A) {
            const std::string One(1, static_cast<char>(A));
            ASSERT_EQ(Set.Contains(One), IncludesStr(One, S)) << A << " in " << cp932::ToUtf8(S);
            for (int B = 0; B < 256; ++B) {
                const std::string Two{static_cast<char>(A), static_cast<char>(B)};
                ASSERT_EQ(Set.Contains(Two), IncludesStr(Two, S))
                    << A << "," << B << " in " << cp932::ToUtf8(S);
            }
        }
        EXPECT_FALSE(Set.Contains(""));
        if (S.size() >= 3) {
            EXPECT_FALSE(Set.Contains(S.substr(0, 3)));
        }
    }
}

struct ChangeCounter : TObject {
    int Changes = 0;
    int Changings = 0;
    void Changed(TObject*) { ++Changes; }
    void Changing(TObject*) { ++Changings; }
};

TEST(DbcsTest, SplitLinesBreaksAtCrLfLoneCrAndLoneLf) {
    struct Case {
        std::string Text;
        std::vector<std::string> Lines;
    };
    const Case Cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"\r\n", {""}},
        {"\n", {""}},
        {"\r", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\n\r\n\r", {"", "", ""}},
        {"a\n\rb", {"a", "", "b"}}, // LF CR is two line breaks
        // NUL is a byte like any other: nothing after it is lost.
        {std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}},
        {Literal("あ") + "\r\n" + Literal("ソ"), {Literal("あ"), Literal("ソ")}},
    };
    for (const Case& C : Cases) {
        TStringList List;
        List.Add("old");
        ChangeCounter Counter;
        List.OnChange = TNotifyEvent::Of<&ChangeCounter::Changed>(&Counter);
        List.OnChanging = TNotifyEvent::Of<&ChangeCounter::Changing>(&Counter);
        SplitLines(C.Text, List);
        std::vector<std::string> Got;
        for (int I = 0; I < List.GetCount(); ++I) Got.push_back(List.Get(I));
        EXPECT_EQ(Got, C.Lines) << cp932::ToUtf8(C.Text);
        EXPECT_EQ(LineCount(C.Text), static_cast<int>(C.Lines.size()));
        EXPECT_EQ(Counter.Changes, 1) << "one update bracket";
        EXPECT_EQ(Counter.Changings, 1) << "one update bracket";
    }
}

TEST(DbcsTest, ColumnMapCodes) {
    struct Case {
        std::string Text;
        TColumnParams Params;
        std::string Map;
    };
    const Case Cases[] = {
        {"", Tabs(8), ""},
        {"ab_9", Tabs(8), "1111"},
        {"a b,c", Tabs(8), "12121"},
        {Literal("あ") + "x", Tabs(8), "451"},
        {"\xB1\xA1\xA5\xA6", Tabs(8), "1221"}, // half-width katakana and its punctuation
        {"\t", Tabs(8), "23333333"},
        {"a\t", Tabs(4), "1233"},
        {"abc\tx", Tabs(4), "11121"},
        {"abcd\tx", Tabs(4), "111123331"},
        {"\t", Tabs(1), "2"},
        {Literal("あ") + "\t", Tabs(4), "4523"},
        {"\x81\t", Tabs(4), "45"}, // a lead byte pairs with the tab after it
        {"a\x81", Tabs(4), "11"},  // a lone lead byte at the end is one column
        {"a\xFD", Tabs(4), "12"},
        {std::string("\0", 1), Tabs(4), "2"},
        // With word wrap a tab stops at the wrap column.
        {Rep("a", 17) + "\tx", Wrapped(20), Rep("1", 17) + "233" + "1"},
        {Rep("a", 20) + "\tx", Wrapped(20), Rep("1", 20) + "2333"},
        // Building stops once the map has WrapByte + 3 columns, a character or tab whole.
        {Rep("a", 30), Wrapped(20), Rep("1", 23)},
        {Rep(Literal("あ"), 30), Wrapped(20), Rep("45", 12)},
        {Rep("a", 22) + "\t" + "b", Wrapped(20, 8), Rep("1", 22) + "23"},
        {Rep("a", 1500), Tabs(8), Rep("1", 1000)},
        {Rep("a", 999) + "\t", Tabs(8), Rep("1", 999) + "2"},
        {Rep("a", 998) + "\t", Tabs(8), Rep("1", 998) + "23"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(MakeColumnMap(C.Text, C.Params), C.Map) << cp932::ToUtf8(C.Text);
        std::string Reused = "stale";
        MakeColumnMap(C.Text, C.Params, Reused);
        EXPECT_EQ(Reused, C.Map);
    }
}

TEST(DbcsTest, WidthsExpandedTabsAndByteIndexes) {
    struct Case {
        std::string Text;
        TColumnParams Params;
        int Width;
        std::string Expanded;
    };
    const Case Cases[] = {
        {"", Tabs(8), 0, ""},
        {"a\tb", Tabs(4), 5, "a   b"},
        {"\t\t", Tabs(4), 8, "        "},
        {Literal("あ") + "\t", Tabs(4), 4, Literal("あ") + "  "},
        {Literal("ソ") + "\t", Tabs(3), 3, Literal("ソ") + " "},
        {"a\x81", Tabs(4), 2, "a\x81"},
        {"\x81\t", Tabs(4), 2, "\x81\t"},
        {Rep("a", 17) + "\t", Wrapped(20), 20, Rep("a", 17) + "   "},
        {Rep("a", 20) + "\t", Wrapped(20), 24, Rep("a", 20) + "    "},
        {Rep("a", 1500), Tabs(8), 1500, Rep("a", 1500)},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(DisplayWidth(C.Text, C.Params), C.Width) << cp932::ToUtf8(C.Text);
        EXPECT_EQ(RowWidth(C.Text, C.Params), C.Width);
        EXPECT_EQ(ExpandTabs(C.Text, C.Params), C.Expanded) << cp932::ToUtf8(C.Text);
    }

    TStringList Rows;
    Rows.Add("a\tb");
    Rows.Add(Literal("あい"));
    EXPECT_EQ(RowWidth(Rows, 0, Tabs(4)), 5);
    EXPECT_EQ(RowWidth(Rows, 1, Tabs(4)), 4);
    EXPECT_EQ(RowWidth(Rows, 2, Tabs(4)), 0);
    EXPECT_EQ(RowWidth(Rows, -1, Tabs(4)), 0);

    struct IndexCase {
        std::string Text;
        std::vector<int> ByteOfColumn; // for columns 0, 1, 2, ...
    };
    const IndexCase Indexes[] = {
        {"a\tb", {0, 1, 1, 1, 2, 3, 3}},
        {Literal("あ") + "x", {0, 1, 2, 3, 3}},
        {"\t\t", {0, 0, 0, 0, 1, 1, 1, 1, 2, 2}},
        {"", {0, 0}},
    };
    for (const IndexCase& C : Indexes) {
        for (size_t Col = 0; Col < C.ByteOfColumn.size(); ++Col)
            EXPECT_EQ(ColumnToByteIndex(C.Text, static_cast<int>(Col), Tabs(4)), C.ByteOfColumn[Col])
                << cp932::ToUtf8(C.Text) << " column " << Col;
        EXPECT_EQ(ColumnToByteIndex(C.Text, -5, Tabs(4)), 0);
    }
}

} // namespace
