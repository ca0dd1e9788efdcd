// The tokenizing parser of a colouring scheme: token kinds, the dispatch tables, the
// handlers, the per-row colouring scan, and the scheme-less token parser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/colouring/fountain.h"
#include "editor/model/dbcs.h"
#include "editor/model/row_string_list.h"

// Token kinds, one byte each. 2, 5, 10 and 13 are not produced.
enum TFountainTokenKind : uint8_t {
    tokEnd = 0,
    tokSymbol = 1,
    tokInteger = 3,
    tokFloat = 4,
    tokBracket = 6,
    tokComment = 7,
    tokReserve = 8,
    tokTab = 9,
    tokAnk = 11,
    tokDBSymbol = 12,
    tokDBInt = 14,
    tokDBAlpha = 15,
    tokHiragana = 16,
    tokKatakana = 17,
    tokKanji = 18,
    tokKanaSymbol = 19,
    tokKana = 20,
    tokUrl = 21,
    tokMail = 22,
    tokHex = 23,
    tokSingleQuote = 24,
    tokDoubleQuote = 25,
    tokQuotation = 26,
    tokControlCode = 27,
    tokHexControlCode = 28,
};

// A set of token kinds.
using TTokenKindSet = TByteSet;

// Splits one row of CP932 text into tokens, in place: the text is viewed, never copied
// (except that ScanRow joins a wrapped row with the next one in a buffer the parser keeps),
// and nothing is allocated per token.
//
// Use: NewData(Text, State) once per row, then NextToken until it gives tokEnd; SourcePos,
// TokenLength, TokenString and TokenToFountainColor describe the current token. ScanRow
// turns the state at the start of a row into the state at the start of the next one.
//
// A token never ends inside a double-byte character: a lead byte always takes the byte
// after it, so tokens keep to the character boundaries that the caret and the painter use.
class TFountainParser : public TObject {
public:
    using TParseProc = void (TFountainParser::*)();

    // Raises Exception "TFountainParser.Create need instance of TFountain" without a scheme.
    explicit TFountainParser(TFountain* Fountain);
    ~TFountainParser() override;

    // Starts on Text (which must outlive the scan) with the carried state Data.
    virtual void NewData(std::string_view Text, const TRowAttributeData& Data);
    // The parser views the text: a temporary string would be gone before the first token.
    void NewData(std::string&& Text, const TRowAttributeData& Data) = delete;
    void NewData(const char* Text, const TRowAttributeData& Data) { NewData(std::string_view(Text), Data); }
    // The kind of the next token; tokEnd when the text is used up.
    virtual uint8_t NextToken();
    // Data, the state at the start of row Index of Rows (Data.RowAttribute = that row's own
    // attribute), becomes the state at the start of row Index + 1.
    virtual void ScanRow(int Index, const TRowAttributeStringList* Rows, TRowAttributeData& Data);
    // The colour of the current token, or none.
    virtual TFountainColor* TokenToFountainColor() = 0;
    // Whether the current token is a word of the scheme's ReserveWordList (letter case
    // ignored); never while resuming a carried token, nor for kinds 0, 6 and 7.
    virtual bool IsReserveWord();
    // Kind becomes tokReserve when IsReserveWord.
    virtual void FixTokenKind(uint8_t& Kind);
    // Kinds a handler can continue at the start of the next row.
    virtual TTokenKindSet ResumableTokens() const;
    // Kinds that a line break ends.
    virtual TTokenKindSet LineEndTokens() const;
    // Whether every line starts in the state in which row 0 starts, whatever the lines before
    // it hold, so that the state of a row follows from a scan of its own line alone (a jump
    // to the end of a large text then scans no row above the screen). ScanRow carries only
    // an open bracket region over a line break, so a parser of this class's rules answers
    // "no bracket has a left bracket" (HasBracketStarts); one that keeps state of its own in
    // ElementState, ExtraState, LastToken or StateStr over lines must answer false, as this
    // class does for its descendants unless they say otherwise.
    virtual bool LinesStartAlike() const { return false; }

    std::string_view TokenString() const {
        return std::string_view(reinterpret_cast<const char*>(FText) + FTokenStart,
                                static_cast<size_t>(FP - FTokenStart));
    }
    int SourcePos() const { return FTokenStart; }
    int TokenLength() const { return FP - FTokenStart; }

    TFountain* GetFountain() const { return FFountain; }
    // The bracket item of the current bracket token; -2 until one is met.
    int GetDrawBracketIndex() const { return FDrawBracketIndex; }
    // Whether the current token continues one carried over from the previous row.
    bool GetResuming() const { return FResuming; }

