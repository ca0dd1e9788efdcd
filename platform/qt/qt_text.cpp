// CP932 <-> QString through UTF-16, by Windows' table.
#include "platform/qt/qt_text.h"

#include "platform/cp932.h"

namespace qtbackend {

QString ToQString(const std::string& Cp932) {
    const std::u16string U = cp932::ToUtf16(Cp932);
    return QString::fromUtf16(U.data(), static_cast<qsizetype>(U.size()));
}

std::string FromQString(const QString& S) {
    return cp932::FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<size_t>(S.size())));
}

} // namespace qtbackend
