// The colouring scheme (fountain): its colour settings, bracket pairs, reserved words, the
// walks over its settings objects, and the factory of its parser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/colouring/file_ext_component.h"
#include "editor/colouring/notify.h"
#include "platform/graphics.h"

class TFountain;
class TFountainParser;

// The colour walks (HasItalicColor, ApplyColorToAll) see the object-valued published
// properties of a settings object through this pair: an object lists its properties to a
// visitor with their names.
class TPropertyVisitor {
public:
    virtual void Visit(const char* PropName, TPersistent* Value) = 0;

protected:
    ~TPropertyVisitor() = default;
};

// Implemented by settings objects that publish other settings objects.
class TPublishedObjects {
public:
    virtual void VisitPublished(TPropertyVisitor& Visitor) = 0;

protected:
    ~TPublishedObjects() = default;
};

// Background, foreground and style of one kind of token. A setter that stores a different
// value reports the change; an equal value changes nothing.
class TFountainColor : public TNotifyPersistent {
public:
    // From another TFountainColor: copies the three values and reports once.
    void Assign(TPersistent* Source) override;

    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);

private:
    TColor FBkColor = clNoColor;
    TColor FColor = clNoColor;
    TFontStyles FStyle = 0;
};

// A collection item that owns a colour. In a TNotifyCollection, a change of the colour is a
// change of the collection.
class TFountainColorItem : public TCollectionItem, public TPublishedObjects {
public:
    explicit TFountainColorItem(TCollection* Collection);
    ~TFountainColorItem() override;

    // From another TFountainColorItem: copies the colour.
    void Assign(TPersistent* Source) override;
    TFountainColor* GetItemColor() const { return FItemColor.get(); }
    void SetItemColor(TFountainColor* Value) { FItemColor->Assign(Value); }

    void VisitPublished(TPropertyVisitor& Visitor) override;

private:
    std::unique_ptr<TFountainColor> FItemColor;
};

// A bracket pair: a region from LeftBracket to RightBracket is one token in ItemColor.
// Setting the brackets directly does not report.
class TFountainBracketItem : public TFountainColorItem {
public:
    explicit TFountainBracketItem(TCollection* Collection) : TFountainColorItem(Collection) {}

    // From another bracket item: the two brackets, then the colour.
    void Assign(TPersistent* Source) override;
    const std::string& GetLeftBracket() const { return FLeftBracket; }
    void SetLeftBracket(const std::string& Value) { FLeftBracket = Value; }
    const std::string& GetRightBracket() const { return FRightBracket; }
    void SetRightBracket(const std::string& Value) { FRightBracket = Value; }

private:
    std::string FLeftBracket;
    std::string FRightBracket;
};

// At most MaxBracketItems bracket pairs (the row state keeps the open pair in four bits).
class TFountainBracketCollection : public TNotifyCollection {
public:
    static constexpr int MaxBracketItems = 14;

    explicit TFountainBracketCollection(TPersistent* AOwner) : TNotifyCollection(AOwner) {}

    // A new item; with MaxBracketItems items already present, raises EListError
    // "TFountainBracketCollection" CR LF "You can not add item over 14" and adds nothing.
    TFountainBracketItem* Add();
    // From another bracket collection: inside one update bracket, Clear and a copy of each
    // item in order (the fifteenth fails as Add does); from anything else, the collection's
    // assignment.
    void Assign(TPersistent* Source) override;
    // Items[Index]; EListError when out of range.
    TFountainBracketItem* GetItems(int Index) const { return static_cast<TFountainBracketItem*>(GetItem(Index)); }

protected:
    TCollectionItem* NewItem() override;
};

// Makes a parser of a scheme's parser class.
using TFountainParserClass = std::unique_ptr<TFountainParser> (*)(TFountain* Fountain);

// A colouring scheme. Every change of any of its parts ends in one call of every handler
// registered with NotifyEventList, with the scheme as sender.
//
// The owned parts (brackets, reserved words, reserve colour) are made by the virtual
// factories on first use, once the object is complete, so that the overrides of the most
// derived scheme run (they cannot from a constructor). The order is that of construction:
// CreateBrackets, InitBrackets, the word list, InitReserveWordList, CreateReserve, then
// whatever CreateParts of a descendant adds.
class TFountain : public TFileExtComponent, public TPublishedObjects {
public:
    explicit TFountain(TComponent* AOwner);
    ~TFountain() override;

    TFountainBracketCollection* GetBrackets() const;
    void SetBrackets(TFountainBracketCollection* Value) { GetBrackets()->Assign(Value); }
    TFountainColor* GetReserve() const;
    void SetReserve(TFountainColor* Value) { GetReserve()->Assign(Value); }
    // Sorted, without duplicates, letter case ignored.
    TStringList* GetReserveWordList() const;
    // Copies the strings, then reports a change through the notification list.
    void SetReserveWordList(TStrings* Value);
    TNotifyEventList* GetNotifyEventList() const { return FNotifyEventList.get(); }

    // A new parser of this scheme's parser class; the caller owns it.
    virtual std::unique_ptr<TFountainParser> CreateParser();
    // Whether some TFountainColor among the published properties of Obj (descending into
    // object properties and collection items) has italic in its Style.
    virtual bool HasItalicColor(TPersistent* Obj);
    // The same walk; every TFountainColor found gets, through its setters, Color's BkColor
    // (Flags holds 1), Color (2) and Style (4).
    void ApplyColorToAll(TPersistent* Obj, TFountainColor* Color, int Flags);

    // FileExtList, Brackets, Reserve, ReserveWordList.
    void VisitPublished(TPropertyVisitor& Visitor) override;

protected:
    // A new colour that reports into the notification list.
    virtual std::unique_ptr<TFountainColor> CreateFountainColor();
    virtual void CreateReserve();
    // A TFountainBracketCollection owned by this scheme that reports into the list.
    virtual std::unique_ptr<TFountainBracketCollection> CreateBrackets();
    virtual TFountainParserClass GetParserClass() = 0;
    // Hooks for schemes that bring their own brackets or words.
    virtual void InitBrackets() {}
    virtual void InitReserveWordList() {}
    // The property callbacks of the two walks: Color was found as property PropName.
    virtual void HasItalicColorProc(TFountainColor* Color, const std::string& PropName);
    virtual void ApplyColorToAllProc(TFountainColor* Color, const std::string& PropName);

    // Builds the owned parts (see the class comment); descendants call the base first.
    virtual void CreateParts();
    void EnsureParts() const {
        if (!FPartsCreated) const_cast<TFountain*>(this)->RunCreateParts();
    }

    std::unique_ptr<TFountainBracketCollection> FBrackets;
    std::unique_ptr<TNotifyEventList> FNotifyEventList;
    std::unique_ptr<TFountainColor> FReserve;
    std::unique_ptr<TStringList> FReserveWordList;

private:
    using TColorProc = void (TFountain::*)(TFountainColor*, const std::string&);
    void RunCreateParts();
    void WalkColors(TPersistent* Obj, TColorProc Proc, int Depth);

    // Working fields of the walks.
    bool FItalicFound = false;
    TFountainColor* FApplyColor = nullptr;
    int FApplyFlags = 0;
    bool FPartsCreated = false;
};
