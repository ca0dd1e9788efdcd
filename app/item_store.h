// The feed item store: four parallel string lists (links, times, descriptions, titles)
// of equal length, the one-line description encoding and the time stamp.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

class TEditor;
class TStrings;

// One item: the entries at one index of the four lists.
struct TFeedItem {
    std::string Link;        // linkList
    std::string Time;        // TimeList
    std::string Description; // DesList, encoded: every row followed by '|'
    std::string Title;       // ItemList
};

// One list of the store, packed: the entries' bytes one after the other in one block and
// the end offset of each entry (4 bytes an entry beyond its text). Empty entries at the
// bottom are only counted: padding a list to the length of the others costs nothing, and a
// list of empty entries holds no offsets. Index 0 is the top. Edits move the bytes and
// offsets below the entry (O(n) memmove), which happens once per user command; reading
// appends at the bottom in amortised constant time.
class TPackedStrings {
public:
    int Count() const { return static_cast<int>(FCount); }
    // The entry at Index (0 <= Index < Count(), unchecked); valid until the list changes.
    std::string_view operator[](int Index) const {
        const auto I = static_cast<size_t>(Index);
        if (I >= FEnds.size()) return {};
        const uint32_t Start = I == 0 ? 0 : FEnds[I - 1];
        return {FBytes.data() + Start, FEnds[I] - Start};
    }

    // The operations below leave the list as it was when they fail (std::bad_alloc, also
    // for a list whose text would pass 4 GiB or whose count would pass INT_MAX).
    void Append(std::string_view S);
    void Insert(int Index, std::string_view S); // 0 <= Index <= Count()
    void Set(int Index, std::string_view S);    // 0 <= Index < Count()
    void Delete(int Index);                     // 0 <= Index < Count()
    // The entry at From is taken out and inserted again at To (both below Count()).
    void Move(int From, int To);
    // Room for storing Bytes more bytes and one more entry at or above Index: after it,
    // Insert(Index, S) and Set(Index, S) with S.size() <= Bytes, and Move between indices
    // up to Index, allocate nothing and cannot fail. The store reserves in all four lists
    // before it changes any, so that an item is changed in all of them or in none.
    void Reserve(int Index, size_t Bytes);
    // Below Count the bottom entries go; above it, empty entries join at the bottom. Never
    // fails: padding allocates nothing.
    void Resize(int NewCount) noexcept;
    void Clear() noexcept;

    // Bytes allocated (text, offsets and spare capacity), for tests and benchmarks. A text
    // short enough to stay inside the string object allocates nothing.
    size_t MemoryUsed() const {
        const size_t Text = FBytes.capacity() > std::string().capacity() ? FBytes.capacity() + 1 : 0;
        return Text + FEnds.capacity() * sizeof(uint32_t);
    }

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;
        const_iterator(const TPackedStrings* List, int Index) : FList(List), FIndex(Index) {}
        std::string_view operator*() const { return (*FList)[FIndex]; }
        const_iterator& operator++() {
            ++FIndex;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator Old = *this;
            ++FIndex;
            return Old;
        }
        bool operator==(const const_iterator& O) const { return FIndex == O.FIndex; }
        bool operator!=(const const_iterator& O) const { return FIndex != O.FIndex; }

    private:
        const TPackedStrings* FList;
        int FIndex;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, Count()}; }
    friend bool operator==(const TPackedStrings& A, const TPackedStrings& B) {
        return A.Count() == B.Count() && std::equal(A.begin(), A.end(), B.begin());
    }

private:
    // Stores offsets for the counted empty entries above Index, so that entry Index - 1 and
    // those above it are stored.
    void Store(size_t Index);
    uint32_t Start(size_t Index) const { return Index == 0 ? 0 : FEnds[Index - 1]; }

    std::string FBytes;          // the stored entries' text, top first
    std::vector<uint32_t> FEnds; // FEnds[I]: where entry I ends in FBytes
    size_t FCount = 0;           // entries; those at FEnds.size() and below are empty
};

// The four lists in their fixed order. Every operation changes all four at the same
// index, in this order, before it returns; index 0 is the top (the newest item).
enum TItemListKind : uint8_t { ilLink, ilTime, ilDes, ilItem };
inline constexpr int ItemListCount = 4;

