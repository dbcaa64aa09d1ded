#pragma once
// What the install run needs from the operating system. The run itself is
// plain code over this interface, so it also runs (and is tested) on Linux.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "os_string.hpp"

namespace installer {

// A failed system call, by the code the system reported.
struct OsError {
  std::uint32_t code;
};

// Nothing when the operation succeeded.
using Failure = std::optional<OsError>;

enum class KnownFolder { programs, desktop };

struct ShortcutTarget {
  OsString program;
  OsString working_directory;
  OsString icon;
  OsString description;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Nothing when the variable is not defined.
  virtual std::optional<OsString> environment(OsStringView name) = 0;
  // The size of a file (not a folder), or nothing when its information cannot be read.
  virtual std::optional<std::uint64_t> file_size(const OsString& path) = 0;
  // The whole content, or nothing when it cannot be read completely.
  virtual std::optional<std::string> read_file(const OsString& path) = 0;
  // Creates the folder and any missing parents; an existing folder is fine.
  virtual Failure create_folder(const OsString& path) = 0;
  // Creates or truncates the file, writes all bytes and flushes them to the disk.
  virtual Failure write_file(const OsString& path, std::span<const std::byte> bytes) = 0;
  // Removes a file; one that is not there is fine.
  virtual Failure remove_file(const OsString& path) = 0;
  // Moves `from` over `to`, replacing an existing `to`.
  virtual Failure move_replace(const OsString& from, const OsString& to) = 0;
  virtual void initialise_com() = 0;
  virtual std::optional<OsString> known_folder(KnownFolder folder) = 0;
  // Saves a shortcut at `link`, overwriting what is there.
  virtual Failure save_shortcut(const OsString& link, const ShortcutTarget& target) = 0;
  // Starts the program with no arguments in the working directory, without waiting.
  virtual Failure start_process(const OsString& program, const OsString& working_directory) = 0;
  // Shows the text modally with the product's caption and an error icon.
  virtual void error_box(const OsString& text) = 0;
  // The system's message for an error code, as the system gives it.
  virtual OsString system_message(std::uint32_t code) = 0;
};

}  // namespace installer
