#include "posix_platform.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "temp_folder.hpp"

namespace installer {
namespace {

namespace fs = std::filesystem;
using test_support::read_all;
using test_support::write_all;

TEST(PosixPlatform, EnvironmentTellsUndefinedFromEmpty) {
  PosixPlatform platform;
  ::unsetenv("TARVELA_PROVA_VUOTA");
  EXPECT_EQ(platform.environment("TARVELA_PROVA_VUOTA"), std::nullopt);
  ::setenv("TARVELA_PROVA_VUOTA", "", 1);
  EXPECT_EQ(platform.environment("TARVELA_PROVA_VUOTA"), OsString());
  ::unsetenv("TARVELA_PROVA_VUOTA");
}

TEST(PosixPlatform, CreatesMissingParentsAndAcceptsAnExistingFolder) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const fs::path deep = temp.path() / "a" / "b" / "c";
  EXPECT_EQ(platform.create_folder(deep.string()), std::nullopt);
  EXPECT_TRUE(fs::is_directory(deep));
  EXPECT_EQ(platform.create_folder(deep.string() + "/"), std::nullopt);
  write_all(temp.path() / "file", "x");
  const Failure failure = platform.create_folder((temp.path() / "file" / "sotto").string());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code, static_cast<std::uint32_t>(ENOTDIR));
}

TEST(PosixPlatform, ReadsBackWhatItWroteAndMovesOverExistingFiles) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const std::string big(100000, 'z');
  const OsString staged = (temp.path() / "x.nuovo").string();
  const OsString target = (temp.path() / "x.bin").string();
  write_all(target, "vecchio");
  EXPECT_EQ(platform.write_file(staged, std::as_bytes(std::span(big))), std::nullopt);
  EXPECT_EQ(platform.move_replace(staged, target), std::nullopt);
  EXPECT_EQ(platform.read_file(target), big);
  EXPECT_EQ(platform.file_size(target), big.size());
  EXPECT_EQ(platform.file_size(staged), std::nullopt);
  EXPECT_EQ(platform.read_file(staged), std::nullopt);
}

TEST(PosixPlatform, RemovesFilesToleratesMissingOnesAndGivesNoSizeForAFolder) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const OsString file = (temp.path() / "versione.txt").string();
  write_all(file, "abc");
  EXPECT_EQ(platform.remove_file(file), std::nullopt);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(platform.remove_file(file), std::nullopt);
  EXPECT_EQ(platform.file_size(temp.path().string()), std::nullopt);
  const Failure failure = platform.remove_file(temp.path().string());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code, static_cast<std::uint32_t>(EISDIR));
}

TEST(PosixPlatform, StartsTheProgramInItsWorkingDirectoryWithoutWaiting) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const fs::path script = temp.path() / "app.sh";
  write_all(script, "#!/bin/sh\npwd > cartella.txt\necho \"$#\" >> cartella.txt\n");
  ::chmod(script.c_str(), 0755);
  fs::create_directories(temp.path() / "lavoro");

  ASSERT_EQ(platform.start_process(script.string(), (temp.path() / "lavoro").string()), std::nullopt);

  const fs::path record = temp.path() / "lavoro" / "cartella.txt";
  const std::string expected = (temp.path() / "lavoro").string() + "\n0\n";
  for (int i = 0; i < 500 && read_all(record) != expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(read_all(record), expected);
}

TEST(PosixPlatform, ReportsAProgramThatIsNotThere) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const Failure failure = platform.start_process((temp.path() / "manca").string(), temp.path().string());
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code, static_cast<std::uint32_t>(ENOENT));
  EXPECT_EQ(platform.system_message(failure->code), "No such file or directory");
}

}  // namespace
}  // namespace installer
