#include "messages.hpp"

#include <gtest/gtest.h>

namespace installer {
namespace {

TEST(ErrorText, DropsTheTrailingLineBreakAndAddsTheCode) {
  EXPECT_EQ(error_text("Access denied.\r\n", 5), "Access denied. (os error 5)");
  EXPECT_EQ(error_text("Permission denied", 13), "Permission denied (os error 13)");
  EXPECT_EQ(error_text("Riga uno.\r\nRiga due.\r\n", 2), "Riga uno.\r\nRiga due. (os error 2)");
}

TEST(ErrorText, NamesTheCodeWhenTheSystemHasNoMessage) {
  EXPECT_EQ(error_text("", 4294967295u), "errore di sistema (os error 4294967295)");
}

TEST(Messages, ComposeTheFixedTextsWithTheirDetails) {
  EXPECT_EQ(messages::no_app_data(), "Non trovo la cartella AppData dell'utente.");
  EXPECT_EQ(messages::folder_not_created("C:\\U\\Programs\\Tarvela Sorvelo", "E (os error 183)"),
            "Non riesco a creare la cartella C:\\U\\Programs\\Tarvela Sorvelo: E (os error 183)");
  EXPECT_EQ(messages::app_not_replaced("Access denied. (os error 5)"),
            "Non riesco ad aggiornare l'app: forse e' aperta.\n"
            "Chiudi la finestra di Tarvela Sorvelo e riapri questo file.\n\n"
            "(Access denied. (os error 5))");
  EXPECT_EQ(messages::loader_not_written("E"), "Non riesco a scrivere WebView2Loader.dll: E");
  EXPECT_EQ(messages::icon_not_written("E"), "Non riesco a scrivere l'icona: E");
  EXPECT_EQ(messages::stamp_not_written("E"), "Non riesco a scrivere versione.txt: E");
  EXPECT_EQ(messages::app_not_started("E"), "Non riesco ad aprire l'app: E");
}

}  // namespace
}  // namespace installer
