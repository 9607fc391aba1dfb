#pragma once

// The program's title, as the string table names it: the caption of every message box that has none of its
// own (an empty msg::Request::caption).
inline constexpr const char* kAppTitle = "Kavrel";
