#pragma once
// The install and uninstall runs' platform on Windows.
#include "platform.hpp"

namespace installer {

// The named lock that one install or uninstall run holds from its start to its end.
inline constexpr wchar_t run_lock_name[] = L"Local\\TarvelaSorvelo.installazione";

// Waits for the other run of this user, installer or uninstaller, to end, so that neither touches
// a file the other is still writing, moving or removing. An abandoned lock (a run that died) is
// taken over as it stands; held until this process ends.
void take_run_lock();

class WindowsPlatform : public Platform {
 public:
  std::optional<OsString> environment(OsStringView name) override;
  std::optional<std::uint64_t> file_size(const OsString& path) override;
  std::optional<std::string> read_file(const OsString& path) override;
  Failure create_folder(const OsString& path) override;
  Failure write_file(const OsString& path, std::span<const std::byte> bytes) override;
  Failure remove_file(const OsString& path) override;
  Failure move_replace(const OsString& from, const OsString& to) override;
  void initialise_com() override;
  std::optional<OsString> known_folder(KnownFolder folder) override;
  Failure save_shortcut(const OsString& link, const ShortcutTarget& target) override;
  Failure start_process(const OsString& program, const OsString& working_directory) override;
  void error_box(const OsString& text) override;
  OsString system_message(std::uint32_t code) override;

  Failure write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) override;
  Failure remove_user_registry_key(const OsString& key) override;
  Failure remove_folder(const OsString& path) override;
  Failure remove_tree(const OsString& path) override;
  bool ask(const OsString& text, Question question) override;
  // Sends WM_CLOSE to the top-level windows of every process running the
  // program and waits up to ten seconds for those processes to end.
  bool close_program(const OsString& program) override;
  void pause(std::chrono::milliseconds duration) override;
  bool is_this_program(const OsString& path) override;
  Failure start_temporary_copy() override;
};

}  // namespace installer
