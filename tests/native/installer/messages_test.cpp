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
  EXPECT_EQ(error_text("", 4294967295u), "errore sconosciuto (os error 4294967295)");
}

}  // namespace
}  // namespace installer
