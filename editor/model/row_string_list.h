// The row lists of the editor: rows of CP932 text, each with a parser state string, a free
// integer and two words of packed attributes (how the row ends, colouring state, marks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/classes.h"

// An immutable byte string shared by counting: a slice (offset and length) of a counted
// block. A string made from bytes gets a block of its own (the bytes followed by a NUL); a
// loaded text keeps many rows as slices of one large block, and a wrapped row is a slice
// of its line's bytes. A string made from no bytes is the null block. Copying bumps the
// count; the handle is trivially relocatable, so arrays of rows move with memmove. The
// handle names its block by number in a table of all blocks (three 32-bit words instead of
// a pointer and two: the row record is what 1.6 million rows cost); numbers of freed blocks
// are used again. Single-threaded: neither the count nor the table is guarded.
class TRowString {
public:
    TRowString() noexcept = default;
    explicit TRowString(std::string_view S);
    // Length bytes of Whole from Offset on, sharing its block (a slice of no bytes holds the
    // block too, so that its place in it is known). The range must lie inside Whole.
    // Inline: WrapAll makes one for every row it cuts.
    TRowString(const TRowString& Whole, size_t Offset, size_t Length) noexcept {
        if (Whole.FBlock == 0) return;
        FBlock = Whole.FBlock;
        ++Block()->RefCount;
        FOffset = Whole.FOffset + static_cast<uint32_t>(Offset);
        FLength = static_cast<int32_t>(Length);
    }
    // A new block of Size bytes (at most MaxBlockBytes) for the caller to fill through
    // Bytes before any slice of it is taken; a NUL follows the bytes.
    static TRowString NewBlock(size_t Size, char*& Bytes);
    static constexpr size_t MaxBlockBytes = static_cast<size_t>(INT32_MAX) - 64;

    TRowString(const TRowString& Other) noexcept
        : FBlock(Other.FBlock), FOffset(Other.FOffset), FLength(Other.FLength) {
        if (FBlock != 0) ++Block()->RefCount;
    }
    TRowString(TRowString&& Other) noexcept
        : FBlock(Other.FBlock), FOffset(Other.FOffset), FLength(Other.FLength) {
        Other.FBlock = 0;
        Other.FOffset = 0;
        Other.FLength = 0;
    }
    TRowString& operator=(const TRowString& Other) noexcept {
        TRowString Copy(Other);
        Swap(Copy);
        return *this;
    }
    TRowString& operator=(TRowString&& Other) noexcept {
        TRowString Moved(std::move(Other));
        Swap(Moved);
        return *this;
    }
    ~TRowString() {
        if (FBlock != 0) Release(); // moved-from and empty handles cost no call
    }

    // The bytes; "" for an empty string. A string made from bytes is NUL-terminated, a
    // slice is not (use Length).
    const char* Data() const noexcept { return FBlock != 0 ? Block()->Bytes() + FOffset : ""; }
    int Length() const noexcept { return FLength; }
    bool Empty() const noexcept { return FLength == 0; }
    std::string_view View() const noexcept {
        return FBlock != 0 ? std::string_view(Block()->Bytes() + FOffset, static_cast<size_t>(FLength))
                           : std::string_view();
    }
    std::string ToString() const { return std::string(View()); }
    // How many handles share the block (0 for an empty string).
    int RefCount() const noexcept { return FBlock != 0 ? Block()->RefCount : 0; }
    // Asks the processor to fetch the first 128 bytes (nothing is read; a hint for loops
    // that are about to reach the bytes).
    void Prefetch() const noexcept {
        if (FBlock == 0) return;
        const auto Address = reinterpret_cast<std::uintptr_t>(Block()->Bytes() + FOffset);
        __builtin_prefetch(reinterpret_cast<const void*>(Address));
        __builtin_prefetch(reinterpret_cast<const void*>(Address + 64));
    }
    // Whether both handles share one block (or both are empty).
    bool SharesWith(const TRowString& Other) const noexcept { return FBlock == Other.FBlock; }
    // Whether this string lies in the block of Before, Gap bytes after Before's end.
    bool Follows(const TRowString& Before, uint32_t Gap) const noexcept {
        return FBlock != 0 && FBlock == Before.FBlock &&
               FOffset == Before.FOffset + static_cast<uint32_t>(Before.FLength) + Gap;
    }
    void Swap(TRowString& Other) noexcept {
        std::swap(FBlock, Other.FBlock);
        std::swap(FOffset, Other.FOffset);
        std::swap(FLength, Other.FLength);
    }

