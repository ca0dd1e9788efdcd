// The editor scheme's parser: its recognisers, their handlers and the colour mapping.
#include "editor/colouring/editor_parser.h"

#include "editor/colouring/editor_fountain.h"
#include "platform/cp932.h"

TEditorParser::TEditorParser(TFountain* Fountain)
    : TFountainParser(Fountain), FEditorFountain(dynamic_cast<TEditorFountain*>(Fountain)) {
    TEditorParser::InitMethodTable();
}

void TEditorParser::InitMethodTable() {
    TFountainParser::InitMethodTable();
    FTokenMethodTable[tokQuotation] = static_cast<TParseProc>(&TEditorParser::QuotationProc);
    FTokenMethodTable[tokControlCode] = static_cast<TParseProc>(&TEditorParser::ControlCodeProc);
    FTokenMethodTable[tokHexControlCode] = static_cast<TParseProc>(&TEditorParser::HexCodeProc);
}

TTokenKindSet TEditorParser::ResumableTokens() const {
    TTokenKindSet S = TFountainParser::ResumableTokens();
    S.Include(tokQuotation);
    return S;
}

unsigned char TEditorParser::QuoteOf(uint8_t Kind) const {
    if (Kind == tokQuotation) return QuotationByte();
    return TFountainParser::QuoteOf(Kind);
}

void TEditorParser::DispatchToken() {
    TEditorFountain* F = FEditorFountain;
    if (BracketIndex == -1 && IsBracketStart())
        BracketProc();
    else if (F != nullptr && F->GetMail() && IsMail())
        MailProc();
    else if (F != nullptr && F->GetUrl() && IsUrl())
        UrlProc();
    else if (IsCommenter())
        CommentProc();
    else if (IsQuotation())
        QuotationProc();
    else if (IsHexCode())
        HexCodeProc();
    else if (IsControlCode())
        ControlCodeProc();
    else if (IsHexPrefix())
        HexProc();
    else
        (this->*FMethodTable[At(FRun)])();
}

unsigned char TEditorParser::QuotationByte() const {
    if (FEditorFountain == nullptr) return 0;
    const std::string& Quotation = FEditorFountain->GetQuotation();
    if (Quotation.empty() || cp932::IsLeadByte(Quotation[0])) return 0;
    return static_cast<unsigned char>(Quotation[0]);
}

bool TEditorParser::IsQuotation() {
    unsigned char Q = QuotationByte();
    if (Q == 0 || At(FRun) != Q) return false;
    ++FRun;
    return true;
}

void TEditorParser::QuotationProc() {
    unsigned char Q = QuotationByte();
    if (Q == 0) {
        Token = tokEnd;
        return;
    }
    Token = tokQuotation;
    ScanQuoted(Q);
}

bool TEditorParser::IsCommenter() {
    if (FEditorFountain == nullptr) return false;
    const std::string& Commenter = FEditorFountain->GetCommenter();
    if (!Matches(FRun, Commenter)) return false;
    FRun = AfterLiteral(FRun, Commenter);
    return true;
}

bool TEditorParser::IsHexPrefix() {
    if (FEditorFountain == nullptr) return false;
    const std::string& Prefix = FEditorFountain->GetHexPrefix();
    const int N = static_cast<int>(Prefix.size());
    if (N == 0 || FLen - FRun < N) return false;
    const unsigned char* Upper = cp932::UpperTable();
    for (int I = 0; I < N; ++I)
        if (Upper[FText[FRun + I]] != Upper[static_cast<unsigned char>(Prefix[static_cast<size_t>(I)])]) return false;
    FRun = AfterLiteral(FRun, Prefix);
    return true;
}

bool TEditorParser::IsHexCode() {
    if (FEditorFountain == nullptr || !FEditorFountain->GetControlCode()) return false;
    if (At(FRun) != '#' || At(FRun + 1) != '$') return false;
    FRun += 2;
    return true;
}

void TEditorParser::HexCodeProc() {
    Token = tokHexControlCode;
    for (unsigned char C = At(FRun); (C >= '0' && C <= '9') || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
         C = At(FRun))
        ++FRun;
}

bool TEditorParser::IsControlCode() {
    if (FEditorFountain == nullptr || !FEditorFountain->GetControlCode()) return false;
    if (At(FRun) != '#') return false;
    ++FRun;
    return true;
}

void TEditorParser::ControlCodeProc() {
    Token = tokControlCode;
    for (unsigned char C = At(FRun); C >= '0' && C <= '9'; C = At(FRun)) ++FRun;
}

TFountainColor* TEditorParser::TokenToFountainColor() {
    if (IsReserveWord()) return FFountain->GetReserve();
    if (Token == tokReserve) return FFountain->GetReserve();
    if (Token == tokBracket) {
        TFountainBracketCollection* Brackets = FFountain->GetBrackets();
        if (FDrawBracketIndex < 0 || FDrawBracketIndex >= Brackets->GetCount()) return nullptr;
        return Brackets->GetItems(FDrawBracketIndex)->GetItemColor();
    }
    if (FEditorFountain == nullptr) return nullptr;
    TEditorColors* Colors = FEditorFountain->GetColors();
    switch (Token) {
    case tokSymbol:
        return Colors->GetSymbol();
    case tokInteger:
    case tokFloat:
    case tokHex:
        return Colors->GetInt();
    case tokComment:
        return Colors->GetComment();
    case tokAnk:
        return Colors->GetAnk();
    case tokDBSymbol:
    case tokDBInt:
    case tokDBAlpha:
    case tokHiragana:
    case tokKatakana:
    case tokKanji:
    case tokKanaSymbol:
    case tokKana:
        return Colors->GetDBCS();
    case tokUrl:
        return Colors->GetUrl();
    case tokMail:
        return Colors->GetMail();
    case tokQuotation:
    case tokControlCode:
    case tokHexControlCode:
        return Colors->GetStr();
    default:
        return nullptr;
    }
}
