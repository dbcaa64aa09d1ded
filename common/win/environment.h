// The process's environment variables, as the system holds them.
#pragma once

#include <optional>
#include <string>

namespace tarvela::win {

// Nothing when the variable is undefined; otherwise its UTF-16 code units exactly as the process
// holds them (which may include unpaired surrogates), empty when it is defined as empty.
std::optional<std::wstring> environment_variable(const wchar_t* name);

}  // namespace tarvela::win
