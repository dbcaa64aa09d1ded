// Build step: hashes the payload files in order and writes the header that
// carries the build id, touching it only when the id changes.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "build_id.hpp"

namespace {

bool add_file(installer::Fnv1a& hash, const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    hash.update(std::as_bytes(std::span(buffer.data(), static_cast<std::size_t>(in.gcount()))));
  }
  return in.eof();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: build_id_tool OUTPUT.hpp PAYLOAD...\n";
    return 2;
  }
  installer::Fnv1a hash;
  for (int i = 2; i < argc; ++i) {
    if (!add_file(hash, argv[i])) {
      std::cerr << "build_id_tool: cannot read " << argv[i] << '\n';
      return 1;
    }
  }
  std::ostringstream header;
  header << "#pragma once\n"
         << "#include <string_view>\n"
         << "namespace installer {\n"
         << "inline constexpr std::string_view embedded_build_id = \"" << installer::hex16(hash.value()) << "\";\n"
         << "}\n";
  std::ifstream existing(argv[1], std::ios::binary);
  const std::string old((std::istreambuf_iterator<char>(existing)), std::istreambuf_iterator<char>());
  if (old == header.str()) return 0;
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << header.str();
  return out ? 0 : 1;
}
