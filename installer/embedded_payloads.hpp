#pragma once
// The payloads linked into this installer and their build id.
#include <cstddef>
#include <span>

#include "build_id_value.hpp"
#include "install_run.hpp"

extern "C" {
extern const std::byte tarvela_payload_app_start[], tarvela_payload_app_end[];
extern const std::byte tarvela_payload_loader_start[], tarvela_payload_loader_end[];
extern const std::byte tarvela_payload_icon_start[], tarvela_payload_icon_end[];
extern const std::byte tarvela_payload_uninstaller_start[], tarvela_payload_uninstaller_end[];
}

namespace installer {

inline Build embedded_build() {
  return Build{
      std::span(tarvela_payload_app_start, tarvela_payload_app_end),
      std::span(tarvela_payload_loader_start, tarvela_payload_loader_end),
      std::span(tarvela_payload_icon_start, tarvela_payload_icon_end),
      std::span(tarvela_payload_uninstaller_start, tarvela_payload_uninstaller_end),
      embedded_build_id,
  };
}

}  // namespace installer
