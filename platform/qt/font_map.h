// Maps the Windows face names of the window designs to installed fonts of the same metrics.
#pragma once

#include <QFont>
#include <QString>
#include <string>

namespace qtbackend {

// The installed family that stands in for a Windows face name (CP932).
QString MappedFamily(const std::string& WindowsFace);
// A font of that family with the given character height in pixels.
QFont MappedFont(const std::string& WindowsFace, int PixelHeight);

} // namespace qtbackend
