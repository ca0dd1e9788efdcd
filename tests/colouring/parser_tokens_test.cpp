// Token boundaries and kinds of the fountain and editor parsers, by table.
#include <gtest/gtest.h>

#include <functional>

#include "colouring/colouring_support.h"
#include "platform/cp932.h"

namespace {

using TSetup = std::function<void(TEditorFountain&)>;

struct TTokenCase {
    const char* Name;
    TSetup Setup;
    std::string Text;
    std::vector<TTok> Expected;
};

std::string J(const char* Utf8) { return cp932::Literal(Utf8); }

void NoSetup(TEditorFountain&) {}

void RunCases(const std::vector<TTokenCase>& Cases) {
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TEditorFountain Fountain(nullptr);
        C.Setup(Fountain);
        auto Parser = Fountain.CreateParser();
        EXPECT_EQ(Tokenize(*Parser, C.Text), C.Expected);
    }
}

TEST(ParserTokens, NumbersWordsAndSymbols) {
    RunCases({
        {"float with exponent", NoSetup, "12.5e-3", {{tokFloat, "12.5e-3"}}},
        {"full stop and blank", NoSetup, "12. ", {{tokFloat, "12"}, {tokSymbol, "."}}},
        {"hex without prefix", NoSetup, "0x1F", {{tokInteger, "0"}, {tokAnk, "x1F"}}},
        {"exponent without fraction", NoSetup, "1e5", {{tokFloat, "1e5"}}},
        {"sign without digits", NoSetup, "1e+", {{tokFloat, "1e"}, {tokSymbol, "+"}}},
        {"full stop then exponent", NoSetup, "3.e2", {{tokFloat, "3.e2"}}},
        {"word with digits", NoSetup, "abc_1 x", {{tokAnk, "abc_1"}, {tokAnk, "x"}}},
        {"tab is a token", NoSetup, "a\tb", {{tokAnk, "a"}, {tokTab, "\t"}, {tokAnk, "b"}}},
        {"control bytes are blanks", NoSetup, "a\x01\x1f b", {{tokAnk, "a"}, {tokAnk, "b"}}},
        {"zero byte ends the row", NoSetup, std::string("ab\0cd", 5), {{tokAnk, "ab"}}},
        {"symbols one by one", NoSetup, "+-", {{tokSymbol, "+"}, {tokSymbol, "-"}}},
        {"high single bytes", NoSetup, "\x80\xA0\xFD", {{tokSymbol, "\x80"}, {tokSymbol, "\xA0"}, {tokSymbol, "\xFD"}}},
    });
}

TEST(ParserTokens, DoubleByteAndKana) {
    RunCases({
        {"hiragana with prolonged mark", NoSetup, J("ひらがなー"), {{tokHiragana, J("ひらがなー")}}},
        {"katakana then kanji", NoSetup, J("カタ漢字"), {{tokKatakana, J("カタ")}, {tokKanji, J("漢字")}}},
        {"full-width digits with comma", NoSetup, J("１，２．３"), {{tokDBInt, J("１，２．３")}}},
        {"full-width letters", NoSetup, J("ＡＢｃ"), {{tokDBAlpha, J("ＡＢｃ")}}},
        {"double-byte symbols one by one", NoSetup, J("、。"), {{tokDBSymbol, J("、")}, {tokDBSymbol, J("。")}}},
        {"half-width kana", NoSetup, J("ｱｲｳ｡"), {{tokKana, J("ｱｲｳ")}, {tokKanaSymbol, J("｡")}}},
        {"kanji with 0x5C trail", NoSetup, J("表示"), {{tokKanji, J("表示")}}},
        // A pair whose second byte is outside its lead's range is still one character.
        {"0x82 with low second byte", NoSetup, "\x82\x30" "a", {{tokDBSymbol, "\x82\x30"}, {tokAnk, "a"}}},
        {"0x83 with high second byte", NoSetup, "\x83\xF5", {{tokDBSymbol, "\x83\xF5"}}},
        {"kanji lead with blank second byte", NoSetup, "\x88\x20" "b", {{tokDBSymbol, "\x88\x20"}, {tokAnk, "b"}}},
        {"lone lead byte at the end", NoSetup, "a\x88", {{tokAnk, "a"}, {tokDBSymbol, "\x88"}}},
        {"lone 0x82 at the end", NoSetup, "\x82", {{tokDBSymbol, "\x82"}}},
    });
}

