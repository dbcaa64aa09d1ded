#pragma once
// The install run's platform on Linux, for development and tests: real files
// and processes; a shortcut is a small text file and the error box goes to
// standard error.
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
};

}  // namespace installer
