// The fountain parser: dispatch tables, token handlers, the row scan, and TTokenParser.
#include "editor/colouring/fountain_parser.h"

#include <cstring>

#include "platform/exceptions.h"

namespace {

// Byte classes of the handlers, one table lookup per byte.
enum : uint8_t { ccDigit = 1, ccAnk = 2, ccHex = 4, ccMail = 8, ccUrl = 16 };

struct TCharClassTable {
    uint8_t Bits[256] = {};
};

constexpr TCharClassTable MakeCharClasses() {
    TCharClassTable T;
    auto Add = [&T](const char* Bytes, uint8_t Class) {
        for (const char* P = Bytes; *P; ++P) T.Bits[static_cast<unsigned char>(*P)] |= Class;
    };
    auto AddRange = [&T](unsigned char First, unsigned char Last, uint8_t Class) {
        for (int B = First; B <= Last; ++B) T.Bits[B] |= Class;
    };
    AddRange('0', '9', ccDigit | ccAnk | ccHex | ccMail | ccUrl);
    AddRange('A', 'Z', ccAnk | ccMail | ccUrl);
    AddRange('a', 'z', ccAnk | ccMail | ccUrl);
    AddRange('A', 'F', ccHex);
    AddRange('a', 'f', ccHex);
    Add("_", ccAnk | ccMail | ccUrl);
    Add("!$%&*,-./;=?@^~", ccMail);
    Add("#%&+-./:=?~", ccUrl);
    return T;
}

constexpr TCharClassTable CharClasses = MakeCharClasses();

inline bool HasClass(unsigned char B, uint8_t Class) { return (CharClasses.Bits[B] & Class) != 0; }
inline bool IsKanjiLead(unsigned char B) { return (B >= 0x88 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC); }

} // namespace

// ---- construction ------------------------------------------------------------------------

TFountainParser::TFountainParser(TFountain* Fountain) : FFountain(Fountain) {
    if (Fountain == nullptr) throw Exception("TFountainParser.Create need instance of TFountain");
    AttachFountain();
    TFountainParser::InitMethodTable();
}

TFountainParser::TFountainParser(TNoFountain) { TFountainParser::InitMethodTable(); }

TFountainParser::~TFountainParser() = default;

void TFountainParser::AttachFountain() {
    // A parser lives for one job; the scheme's parts are owned for the scheme's life.
    FBrackets = FFountain->GetBrackets();
    FReserveWordList = FFountain->GetReserveWordList();
}

void TFountainParser::InitMethodTable() {
    for (auto& P : FMethodTable) P = &TFountainParser::SymbolProc;
    FMethodTable[0x00] = &TFountainParser::NullProc;
    FMethodTable[0x09] = &TFountainParser::TabProc;
    FMethodTable[0x0A] = &TFountainParser::LFProc;
    FMethodTable[0x0D] = &TFountainParser::CRProc;
    for (int B = '0'; B <= '9'; ++B) FMethodTable[B] = &TFountainParser::IntegerProc;
    for (int B = 'A'; B <= 'Z'; ++B) FMethodTable[B] = &TFountainParser::AnkProc;
    for (int B = 'a'; B <= 'z'; ++B) FMethodTable[B] = &TFountainParser::AnkProc;
    FMethodTable[static_cast<unsigned char>('_')] = &TFountainParser::AnkProc;
    FMethodTable[0x81] = &TFountainParser::DBSymbolProc;
    for (int B = 0x84; B <= 0x87; ++B) FMethodTable[B] = &TFountainParser::DBSymbolProc;
    FMethodTable[0x82] = &TFountainParser::DBProc;
    FMethodTable[0x83] = &TFountainParser::DBProc;
    for (int B = 0x88; B <= 0x9F; ++B) FMethodTable[B] = &TFountainParser::KanjiProc;
    for (int B = 0xE0; B <= 0xFC; ++B) FMethodTable[B] = &TFountainParser::KanjiProc;
    for (int B = 0xA1; B <= 0xA5; ++B) FMethodTable[B] = &TFountainParser::KanaSymbolProc;
    for (int B = 0xA6; B <= 0xDF; ++B) FMethodTable[B] = &TFountainParser::KanaProc;

    for (auto& P : FTokenMethodTable) P = &TFountainParser::SymbolProc;
    FTokenMethodTable[tokInteger] = &TFountainParser::IntegerProc;
    FTokenMethodTable[tokFloat] = &TFountainParser::IntegerProc;
    FTokenMethodTable[tokBracket] = &TFountainParser::BracketProc;
    FTokenMethodTable[tokComment] = &TFountainParser::CommentProc;
    FTokenMethodTable[tokReserve] = &TFountainParser::ReserveWordProc;
    FTokenMethodTable[tokAnk] = &TFountainParser::AnkProc;
    FTokenMethodTable[tokDBSymbol] = &TFountainParser::DBSymbolProc;
    for (int K = tokDBInt; K <= tokKatakana; ++K) FTokenMethodTable[K] = &TFountainParser::DBProc;
    FTokenMethodTable[tokKanji] = &TFountainParser::KanjiProc;
    FTokenMethodTable[tokKanaSymbol] = &TFountainParser::KanaSymbolProc;
    FTokenMethodTable[tokKana] = &TFountainParser::KanaProc;
    FTokenMethodTable[tokUrl] = &TFountainParser::UrlProc;
    FTokenMethodTable[tokMail] = &TFountainParser::MailProc;
    FTokenMethodTable[tokHex] = &TFountainParser::HexProc;
    FTokenMethodTable[tokSingleQuote] = &TFountainParser::SingleQuoteProc;
    FTokenMethodTable[tokDoubleQuote] = &TFountainParser::DoubleQuoteProc;
}

