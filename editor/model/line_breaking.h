// Line breaking: the column cursor over one line and the cutting of lines into screen rows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "editor/model/dbcs.h"
#include "editor/model/row_string_list.h"
#include "editor/model/wrap_option.h"

// A cursor over the columns of one line. FAttr is the line's column map with the end
// mark '0' appended; FPos is the current column (1-based); FSrcPos the number of bytes of
// the line up to and including the current column (tab fill columns add nothing, the end
// mark counts as one).
//
// The cursor does not copy the line: the text passed to Init must outlive its use. The
// map storage is kept between Inits, so re-initialising allocates nothing once warm.
class TEditorAttributeArray {
public:
    static constexpr char EndMark = '0';

    TEditorAttributeArray() = default;
    TEditorAttributeArray(std::string_view S, std::string_view Attr) { Init(S, Attr); }

    // Takes S and its column map Attr and stands on column 1.
    void Init(std::string_view S, std::string_view Attr);
    // Builds the column map of S (MakeColumnMap's rule and limit for P) and stands on column 1.
    void Init(std::string_view S, const TColumnParams& P);

    // Number of columns, without the end mark.
    int ColumnCount() const { return static_cast<int>(FAttr.size()) - 1; }
    void Next();
    // Exactly undoes a Next that moved.
    void Prev();
    // Next or Prev until FPos = Column (or the end mark / column 1).
    void MoveTo(int Column);
    // Prev, and once more when the column reached is a lead byte: back by one character.
    void PrevChar();

    // The character of the current column: empty on the end mark; the two bytes of a
    // double-byte character on its lead or trail column; else one byte (a tab on its fill).
    std::string_view CurrentChar() const;
    // The character of the following column (empty on or before the end mark).
    std::string_view NextChar();

    int GetPos() const { return FPos; }
    char GetAttrChar() const { return FAttrChar; }
    int GetSrcPos() const { return FSrcPos; }
    bool AtEnd() const { return FAttrChar == EndMark; }
    std::string_view GetStr() const { return FStr; }
    // The map with its end mark.
    const std::string& GetAttr() const { return FAttr; }

private:
    void Start();
    std::string_view Bytes(int Start, int Length) const;

    std::string_view FStr;
    std::string FAttr;
    int FPos = 0;
    char FAttrChar = '\0';
    int FSrcPos = 0;
};

// Cuts lines into screen rows by the options of a TEditorWrapOption. The screen rows own
// one: they keep its word-wrap flag, tab width and delimiters in step with their owner
// editor and forward WrapText and WrapCount to it. The option object is only referenced;
// without one the default options apply.
class TEditorWrapper {
public:
    class TCutter;

    explicit TEditorWrapper(const TEditorWrapOption* WrapOption = nullptr) : FWrapOption(WrapOption) {}

    const TEditorWrapOption* GetWrapOption() const { return FWrapOption; }
    void SetWrapOption(const TEditorWrapOption* Value) { FWrapOption = Value; }
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value) { FWordWrap = Value; }
    // The owner editor's Caret.TabSpaceCount.
    int GetTabSpaceCount() const { return FTabSpaceCount; }
    void SetTabSpaceCount(int Value) { FTabSpaceCount = Value; }
    // The owner editor's Delimiters (copied).
    const TDelimiters& GetDelimiters() const { return FDelimiters; }
    void SetDelimiters(const TDelimiters& Value) { FDelimiters = Value; }

    // The options in force (the referenced object or the defaults).
    const TEditorWrapOption& Option() const;
    // The column-map parameters of the rows: delimiters, tab width, word wrap, WrapByte.
    TColumnParams ColumnParams() const;

    // Replaces the rows of Rows by the rows of the text S (lines split at CR LF, CR or LF),
    // each with its RowAttribute (raWrapped inside a line, raCrlf at its end), inside one
    // update bracket of Rows. An empty S gives one empty raCrlf row. The caller sets the
    // last row's attribute afterwards.
    void WrapText(std::string_view S, TRowAttributeStringList& Rows) const;
    // Rows that the line Line needs: 1 with word wrap off.
    int WrapCount(std::string_view Line) const;

    // Calls Emit(Row, Attribute) for every row of the single line Line (no line breaks
    // in it), as word wrap cuts it; the rows joined give back Line.
    template <class F> void CutLine(std::string_view Line, F&& Emit) const;

