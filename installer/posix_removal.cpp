// The POSIX platform's registry, removals, questions and processes.
#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "layout.hpp"
#include "posix_platform.hpp"

extern char** environ;

namespace installer {
namespace {

bool same_file(const OsString& a, const OsString& b) {
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::vector<pid_t> processes_running(const OsString& program) {
  std::vector<pid_t> found;
  DIR* proc = ::opendir("/proc");
  if (!proc) return found;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == ::getpid()) continue;
    if (same_file("/proc/" + std::string(entry->d_name) + "/exe", program)) found.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return found;
}

}  // namespace

Failure PosixPlatform::write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) {
  auto& stored = user_registry_[key];
  for (const RegistryValue& value : values) {
    std::erase_if(stored, [&](const RegistryValue& old) { return old.name == value.name; });
    stored.push_back(value);
  }
  return std::nullopt;
}

Failure PosixPlatform::remove_user_registry_key(const OsString& key) {
  user_registry_.erase(key);
  return std::nullopt;
}

Failure PosixPlatform::remove_folder(const OsString& path) {
  if (::rmdir(path.c_str()) != 0 && errno != ENOENT) return OsError{static_cast<std::uint32_t>(errno)};
  return std::nullopt;
}

Failure PosixPlatform::remove_tree(const OsString& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (error) return OsError{static_cast<std::uint32_t>(error.value())};
  return std::nullopt;
}

bool PosixPlatform::ask(const OsString& text, Question) {
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(product_name.size()), product_name.data(), text.c_str());
  return false;
}

bool PosixPlatform::close_program(const OsString& program) {
  for (pid_t pid : processes_running(program)) ::kill(pid, SIGTERM);
  for (int waited = 0; waited < 100; ++waited) {
    if (processes_running(program).empty()) return true;
    pause(std::chrono::milliseconds(100));
  }
  return false;
}

void PosixPlatform::pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

bool PosixPlatform::is_this_program(const OsString& path) { return same_file("/proc/self/exe", path); }

Failure PosixPlatform::start_temporary_copy() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path copy = fs::temp_directory_path(error) / ("tarvela-disinstalla-" + std::to_string(::getpid()));
  if (!error) fs::copy_file("/proc/self/exe", copy, fs::copy_options::overwrite_existing, error);
  if (error) return OsError{static_cast<std::uint32_t>(error.value())};
  char* argv[] = {const_cast<char*>(copy.c_str()), nullptr};
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, copy.c_str(), nullptr, nullptr, argv, environ);
  ::unlink(copy.c_str());
  if (spawned != 0) return OsError{static_cast<std::uint32_t>(spawned)};
  return std::nullopt;
}

}  // namespace installer
