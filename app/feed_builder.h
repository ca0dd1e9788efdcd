// The RSS 1.0 (RDF/XML) feed: escaping, the document assembled in the hidden editor
// Editor1, its UTF-8 bytes, and writing it to a file.
#pragma once

#include <ctime>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/app_data.h"

class TEditor;
class TStrings;

// '&', '"', '<' and '>' as entity references, character by character (a double-byte
// character is copied whole); nothing else changes.
std::string EscapeXml(std::string_view S);

// How many items from the top the feed writes: all with AllItems, otherwise at most
// Data.SpinEdit1 (0 or less: none).
int FeedItemCount(const TAppData& Data, bool AllItems);

// BuildFeed(AllItems): empties FOutput, clears Editor1 and assembles the document in its
// Lines; then the rows, joined with LF, go to FOutput as its one entry of UTF-8 bytes.
// AllItems writes every item, otherwise at most Data.SpinEdit1 from the top (0 or less:
// none). An empty FSiteDescription becomes EscapeXml(NameE) in Data.Settings. Now is the
// channel's time stamp. Control characters other than tab are left out of the bytes, and
// bytes without a CP932 character become U+30FB.
void BuildFeed(bool AllItems, TAppData& Data, TEditor& Editor1, TStrings& FOutput,
               std::time_t Now = std::time(nullptr));
// The file's bytes: FOutput's entry followed by CR LF, no byte-order mark.
std::string FeedFileBytes(const TStrings& FOutput);
// BuildFeed, then the bytes replace FileName atomically; Editor1 and FOutput are emptied
// on every path. A file that cannot be written raises EFCreateError
// "ファイル "%s" を作成できません。%s" and the previous file stays as it was.
// The first of Inputs that Output names (the same file, links followed), or "" when none:
// a feed written there would destroy an input.
std::string InputNamedBy(const std::string& Output, std::initializer_list<std::string> Inputs);
// The message that refuses such an output: "ファイル "%s" は "%s" と同じファイルです。...".
std::string SameFileMessage(const std::string& Output, const std::string& Input);

void WriteFeed(const std::string& FileName, bool AllItems, TAppData& Data, TEditor& Editor1,
               TStrings& FOutput, std::time_t Now = std::time(nullptr));