// ---- stepping ----------------------------------------------------------------------------

void TFountainParser::NewData(std::string_view Text, const TRowAttributeData& Data) {
    FText = reinterpret_cast<const unsigned char*>(Text.data());
    FLen = static_cast<int>(Text.size());
    FP = FRun = FTokenStart = 0;
    FResuming = false;
    FDrawBracketIndex = -2;
    FMailFailEnd = 0;
    Token = tokEnd;
    RowAttribute = Data.RowAttribute;
    PrevRowAttribute = Data.PrevRowAttribute;
    BracketIndex = Data.BracketIndex;
    ElementState = Data.ElementState;
    CarryLength = Data.CarryLength;
    ExtraState = Data.ExtraState;
    CarryToken = Data.CarryToken;
    LastToken = Data.LastToken;
    StateStr = Data.StateStr;
}

uint8_t TFountainParser::NextToken() {
    // A carried token, or a bracket region the row starts in, begins at the very start of
    // the row: blanks there belong to it (a comment, a string or a region goes on through
    // them).
    if (CarryToken == 0 && BracketIndex < 0) SkipBlanks();
    FRun = FTokenStart = FP;
    FResuming = CarryToken != 0;
    if (AtRowEnd(FRun)) {
        Token = tokEnd;
    } else {
        if (CarryToken != 0)
            CarryProc();
        else if (BracketIndex < 0)
            DispatchToken();
        else
            BracketProc();
        // A token other than the end covers at least one character, whatever a handler
        // made of the bytes it was given (a carried kind whose handler finds none of its
        // own bytes, say), so the scan always moves on.
        if (Token != tokEnd && FRun <= FTokenStart) FRun = NextChar(FTokenStart);
        if (FRun > FLen) FRun = FLen;
    }
    FP = FRun;
    return Token;
}

void TFountainParser::SkipBlanks() {
    while (FP < FLen) {
        unsigned char C = FText[FP];
        if (C == 0 || C == 0x09 || C > 0x20) break;
        ++FP;
    }
}

void TFountainParser::CarryProc() {
    if (CarryLength <= 0) {
        (this->*FTokenMethodTable[CarryToken])();
        // The piece continues the carried token and keeps its kind (a handler such as
        // IntegerProc would otherwise classify the piece on its own).
        if (Token != tokEnd) Token = CarryToken;
    } else if (ResumableTokens().Contains(CarryToken)) {
        // The first CarryLength bytes are known to lie inside the token (the second half
        // of a doubled quote cut by the wrap); the handler goes on after them.
        FRun = AlignForward(FTokenStart, FTokenStart + CarryLength);
        (this->*FTokenMethodTable[CarryToken])();
        Token = CarryToken;
    } else {
        Token = CarryToken;
        FRun = AlignForward(FTokenStart, FTokenStart + CarryLength);
        if (CarryToken == tokBracket) {
            FDrawBracketIndex = BracketIndex;
            BracketIndex = -1;
        }
    }
    CarryToken = 0;
    CarryLength = 0;
}

