#include "messages.hpp"

#include "system_message_text.h"

namespace installer {
namespace {

OsString concat(std::initializer_list<OsStringView> pieces) {
  OsString text;
  for (auto piece : pieces) text += piece;
  return text;
}

}  // namespace

OsString error_text(OsStringView system_message, std::uint32_t code) {
  return concat(
      {tarvela::readable_system_message(system_message), OS_TEXT(" (os error "), os_decimal(code), OS_TEXT(")")});
}

namespace messages {

OsString no_app_data() { return OS_TEXT("Non trovo la cartella AppData dell'utente."); }

OsString folder_not_created(OsStringView folder, OsStringView error) {
  return concat({OS_TEXT("Non riesco a creare la cartella "), folder, OS_TEXT(": "), error});
}

OsString app_not_replaced(OsStringView error) {
  return concat({OS_TEXT("Non riesco ad aggiornare l'app: forse e' aperta.\n"
                         "Chiudi la finestra di Tarvela Sorvelo e riapri questo file.\n\n("),
                 error, OS_TEXT(")")});
}

OsString loader_not_written(OsStringView error) {
  return concat({OS_TEXT("Non riesco a scrivere WebView2Loader.dll: "), error});
}

OsString icon_not_written(OsStringView error) {
  return concat({OS_TEXT("Non riesco a scrivere l'icona: "), error});
}

OsString uninstaller_not_written(OsStringView error) {
  return concat({OS_TEXT("Non riesco a scrivere disinstalla.exe: "), error});
}

OsString stamp_not_written(OsStringView error) {
  return concat({OS_TEXT("Non riesco a scrivere versione.txt: "), error});
}

OsString stamp_not_removed(OsStringView error) {
  return concat({OS_TEXT("Non riesco a togliere versione.txt: "), error});
}

OsString app_not_started(OsStringView error) { return concat({OS_TEXT("Non riesco ad aprire l'app: "), error}); }

}  // namespace messages
}  // namespace installer
