// The POSIX platform's removals on real files and processes.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include "posix_platform.hpp"
#include "temp_folder.hpp"

extern char** environ;

namespace installer {
namespace {

namespace fs = std::filesystem;
using test_support::read_all;
using test_support::write_all;

TEST(PosixRemoval, TreeGoesWithoutFollowingALinkOutOfIt) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const fs::path tree = temp.path() / "dati";
  fs::create_directories(tree / "a" / "b");
  write_all(tree / "a" / "b" / "scheda", "x");
  fs::create_directories(temp.path() / "fuori");
  write_all(temp.path() / "fuori" / "da tenere", "y");
  fs::create_directory_symlink(temp.path() / "fuori", tree / "a" / "collegamento");

  EXPECT_EQ(platform.remove_tree(tree.string()), std::nullopt);

  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(read_all(temp.path() / "fuori" / "da tenere"), "y");
  EXPECT_EQ(platform.remove_tree(tree.string()), std::nullopt);
}

TEST(PosixRemoval, RunningCopiesOfAProgramAreAskedToEnd) {
  test_support::TempFolder temp;
  PosixPlatform platform;
  const fs::path program = temp.path() / "TarvelaSorveloApp";
  fs::copy_file("/bin/sleep", program);
  EXPECT_TRUE(platform.close_program(program.string()));

  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
  // Until the child has run its program, /proc shows the one it was forked from.
  while (!fs::equivalent("/proc/" + std::to_string(child) + "/exe", program)) platform.pause({});

  EXPECT_TRUE(platform.close_program(program.string()));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
}

}  // namespace
}  // namespace installer
