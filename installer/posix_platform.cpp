#include "posix_platform.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "layout.hpp"

extern char** environ;

namespace installer {
namespace {

OsError last_error() { return OsError{static_cast<std::uint32_t>(errno)}; }

bool is_folder(const OsString& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

OsString parent_of(const OsString& path) {
  std::size_t end = path.size();
  while (end > 0 && path[end - 1] == '/') --end;
  const std::size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
  if (slash == OsString::npos) return {};
  return slash == 0 ? OsString("/") : path.substr(0, slash);
}

}  // namespace

std::optional<OsString> PosixPlatform::environment(OsStringView name) {
  const char* value = std::getenv(OsString(name).c_str());
  if (!value) return std::nullopt;
  return OsString(value);
}

std::optional<std::uint64_t> PosixPlatform::file_size(const OsString& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::string> PosixPlatform::read_file(const OsString& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return content;
}

Failure PosixPlatform::create_folder(const OsString& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return std::nullopt;
  const OsError error = last_error();
  if (is_folder(path)) return std::nullopt;
  if (error.code != ENOENT) return error;
  const OsString parent = parent_of(path);
  if (parent.empty() || parent == path) return error;
  if (auto failure = create_folder(parent)) return failure;
  if (::mkdir(path.c_str(), 0777) == 0 || is_folder(path)) return std::nullopt;
  return last_error();
}

Failure PosixPlatform::write_file(const OsString& path, std::span<const std::byte> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return last_error();
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      const OsError error = last_error();
      ::close(fd);
      return error;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (::fsync(fd) != 0) {
    const OsError error = last_error();
    ::close(fd);
    return error;
  }
  if (::close(fd) != 0) return last_error();
  return std::nullopt;
}

Failure PosixPlatform::remove_file(const OsString& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return last_error();
  return std::nullopt;
}

Failure PosixPlatform::move_replace(const OsString& from, const OsString& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return last_error();
  return std::nullopt;
}

void PosixPlatform::initialise_com() {}

std::optional<OsString> PosixPlatform::known_folder(KnownFolder) { return std::nullopt; }

Failure PosixPlatform::save_shortcut(const OsString& link, const ShortcutTarget& target) {
  const std::string text =
      target.program + '\n' + target.working_directory + '\n' + target.icon + '\n' + target.description + '\n';
  return write_file(link, std::as_bytes(std::span(text)));
}

Failure PosixPlatform::start_process(const OsString& program, const OsString& working_directory) {
  posix_spawn_file_actions_t actions;
  if (int error = posix_spawn_file_actions_init(&actions)) return OsError{static_cast<std::uint32_t>(error)};
  int error = posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  pid_t child = 0;
  if (error == 0) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return OsError{static_cast<std::uint32_t>(error)};
  return std::nullopt;
}

void PosixPlatform::error_box(const OsString& text) {
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(product_name.size()), product_name.data(), text.c_str());
}

OsString PosixPlatform::system_message(std::uint32_t code) { return std::strerror(static_cast<int>(code)); }

}  // namespace installer
