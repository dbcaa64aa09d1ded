#pragma once
// Paths and texts in the system's own string form: UTF-16 on Windows (not
// necessarily valid), bytes elsewhere. Nothing is converted on the way through.
#include <cstdint>
#include <string>
#include <string_view>

namespace installer {

#ifdef _WIN32
using OsChar = wchar_t;
#define OS_TEXT(literal) L##literal
#else
using OsChar = char;
#define OS_TEXT(literal) literal
#endif

using OsString = std::basic_string<OsChar>;
using OsStringView = std::basic_string_view<OsChar>;

inline OsString os_decimal(std::uint32_t value) {
#ifdef _WIN32
  return std::to_wstring(value);
#else
  return std::to_string(value);
#endif
}

}  // namespace installer
