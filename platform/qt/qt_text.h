// CP932 byte strings to and from Qt strings, at the toolkit's edge.
#pragma once

#include <QString>
#include <string>

namespace qtbackend {

QString ToQString(const std::string& Cp932);
std::string FromQString(const QString& S);

} // namespace qtbackend
