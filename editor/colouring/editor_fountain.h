// The editor's own colouring scheme: its eleven named colours, its bracket collection with
// bulk colour setters, and the switches for comments, strings, character codes, hexadecimal
// numbers, mail addresses and URLs.
#pragma once

#include <memory>
#include <string>

#include "editor/colouring/fountain.h"

class TEditorColor : public TFountainColor {};

// The named colours. Ten are owned; Reserve is the scheme's own Reserve colour. A change of
// one colour is a change of the set. Select and Hit are not token colours: the painter uses
// them for the selection and for a search hit.
class TEditorColors : public TNotifyPersistent, public TPublishedObjects {
public:
    // Fountain (may be null) provides Reserve.
    explicit TEditorColors(TFountain* Fountain);
    ~TEditorColors() override;

    // From another TEditorColors: Ank, Comment, DBCS, Hit, Int, Mail, Str, Symbol, Reserve,
    // Url and Select inside one update bracket (of the scheme's notification list too, so
    // that its handlers are told once).
    void Assign(TPersistent* Source) override;

    TEditorColor* GetAnk() const { return FAnk.get(); }
    void SetAnk(TFountainColor* Value) { FAnk->Assign(Value); }
    TEditorColor* GetComment() const { return FComment.get(); }
    void SetComment(TFountainColor* Value) { FComment->Assign(Value); }
    TEditorColor* GetDBCS() const { return FDBCS.get(); }
    void SetDBCS(TFountainColor* Value) { FDBCS->Assign(Value); }
    TEditorColor* GetHit() const { return FHit.get(); }
    void SetHit(TFountainColor* Value) { FHit->Assign(Value); }
    TEditorColor* GetInt() const { return FInt.get(); }
    void SetInt(TFountainColor* Value) { FInt->Assign(Value); }
    TEditorColor* GetMail() const { return FMail.get(); }
    void SetMail(TFountainColor* Value) { FMail->Assign(Value); }
    // The scheme's Reserve colour; null without a scheme.
    TFountainColor* GetReserve() const;
    void SetReserve(TFountainColor* Value);
    TEditorColor* GetSelect() const { return FSelect.get(); }
    void SetSelect(TFountainColor* Value) { FSelect->Assign(Value); }
    TEditorColor* GetStr() const { return FStr.get(); }
    void SetStr(TFountainColor* Value) { FStr->Assign(Value); }
    TEditorColor* GetSymbol() const { return FSymbol.get(); }
    void SetSymbol(TFountainColor* Value) { FSymbol->Assign(Value); }
    TEditorColor* GetUrl() const { return FUrl.get(); }
    void SetUrl(TFountainColor* Value) { FUrl->Assign(Value); }

    void VisitPublished(TPropertyVisitor& Visitor) override;

private:
    std::unique_ptr<TEditorColor> MakeColor();

    TFountain* FFountain;
    std::unique_ptr<TEditorColor> FAnk, FComment, FDBCS, FHit, FInt, FMail, FSelect, FStr, FSymbol, FUrl;
};

// Bracket pairs with setters that colour every pair at once (reported once).
class TEditorBracketCollection : public TFountainBracketCollection {
public:
    using TFountainBracketCollection::TFountainBracketCollection;

    virtual void SetItemsBkColor(TColor Value);
    virtual void SetItemsColor(TColor Value);
    virtual void SetItemsStyle(TFontStyles Value);
};

// The editor's scheme. The six switches store their value without reporting: the view
// settings that wrap them report the change.
class TEditorFountain : public TFountain {
public:
    explicit TEditorFountain(TComponent* AOwner);
    ~TEditorFountain() override;

    TEditorColors* GetColors() const;
    void SetColors(TEditorColors* Value) { GetColors()->Assign(Value); }
    TEditorBracketCollection* GetBrackets() const {
        return static_cast<TEditorBracketCollection*>(TFountain::GetBrackets());
    }

    // Text that starts a comment running to the end of the row (letter case counts).
    const std::string& GetCommenter() const { return FCommenter; }
    void SetCommenter(const std::string& Value) { FCommenter = Value; }
    // Character codes "#" digits and "#$" hexadecimal digits.
    bool GetControlCode() const { return FControlCode; }
    void SetControlCode(bool Value) { FControlCode = Value; }
    // Prefix of hexadecimal numbers, matched without regard to ASCII letter case.
    const std::string& GetHexPrefix() const { return FHexPrefix; }
    void SetHexPrefix(const std::string& Value) { FHexPrefix = Value; }
    bool GetMail() const { return FMail; }
    void SetMail(bool Value) { FMail = Value; }
    // Its first byte delimits strings (a lead byte delimits nothing); the rest is kept only.
    const std::string& GetQuotation() const { return FQuotation; }
    void SetQuotation(const std::string& Value) { FQuotation = Value; }
    bool GetUrl() const { return FUrl; }
    void SetUrl(bool Value) { FUrl = Value; }

    // Background, foreground or style of every colour of Colors except Select and Hit
    // (Reserve included); the registered handlers are told once.
    virtual void SetAllBkColor(TColor Value);
    virtual void SetAllColor(TColor Value);
    virtual void SetAllStyle(TFontStyles Value);

    // The inherited properties, then Colors.
    void VisitPublished(TPropertyVisitor& Visitor) override;

protected:
    std::unique_ptr<TFountainBracketCollection> CreateBrackets() override;
    TFountainParserClass GetParserClass() override;
    // Leaves the colours named Select and Hit (letter case ignored) alone.
    void ApplyColorToAllProc(TFountainColor* Color, const std::string& PropName) override;
    // A new TEditorColors that knows this scheme and reports into its notification list.
    virtual std::unique_ptr<TEditorColors> CreateEditorColors();
    void CreateParts() override;

private:
    void ApplyToColors(TColor Value, TFontStyles Style, int Flags);

    std::unique_ptr<TEditorColors> FColors;
    std::string FCommenter;
    bool FControlCode = false;
    std::string FHexPrefix;
    bool FMail = false;
    std::string FQuotation;
    bool FUrl = false;
};
