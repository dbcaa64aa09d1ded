// The whole run against a real temporary folder through the POSIX platform.
#include "install_run.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "build_id.hpp"
#include "posix_platform.hpp"
#include "temp_folder.hpp"

namespace installer {
namespace {

namespace fs = std::filesystem;
using test_support::read_all;
using test_support::write_all;

// Thrown by the platform to stop a run at a chosen change, as a power cut would.
struct Interrupted {};

// The POSIX platform with its own environment, error boxes and started
// processes recorded, every write counted, moves onto chosen targets
// refused as Windows refuses to replace a running executable, and the run
// cut off before the n-th change to the disk when `changes_left` reaches 0.
class RecordingPlatform : public PosixPlatform {
 public:
  std::optional<int> changes_left;
  std::map<OsString, OsString> variables;
  std::vector<OsString> boxes;
  std::vector<std::pair<OsString, OsString>> started;
  std::set<OsString> locked;
  std::map<KnownFolder, OsString> known_folders;
  int writes = 0;
  int com_initialisations = 0;

  std::optional<OsString> environment(OsStringView name) override {
    auto found = variables.find(OsString(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  }
  Failure write_file(const OsString& path, std::span<const std::byte> bytes) override {
    change();
    ++writes;
    return PosixPlatform::write_file(path, bytes);
  }
  Failure remove_file(const OsString& path) override {
    change();
    return PosixPlatform::remove_file(path);
  }
  Failure move_replace(const OsString& from, const OsString& to) override {
    change();
    if (locked.contains(to)) return OsError{EACCES};
    return PosixPlatform::move_replace(from, to);
  }
  void initialise_com() override { ++com_initialisations; }
  std::optional<OsString> known_folder(KnownFolder folder) override {
    auto found = known_folders.find(folder);
    if (found == known_folders.end()) return std::nullopt;
    return found->second;
  }
  Failure start_process(const OsString& program, const OsString& working_directory) override {
    started.emplace_back(program, working_directory);
    return std::nullopt;
  }
  void error_box(const OsString& text) override { boxes.push_back(text); }

 private:
  void change() {
    if (changes_left && (*changes_left)-- == 0) throw Interrupted{};
  }
};

struct Payloads {
  std::string app, loader, icon, uninstaller, id;

  explicit Payloads(std::string_view variant)
      : app("MZ app " + std::string(variant)), loader("MZ loader " + std::string(variant)),
        icon("icon " + std::string(variant)), uninstaller("MZ uninstaller " + std::string(variant)) {
    id = build_id({as_bytes(app), as_bytes(loader), as_bytes(icon), as_bytes(uninstaller)});
  }
  static std::span<const std::byte> as_bytes(const std::string& s) { return std::as_bytes(std::span(s)); }
  Build build() const { return Build{as_bytes(app), as_bytes(loader), as_bytes(icon), as_bytes(uninstaller), id}; }
};

class InstallRun : public ::testing::Test {
 protected:
  test_support::TempFolder temp;
  RecordingPlatform platform;
  fs::path folder = temp.path() / "AppData" / "Local" / "Programs" / "Tarvela Sorvelo";
  fs::path icons = temp.path() / "icone";
  Payloads first{"uno"};
  Payloads second{"due"};

  void SetUp() override {
    platform.variables["LOCALAPPDATA"] = (temp.path() / "AppData" / "Local").string();
    platform.variables["TARVELA_ICONE_IN"] = icons.string();
  }

  void expect_installed(const Payloads& payloads) {
    EXPECT_EQ(read_all(folder / "TarvelaSorveloApp.exe"), payloads.app);
    EXPECT_EQ(read_all(folder / "WebView2Loader.dll"), payloads.loader);
    EXPECT_EQ(read_all(folder / "icona.ico"), payloads.icon);
    EXPECT_EQ(read_all(folder / "disinstalla.exe"), payloads.uninstaller);
    EXPECT_EQ(read_all(folder / "versione.txt"), payloads.id);
  }

  std::string expected_shortcut() const {
    return (folder / "TarvelaSorveloApp.exe").string() + "\n" + folder.string() + "\n" +
           (folder / "icona.ico").string() + "\nPalestre Tarvela: orari, corsi, abbonamenti e la tua scheda\n";
  }

  std::set<std::string> names_in_folder() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
  }
};

TEST_F(InstallRun, FirstRunInstallsPlacesShortcutsAndStartsTheApp) {
  run(platform, first.build());

  EXPECT_TRUE(platform.boxes.empty());
  expect_installed(first);
  EXPECT_EQ(names_in_folder(), (std::set<std::string>{"TarvelaSorveloApp.exe", "WebView2Loader.dll", "icona.ico",
                                                      "disinstalla.exe", "versione.txt"}));
  EXPECT_EQ(read_all(icons / "Start" / "Tarvela Sorvelo.lnk"), expected_shortcut());
  EXPECT_EQ(read_all(icons / "Desktop" / "Tarvela Sorvelo.lnk"), expected_shortcut());
  EXPECT_EQ(platform.com_initialisations, 1);
  ASSERT_EQ(platform.started.size(), 1u);
  EXPECT_EQ(platform.started[0].first, (folder / "TarvelaSorveloApp.exe").string());
  EXPECT_EQ(platform.started[0].second, folder.string());
}

TEST_F(InstallRun, SecondRunOnlyStartsTheApp) {
  run(platform, first.build());
  fs::remove(icons / "Desktop" / "Tarvela Sorvelo.lnk");
  platform.writes = 0;

  run(platform, first.build());

  EXPECT_EQ(platform.writes, 0);
  EXPECT_EQ(platform.com_initialisations, 1);
  EXPECT_FALSE(fs::exists(icons / "Desktop" / "Tarvela Sorvelo.lnk"));
  EXPECT_EQ(platform.started.size(), 2u);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(InstallRun, MissingOrCutPayloadIsInstalledAgainDespiteAMatchingStamp) {
  run(platform, first.build());
  for (const char* name : {"WebView2Loader.dll", "icona.ico", "disinstalla.exe"}) {
    fs::remove(folder / name);
    run(platform, first.build());
    expect_installed(first);
  }
  for (const std::string& cut : {std::string(), first.app.substr(1)}) {
    write_all(folder / "TarvelaSorveloApp.exe", cut);
    run(platform, first.build());
    expect_installed(first);
  }
  fs::remove(folder / "icona.ico");
  fs::create_directory(folder / "icona.ico");
  run(platform, first.build());
  EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non riesco a scrivere l'icona: Is a directory (os error 21)"});
  EXPECT_FALSE(fs::exists(folder / "versione.txt"));
  EXPECT_EQ(platform.started.size(), 6u);
}

TEST_F(InstallRun, UpdateCutOffAtAnyStepIsNeverTakenForAnInstall) {
  for (int cut_at = 0;; ++cut_at) {
    test_support::TempFolder other;
    platform.variables["LOCALAPPDATA"] = (other.path() / "Local").string();
    folder = other.path() / "Local" / "Programs" / "Tarvela Sorvelo";
    run(platform, first.build());

    platform.changes_left = cut_at;
    bool finished = true;
    try {
      run(platform, second.build());
    } catch (const Interrupted&) {
      finished = false;
    }
    platform.changes_left.reset();

    // Whatever the old installer finds, it starts only its own whole build.
    run(platform, first.build());
    expect_installed(first);
    EXPECT_TRUE(platform.boxes.empty());
    if (finished) break;
  }
}

TEST_F(InstallRun, StampWithLineEndStillCountsAsCurrent) {
  run(platform, first.build());
  write_all(folder / "versione.txt", first.id + "\r\n");
  platform.writes = 0;

  run(platform, first.build());

  EXPECT_EQ(platform.writes, 0);
}

TEST_F(InstallRun, StampInCapitalsOrMissingAppMakesAnInstallRun) {
  run(platform, first.build());
  std::string capitals = first.id;
  for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  write_all(folder / "versione.txt", capitals);
  run(platform, first.build());
  expect_installed(first);

  fs::remove(folder / "TarvelaSorveloApp.exe");
  run(platform, first.build());
  expect_installed(first);
  EXPECT_EQ(platform.com_initialisations, 3);
}

TEST_F(InstallRun, NewBuildRewritesEverythingAndOverwritesShortcuts) {
  run(platform, first.build());
  write_all(icons / "Start" / "Tarvela Sorvelo.lnk", "vecchio");

  run(platform, second.build());

  expect_installed(second);
  EXPECT_EQ(read_all(icons / "Start" / "Tarvela Sorvelo.lnk"), expected_shortcut());
  EXPECT_EQ(read_all(icons / "Desktop" / "Tarvela Sorvelo.lnk"), expected_shortcut());
  EXPECT_EQ(platform.started.size(), 2u);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(InstallRun, RunningAppBlocksTheUpdateUntilItIsClosed) {
  run(platform, first.build());
  platform.locked.insert((folder / "TarvelaSorveloApp.exe").string());

  run(platform, second.build());

  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0],
            "Non riesco ad aggiornare l'app: forse e' aperta.\n"
            "Chiudi la finestra di Tarvela Sorvelo e riapri questo file.\n\n"
            "(Permission denied (os error 13))");
  expect_installed(first);
  EXPECT_EQ(read_all(folder / "TarvelaSorveloApp.nuovo"), second.app);
  EXPECT_EQ(platform.started.size(), 1u);

  platform.locked.clear();
  run(platform, second.build());
  expect_installed(second);
  EXPECT_FALSE(fs::exists(folder / "TarvelaSorveloApp.nuovo"));
  EXPECT_EQ(platform.started.size(), 2u);
}

TEST_F(InstallRun, WithoutAUsableLocalAppDataOnlyTheFirstMessageIsShown) {
  // An empty or relative value would install under whatever folder is current.
  const fs::path current = fs::current_path();
  fs::current_path(temp.path());
  for (std::optional<OsString> value : {std::optional<OsString>(), std::optional<OsString>(""),
                                        std::optional<OsString>("AppData"), std::optional<OsString>("./AppData")}) {
    if (value) {
      platform.variables["LOCALAPPDATA"] = *value;
    } else {
      platform.variables.erase("LOCALAPPDATA");
    }
    platform.boxes.clear();

    run(platform, first.build());

    EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non trovo la cartella AppData dell'utente."});
  }
  fs::current_path(current);
  EXPECT_EQ(platform.writes, 0);
  EXPECT_TRUE(platform.started.empty());
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(InstallRun, PlainFileInPlaceOfTheFolderIsReportedWithItsPath) {
  fs::create_directories(folder.parent_path());
  write_all(folder, "non una cartella");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes,
            std::vector<OsString>{"Non riesco a creare la cartella " + folder.string() + ": File exists (os error 17)"});
  EXPECT_TRUE(platform.started.empty());
}

TEST_F(InstallRun, UnwritableLoaderStopsBeforeIconAndStamp) {
  fs::create_directories(folder / "WebView2Loader.nuovo");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes,
            std::vector<OsString>{"Non riesco a scrivere WebView2Loader.dll: Is a directory (os error 21)"});
  EXPECT_EQ(read_all(folder / "TarvelaSorveloApp.exe"), first.app);
  EXPECT_FALSE(fs::exists(folder / "icona.ico"));
  EXPECT_FALSE(fs::exists(folder / "versione.txt"));
  EXPECT_TRUE(platform.started.empty());
}

TEST_F(InstallRun, UnwritableIconIsReported) {
  fs::create_directories(folder / "icona.nuovo");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non riesco a scrivere l'icona: Is a directory (os error 21)"});
  EXPECT_FALSE(fs::exists(folder / "versione.txt"));
}

TEST_F(InstallRun, UnwritableUninstallerStopsBeforeTheStamp) {
  fs::create_directories(folder / "disinstalla.nuovo");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes,
            std::vector<OsString>{"Non riesco a scrivere disinstalla.exe: Is a directory (os error 21)"});
  EXPECT_EQ(read_all(folder / "icona.ico"), first.icon);
  EXPECT_FALSE(fs::exists(folder / "versione.txt"));
  EXPECT_TRUE(platform.started.empty());
}

TEST_F(InstallRun, UnwritableStampIsReportedAfterTheShortcuts) {
  fs::create_directories(folder / "versione.nuovo");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non riesco a scrivere versione.txt: Is a directory (os error 21)"});
  EXPECT_TRUE(fs::exists(icons / "Desktop" / "Tarvela Sorvelo.lnk"));
  EXPECT_FALSE(fs::exists(folder / "versione.txt"));
  EXPECT_TRUE(platform.started.empty());
}

TEST_F(InstallRun, StampThatCannotBeRemovedStopsBeforeAnyPayload) {
  fs::create_directories(folder / "versione.txt");

  run(platform, first.build());

  EXPECT_EQ(platform.boxes, std::vector<OsString>{"Non riesco a togliere versione.txt: Is a directory (os error 21)"});
  EXPECT_FALSE(fs::exists(folder / "TarvelaSorveloApp.exe"));
  EXPECT_TRUE(platform.started.empty());
}

TEST_F(InstallRun, UnplaceableShortcutsAreSilent) {
  write_all(icons, "non una cartella");

  run(platform, first.build());

  EXPECT_TRUE(platform.boxes.empty());
  expect_installed(first);
  EXPECT_EQ(platform.started.size(), 1u);
}

TEST_F(InstallRun, WithoutTheVariableShortcutsGoToTheKnownFoldersThatExist) {
  platform.variables.erase("TARVELA_ICONE_IN");
  platform.known_folders[KnownFolder::desktop] = (temp.path() / "Scrivania").string();

  run(platform, first.build());

  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(read_all(temp.path() / "Scrivania" / "Tarvela Sorvelo.lnk"), expected_shortcut());
  EXPECT_FALSE(fs::exists(icons));
  expect_installed(first);

  platform.known_folders[KnownFolder::programs] = (temp.path() / "Programmi").string();
  run(platform, second.build());
  EXPECT_EQ(read_all(temp.path() / "Programmi" / "Tarvela Sorvelo.lnk"), expected_shortcut());
}

TEST(InstallRunStart, AppThatCannotBeStartedIsReported) {
  // The real POSIX start: the installed app is not executable here.
  test_support::TempFolder temp;
  struct Boxes : PosixPlatform {
    std::map<OsString, OsString> variables;
    std::vector<OsString> shown;
    std::optional<OsString> environment(OsStringView name) override {
      auto found = variables.find(OsString(name));
      return found == variables.end() ? std::nullopt : std::optional(found->second);
    }
    void error_box(const OsString& text) override { shown.push_back(text); }
  } platform;
  platform.variables["LOCALAPPDATA"] = temp.path().string();
  platform.variables["TARVELA_ICONE_IN"] = (temp.path() / "icone").string();
  const Payloads payloads("uno");

  run(platform, payloads.build());

  EXPECT_EQ(platform.shown, std::vector<OsString>{"Non riesco ad aprire l'app: Permission denied (os error 13)"});
}

}  // namespace
}  // namespace installer