    // The current token's kind and the state values, under the names of TRowAttributeData.
    uint8_t Token = tokEnd;
    TRowAttribute RowAttribute = raCrlf;
    TRowAttribute PrevRowAttribute = raCrlf;
    int32_t BracketIndex = -1;
    int32_t ElementState = 0;
    int32_t CarryLength = 0;
    int32_t ExtraState = 0;
    uint8_t CarryToken = 0;
    uint8_t LastToken = 0;
    std::string StateStr;

protected:
    // Whether a bracket item of the scheme has a non-empty left bracket (a region can open).
    bool HasBracketStarts() const;

    // The scheme-less parser (TTokenParser).
    struct TNoFountain {};
    explicit TFountainParser(TNoFountain);

    // Fills both tables. Every constructor runs its own class's InitMethodTable, so the
    // tables end up as the most derived class builds them.
    virtual void InitMethodTable();
    virtual void SkipBlanks();
    virtual bool IsBracketStart();
    virtual void BracketProc();
    virtual bool IsMail();
    virtual void MailProc();
    virtual bool IsUrl();
    virtual void UrlProc();
    virtual void ReserveWordProc();
    virtual void NullProc();
    virtual void TabProc();
    virtual void LFProc();
    virtual void CRProc();
    virtual void CommentProc();
    virtual void HexProc();
    virtual void IntegerProc();
    virtual void AnkProc();
    virtual void DBSymbolProc();
    virtual void DBProc();
    virtual void KanjiProc();
    virtual void KanaSymbolProc();
    virtual void KanaProc();
    virtual void SymbolProc();
    virtual void SingleQuoteProc();
    virtual void DoubleQuoteProc();
    virtual void CarryProc();
    virtual void DispatchToken();

    // The byte at offset I, or 0 past the end of the text (the text ends as if followed by
    // a zero byte).
    unsigned char At(int I) const { return I < FLen ? FText[I] : 0; }
    // Whether offset I is at the row end: past the text, or a zero byte, CR or LF.
    bool AtRowEnd(int I) const {
        unsigned char C = At(I);
        return C == 0 || C == 0x0D || C == 0x0A;
    }
    // Offset I moved over one character: two bytes after a lead byte that has a partner.
    int NextChar(int I) const { return I + ((cp932::IsLeadByte(At(I)) && I + 1 < FLen) ? 2 : 1); }
    void StepChar() {
        if (FRun < FLen) FRun = NextChar(FRun);
    }
    // Whether the bytes at offset I are S (S not empty).
    bool Matches(int I, const std::string& S) const;
    // Offset I moved over the literal S found there, and over the partner of a lead byte
    // that S ends with, so that a literal never leaves the scan inside a character.
    int AfterLiteral(int I, const std::string& S) const;
    // Offset I moved forward over whole characters to at least Target (within the text).
    int AlignForward(int I, int Target) const;
    // A string in quotes Q from the scanning position; a doubled Q stays inside.
    void ScanQuoted(unsigned char Q);
    // The quote byte of a string kind, 0 for other kinds.
    virtual unsigned char QuoteOf(uint8_t Kind) const;

    TFountain* FFountain = nullptr;
    const unsigned char* FText = nullptr;
    int FLen = 0;
    int FP = 0;          // after the last token
    int FRun = 0;        // the scanning position
    int FTokenStart = 0;
    bool FResuming = false;
    int FDrawBracketIndex = -2;
    TParseProc FMethodTable[256];
    TParseProc FTokenMethodTable[256];

private:
    void AttachFountain();
    // Whether the scan of the current string token steps over a doubled quote Q whose
    // halves lie on the two sides of offset Cut.
    bool QuoteSplitAt(int Cut, unsigned char Q) const;

    TFountainBracketCollection* FBrackets = nullptr;
    TStringList* FReserveWordList = nullptr;
    // A failed IsMail from offset P found no address before FMailFailEnd; every later
    // start before that offset fails the same way, so it is not scanned again.
    int FMailFailEnd = 0;
    int FQuoteBodyStart = 0; // where ScanQuoted began for the current string token
    std::string FRowBuffer;  // a wrapped row joined with the next one (ScanRow)
    std::string FWordBuffer; // the current token for the word-list lookup
};

// A parser without scheme, for callers that only need token boundaries and kinds. It is
// always started with BracketIndex -2, so neither brackets nor reserved words are consulted.
class TTokenParser : public TFountainParser {
public:
    TTokenParser();
    using TFountainParser::NewData;
    void NewData(std::string_view Text, const TRowAttributeData& Data) override;
    TFountainColor* TokenToFountainColor() override { return nullptr; }
};
