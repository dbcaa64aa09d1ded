// Install, then uninstall, against a real temporary folder through the POSIX
// platform, with the member's answers and files held by ending processes scripted.
#include "uninstall_run.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <vector>

#include "build_id.hpp"
#include "install_run.hpp"
#include "posix_platform.hpp"
#include "temp_folder.hpp"
#include "uninstall_entry.hpp"

namespace installer {
namespace {

namespace fs = std::filesystem;
using test_support::read_all;
using test_support::write_all;

// Thrown by the platform to stop a run at a chosen change, as a power cut would.
struct Interrupted {};

// Answers No when no answer is left; a running app always closes when asked.
class ScriptedPlatform : public PosixPlatform {
 public:
  std::map<OsString, OsString> variables;
  std::deque<bool> answers;
  int questions = 0;
  std::vector<OsString> boxes;
  int close_requests = 0;
  // Removals of these paths fail this many more times.
  std::map<OsString, int> held;
  int pauses = 0;
  bool runs_installed_uninstaller = false;
  Failure copy_failure;
  int copies_started = 0;
  int registry_writes = 0;
  std::optional<int> changes_left;

  std::optional<OsString> environment(OsStringView name) override {
    auto found = variables.find(OsString(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  void error_box(const OsString& text) override { boxes.push_back(text); }
  Failure start_process(const OsString&, const OsString&) override { return std::nullopt; }
  std::optional<OsString> known_folder(KnownFolder) override { return std::nullopt; }
  bool ask(const OsString&, Question) override {
    ++questions;
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool close_program(const OsString&) override {
    ++close_requests;
    return true;
  }
  void pause(std::chrono::milliseconds) override { ++pauses; }
  bool is_this_program(const OsString&) override { return runs_installed_uninstaller; }
  Failure start_temporary_copy() override {
    ++copies_started;
    return copy_failure;
  }
  Failure write_file(const OsString& path, std::span<const std::byte> bytes) override {
    change();
    return PosixPlatform::write_file(path, bytes);
  }
  Failure move_replace(const OsString& from, const OsString& to) override {
    change();
    return PosixPlatform::move_replace(from, to);
  }
  Failure remove_file(const OsString& path) override {
    change();
    if (still_held(path)) return OsError{EBUSY};
    return PosixPlatform::remove_file(path);
  }
  Failure remove_tree(const OsString& path) override {
    change();
    if (still_held(path)) return OsError{EBUSY};
    return PosixPlatform::remove_tree(path);
  }
  Failure remove_folder(const OsString& path) override {
    change();
    return PosixPlatform::remove_folder(path);
  }
  Failure write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) override {
    change();
    ++registry_writes;
    return PosixPlatform::write_user_registry_key(key, values);
  }
  Failure remove_user_registry_key(const OsString& key) override {
    change();
    return PosixPlatform::remove_user_registry_key(key);
  }

 private:
  bool still_held(const OsString& path) {
    auto found = held.find(path);
    return found != held.end() && found->second-- > 0;
  }
  void change() {
    if (changes_left && (*changes_left)-- == 0) throw Interrupted{};
  }
};

struct Payloads {
  std::string app, loader, icon, uninstaller, id;

  explicit Payloads(std::string_view variant)
      : app("MZ app " + std::string(variant)), loader("MZ loader " + std::string(variant)),
        icon("icon " + std::string(variant)), uninstaller(3072, variant.front()) {
    id = build_id({as_bytes(app), as_bytes(loader), as_bytes(icon), as_bytes(uninstaller)});
  }
  static std::span<const std::byte> as_bytes(const std::string& s) { return std::as_bytes(std::span(s)); }
  Build build() const { return Build{as_bytes(app), as_bytes(loader), as_bytes(icon), as_bytes(uninstaller), id}; }
};

const OsString key(uninstall_key);

class Uninstall : public ::testing::Test {
 protected:
  test_support::TempFolder temp;
  ScriptedPlatform platform;
  fs::path local = temp.path() / "AppData" / "Local";
  fs::path folder = local / "Programs" / "Tarvela Sorvelo";
  fs::path icons = temp.path() / "icone";
  fs::path data = local / "Tarvela Sorvelo" / "dati";
  Payloads first{"uno"};

  void SetUp() override {
    platform.variables["LOCALAPPDATA"] = local.string();
    platform.variables["TARVELA_ICONE_IN"] = icons.string();
    run(platform, first.build());
    // What the app's web view keeps: the cards stored in the app among it.
    fs::create_directories(data / "EBWebView" / "Default" / "IndexedDB");
    write_all(data / "EBWebView" / "Default" / "IndexedDB" / "schede.ldb", "scheda di Ada");
  }

  bool has_entry() const { return platform.user_registry().contains(key); }

  RegistryValue entry_value(OsStringView name) const {
    for (const RegistryValue& value : platform.user_registry().at(key)) {
      if (value.name == name) return value;
    }
    return {};
  }

  void expect_removed_keeping(bool data_kept) {
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::exists(folder.parent_path()));
    EXPECT_FALSE(fs::exists(icons / "Start" / "Tarvela Sorvelo.lnk"));
    EXPECT_FALSE(fs::exists(icons / "Desktop" / "Tarvela Sorvelo.lnk"));
    EXPECT_FALSE(has_entry());
    EXPECT_EQ(fs::exists(data / "EBWebView" / "Default" / "IndexedDB" / "schede.ldb"), data_kept);
    if (data_kept) {
      EXPECT_EQ(read_all(data / "EBWebView" / "Default" / "IndexedDB" / "schede.ldb"), "scheda di Ada");
    }
  }
};

TEST_F(Uninstall, EntryIsWrittenByInstallsAndUpdatesOnly) {
  EXPECT_EQ(platform.registry_writes, 1);
  EXPECT_EQ(entry_value("DisplayVersion").data, (RegistryValue{"", first.id}.data));
  // Rounded up to whole KiB.
  EXPECT_EQ(entry_value("EstimatedSize").data, (RegistryValue{"", std::uint32_t{4}}.data));

  run(platform, first.build());
  EXPECT_EQ(platform.registry_writes, 1);
  const Payloads second("due");
  run(platform, second.build());
  EXPECT_EQ(platform.registry_writes, 2);
  EXPECT_EQ(entry_value("DisplayVersion").data, (RegistryValue{"", second.id}.data));
}

TEST_F(Uninstall, RemovesTheDataWhenChosenAndItsFolderWhenNothingElseIsThere) {
  platform.answers = {true, true};
  uninstall(platform);
  expect_removed_keeping(false);
  EXPECT_FALSE(fs::exists(local / "Tarvela Sorvelo"));

  run(platform, first.build());
  fs::create_directories(data);
  write_all(local / "Tarvela Sorvelo" / "appunti.txt", "del membro");
  platform.answers = {true, true};
  uninstall(platform);
  expect_removed_keeping(false);
  EXPECT_EQ(read_all(local / "Tarvela Sorvelo" / "appunti.txt"), "del membro");
}

TEST_F(Uninstall, AnsweringNoLeavesEverythingAsItWas) {
  uninstall(platform);

  EXPECT_EQ(platform.questions, 1);
  EXPECT_EQ(platform.close_requests, 0);
  EXPECT_TRUE(has_entry());
  EXPECT_TRUE(installed_build_is_current(platform, install_layout(local.string()), first.build()));
  EXPECT_TRUE(fs::exists(icons / "Desktop" / "Tarvela Sorvelo.lnk"));
}

TEST_F(Uninstall, InstalledUninstallerHandsItsRunToACopy) {
  platform.runs_installed_uninstaller = true;

  uninstall(platform);

  EXPECT_EQ(platform.copies_started, 1);
  EXPECT_EQ(platform.questions, 0);
  EXPECT_TRUE(has_entry());

  // Without a copy it does the rest itself and leaves its own running file.
  platform.copy_failure = OsError{ENOSPC};
  platform.answers = {true, false};
  uninstall(platform);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_FALSE(has_entry());
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, std::set<std::string>{"disinstalla.exe"});
}

TEST_F(Uninstall, HeldFilesAreWaitedForThenReportedWithTheEntryKept) {
  const OsString app = (folder / "TarvelaSorveloApp.exe").string();
  platform.held[app] = 3;
  platform.held[data.string()] = 2;
  platform.answers = {true, true};
  uninstall(platform);
  EXPECT_EQ(platform.pauses, 5);
  expect_removed_keeping(false);

  run(platform, first.build());
  platform.held[app] = removal_attempts;
  platform.answers = {true, false};
  uninstall(platform);
  EXPECT_EQ(platform.boxes,
            std::vector<OsString>{"Non riesco a rimuovere " + app + ": Device or resource busy (os error 16)"});
  EXPECT_TRUE(has_entry());
  EXPECT_TRUE(fs::exists(folder / "disinstalla.exe"));

  fs::create_directories(data);
  platform.held[data.string()] = removal_attempts;
  platform.boxes.clear();
  platform.answers = {true, true};
  uninstall(platform);
  EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non riesco a eliminare i dati dell'app in " + data.string() +
                                                  ": Device or resource busy (os error 16)"});
  EXPECT_TRUE(has_entry());
}

TEST_F(Uninstall, CutOffAtAnyStepLeavesTheEntryAndNoStampWithoutItsFiles) {
  for (int cut_at = 0;; ++cut_at) {
    run(platform, first.build());
    platform.answers = {true, true};
    platform.changes_left = cut_at;
    bool finished = true;
    try {
      uninstall(platform);
    } catch (const Interrupted&) {
      finished = false;
    }
    platform.changes_left.reset();

    // While anything but the uninstaller is left, the entry is there to start the removal again.
    if (fs::exists(folder) && !fs::is_empty(folder) &&
        !(fs::exists(folder / "disinstalla.exe") && std::distance(fs::directory_iterator(folder), {}) == 1)) {
      EXPECT_TRUE(has_entry()) << "cut at change " << cut_at;
    }
    // A stamp never vouches for a half removed install: the installer repeats it in full.
    if (fs::exists(folder / "versione.txt")) {
      EXPECT_TRUE(installed_build_is_current(platform, install_layout(local.string()), first.build()))
          << "cut at change " << cut_at;
    }
    platform.answers = {true, true};
    uninstall(platform);
    expect_removed_keeping(false);
    if (finished) break;
  }
}

}  // namespace
}  // namespace installer
