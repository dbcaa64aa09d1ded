#include <gtest/gtest.h>

#include "system_message_text.h"

namespace tarvela {
namespace {

TEST(SystemMessageText, DropsOnlyTheTrailingBlanksAndNamesAMissingMessage) {
    EXPECT_EQ(readable_system_message("Access denied.\r\n"), "Access denied.");
    EXPECT_EQ(readable_system_message("Riga uno.\r\nRiga due. \t\r\n"), "Riga uno.\r\nRiga due.");
    EXPECT_EQ(readable_system_message(" x"), " x");
    EXPECT_EQ(readable_system_message(""), unknown_error_text);
    EXPECT_EQ(readable_system_message("\r\n"), unknown_error_text);
    EXPECT_EQ(readable_system_message(L"Accesso negato.\r\n"), L"Accesso negato.");
    EXPECT_EQ(readable_system_message(L" \r\n"), L"errore sconosciuto");
}

}  // namespace
}  // namespace tarvela
