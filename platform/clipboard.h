// The clipboard: text as CP932 with CR LF, private formats registered by name.
#pragma once

#include <cstdint>
#include <string>

using TClipboardFormat = uint32_t;
// The text format.
inline constexpr TClipboardFormat CF_TEXT = 1;

// A private format for Name (case-insensitive): the same number for the same name for the
// whole run, numbers from 0xC000 up as on Win32.
TClipboardFormat RegisterClipboardFormat(const std::string& Name);
// The name a private format was registered with; empty for another number.
std::string ClipboardFormatName(TClipboardFormat Format);

// The system clipboard. Open/Close bracket several writes into one clipboard content: the
// first write inside a bracket empties the clipboard, Close publishes what was written.
// A write outside a bracket opens and closes by itself, so it replaces the whole content.
// Brackets nest (counted).
class TClipboard {
public:
    virtual ~TClipboard() = default;

    virtual void Open() = 0;
    virtual void Close() = 0;
    // Empties the clipboard.
    virtual void Clear() = 0;

    // Text as CP932 bytes with CR LF line breaks (what other programs put there is
    // converted). Empty when there is none.
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& Cp932) = 0;
    // Bytes under a private format (RegisterClipboardFormat).
    virtual void SetFormatData(TClipboardFormat Format, const std::string& Bytes) = 0;
    virtual std::string GetFormatData(TClipboardFormat Format) const = 0;
    // Whether the clipboard holds text (CF_TEXT) or the given private format.
    virtual bool HasFormat(TClipboardFormat Format) const = 0;
};

// Open/Close as a guard, so that every path closes what it opened.
class TClipboardOpen {
public:
    explicit TClipboardOpen(TClipboard& C) : FClipboard(C) { FClipboard.Open(); }
    ~TClipboardOpen() { FClipboard.Close(); }
    TClipboardOpen(const TClipboardOpen&) = delete;
    TClipboardOpen& operator=(const TClipboardOpen&) = delete;

private:
    TClipboard& FClipboard;
};

// The clipboard of this process, installed by the program's main (or a test); nullptr until then.
TClipboard* Clipboard();
void SetClipboard(TClipboard* Value);
