// Private clipboard format numbers by name, and the process's clipboard.
#include "platform/clipboard.h"

#include <vector>

namespace {
TClipboard* GClipboard = nullptr;

constexpr TClipboardFormat kFirstPrivateFormat = 0xC000;

std::vector<std::string>& FormatNames() {
    static std::vector<std::string> Names;
    return Names;
}

bool SameNameIgnoringCase(const std::string& A, const std::string& B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I) {
        char X = A[I], Y = B[I];
        if (X >= 'a' && X <= 'z') X = static_cast<char>(X - 32);
        if (Y >= 'a' && Y <= 'z') Y = static_cast<char>(Y - 32);
        if (X != Y) return false;
    }
    return true;
}
} // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& Name) {
    auto& Names = FormatNames();
    for (size_t I = 0; I < Names.size(); ++I)
        if (SameNameIgnoringCase(Names[I], Name))
            return kFirstPrivateFormat + static_cast<TClipboardFormat>(I);
    Names.push_back(Name);
    return kFirstPrivateFormat + static_cast<TClipboardFormat>(Names.size() - 1);
}

std::string ClipboardFormatName(TClipboardFormat Format) {
    const auto& Names = FormatNames();
    if (Format < kFirstPrivateFormat || Format - kFirstPrivateFormat >= Names.size()) return {};
    return Names[Format - kFirstPrivateFormat];
}

TClipboard* Clipboard() {
    return GClipboard;
}
void SetClipboard(TClipboard* Value) {
    GClipboard = Value;
}