    friend bool operator==(const TRowString& A, const TRowString& B) noexcept {
        return (A.FBlock == B.FBlock && A.FOffset == B.FOffset && A.FLength == B.FLength) ||
               A.View() == B.View();
    }
    friend bool operator==(const TRowString& A, std::string_view B) noexcept { return A.View() == B; }

private:
    struct TBlock {
        int RefCount;
        char* Bytes() noexcept { return reinterpret_cast<char*>(this + 1); }
    };
    // The table of blocks by number (entry 0 unused; it moves when it grows) and the numbers
    // free for reuse. Both live as long as the program (strings in static objects may go
    // after any destructor would have run); the free list keeps room for every number, so
    // that freeing a block never allocates.
    static inline TBlock** FBlocks = nullptr;
    static inline std::vector<TBlock*>* FTable = nullptr;
    static inline std::vector<uint32_t>* FFree = nullptr;
    TBlock* Block() const noexcept { return FBlocks[FBlock]; }
    // A number for Block in the table; throws bad_alloc (nothing registered) when the
    // table cannot grow.
    static uint32_t Register(TBlock* Block);
    void Release() noexcept;
    uint32_t FBlock = 0; // 0: no block
    uint32_t FOffset = 0;
    int32_t FLength = 0;
};

// A parser state string: one pointer to a counted block of its own (empty for almost every
// row, so the row's extra keeps only the pointer). Relocatable like TRowString.
class TStateString {
public:
    TStateString() noexcept = default;
    explicit TStateString(std::string_view S);
    TStateString(const TStateString& Other) noexcept : FBlock(Other.FBlock) {
        if (FBlock != nullptr) ++FBlock->RefCount;
    }
    TStateString(TStateString&& Other) noexcept : FBlock(Other.FBlock) { Other.FBlock = nullptr; }
    TStateString& operator=(const TStateString& Other) noexcept {
        TStateString Copy(Other);
        std::swap(FBlock, Copy.FBlock);
        return *this;
    }
    TStateString& operator=(TStateString&& Other) noexcept {
        TStateString Moved(std::move(Other));
        std::swap(FBlock, Moved.FBlock);
        return *this;
    }
    ~TStateString() {
        if (FBlock != nullptr && --FBlock->RefCount == 0) ::operator delete(FBlock);
    }
    std::string_view View() const noexcept {
        return FBlock != nullptr ? std::string_view(FBlock->Bytes(), static_cast<size_t>(FBlock->Length))
                                 : std::string_view();
    }
    std::string ToString() const { return std::string(View()); }
    friend bool operator==(const TStateString& A, std::string_view B) noexcept { return A.View() == B; }

private:
    struct TBlock {
        int RefCount;
        int Length;
        char* Bytes() noexcept { return reinterpret_cast<char*>(this + 1); }
    };
    TBlock* FBlock = nullptr;
};

// How a row ends.
enum TRowAttribute : uint8_t {
    raCrlf,    // the row ends its line: CR LF follows it in the text
    raWrapped, // the line goes on in the next row; no bytes between the two
    raEof,     // last row of the text, no line break after it
    raInvalid, // no row: reported for empty or out-of-range spans, never stored
};

// The marks on a row: bits 0-9 the numbered marks 0 to 9, bits 10-15 picture marks 0 to 5.
using TRowMarks = uint16_t;

// The colouring state of one row, unpacked, as it is handed to the colouring parser.
struct TRowAttributeData {
    TRowAttribute RowAttribute = raCrlf;
    TRowAttribute PrevRowAttribute = raCrlf;
    int32_t BracketIndex = -1; // -1 none, 0..13 an open bracket item, -2 not scanned
    int32_t ElementState = 0;  // these three hold a byte each
    int32_t CarryLength = 0;
    int32_t ExtraState = 0;
    uint8_t CarryToken = 0;
    uint8_t LastToken = 0;
    std::string StateStr;
};

// One row. A new row is all zero except its text. The record is what 1.6 million rows of a
// large text cost, so the two fields that almost no row uses (the parser state string and
// the free integer) live apart, in TRowExtra.
struct TRowStringItem {
    TRowString FString; // the row text, without line-break bytes
    // The fields that every row uses: RowAttribute 0-1, PrevRowAttribute 2-3, BracketIndex+2
    // 4-7 and CarryLength 16-23 where the attribute word (GetAttributes) has them, CarryToken
    // 8-15 and LastToken 24-31 in the places of ElementState and ExtraState.
    uint32_t FAttributes = 0;
};

