#include "uninstall_messages.hpp"

namespace installer::messages {

OsString remove_app_question() {
  return OS_TEXT("Vuoi disinstallare Tarvela Sorvelo da questo computer?\n\n"
                 "Verranno tolti l'app, i collegamenti nel menu Start e sul desktop "
                 "e la voce tra le app installate.");
}

OsString remove_data_question() {
  return OS_TEXT("Vuoi eliminare anche i dati dell'app?\n\n"
                 "Se scegli Si', le schede salvate nell'app verranno cancellate per sempre, "
                 "insieme alle impostazioni e all'accesso all'area riservata. "
                 "Le schede in un file sul computer o nel cloud restano dove sono.\n\n"
                 "Se scegli No, i dati restano sul computer e li ritroverai "
                 "se installi di nuovo Tarvela Sorvelo.");
}

OsString app_still_open() {
  return OS_TEXT("Tarvela Sorvelo e' ancora aperta.\n"
                 "Chiudi la sua finestra e scegli Riprova, oppure Annulla per lasciare l'app installata.");
}

OsString file_not_removed(OsStringView path, OsStringView error) {
  return OS_TEXT("Non riesco a rimuovere ") + OsString(path) + OS_TEXT(": ") + OsString(error);
}

OsString data_not_removed(OsStringView folder, OsStringView error) {
  return OS_TEXT("Non riesco a eliminare i dati dell'app in ") + OsString(folder) + OS_TEXT(": ") + OsString(error);
}

OsString entry_not_removed(OsStringView error) {
  return OS_TEXT("Non riesco a togliere Tarvela Sorvelo dall'elenco delle app installate: ") + OsString(error);
}

}  // namespace installer::messages