void TFountainParser::DispatchToken() {
    if (BracketIndex == -1 && IsBracketStart())
        BracketProc();
    else
        (this->*FMethodTable[At(FRun)])();
}

// ---- helpers -----------------------------------------------------------------------------

bool TFountainParser::Matches(int I, const std::string& S) const {
    size_t N = S.size();
    return N != 0 && static_cast<size_t>(FLen - I) >= N && FText[I] == static_cast<unsigned char>(S[0]) &&
           std::memcmp(FText + I, S.data(), N) == 0;
}

int TFountainParser::AfterLiteral(int I, const std::string& S) const {
    int End = I;
    const int N = static_cast<int>(S.size());
    for (int K = 0; K < N;) {
        int Step = cp932::IsLeadByte(S[static_cast<size_t>(K)]) ? 2 : 1;
        K += Step;
        End = I + K;
    }
    return End > FLen ? FLen : End;
}

int TFountainParser::AlignForward(int I, int Target) const {
    if (Target > FLen) Target = FLen;
    while (I < Target) I = NextChar(I);
    return I > FLen ? FLen : I;
}

void TFountainParser::ScanQuoted(unsigned char Q) {
    FQuoteBodyStart = FRun;
    while (!AtRowEnd(FRun)) {
        if (FText[FRun] == Q) {
            if (At(FRun + 1) == Q) {
                FRun += 2;
                continue;
            }
            ++FRun;
            return;
        }
        StepChar();
    }
}

unsigned char TFountainParser::QuoteOf(uint8_t Kind) const {
    if (Kind == tokSingleQuote) return '\'';
    if (Kind == tokDoubleQuote) return '"';
    return 0;
}

bool TFountainParser::QuoteSplitAt(int Cut, unsigned char Q) const {
    int I = FQuoteBodyStart;
    while (I < Cut && !AtRowEnd(I)) {
        if (FText[I] == Q) {
            if (At(I + 1) != Q) return false;
            if (I + 1 == Cut) return true;
            I += 2;
            continue;
        }
        I = NextChar(I);
    }
    return false;
}

// ---- handlers ----------------------------------------------------------------------------

bool TFountainParser::HasBracketStarts() const {
    if (FBrackets == nullptr) return false;
    const int Count = FBrackets->GetCount();
    for (int I = 0; I < Count; ++I)
        if (!FBrackets->GetItems(I)->GetLeftBracket().empty()) return true;
    return false;
}

bool TFountainParser::IsBracketStart() {
    if (FBrackets == nullptr) return false;
    const int Count = FBrackets->GetCount();
    for (int I = 0; I < Count; ++I) {
        const std::string& Left = FBrackets->GetItems(I)->GetLeftBracket();
        if (Matches(FRun, Left)) {
            BracketIndex = I;
            FRun = AfterLiteral(FRun, Left);
            return true;
        }
    }
    return false;
}

void TFountainParser::BracketProc() {
    if (FBrackets == nullptr || BracketIndex < 0 || BracketIndex >= FBrackets->GetCount() ||
        FBrackets->GetItems(BracketIndex)->GetRightBracket().empty()) {
        Token = tokEnd;
        return;
    }
    Token = tokBracket;
    FDrawBracketIndex = BracketIndex;
    const std::string& Right = FBrackets->GetItems(BracketIndex)->GetRightBracket();
    while (!AtRowEnd(FRun)) {
        if (Matches(FRun, Right)) {
            FRun = AfterLiteral(FRun, Right);
            BracketIndex = -1;
            return;
        }
        StepChar();
    }
}

bool TFountainParser::IsMail() {
    unsigned char C = At(FRun);
    if (!HasClass(C, ccMail) || C == '@') return false;
    if (FRun < FMailFailEnd) return false;
    bool SeenAt = false;
    int I = FRun;
    for (; HasClass(At(I), ccMail); ++I) {
        C = FText[I];
        if (C == '@')
            SeenAt = true;
        else if (C == '.' && SeenAt) {
            FRun = I + 1;
            return true;
        }
    }
    FMailFailEnd = I;
    return false;
}