// The rarely used fields of a row, in an array parallel to the rows that a list makes only
// when a row first gets one of them other than zero (all zero until then): the parser state
// string and the two state bytes that only descendant parsers use, the marks, Data.
struct TRowExtra {
    TStateString FStateStr; // parser state string at the start of the row
    int32_t FData = 0;
    uint8_t FElementState = 0;
    uint8_t FExtraState = 0;
    TRowMarks FRowMarks = 0;
};

// A list of rows stored contiguously. Inserting and deleting move the tail of the array in
// one block (the items are relocatable). OnChanging/OnChange fire around every change of the
// text or of the number of rows, except inside an update bracket, which fires OnChanging once
// at its start and OnChange once at its end. Index errors raise EStringListError
// "リストのインデックスが範囲を超えています" and leave the list unchanged.
class TRowStringList : public TStrings {
public:
    TRowStringList() = default;
    ~TRowStringList() override;

    int Add(const std::string& S) override;
    std::string Get(int Index) const override;
    // Replaces the text only: attributes, data and state string stay.
    void Put(int Index, const std::string& S) override;
    int GetCount() const override { return FCount; }
    void Insert(int Index, const std::string& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Swaps the two whole rows (text, state string, data, both attribute words).
    void Exchange(int Index1, int Index2) override;
    int GetCapacity() const override { return FCapacity; }
    // Storage for exactly NewCapacity rows; a value below Count raises the index error.
    void SetCapacity(int NewCapacity) override;
    // The framework's text rules (TStrings), reading and writing the rows in place.
    std::string GetTextStr() const override;
    void SetTextStr(const std::string& Value) override;

    // The same operations on views and shared strings, without a temporary std::string.
    int AddRow(std::string_view S);
    void InsertRow(int Index, std::string_view S);
    void InsertRow(int Index, TRowString S);
    void PutRow(int Index, std::string_view S);
    void PutRow(int Index, TRowString S);

    // Inserts Count empty, zeroed rows at Index (0 <= Index <= Count), moving the tail once;
    // one OnChanging/OnChange pair.
    void InsertEmptyRows(int Index, int Count);
    // Deletes the rows Index .. Index+Count-1 (all inside the list), moving the tail once;
    // one OnChanging/OnChange pair. Count 0 does nothing.
    void DeleteRange(int Index, int Count);
    // Appends one raCrlf row per entry of Bounds (offset and length pairs into Block), as
    // slices of Block; the storage grows once. One OnChanging/OnChange pair.
    void AddSlices(const TRowString& Block, const uint32_t* Bounds, int Count);
    // Copies the whole row SourceIndex of Source (text and state string shared, data and both
    // attribute words) into row Index of this list. Fires no event, like the attribute setters.
    void AssignRow(int Index, const TRowStringList& Source, int SourceIndex);

    // In-place access to a row's text for the parser and the painter; valid until the row
    // changes. RowData is not NUL-terminated (a row may be a slice of a larger block).
    std::string_view RowView(int Index) const { return Item(Index).FString.View(); }
    const char* RowData(int Index) const { return Item(Index).FString.Data(); }
    int RowLength(int Index) const { return Item(Index).FString.Length(); }
    const TRowString& RowString(int Index) const { return Item(Index).FString; }
    // TRowString::Prefetch of the row's text; nothing outside the list.
    void PrefetchRow(int Index) const noexcept {
        if (Index >= 0 && Index < FCount) FList[Index].FString.Prefetch();
    }

    // Data[Index]
    int32_t GetData(int Index) const {
        Item(Index);
        return FExtra != nullptr ? FExtra[Index].FData : 0;
    }
    void SetData(int Index, int32_t Value);
    // StateStr[Index]
    std::string GetStateStr(int Index) const { return std::string(StateStrView(Index)); }
    std::string_view StateStrView(int Index) const {
        Item(Index);
        return FExtra != nullptr ? FExtra[Index].FStateStr.View() : std::string_view();
    }
    void SetStateStr(int Index, std::string_view Value);
    // The packed attribute words (index-checked); the accessors of TRowAttributeStringList
    // go through these. Attributes: RowAttribute 0-1, PrevRowAttribute 2-3, BracketIndex+2
    // 4-7, ElementState 8-15, CarryLength 16-23, ExtraState 24-31; ExtAttributes: CarryToken
    // 0-7, LastToken 8-15, RowMarks 16-31. They are put together from the row record and its
    // extra.
    uint32_t GetAttributes(int Index) const;
    void SetAttributes(int Index, uint32_t Value);
    uint32_t GetExtAttributes(int Index) const;
    void SetExtAttributes(int Index, uint32_t Value);

    int GetUpdateCount() const { return UpdateCount; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // OnChange / OnChanging, unless an update bracket is open.
    virtual void Changed();
    virtual void Changing();
    // true: OnChanging, then UpdateCount 1; false: UpdateCount 0, then OnChange.
    void SetUpdateState(bool Updating) override;

    // The row, index-checked.
    const TRowStringItem& Item(int Index) const {
        if (Index < 0 || Index >= FCount) Error();
        return FList[Index];
    }
    TRowStringItem& Item(int Index) {
        if (Index < 0 || Index >= FCount) Error();
        return FList[Index];
    }

    // Takes the rows of From (which is left empty) as this list's own; this list must hold
    // no rows and no storage. Nothing is copied.
    void TakeRows(TRowStringList& From) noexcept;
    // The row's TRowExtra, the array made (all zero) if the list has none yet.
    TRowExtra& Extra(int Index);

    TRowStringItem* FList = nullptr;
    // Parallel to FList (FCapacity entries, zero beyond FCount), or null while no row has a
    // state string or Data value.
    TRowExtra* FExtra = nullptr;
    int FCount = 0;
    int FCapacity = 0;
    int UpdateCount = 0;

private:
    void Grow(int Needed);
    // Opens a gap of Count zeroed rows at Index; the caller has checked Index and grown.
    void OpenGap(int Index, int Count) noexcept;
    void ReleaseAll() noexcept;
};

// A row list with accessors for every packed field. A getter reads the whole word and a
// setter writes it back with only its own bits replaced; no event fires. Values are masked
// to their field's width (0..3 for the row attributes, -2..13 for BracketIndex, a byte for
// the parser bytes, 16 bits for RowMarks), so a bad value cannot spill into its neighbours.
class TRowAttributeStringList : public TRowStringList {
public:
    TRowAttribute GetRowAttribute(int Index) const;
    void SetRowAttribute(int Index, TRowAttribute Value);
    TRowAttribute GetPrevRowAttribute(int Index) const;
    void SetPrevRowAttribute(int Index, TRowAttribute Value);
    int GetBracketIndex(int Index) const;
    void SetBracketIndex(int Index, int Value);
    int GetElementState(int Index) const;
    void SetElementState(int Index, int Value);
    int GetCarryLength(int Index) const;
    void SetCarryLength(int Index, int Value);
    int GetExtraState(int Index) const;
    void SetExtraState(int Index, int Value);
    int GetCarryToken(int Index) const;
    void SetCarryToken(int Index, int Value);
    int GetLastToken(int Index) const;
    void SetLastToken(int Index, int Value);
    TRowMarks GetRowMarks(int Index) const;
    void SetRowMarks(int Index, TRowMarks Value);

    // The whole colouring state of a row at once (RowAttribute and PrevRowAttribute included;
    // the marks are not part of it).
    void GetRowAttributeData(int Index, TRowAttributeData& Data) const;
    void SetRowAttributeData(int Index, const TRowAttributeData& Data);
    // Stores the state of Data except RowAttribute, which stays (what the colouring scan
    // keeps per row).
    void SetRowState(int Index, const TRowAttributeData& Data);
    // The not-scanned state: PrevRowAttribute raCrlf, BracketIndex -2, parser bytes 0, StateStr
    // empty; RowAttribute and marks stay.
    void ResetRowState(int Index);
    // Whether the row's stored PrevRowAttribute, BracketIndex, ElementState, CarryLength,
    // ExtraState, CarryToken, LastToken and StateStr equal those of Data.
    bool RowStateEquals(int Index, const TRowAttributeData& Data) const;

    // The text of rows as it lies in their block: Span holds rows up to Index (or nothing),
    // and takes the rows from Index on, up to End, while it holds fewer than Limit bytes and
    // each row lies in the block right after the one before, with the CR LF of a raCrlf row
    // between them. Returns the first row not taken. One pass over the row records, for
    // readers of a loaded or wrapped text that scan it where it lies.
    int SpanInPlace(int Index, int End, std::string_view& Span, size_t Limit) const noexcept;

protected:
    // RowAttribute of a row known to exist, unchecked (bits 0-1 of the first word), for loops
    // over every row.
    TRowAttribute RowAttributeAt(int Index) const noexcept {
        return static_cast<TRowAttribute>(FList[Index].FAttributes & 3u);
    }
};

// The class of all temporary row lists.
class TEditorStringList : public TRowAttributeStringList {};
