// The system's reason for a failed call, as CP932 text for messages.
#include "platform/sys_error.h"

#include <locale.h>
#include <string.h>

#include "platform/cp932.h"

namespace {

bool IsAscii(const std::string& S) {
    for (char C : S)
        if (static_cast<unsigned char>(C) >= 0x80) return false;
    return true;
}

} // namespace

std::string SysErrorMessage(int ErrorCode) {
    // The user's locale (set by the toolkit) gives UTF-8 text; anything that does not
    // convert cleanly falls back to the C locale's text.
    std::string Text = strerror(ErrorCode);
    if (IsAscii(Text)) return Text;
    std::string Converted = cp932::FromUtf8(Text);
    if (Converted.find('?') == std::string::npos && cp932::ToUtf8(Converted) == Text) return Converted;
    locale_t C = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (C == static_cast<locale_t>(nullptr)) return Converted;
    std::string Plain = strerror_l(ErrorCode, C);
    freelocale(C);
    return Plain;
}
