// Tests of the code page 932 conversions and upper-casing.
#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> L) {
    std::string S;
    for (int B : L) S += static_cast<char>(B);
    return S;
}

// Codes whose Windows meaning differs from plain Shift-JIS or other tables.
TEST(Cp932, DecodesWindowsTable) {
    struct Case {
        std::string In;
        char16_t Out;
    } Cases[] = {
        {Bytes({0x5C}), 0x005C},       {Bytes({0x7E}), 0x007E},       {Bytes({0x81, 0x60}), 0xFF5E},
        {Bytes({0x81, 0x5F}), 0xFF3C}, {Bytes({0x81, 0x61}), 0x2225}, {Bytes({0x81, 0x7C}), 0xFF0D},
        {Bytes({0x81, 0x5C}), 0x2015}, {Bytes({0x81, 0x91}), 0xFFE0}, {Bytes({0x81, 0xCA}), 0xFFE2},
        {Bytes({0x87, 0x54}), 0x2160}, {Bytes({0x87, 0x90}), 0x2252}, {Bytes({0xFA, 0x40}), 0x2170},
        {Bytes({0xFA, 0x4A}), 0x2160}, {Bytes({0xED, 0x40}), 0x7E8A}, {Bytes({0xEE, 0xEF}), 0x2170},
        {Bytes({0xF0, 0x40}), 0xE000}, {Bytes({0xF9, 0xFC}), 0xE757}, {Bytes({0xA1}), 0xFF61},
        {Bytes({0xB1}), 0xFF71},       {Bytes({0xDF}), 0xFF9F},       {Bytes({0x80}), 0x0080},
        {Bytes({0xA0}), 0xF8F0},       {Bytes({0xFD}), 0xF8F1},       {Bytes({0xFF}), 0xF8F3},
        {Bytes({0x82, 0xA0}), 0x3042}, {Bytes({0x88, 0x9F}), 0x4E9C},
    };
    for (const auto& C : Cases) {
        std::u16string U = cp932::ToUtf16(C.In);
        ASSERT_EQ(U.size(), 1u) << std::hex << static_cast<unsigned char>(C.In[0]);
        EXPECT_EQ(static_cast<int>(U[0]), static_cast<int>(C.Out))
            << std::hex << static_cast<unsigned char>(C.In[0]);
    }
}

