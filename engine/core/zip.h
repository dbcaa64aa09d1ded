// The zip container of an .xlsx file: reading the central directory, inflating entries
// and writing a new archive that reuses the original records of untouched entries.
// Internal to the engine (the reader and writer use it; tests and the fuzzer too).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace stilaro::zip {

struct Entry {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint16_t time = 0;    // MS-DOS time and date, kept when the entry is rewritten
  std::uint16_t date = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressed_size = 0;
  std::uint32_t size = 0;
  std::size_t local_offset = 0;    // of the local header in the archive
  std::size_t local_length = 0;    // local header + data (+ data descriptor)
  std::size_t data_offset = 0;     // of the compressed data
  std::size_t central_offset = 0;  // of the central directory record
  std::size_t central_length = 0;
};

enum class ReadError { None, NotZip, Damaged };

struct Archive {
  std::vector<Entry> entries;  // in central directory order
  const Entry* find(std::string_view name) const;
};

// Reads the directory of `bytes`; the entries point into those bytes.
ReadError read_archive(std::span<const std::uint8_t> bytes, Archive& out);

// The uncompressed content; nullopt when the data are damaged (bad deflate stream,
// wrong size or CRC, unknown method) or larger than the engine accepts.
std::optional<std::string> extract(std::span<const std::uint8_t> bytes, const Entry& entry);

std::uint32_t crc32(std::string_view data);
std::string deflate_raw(std::string_view data);

class Writer {
 public:
  // Copies an entry of `source` unchanged: its local record and central record bytes.
  void copy(std::span<const std::uint8_t> source, const Entry& entry);
  // Adds an entry with new content, deflated, with the given MS-DOS time and date.
  void add(std::string_view name, std::string_view content, std::uint16_t time, std::uint16_t date);
  std::vector<std::uint8_t> finish();

 private:
  std::vector<std::uint8_t> out_;
  std::vector<std::uint8_t> central_;
  std::uint16_t count_ = 0;
};

}  // namespace stilaro::zip
