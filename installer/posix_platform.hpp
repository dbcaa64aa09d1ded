#pragma once
// The install and uninstall runs' platform on Linux, for development and
// tests: real files and processes; a shortcut is a small text file, the
// registry lives in this object, and boxes go to standard error.
#include <map>

#include "platform.hpp"

namespace installer {

class PosixPlatform : public Platform {
 public:
  std::optional<OsString> environment(OsStringView name) override;
  std::optional<std::uint64_t> file_size(const OsString& path) override;
  std::optional<std::string> read_file(const OsString& path) override;
  Failure create_folder(const OsString& path) override;
  Failure write_file(const OsString& path, std::span<const std::byte> bytes) override;
  Failure remove_file(const OsString& path) override;
  Failure move_replace(const OsString& from, const OsString& to) override;
  void initialise_com() override;
  // There are no shell folders here: shortcuts go only where TARVELA_ICONE_IN says.
  std::optional<OsString> known_folder(KnownFolder folder) override;
  // One line each: program, working directory, icon, description.
  Failure save_shortcut(const OsString& link, const ShortcutTarget& target) override;
  Failure start_process(const OsString& program, const OsString& working_directory) override;
  void error_box(const OsString& text) override;
  OsString system_message(std::uint32_t code) override;

  Failure write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) override;
  Failure remove_user_registry_key(const OsString& key) override;
  Failure remove_folder(const OsString& path) override;
  Failure remove_tree(const OsString& path) override;
  // No one is there to answer: the question goes to standard error and the answer is No.
  bool ask(const OsString& text, Question question) override;
  // Asks with SIGTERM and waits up to ten seconds.
  bool close_program(const OsString& program) override;
  void pause(std::chrono::milliseconds duration) override;
  bool is_this_program(const OsString& path) override;
  // The copy is unlinked as soon as it runs.
  Failure start_temporary_copy() override;

  // Every key these runs wrote, with its values.
  const std::map<OsString, std::vector<RegistryValue>>& user_registry() const { return user_registry_; }

 private:
  std::map<OsString, std::vector<RegistryValue>> user_registry_;
};

}  // namespace installer