TEST(ParserTokens, EditorRecognisers) {
    auto Url = [](TEditorFountain& F) { F.SetUrl(true); };
    auto Mail = [](TEditorFountain& F) { F.SetMail(true); };
    auto Comment = [](TEditorFountain& F) { F.SetCommenter("//"); };
    auto Quote = [](TEditorFountain& F) { F.SetQuotation("'"); };
    auto Codes = [](TEditorFountain& F) { F.SetControlCode(true); };
    auto Dollar = [](TEditorFountain& F) { F.SetHexPrefix("$"); };
    auto ZeroX = [](TEditorFountain& F) { F.SetHexPrefix("0x"); };
    RunCases({
        {"www starts a URL", Url, "www.example.com x", {{tokUrl, "www.example.com"}, {tokAnk, "x"}}},
        {"capital WWW does not", Url, "WWW.a", {{tokAnk, "WWW"}, {tokSymbol, "."}, {tokAnk, "a"}}},
        {"http URL", Url, "http://a.b/c?d=1#e", {{tokUrl, "http://a.b/c?d=1#e"}}},
        {"https URL", Url, "https://x", {{tokUrl, "https://x"}}},
        {"URL off", NoSetup, "www.a", {{tokAnk, "www"}, {tokSymbol, "."}, {tokAnk, "a"}}},
        {"mail address", Mail, "foo@bar.com!", {{tokMail, "foo@bar.com!"}}},
        {"at sign without full stop", Mail, "foo@bar x", {{tokAnk, "foo"}, {tokSymbol, "@"}, {tokAnk, "bar"}, {tokAnk, "x"}}},
        {"mail off", NoSetup, "a@b.c", {{tokAnk, "a"}, {tokSymbol, "@"}, {tokAnk, "b"}, {tokSymbol, "."}, {tokAnk, "c"}}},
        {"mail before URL", [](TEditorFountain& F) { F.SetMail(true); F.SetUrl(true); },
         "http://a@b.c", {{tokUrl, "http://a"}, {tokSymbol, "@"}, {tokAnk, "b"}, {tokSymbol, "."}, {tokAnk, "c"}}},
        {"comment to the row end", Comment, "a // b c", {{tokAnk, "a"}, {tokComment, "// b c"}}},
        {"commenter is case-sensitive", [](TEditorFountain& F) { F.SetCommenter("REM"); }, "rem x",
         {{tokAnk, "rem"}, {tokAnk, "x"}}},
        {"quotation with doubled quote", Quote, "say 'a''b' ok", {{tokAnk, "say"}, {tokQuotation, "'a''b'"}, {tokAnk, "ok"}}},
        {"quotation open to the end", Quote, "'a b", {{tokQuotation, "'a b"}}},
        {"quotation skips double-byte trail", [](TEditorFountain& F) { F.SetQuotation("|"); },
         "|" + J("ポ") + "|x", {{tokQuotation, "|" + J("ポ") + "|"}, {tokAnk, "x"}}},
        {"double-byte quotation is ignored", [](TEditorFountain& F) { F.SetQuotation(J("「")); },
         J("「あ"), {{tokDBSymbol, J("「")}, {tokHiragana, J("あ")}}},
        {"control code", Codes, "#13", {{tokControlCode, "#13"}}},
        {"hex control code", Codes, "#$0D", {{tokHexControlCode, "#$0D"}}},
        {"control codes off", NoSetup, "#13", {{tokSymbol, "#"}, {tokInteger, "13"}}},
        {"dollar hex prefix", Dollar, "$ff", {{tokHex, "$ff"}}},
        {"0x prefix any case", ZeroX, "0XFF 0x1g", {{tokHex, "0XFF"}, {tokHex, "0x1"}, {tokAnk, "g"}}},
    });
}

