// The feed item store: four parallel string lists (links, times, descriptions, titles)
// of equal length, the one-line description encoding and the time stamp.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
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

// The four lists in their fixed order. Every operation changes all four at the same
// index, in this order, before it returns; index 0 is the top (the newest item).
enum TItemListKind : uint8_t { ilLink, ilTime, ilDes, ilItem };
inline constexpr int ItemListCount = 4;

class TItemStore {
public:
    int Count() const { return static_cast<int>(FLists[ilItem].size()); }
    // Index errors raise EStringListError "リストのインデックスが範囲を超えています".
    TFeedItem Item(int Index) const;
    const std::string& Link(int Index) const { return Entry(ilLink, Index); }
    const std::string& Time(int Index) const { return Entry(ilTime, Index); }
    const std::string& Description(int Index) const { return Entry(ilDes, Index); }
    const std::string& Title(int Index) const { return Entry(ilItem, Index); }

    // The list of one kind: linkList, TimeList, DesList or ItemList (read only; the
    // visible list box mirrors List(ilItem)).
    const std::vector<std::string>& List(TItemListKind Kind) const { return FLists[Kind]; }

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
    std::vector<std::string>& MutableList(TItemListKind Kind) { return FLists[Kind]; }
    // After a reader stopped part-way: brings the four lists back to equal length. Lists
    // shorter than the longest get empty entries at their bottom, so no entry that was
    // read is lost and the entries that were read stay at their indices.
    void EqualizeLengths();
    bool LengthsEqual() const;

private:
    const std::string& Entry(TItemListKind Kind, int Index) const;
    std::array<std::vector<std::string>, ItemListCount> FLists;
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
