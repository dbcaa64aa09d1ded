#pragma once
// Every text the installer can show, each in one error box.
#include <cstdint>

#include "os_string.hpp"

namespace installer {

// The system's message for a code made readable (readable_system_message),
// then " (os error N)".
OsString error_text(OsStringView system_message, std::uint32_t code);

namespace messages {

OsString no_app_data();
OsString folder_not_created(OsStringView folder, OsStringView error);
OsString app_not_replaced(OsStringView error);
OsString loader_not_written(OsStringView error);
OsString icon_not_written(OsStringView error);
OsString uninstaller_not_written(OsStringView error);
OsString stamp_not_written(OsStringView error);
OsString stamp_not_removed(OsStringView error);
OsString app_not_started(OsStringView error);

}  // namespace messages
}  // namespace installer
