#pragma once

#include <QString>
#include <string>
#include <string_view>

// Catalogue bytes to what people see and back. Shown: valid UTF-8 as is, anything else as Windows-1252.
// Typed: stored as UTF-8.
QString ToQString(std::string_view bytes);
std::string FromQString(const QString& text);
