#pragma once
// The build id names one set of payloads: 64-bit FNV-1a over their bytes,
// concatenated in payload order with nothing in between.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace installer {

inline constexpr std::uint64_t fnv1a_offset_basis = 0xcbf29ce484222325ull;
inline constexpr std::uint64_t fnv1a_prime = 0x100000001b3ull;
inline constexpr std::size_t build_id_length = 16;

class Fnv1a {
 public:
  void update(std::span<const std::byte> bytes);
  std::uint64_t value() const { return state_; }

 private:
  std::uint64_t state_ = fnv1a_offset_basis;
};

// 16 lower-case hexadecimal digits, zero-padded.
std::string hex16(std::uint64_t value);

std::string build_id(std::initializer_list<std::span<const std::byte>> payloads);

}  // namespace installer