private:
    // What a cut looks up per character, built from the options and delimiters.
    struct TTables;
    // The tables for the options as they stand now (rebuilt when they have changed).
    std::shared_ptr<const TTables> Tables() const;

    const TEditorWrapOption* FWrapOption;
    bool FWordWrap = false;
    int FTabSpaceCount = 8;
    TDelimiters FDelimiters = DefaultDelimiters();
    mutable std::shared_ptr<const TTables> FTables;
};

// Cuts lines one after the other with the options of a wrapper as they stood when the cutter
// was made (they must not change while it is used): Start on a line, then NextRow until it
// says false. The cut works on a column map of at most WrapByte + 3 columns per row in a
// buffer of its own, so it allocates nothing and costs O(WrapByte) per row however long the
// line is.
class TEditorWrapper::TCutter {
public:
    explicit TCutter(const TEditorWrapper& Wrapper);
    TCutter(const TEditorWrapper& Wrapper, std::string_view Line) : TCutter(Wrapper) { Start(Line); }

    // Starts on Line (no line breaks in it; it must outlive the cut).
    void Start(std::string_view Line);
    // The next row of the line; false when the line is done.
    bool NextRow(std::string_view& Row, TRowAttribute& Attribute);
    // Whether the line has no rows left.
    bool Done() const { return FDone; }

private:
    // The longest map: WrapByte + 2 columns and then a tab of up to WrapByte columns, and the
    // end mark.
    static constexpr int MapSize = 2 * TEditorWrapOption::MaxWrapByte + 4;

    // Fills FMap with the column map of FRest up to WrapByte + 3 columns and the end mark,
    // and stands on column min(WrapByte, columns + 1) as MoveTo(WrapByte) from column 1 would.
    // The bytes are looked at as bit masks (16 at a time with SSE2), lead and trail bytes are
    // paired on the masks and the codes are written eight at a time.
    void MapRest();
    // Moves the cursor to where the row that starts at FRest must end.
    void FindBreak();

    // The column cursor of TEditorAttributeArray, on FMap and FRest.
    void Next() {
        if (FAttrChar == TEditorAttributeArray::EndMark) return;
        ++FPos;
        FAttrChar = FMap[FPos - 1];
        if (FAttrChar != cmTabFill) ++FSrcPos;
    }
    void Prev() {
        if (FPos <= 1) return;
        if (FAttrChar != cmTabFill) --FSrcPos;
        --FPos;
        FAttrChar = FMap[FPos - 1];
    }
    void PrevChar() {
        Prev();
        if (FAttrChar == cmLead) Prev();
    }
    std::string_view CurrentChar() const;
    std::string_view NextChar() {
        if (FAttrChar == TEditorAttributeArray::EndMark) return {};
        Next();
        const std::string_view C = CurrentChar();
        Prev();
        return C;
    }

    std::shared_ptr<const TTables> FTables;
    TColumnParams FParams;
    int FWrapByte;
    bool FFollowRetMark, FFollowPunctuation, FLeading, FWordBreak;
    std::string_view FLine;
    std::string_view FRest;
    size_t FOffset = 0; // start of FRest in FLine
    bool FDone = true;
    bool FStarted = false;
    int FColumns = 0;
    int FPos = 0;
    int FSrcPos = 0;
    char FAttrChar = '\0';
    char FMap[MapSize];
};

template <class F> void TEditorWrapper::CutLine(std::string_view Line, F&& Emit) const {
    TCutter Cutter(*this, Line);
    std::string_view Row;
    TRowAttribute Attribute;
    while (Cutter.NextRow(Row, Attribute)) Emit(Row, Attribute);
}