// Characters with several codes go where Windows sends them.
TEST(Cp932, EncodesDuplicatesAsWindows) {
    struct Case {
        char16_t In;
        std::string Out;
    } Cases[] = {
        {0x2252, Bytes({0x81, 0xE0})}, // NEC row 13 0x8790 duplicates JIS X 0208
        {0x2261, Bytes({0x81, 0xDF})},
        {0x2235, Bytes({0x81, 0xE6})},
        {0x2160, Bytes({0x87, 0x54})}, // IBM 0xFA4A duplicates NEC row 13
        {0x2116, Bytes({0x87, 0x82})},
        {0x3231, Bytes({0x87, 0x8A})},
        {0x2170, Bytes({0xFA, 0x40})}, // NEC-selected 0xEEEF duplicates IBM
        {0x7E8A, Bytes({0xFA, 0x5C})}, // NEC-selected 0xED40 duplicates IBM
        {0xFFE2, Bytes({0x81, 0xCA})},
        {0xFFE4, Bytes({0xFA, 0x55})},
        {0xFF5E, Bytes({0x81, 0x60})},
        {0x301C, Bytes({0x81, 0x60})},
        {0x00A5, Bytes({0x5C})},
        {0x005C, Bytes({0x5C})},
        {0x203E, Bytes({0x7E})},
        {0xFF61, Bytes({0xA1})},
        {0xE000, Bytes({0xF0, 0x40})},
        {0xF8F0, Bytes({0xA0})},
        {0x0080, Bytes({0x80})},
        {0x0000, Bytes({0x00})},
        {0x00E9, "?"},
        {0x0E01, "?"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(cp932::FromUtf16(std::u16string(1, C.In)), C.Out) << std::hex << static_cast<int>(C.In);
}

// Every code that decodes to a character encodes back to a code of the same
// character, and every byte string without replaced bytes survives the round trip
// except the duplicate codes.
TEST(Cp932, WholeTableRoundTrips) {
    int Mapped = 0;
    for (int Lead = 0x81; Lead <= 0xFC; ++Lead) {
        if (!cp932::IsLeadByte(static_cast<unsigned char>(Lead))) continue;
        for (int Trail = 0x40; Trail <= 0xFC; ++Trail) {
            if (Trail == 0x7F) continue;
            std::string In = Bytes({Lead, Trail});
            std::u16string U = cp932::ToUtf16(In);
            ASSERT_EQ(U.size(), 1u);
            if (U[0] == cp932::kReplacementChar) continue;
            ++Mapped;
            std::string Back = cp932::FromUtf16(U);
            ASSERT_EQ(cp932::ToUtf16(Back), U) << std::hex << Lead << Trail;
            bool Duplicate = Lead == 0xED || Lead == 0xEE || Back != In;
            if (!Duplicate) continue;
            // Only the known duplicate rows may move.
            EXPECT_TRUE(Lead == 0xED || Lead == 0xEE || Lead == 0x87 || Lead == 0xFA)
                << std::hex << Lead << Trail;
        }
    }
    // JIS X 0208 + NEC row 13 + both IBM sets + user-defined area.
    EXPECT_GT(Mapped, 9000);
    for (int B = 0; B < 256; ++B) {
        if (cp932::IsLeadByte(static_cast<unsigned char>(B))) continue;
        std::string In = Bytes({B});
        EXPECT_EQ(cp932::FromUtf16(cp932::ToUtf16(In)), In) << B;
    }
}

// Damaged input: never a crash, never a neighbour lost.
TEST(Cp932, DecodesDamagedInput) {
    const char16_t R = cp932::kReplacementChar;
    struct Case {
        std::string In;
        std::u16string Out;
    } Cases[] = {
        {Bytes({0x85, 0x40}), {R}},                       // unmapped pair: one char, both bytes
        {Bytes({'a', 0x85, 0x40, 'b'}), {u'a', R, u'b'}}, // neighbours kept
        {Bytes({'a', 0x82}), {u'a', R}},                  // lone lead at the end
        {Bytes({0x82, 0x20, 'x'}), {R, u' ', u'x'}},      // invalid trail decoded on its own
        {Bytes({0x82, 0x0A}), {R, u'\n'}},
        {Bytes({0x82, 0x7F}), {R, 0x7F}},
        {Bytes({0x82, 0xFD}), {R, 0xF8F1}},
        {Bytes({0x82, 0x82, 0xA0}), {0xFF42, 0xF8F0}}, // a lead-range byte serves as trail byte
        {Bytes({0x82, 0x00, 'q'}), {R, 0, u'q'}},
    };
    for (const auto& C : Cases) {
        EXPECT_EQ(cp932::ToUtf16(C.In), C.Out);
        // The length without converting counts the same characters.
        EXPECT_EQ(cp932::Utf16Length(C.In), C.Out.size());
    }
    // The replacement char itself is a CP932 character.
    EXPECT_EQ(cp932::FromUtf16(std::u16string(1, R)), Bytes({0x81, 0x45}));
}

TEST(Cp932, Utf8Edges) {
    EXPECT_EQ(cp932::Literal("追加(&A)"), Bytes({0x92, 0xC7, 0x89, 0xC1, '(', '&', 'A', ')'}));
    EXPECT_EQ(cp932::Literal("ｱ～\\"), Bytes({0xB1, 0x81, 0x60, 0x5C}));
    EXPECT_EQ(cp932::ToUtf8(Bytes({0x82, 0xA0, 'z', 0x87, 0x54})), "あzⅠ");
    EXPECT_EQ(cp932::ToUtf8(cp932::FromUtf8("😀")), "?");

    struct Case {
        std::string In;
        std::u16string Out;
    } Cases[] = {
        {"a\xC3\xA9", u"aé"},
        {"\xF0\x9F\x98\x80", u"😀"},
        {"\xC0\x80", u"\uFFFD\uFFFD"},           // overlong NUL
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
        {"\xE3\x81", u"\uFFFD"},                 // cut short at the end
        {"\xE3\x81z", u"\uFFFDz"},               // cut short, next byte kept
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& C : Cases) EXPECT_EQ(cp932::Utf8ToUtf16(C.In), C.Out) << C.In;
    EXPECT_EQ(cp932::Utf16ToUtf8(std::u16string{u'x', 0xD800}), "x\xEF\xBF\xBD");
    EXPECT_EQ(cp932::Utf16ToUtf8(std::u16string{0xDC00, 0xD83D, 0xDE00}), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(Cp932, UpperCaseLeavesDoubleByteCharacters) {
    struct Case {
        std::string In, Out;
    } Cases[] = {
        {"abc xyz{}", "ABC XYZ{}"},
        {Bytes({0x83, 0x61, 'a'}), Bytes({0x83, 0x61, 'A'})}, // trail byte 'a' of a katakana
        {Bytes({'a', 0x82, 0x71, 0x82, 0x81, 'b'}), Bytes({'A', 0x82, 0x71, 0x82, 0x81, 'B'})},
        {Bytes({0xB1, 'q'}), Bytes({0xB1, 'Q'})}, // half-width katakana is a single byte
        {Bytes({'z', 0x83}), Bytes({'Z', 0x83})}, // lone lead at the end
        {"", ""},
    };
    for (const auto& C : Cases) EXPECT_EQ(cp932::UpperCase(C.In), C.Out);
    const unsigned char* T = cp932::UpperTable();
    EXPECT_EQ(T[static_cast<unsigned char>('a')], 'A');
    EXPECT_EQ(T[static_cast<unsigned char>('z')], 'Z');
    EXPECT_EQ(T[static_cast<unsigned char>('{')], '{');
    EXPECT_EQ(T[0x83], 0x83);
    EXPECT_EQ(T[0xE1], 0xE1);
}

} // namespace
