// Face-name mapping: the Japanese Windows faces go to the IPA fonts, whose half-width
// glyphs are exactly half of the full-width ones as in the faces they replace.
#include "platform/qt/font_map.h"

#include "platform/cp932.h"

namespace qtbackend {

namespace {
struct TFaceMapping {
    const char* Windows; // UTF-8
    const char* Installed;
};

const TFaceMapping GFaces[] = {
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"FixedSys", "IPAGothic"},
    {"Tahoma", "Sans Serif"},
};
} // namespace

QString MappedFamily(const std::string& WindowsFace) {
    const std::string Utf8 = cp932::ToUtf8(WindowsFace);
    for (const auto& F : GFaces)
        if (Utf8 == F.Windows) return QString::fromLatin1(F.Installed);
    return QString::fromStdString(Utf8);
}

QFont MappedFont(const std::string& WindowsFace, int PixelHeight) {
    QFont F(MappedFamily(WindowsFace));
    F.setPixelSize(PixelHeight > 0 ? PixelHeight : 12);
    F.setStyleHint(QFont::SansSerif);
    return F;
}

} // namespace qtbackend