void TFountainParser::MailProc() {
    Token = tokMail;
    while (HasClass(At(FRun), ccMail)) ++FRun;
}

bool TFountainParser::IsUrl() {
    static const std::string Ftp = "ftp:", Http = "http:", Https = "https:", Www = "www.";
    const std::string* Prefix = nullptr;
    switch (At(FRun)) {
    case 'f':
        if (Matches(FRun, Ftp)) Prefix = &Ftp;
        break;
    case 'h':
        if (Matches(FRun, Http))
            Prefix = &Http;
        else if (Matches(FRun, Https))
            Prefix = &Https;
        break;
    case 'w':
        if (Matches(FRun, Www)) Prefix = &Www;
        break;
    default:
        break;
    }
    if (Prefix == nullptr) return false;
    FRun += static_cast<int>(Prefix->size());
    return true;
}

void TFountainParser::UrlProc() {
    Token = tokUrl;
    while (HasClass(At(FRun), ccUrl)) ++FRun;
}

void TFountainParser::ReserveWordProc() {
    (this->*FMethodTable[At(FRun)])();
    Token = tokReserve;
}

void TFountainParser::NullProc() { Token = tokEnd; }

void TFountainParser::TabProc() {
    Token = tokTab;
    ++FRun;
}

void TFountainParser::LFProc() {
    Token = tokEnd;
    if (At(FRun) == 0x0A) ++FRun;
}

void TFountainParser::CRProc() {
    Token = tokEnd;
    if (At(FRun) == 0x0D) ++FRun;
    if (At(FRun) == 0x0A) ++FRun;
}

void TFountainParser::CommentProc() {
    Token = tokComment;
    while (!AtRowEnd(FRun)) StepChar();
}

void TFountainParser::HexProc() {
    Token = tokHex;
    while (HasClass(At(FRun), ccHex)) ++FRun;
}

void TFountainParser::IntegerProc() {
    auto Digits = [this] {
        while (HasClass(At(FRun), ccDigit)) ++FRun;
    };
    // "E" or "e" has been passed; then a sign and digits, or digits, or nothing.
    auto Exponent = [this, &Digits] {
        unsigned char C = At(FRun);
        if ((C == '+' || C == '-') && HasClass(At(FRun + 1), ccDigit)) {
            ++FRun;
            Digits();
        } else if (HasClass(C, ccDigit)) {
            Digits();
        }
    };
    Token = tokInteger;
    Digits();
    unsigned char C = At(FRun);
    if (C == '.') {
        Token = tokFloat;
        unsigned char After = At(FRun + 1);
        if (HasClass(After, ccDigit)) {
            ++FRun;
            Digits();
            C = At(FRun);
            if (C == 'E' || C == 'e') {
                ++FRun;
                Exponent();
            }
        } else if (After == 'E' || After == 'e') {
            FRun += 2;
            Exponent();
        }
    } else if (C == 'E' || C == 'e') {
        Token = tokFloat;
        ++FRun;
        Exponent();
    }
}

void TFountainParser::AnkProc() {
    Token = tokAnk;
    while (HasClass(At(FRun), ccAnk)) ++FRun;
}

void TFountainParser::DBSymbolProc() {
    Token = tokDBSymbol;
    StepChar();
}

namespace {

// The kind a character of lead byte 0x82 or 0x83 starts, or tokDBSymbol for a single
// double-byte symbol (including a pair whose second byte is out of the lead's range).
uint8_t DBKind(unsigned char Lead, unsigned char Trail) {
    if (Lead == 0x82) {
        if (Trail >= 0x4F && Trail <= 0x58) return tokDBInt;
        if ((Trail >= 0x60 && Trail <= 0x79) || (Trail >= 0x81 && Trail <= 0x9A)) return tokDBAlpha;
        if (Trail >= 0x9F && Trail <= 0xF1) return tokHiragana;
    } else if (Lead == 0x83) {
        if (Trail >= 0x40 && Trail <= 0x96) return tokKatakana;
    }
    return tokDBSymbol;
}

} // namespace

