// Stub until filled in.
#include "app/feed_builder.h"
#include "platform/exceptions.h"
std::string EscapeXml(std::string_view) {
    throw Exception("not yet");
}
void BuildFeed(bool, TAppData&, TEditor&, TStrings&, std::time_t) {
    throw Exception("not yet");
}
std::string FeedFileBytes(const TStrings&) {
    throw Exception("not yet");
}
void WriteFeed(const std::string&, bool, TAppData&, TEditor&, TStrings&, std::time_t) {
    throw Exception("not yet");
}