class TItemStore {
public:
    int Count() const { return FLists[ilItem].Count(); }
    // Index errors raise EStringListError "リストのインデックスが範囲を超えています".
    // The views stay valid until the store changes.
    TFeedItem Item(int Index) const;
    std::string_view Link(int Index) const { return Entry(ilLink, Index); }
    std::string_view Time(int Index) const { return Entry(ilTime, Index); }
    std::string_view Description(int Index) const { return Entry(ilDes, Index); }
    std::string_view Title(int Index) const { return Entry(ilItem, Index); }

    // The list of one kind: linkList, TimeList, DesList or ItemList (read only; the
    // visible list box shows List(ilItem)).
    const TPackedStrings& List(TItemListKind Kind) const { return FLists[Kind]; }

    // Add (and add by reference): the item goes in at index 0. The caller gives the time
    // (TimeStamp for a new item).
    void InsertItem(const TFeedItem& Item);
    // Edit: the four entries at Index are replaced (EStringListError when out of range).
    void PutItem(int Index, const TFeedItem& Item);
    // Delete: the entry at Index goes from each list (EStringListError when out of range).
    void DeleteItem(int Index);
    // MoveItem(Delta): the item at Index changes places with its neighbour at
    // Index + Delta; returns the new index. Nothing moves (and Index comes back) when
    // either index lies outside the store.
    int MoveItem(int Index, int Delta);
    // While MaxItems is less than the number of items, the bottom item goes; stops at an
    // empty store whatever MaxItems is (also negative).
    void TrimItems(int32_t MaxItems);
    void Clear();

    // For the state file reader: the list of one kind, replaced while it is read, so the
    // lengths may differ until EqualizeLengths runs.
    TPackedStrings& MutableList(TItemListKind Kind) { return FLists[Kind]; }
    // After a reader stopped part-way: brings the four lists back to equal length. Lists
    // shorter than the longest get empty entries at their bottom, so no entry that was
    // read is lost and the entries that were read stay at their indices. Allocates
    // nothing, so it also works after running out of memory.
    void EqualizeLengths() noexcept;
    bool LengthsEqual() const;

    // Items below the kept ones that a bounded reader read through and dropped (see
    // ReadStateImages); 0 after a whole read. The feed check counts them as left out.
    int64_t NotKept() const { return FNotKept; }
    void SetNotKept(int64_t N) { FNotKept = N; }

private:
    std::string_view Entry(TItemListKind Kind, int Index) const;
    std::array<TPackedStrings, ItemListCount> FLists;
    int64_t FNotKept = 0;
};

// The length of the character at byte I of a CP932 text, as the conversion to UTF-16 sees
// it: 2 for a lead byte followed by a trail byte (0x40-0x7E, 0x80-0xFC), otherwise 1. A lead
// byte followed by anything else stands alone, so that the byte after it keeps its meaning.
inline size_t CharLength(std::string_view S, size_t I) {
    if (I + 1 >= S.size()) return 1;
    const auto Lead = static_cast<unsigned char>(S[I]), Trail = static_cast<unsigned char>(S[I + 1]);
    const bool IsLead = (Lead >= 0x81 && Lead <= 0x9F) || (Lead >= 0xE0 && Lead <= 0xFC);
    const bool IsTrail = (Trail >= 0x40 && Trail <= 0x7E) || (Trail >= 0x80 && Trail <= 0xFC);
    return IsLead && IsTrail ? 2 : 1;
}

// The description editor's rows as one line: every row followed by '|' (no rows: "").
std::string JoinDescription(const TStrings& Lines);
// The stored description back as text for Lines.Add: walked character by character (a
// double-byte character is one character, so a trail byte 0x7C is no separator), a '|'
// that is the last character is dropped, every other '|' becomes CR LF.
std::string DecodeDescription(std::string_view Encoded);
// ShowDescription: Clear the editor, then add the decoded description in one call.
void ShowDescription(TEditor& Editor, std::string_view Encoded);

// "yyyy-mm-ddThh:mm:ss" of the local time Now, followed by TimeZone ("+09:00").
std::string TimeStampAt(std::time_t Now, std::string_view TimeZone);
// TimeStampAt of the current time.
std::string TimeStamp(std::string_view TimeZone);