void TFountainParser::DBProc() {
    // A pair belongs to the run of Kind: a character of that kind, or one of the
    // punctuation pairs the run admits.
    auto InRun = [this](int I, uint8_t Kind) {
        if (I + 1 >= FLen) return false;
        unsigned char Lead = FText[I], Trail = FText[I + 1];
        if (Lead == 0x81) {
            if (Kind == tokDBInt) return Trail == 0x43 || Trail == 0x44;
            if (Kind == tokHiragana || Kind == tokKatakana) return Trail == 0x5B || Trail == 0x7C;
            return false;
        }
        return (Lead == 0x82 || Lead == 0x83) && DBKind(Lead, Trail) == Kind;
    };
    uint8_t Kind;
    if (FResuming && CarryToken >= tokDBInt && CarryToken <= tokKatakana) {
        // Continuing a run cut by the wrap: its class is the carried one, so a piece that
        // begins with a prolonged sound mark still belongs to it.
        Kind = CarryToken;
    } else if (FRun + 1 < FLen && (At(FRun) == 0x82 || At(FRun) == 0x83)) {
        Kind = DBKind(At(FRun), At(FRun + 1));
    } else {
        Kind = tokDBSymbol;
    }
    Token = Kind;
    if (Kind == tokDBSymbol) {
        // One character; a second byte outside the lead's ranges is taken with it.
        StepChar();
        return;
    }
    while (InRun(FRun, Kind)) FRun += 2;
}

void TFountainParser::KanjiProc() {
    Token = tokKanji;
    while (IsKanjiLead(At(FRun)) && FRun + 1 < FLen && FText[FRun + 1] >= 0x40) FRun += 2;
    if (FRun == FTokenStart && !FResuming) {
        // A kanji lead byte without a proper second byte: one double-byte symbol.
        Token = tokDBSymbol;
        StepChar();
    }
}

void TFountainParser::KanaSymbolProc() {
    Token = tokKanaSymbol;
    unsigned char C = At(FRun);
    if (C >= 0xA1 && C <= 0xA5) ++FRun;
}

void TFountainParser::KanaProc() {
    Token = tokKana;
    for (unsigned char C = At(FRun); C >= 0xA6 && C <= 0xDF; C = At(FRun)) ++FRun;
}

void TFountainParser::SymbolProc() {
    Token = tokSymbol;
    if (!AtRowEnd(FRun)) StepChar();
}

void TFountainParser::SingleQuoteProc() {
    Token = tokSingleQuote;
    if (!FResuming) ++FRun;
    ScanQuoted('\'');
}

void TFountainParser::DoubleQuoteProc() {
    Token = tokDoubleQuote;
    if (!FResuming) ++FRun;
    ScanQuoted('"');
}

// ---- kinds and words ---------------------------------------------------------------------

bool TFountainParser::IsReserveWord() {
    if (FResuming || FReserveWordList == nullptr) return false;
    if (Token == tokEnd || Token == tokBracket || Token == tokComment) return false;
    if (FReserveWordList->GetCount() == 0) return false;
    // The buffer keeps its capacity, so the lookup allocates only for a longer token than
    // any before it.
    FWordBuffer.assign(TokenString());
    int Index;
    return FReserveWordList->Find(FWordBuffer, Index);
}

void TFountainParser::FixTokenKind(uint8_t& Kind) {
    if (IsReserveWord()) Kind = tokReserve;
}

TTokenKindSet TFountainParser::ResumableTokens() const {
    TTokenKindSet S;
    S.Include(tokComment);
    S.Include(tokSingleQuote);
    S.Include(tokDoubleQuote);
    return S;
}

TTokenKindSet TFountainParser::LineEndTokens() const {
    TTokenKindSet S;
    S.Include(tokComment);
    return S;
}

// ---- the row scan ------------------------------------------------------------------------

