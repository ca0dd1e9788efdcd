// The parser of the editor's colouring scheme: comments, strings, character codes,
// hexadecimal numbers, mail addresses and URLs on top of the fountain parser, and the
// mapping of token kinds to the scheme's named colours.
#pragma once

#include "editor/colouring/fountain_parser.h"

class TEditorFountain;

class TEditorParser : public TFountainParser {
public:
    // The recognisers need a TEditorFountain; with another scheme only the rules of the
    // fountain parser apply.
    explicit TEditorParser(TFountain* Fountain);

    TFountainColor* TokenToFountainColor() override;
    // Comments and the three string kinds (tokQuotation added).
    TTokenKindSet ResumableTokens() const override;
    // Comments, strings and codes end at a line break (they go on only over a wrap): only a
    // bracket region carries state from one line to the next.
    bool LinesStartAlike() const override { return !HasBracketStarts(); }

protected:
    void InitMethodTable() override;
    void DispatchToken() override;
    unsigned char QuoteOf(uint8_t Kind) const override;

    // Each recogniser steps over what it recognised, so the token includes it.
    virtual bool IsQuotation();
    virtual void QuotationProc();
    virtual bool IsCommenter();
    virtual bool IsHexPrefix();
    virtual bool IsHexCode();
    virtual void HexCodeProc();
    virtual bool IsControlCode();
    virtual void ControlCodeProc();

private:
    // The string delimiter, or 0 when strings are off (no Quotation, or one that starts
    // with a lead byte, which cannot delimit anything by itself).
    unsigned char QuotationByte() const;

    TEditorFountain* FEditorFountain;
};
