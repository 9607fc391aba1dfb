#pragma once

#include <string>
#include <string_view>

#include "catalogue/Ascii.h"

namespace catalogue {

// Catalogue texts are bytes. Shown to people they are read as UTF-8 when valid, else as Windows-1252.
bool IsValidUtf8(std::string_view bytes);
// The text as UTF-8 for display: itself when valid UTF-8, else decoded from Windows-1252.
std::string ToDisplayUtf8(std::string_view bytes);

}  // namespace catalogue