void TFountainParser::ScanRow(int Index, const TRowAttributeStringList* Rows, TRowAttributeData& Data) {
    // 1. A row that starts inside a comment carried over a wrap is comment as a whole.
    if (LineEndTokens().Contains(Data.CarryToken)) {
        if (Data.RowAttribute != raWrapped) Data.CarryToken = 0;
        Data.CarryLength = 0;
        return;
    }
    // 2. An empty row or a row of spaces passes the state on. A token carried into it
    // cannot go on past the end of its line, though.
    const std::string_view Row = Rows->RowView(Index);
    const int Len = static_cast<int>(Row.size());
    if (Row.find_first_not_of(' ') == std::string_view::npos) {
        if (Data.CarryToken != 0 && Data.RowAttribute != raWrapped) {
            Data.CarryToken = 0;
            Data.CarryLength = 0;
        }
        return;
    }
    // 3. A wrapped row is scanned together with the next one.
    const int RowCount = Rows->GetCount();
    std::string_view Text = Row;
    if (Data.RowAttribute == raWrapped && Index + 1 < RowCount) {
        FRowBuffer.assign(Row);
        FRowBuffer.append(Rows->RowView(Index + 1));
        Text = FRowBuffer;
    }
    // 4.
    int B = Data.BracketIndex;
    int E = Data.ElementState;
    uint8_t K = tokEnd;
    NewData(Text, Data);
    // 5.
    for (uint8_t Kind = NextToken(); Kind != tokEnd; Kind = NextToken()) {
        K = Kind;
        Data.BracketIndex = BracketIndex;
        if (K == tokBracket) B = FDrawBracketIndex;
        E = ElementState;
        if (SourcePos() + TokenLength() > Len) break;
        Data.ElementState = ElementState;
        Data.LastToken = LastToken;
    }
    // 6.
    Data.CarryLength = 0;
    Data.CarryToken = 0;
    // 7. The scan stopped at a token that begins in the next row.
    if (Token != tokEnd && SourcePos() >= Len) {
        Data.BracketIndex = -1;
        return;
    }
    // 8. The last token straddles the row end.
    const int P = SourcePos();
    const int Q = P + TokenLength();
    if (!(P < Len && Len < Q)) return;
    Data.ElementState = E;
    // CarryLength is kept in a byte of the row; a longer rest is continued by the handler.
    const int Rest = Q - Len;
    if (K == tokBracket) {
        if (Data.BracketIndex == -1) {
            // The region closed inside the next row, which therefore starts inside it.
            Data.BracketIndex = B;
            // When the closing bracket itself is cut by the row end, the next row could not
            // find it; when the opening one is, the next row could take the rest of the
            // opening for a closing bracket ("/" | "*/" of "/*" "*/"). Either way the next
            // row gets the exact rest of the region.
            if (FBrackets != nullptr && B >= 0 && B < FBrackets->GetCount() && Rest <= 255) {
                const TFountainBracketItem* Item = FBrackets->GetItems(B);
                const bool RightCut = static_cast<int>(Item->GetRightBracket().size()) > Rest;
                const bool LeftCut = !FResuming && P + static_cast<int>(Item->GetLeftBracket().size()) > Len &&
                                     BracketIndex == -1 && Matches(P, Item->GetLeftBracket());
                if (RightCut || LeftCut) {
                    Data.CarryToken = tokBracket;
                    Data.CarryLength = Rest;
                }
            }
        }
        return;
    }
    FixTokenKind(K);
    Data.CarryToken = K;
    if (!ResumableTokens().Contains(K)) {
        // Only a token that reaches the end of the joined text while the line goes on past
        // the next row may continue further; its handler takes it up there. A token that
        // ends at the end of the last row is as exact as one that ends before.
        const bool MayGoOn = Q >= FLen && Index + 2 < RowCount && Rows->GetRowAttribute(Index + 1) == raWrapped;
        if (!MayGoOn && Rest <= 255) Data.CarryLength = Rest;
        return;
    }
    // A string whose doubled quote is cut between its two halves: the resuming handler
    // would take the second half for the closing quote, so it is told to start after it.
    if (unsigned char Quote = QuoteOf(K); Quote != 0 && QuoteSplitAt(Len, Quote))
        Data.CarryLength = 1;
}

// ---- TTokenParser ------------------------------------------------------------------------

TTokenParser::TTokenParser() : TFountainParser(TNoFountain{}) {}

void TTokenParser::NewData(std::string_view Text, const TRowAttributeData& Data) {
    TFountainParser::NewData(Text, Data);
    BracketIndex = -2;
}
