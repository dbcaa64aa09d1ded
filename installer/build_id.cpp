#include "build_id.hpp"

namespace installer {

void Fnv1a::update(std::span<const std::byte> bytes) {
  for (std::byte b : bytes) {
    state_ ^= static_cast<std::uint64_t>(b);
    state_ *= fnv1a_prime;
  }
}

std::string hex16(std::uint64_t value) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text(build_id_length, '0');
  for (std::size_t i = build_id_length; i-- > 0; value >>= 4) text[i] = digits[value & 0xf];
  return text;
}

std::string build_id(std::initializer_list<std::span<const std::byte>> payloads) {
  Fnv1a hash;
  for (auto payload : payloads) hash.update(payload);
  return hex16(hash.value());
}

}  // namespace installer
