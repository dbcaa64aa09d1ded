// Where this process's program file is.
#pragma once

#include <string>

namespace tarvela::win {

// The full path of the executable that started this process, however long.
std::wstring executable_path();

}  // namespace tarvela::win
