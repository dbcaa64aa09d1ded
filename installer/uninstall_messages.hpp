#pragma once
// Every text the uninstaller can show: two questions, one request to close
// the app, and the error boxes.
#include "os_string.hpp"

namespace installer::messages {

OsString remove_app_question();
OsString remove_data_question();
OsString app_still_open();
OsString file_not_removed(OsStringView path, OsStringView error);
OsString data_not_removed(OsStringView folder, OsStringView error);
OsString entry_not_removed(OsStringView error);

}  // namespace installer::messages
