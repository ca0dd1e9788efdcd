// An in-memory clipboard with the bracket rules of the real one.
#pragma once

#include <map>

#include "platform/clipboard.h"

class TMemoryClipboard : public TClipboard {
public:
    // Published content by format (CF_TEXT for the text).
    std::map<TClipboardFormat, std::string> Content;
    int Publishes = 0; // how many times a content was published

    void Open() override { ++FOpen; }
    void Close() override {
        if (FOpen == 0 || --FOpen > 0 || !FWriting) return;
        Content = FPending;
        FPending.clear();
        FWriting = false;
        ++Publishes;
    }
    void Clear() override {
        if (FOpen > 0) {
            FPending.clear();
            FWriting = true;
            return;
        }
        Content.clear();
        ++Publishes;
    }
    std::string GetText() const override { return GetFormatData(CF_TEXT); }
    void SetText(const std::string& Cp932) override { SetFormatData(CF_TEXT, Cp932); }
    void SetFormatData(TClipboardFormat Format, const std::string& Bytes) override {
        TClipboardOpen Guard(*this);
        if (!FWriting) {
            FPending.clear();
            FWriting = true;
        }
        FPending[Format] = Bytes;
    }
    std::string GetFormatData(TClipboardFormat Format) const override {
        const auto It = Content.find(Format);
        return It == Content.end() ? std::string() : It->second;
    }
    bool HasFormat(TClipboardFormat Format) const override { return Content.count(Format) != 0; }

private:
    int FOpen = 0;
    bool FWriting = false;
    std::map<TClipboardFormat, std::string> FPending;
};
