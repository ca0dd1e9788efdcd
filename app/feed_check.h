// The feed check: what feed readers and validators will stumble over in the feed that
// the data gives, found before it is published. It reads the data and changes nothing,
// so the feed's bytes are the same whether the check ran or not.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_data.h"

enum TFindingKind : uint8_t {
    fkDuplicateLink,     // two written items share one link, hence one rdf:about
    fkBadLink,           // an item link or the site URL is no absolute http or https URL
    fkEmptyTitle,        // an item shows as a blank entry
    fkBadTime,           // a time stamp (or the time zone of the settings) is no W3C date and time
    fkChangedCharacters, // characters the feed drops or replaces (controls, line breaks, unmapped bytes)
    fkBrokenMarkup,      // the raw site description or a style sheet path breaks the document
    fkItemsLeftOut,      // items beyond "Max RSS Item"
    fkEmptySiteName,
};

// Error: the feed will not parse, or readers will lose an item. Warning: it will show
// wrongly. Note: worth knowing.
enum TFindingSeverity : uint8_t { fsError, fsWarning, fsNote };

struct TFinding {
    TFindingKind Kind;
    TFindingSeverity Severity;
    int ItemIndex = -1; // the item concerned (index into the store), or -1
    std::string Title;  // that item's title (CP932)
    std::string Message; // CP932, Japanese
};

// The findings for the feed that "RSS作成(&R)" would write from Data now: the site
// fields and settings first, then the written items from the top, then the items left
// out. Items beyond the limit are not written, so only their number is reported.
std::vector<TFinding> CheckFeed(const TAppData& Data);

// "エラー", "警告", "注意" (CP932).
std::string SeverityName(TFindingSeverity Severity);
// One row of the check dialog: "[警告] アイテム 2「題名」: message" (CP932); the item is
// counted from 1 at the top of the list.
std::string FindingText(const TFinding& Finding);

// A W3C date and time: "yyyy", "yyyy-mm", "yyyy-mm-dd", or a date with "Thh:mm",
// optional ":ss" and fraction, and a zone "Z" or "+hh:mm"/"-hh:mm". Fields in range.
bool IsW3cDateTime(std::string_view S);
// "http://" or "https://" (any case) followed by a host, without blanks or controls.
bool IsAbsoluteHttpUrl(std::string_view S);
// Whether S may stand as the content of an element: character and entity references of
// XML's own, balanced tags with quoted attributes, comments and CDATA sections. When not,
// Problem (if given) says why, in Japanese (CP932).
bool IsWellFormedContent(std::string_view S, std::string* Problem = nullptr);