TEST(ParserTokens, Brackets) {
    auto Pair = [](const char* L, const char* R) {
        return [L, R](TEditorFountain& F) {
            auto* Item = F.GetBrackets()->Add();
            Item->SetLeftBracket(L);
            Item->SetRightBracket(R);
        };
    };
    RunCases({
        {"region in a row", Pair("{", "}"), "a {b c} d", {{tokAnk, "a"}, {tokBracket, "{b c}"}, {tokAnk, "d"}}},
        {"region open to the end", Pair("{", "}"), "{b c", {{tokBracket, "{b c"}}},
        {"multi-byte brackets", Pair("/*", "*/"), "x/* y */z", {{tokAnk, "x"}, {tokBracket, "/* y */"}, {tokAnk, "z"}}},
        {"left and right alike", Pair("\"", "\""), "\"a\"b", {{tokBracket, "\"a\""}, {tokAnk, "b"}}},
        {"empty right bracket ends the row", Pair("<", ""), "a <b c", {{tokAnk, "a"}}},
        {"closing byte inside a double-byte character", Pair("{", "\x5C"),
         "{" + J("表") + "\\", {{tokBracket, "{" + J("表") + "\\"}}},
    });
}

TEST(ParserTokens, FirstBracketInOrderWins) {
    TEditorFountain F(nullptr);
    for (auto [L, R] : {std::pair{"<", ">"}, std::pair{"<<", ">>"}}) {
        auto* Item = F.GetBrackets()->Add();
        Item->SetLeftBracket(L);
        Item->SetRightBracket(R);
    }
    auto P = F.CreateParser();
    P->NewData("<<a>>", TRowAttributeData());
    ASSERT_EQ(P->NextToken(), tokBracket);
    EXPECT_EQ(P->TokenString(), "<<a>");
    EXPECT_EQ(P->GetDrawBracketIndex(), 0);
}

TEST(ParserTokens, ReservedWords) {
    TEditorFountain F(nullptr);
    F.SetCommenter("//");
    F.GetReserveWordList()->Add("begin");
    auto P = F.CreateParser();
    struct {
        const char* Text;
        bool Reserved;
    } Cases[] = {{"begin", true}, {"BEGIN", true}, {"Begin", true}, {"beginx", false}, {"// begin", false}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text);
        P->NewData(C.Text, TRowAttributeData());
        P->NextToken();
        EXPECT_EQ(P->IsReserveWord(), C.Reserved);
        EXPECT_NE(P->Token, tokReserve) << "the word keeps its own kind";
        EXPECT_EQ(P->TokenToFountainColor() == F.GetReserve(), C.Reserved);
    }
    // Inside a bracket region the word is not reserved.
    auto* Item = F.GetBrackets()->Add();
    Item->SetLeftBracket("begin");
    Item->SetRightBracket("end");
    auto P2 = F.CreateParser();
    P2->NewData("begin x end", TRowAttributeData());
    EXPECT_EQ(P2->NextToken(), tokBracket);
    EXPECT_FALSE(P2->IsReserveWord());
}

TEST(ParserTokens, TokenParserIgnoresSchemeParts) {
    TTokenParser P;
    TRowAttributeData State;
    State.BracketIndex = 3; // even a row said to start in a region
    EXPECT_EQ(Tokenize(P, "{a} 1.5", State),
              (std::vector<TTok>{{tokSymbol, "{"}, {tokAnk, "a"}, {tokSymbol, "}"}, {tokFloat, "1.5"}}));
    EXPECT_FALSE(P.IsReserveWord());
    EXPECT_EQ(P.TokenToFountainColor(), nullptr);
}

TEST(ParserTokens, CreateWithoutSchemeFails) {
    try {
        TEditorParser P(nullptr);
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "TFountainParser.Create need instance of TFountain");
    }
}

TEST(ParserTokens, PositionsAndLengths) {
    TEditorFountain F(nullptr);
    auto P = F.CreateParser();
    P->NewData("  ab  12", TRowAttributeData());
    ASSERT_EQ(P->NextToken(), tokAnk);
    EXPECT_EQ(P->SourcePos(), 2);
    EXPECT_EQ(P->TokenLength(), 2);
    ASSERT_EQ(P->NextToken(), tokInteger);
    EXPECT_EQ(P->SourcePos(), 6);
    EXPECT_EQ(P->TokenLength(), 2);
    EXPECT_EQ(P->NextToken(), tokEnd);
    EXPECT_EQ(P->NextToken(), tokEnd) << "stays at the end";
}

} // namespace
