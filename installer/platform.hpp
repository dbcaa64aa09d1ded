#pragma once
// What the install and uninstall runs need from the operating system. The runs
// are plain code over this interface, so they also run (and are tested) on Linux.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "os_string.hpp"

namespace installer {

// A failed system call, by the code the system reported.
struct OsError {
  std::uint32_t code;
};

// Nothing when the operation succeeded.
using Failure = std::optional<OsError>;

enum class KnownFolder { programs, desktop };

struct RegistryValue {
  OsString name;
  std::variant<OsString, std::uint32_t> data;  // a text or a 32-bit number

  bool operator==(const RegistryValue&) const = default;
};

// How a question box offers its choice: Yes and No, the same with No as the
// default for a choice that deletes what cannot come back, or Retry and Cancel.
enum class Question { yes_no, yes_no_default_no, retry_cancel };

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
  // The system's message for an error code; error_text makes it readable.
  virtual OsString system_message(std::uint32_t code) = 0;

  // Creates the key under the user's own hive when needed and sets the values.
  virtual Failure write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) = 0;
  // Removes the key of the user's own hive with all it holds; one that is not there is fine.
  virtual Failure remove_user_registry_key(const OsString& key) = 0;

  // What only the uninstaller needs.
  // Removes an empty folder; one that is not there is fine.
  virtual Failure remove_folder(const OsString& path) = 0;
  // Removes a folder with everything in it, removing links inside it without
  // following them; one that is not there is fine.
  virtual Failure remove_tree(const OsString& path) = 0;
  // Shows the question modally with the product's caption; true for Yes or Retry.
  virtual bool ask(const OsString& text, Question question) = 0;
  // Asks every running copy of the program to close its windows and waits a
  // while for them to end; true when none is left running.
  virtual bool close_program(const OsString& program) = 0;
  virtual void pause(std::chrono::milliseconds duration) = 0;
  // True when this process runs the very file at `path`.
  virtual bool is_this_program(const OsString& path) = 0;
  // Starts a copy of this program from the temporary folder, with no
  // arguments, that the system deletes when it ends, so that this program's
  // own file and folder can be removed by the copy.
  virtual Failure start_temporary_copy() = 0;
};

}  // namespace installer
