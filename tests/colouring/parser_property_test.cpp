// Properties of the editor parser over generated CP932 text: tokens tile the row on
// character boundaries, and a token cut by a soft wrap goes on in the next row.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "colouring/colouring_support.h"

namespace {

// Random CP932 lines: ASCII with the syntax the recognisers look for, blanks and tabs,
// valid pairs (trail bytes over 0x40-0xFC, 0x5C and 0x7C often), hiragana, katakana,
// kanji, half-width kana, lone lead bytes, and now and then a very long line.
class TTextGen {
public:
    explicit TTextGen(uint32_t Seed) : FRng(Seed) {}

    std::string Line() {
        size_t Pieces = Pick(8) == 0 ? 400 + Pick(800) : 1 + Pick(30);
        std::string S;
        while (Pieces-- > 0) Piece(S);
        return S;
    }

    size_t Pick(size_t N) { return std::uniform_int_distribution<size_t>(0, N - 1)(FRng); }

private:
    void Piece(std::string& S) {
        static const char* const Syntax[] = {"//", "'", "''", "#", "#$", "0x", "$", "@", ".", "www.", "http://",
                                             "https:", "ftp:", "{", "}", "[[", "]]", "e", "E", "+", "-", "a@b.c",
                                             "12.5e-3", "_", "\\", "|", "az", "#13", "#$0d"};
        switch (Pick(12)) {
        case 0: S += Syntax[Pick(std::size(Syntax))]; break;
        case 1: S += ' '; break;
        case 2: S += '\t'; break;
        case 3: S += static_cast<char>(0x21 + Pick(0x5E)); break; // printable ASCII
        case 4: S += std::string(1 + Pick(6), static_cast<char>("az09_Q"[Pick(6)])); break;
        case 5: { // a valid pair
            unsigned char Lead = static_cast<unsigned char>(Pick(2) ? 0x81 + Pick(0x1F) : 0xE0 + Pick(0x1D));
            unsigned char Trail = static_cast<unsigned char>(Pick(4) == 0 ? (Pick(2) ? 0x5C : 0x7C) : 0x40 + Pick(0xBD));
            if (Trail == 0x7F) Trail = 0x80;
            S += static_cast<char>(Lead);
            S += static_cast<char>(Trail);
            break;
        }
        case 6: Pair(S, 0x82, 0x9F + Pick(0x53)); break;                        // hiragana
        case 7: Pair(S, 0x83, 0x40 + Pick(0x57)); break;                        // katakana
        case 8: Pair(S, 0x88 + Pick(0x18), 0x40 + Pick(0xBD)); break;           // kanji
        case 9: S += static_cast<char>(0xA1 + Pick(0x3F)); break;               // half-width kana
        case 10: S += static_cast<char>(Pick(2) ? 0x81 + Pick(0x1F) : 0xE0 + Pick(0x1D)); break; // lone lead
        default: // full-width digits with a comma, or one with the prolonged mark
            Pair(S, 0x82, 0x4F + Pick(10));
            Pair(S, 0x81, Pick(2) ? 0x43 : 0x5B);
            Pair(S, 0x82, 0x4F + Pick(10));
            break;
        }
    }
    static void Pair(std::string& S, unsigned Lead, unsigned Trail) {
        S += static_cast<char>(Lead);
        S += static_cast<char>(Trail);
    }
    std::mt19937 FRng;
};

// Offsets that start a character, walking from the first byte (a lead byte takes the
// byte after it).
std::vector<bool> CharStarts(std::string_view S) {
    std::vector<bool> Starts(S.size() + 1, false);
    for (size_t I = 0; I < S.size(); I += (cp932::IsLeadByte(S[I]) && I + 1 < S.size()) ? 2 : 1) Starts[I] = true;
    Starts[S.size()] = true;
    return Starts;
}

bool IsBlank(unsigned char C) { return C != 0 && C != 0x09 && C <= 0x20; }

void SetAllOn(TEditorFountain& F) {
    F.SetMail(true);
    F.SetUrl(true);
    F.SetCommenter("//");
    F.SetQuotation("'");
    F.SetControlCode(true);
    F.SetHexPrefix("0x");
    for (auto [L, R] : {std::pair{"{", "}"}, std::pair{"[[", "]]"}}) {
        auto* Item = F.GetBrackets()->Add();
        Item->SetLeftBracket(L);
        Item->SetRightBracket(R);
    }
    F.GetReserveWordList()->Add("az");
}

// Tokens of Text with State: non-empty, in order, separated by blanks only, inside the
// text, starting and ending on character boundaries; what is left after the last one is
// blanks. A carried token, or a region the row starts in, starts at offset 0.
::testing::AssertionResult Tiles(TFountainParser& P, std::string_view Text, const TRowAttributeData& State) {
    auto Starts = CharStarts(Text);
    P.NewData(Text, State);
    int End = 0;
    bool First = true;
    for (int K = P.NextToken(); K != tokEnd; K = P.NextToken()) {
        int Pos = P.SourcePos(), Len = P.TokenLength();
        if (First && (State.CarryToken != 0 || State.BracketIndex >= 0) && Pos != 0)
            return ::testing::AssertionFailure() << "carried token starts at " << Pos;
        First = false;
        if (Len <= 0) return ::testing::AssertionFailure() << "empty token at " << Pos;
        if (Pos < End) return ::testing::AssertionFailure() << "token at " << Pos << " overlaps " << End;
        for (int I = End; I < Pos; ++I)
            if (!IsBlank(static_cast<unsigned char>(Text[I])))
                return ::testing::AssertionFailure() << "byte " << I << " belongs to no token";
        if (Pos + Len > static_cast<int>(Text.size())) return ::testing::AssertionFailure() << "token past the end";
        if (!Starts[Pos] || !Starts[Pos + Len])
            return ::testing::AssertionFailure() << "token " << Pos << "+" << Len << " splits a character";
        End = Pos + Len;
    }
    for (size_t I = End; I < Text.size(); ++I)
        if (!IsBlank(static_cast<unsigned char>(Text[I])))
            return ::testing::AssertionFailure() << "tokens end at " << End << " before byte " << I;
    return ::testing::AssertionSuccess();
}

// A line cut into rows at character boundaries: all but the last raWrapped.
std::vector<TRowPiece> CutLine(TTextGen& Gen, const std::string& Line, TRowAttribute LastAttr) {
    auto Starts = CharStarts(Line);
    std::vector<TRowPiece> Rows;
    size_t From = 0;
    while (Line.size() - From > 1 && Rows.size() < 6 && Gen.Pick(3) != 0) {
        size_t Cut = From + 1 + Gen.Pick(std::min<size_t>(Line.size() - From - 1, 12));
        while (!Starts[Cut]) ++Cut;
        if (Cut >= Line.size()) break;
        Rows.push_back({Line.substr(From, Cut - From), raWrapped});
        From = Cut;
    }
    Rows.push_back({Line.substr(From), LastAttr});
    return Rows;
}

TEST(ParserProperty, TokensTileEveryRow) {
    TEditorFountain F(nullptr);
    SetAllOn(F);
    auto P = F.CreateParser();
    TTextGen Gen(20240601);
    for (int N = 0; N < 3000; ++N) {
        std::string Line = Gen.Line();
        // Started fresh, inside each bracket region, and with each carried kind.
        TRowAttributeData State;
        switch (N % 4) {
        case 1: State.BracketIndex = static_cast<int>(Gen.Pick(2)); break;
        case 2:
            // A carried bracket always names its item (the scan never carries one without).
            State.CarryToken = static_cast<uint8_t>(1 + Gen.Pick(28));
            State.BracketIndex = State.CarryToken == tokBracket ? 1 : -1;
            break;
        case 3:
            State.CarryToken = static_cast<uint8_t>(1 + Gen.Pick(28));
            State.CarryLength = static_cast<int>(1 + Gen.Pick(20));
            State.BracketIndex = State.CarryToken == tokBracket ? 0 : -1;
            break;
        default: break;
        }
        ASSERT_TRUE(Tiles(*P, Line, State)) << "case " << N << " line of " << Line.size() << " bytes";
    }
}

TEST(ParserProperty, WrappedTokenGoesOnInTheNextRow) {
    TEditorFountain F(nullptr);
    SetAllOn(F);
    auto P = F.CreateParser();
    TTextGen Gen(77);
    std::map<int, int> Seen; // kinds found cut by a wrap
    for (int N = 0; N < 3000; ++N) {
        TEditorStringList Rows;
        std::vector<TRowPiece> Pieces = CutLine(Gen, Gen.Line(), raCrlf);
        auto More = CutLine(Gen, Gen.Line(), raEof);
        Pieces.insert(Pieces.end(), More.begin(), More.end());
        FillRows(Rows, Pieces);
        auto States = ScanStates(*P, Rows);
        for (int R = 0; R < Rows.GetCount(); ++R) {
            const std::string Text = PaintText(Rows, R);
            ASSERT_TRUE(Tiles(*P, Text, States[R])) << "case " << N << " row " << R;
            if (Rows.GetRowAttribute(R) != raWrapped) continue;
            // Find the token that straddles the end of row R.
            const int Len = Rows.RowLength(R);
            P->NewData(Text, States[R]);
            int Pos = -1, End = -1;
            uint8_t Kind = 0;
            for (int K = P->NextToken(); K != tokEnd; K = P->NextToken()) {
                if (P->SourcePos() < Len && P->SourcePos() + P->TokenLength() > Len) {
                    Pos = P->SourcePos();
                    End = Pos + P->TokenLength();
                    Kind = static_cast<uint8_t>(K);
                    P->FixTokenKind(Kind);
                    break;
                }
            }
            if (Pos < 0) continue;
            ++Seen[Kind];
            // Row R + 1 starts with the rest of it, of the same kind.
            const std::string Next = PaintText(Rows, R + 1);
            const int NextLen = Rows.RowLength(R + 1);
            P->NewData(Next, States[R + 1]);
            int K = P->NextToken();
            SCOPED_TRACE(testing::Message() << "case " << N << " row " << R << " kind " << int(Kind) << " text '"
                                            << Text << "' rest " << End - Len);
            ASSERT_EQ(P->SourcePos(), 0);
            ASSERT_EQ(K, Kind);
            const int Rest = End - Len;
            const int Got = P->TokenLength();
            if (Rest < NextLen) {
                ASSERT_EQ(Got, Rest);
            } else if (!(R + 2 < Rows.GetCount() && Rows.GetRowAttribute(R + 1) == raWrapped)) {
                ASSERT_EQ(Got, NextLen);
            } else if (Kind == tokInteger || Kind == tokFloat || Kind == tokHex || Kind == tokHexControlCode) {
                // A token over two wraps is taken up by its handler in the next row; a number
                // cut inside its exponent, or a prefixed number cut inside its prefix, is
                // classified from there on its own. Only the kind is certain.
            } else {
                ASSERT_GE(Got, NextLen) << "the rest covers the next row";
            }
        }
    }
    for (int K : {tokAnk, tokReserve, tokInteger, tokFloat, tokBracket, tokComment, tokKanji, tokHiragana,
                  tokKatakana, tokKana, tokDBInt, tokUrl, tokMail, tokQuotation, tokControlCode, tokHexControlCode,
                  tokHex})
        EXPECT_GT(Seen[K], 0) << "kind " << K << " never cut by a wrap: the generator misses it";
}

} // namespace
