#include "zip.h"

#include <zlib.h>

#include <algorithm>

namespace stilaro::zip {

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
// Cards are small; anything beyond this is damaged or hostile.
constexpr std::size_t kMaxEntrySize = 256u << 20;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void put16(std::vector<std::uint8_t>& o, std::uint16_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  put16(o, static_cast<std::uint16_t>(v));
  put16(o, static_cast<std::uint16_t>(v >> 16));
}
void patch32(std::vector<std::uint8_t>& o, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) o[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool fits(std::span<const std::uint8_t> b, std::size_t at, std::size_t len) {
  return at <= b.size() && len <= b.size() - at;
}

}  // namespace

const Entry* Archive::find(std::string_view name) const {
  for (const auto& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}

ReadError read_archive(std::span<const std::uint8_t> b, Archive& out) {
  out.entries.clear();
  if (b.size() < kEndSize) return ReadError::NotZip;
  // The end record sits before an optional trailing comment of up to 64 KB.
  std::size_t end = b.size() - kEndSize;
  std::size_t lowest = b.size() > kEndSize + 0xFFFF ? b.size() - kEndSize - 0xFFFF : 0;
  for (;;) {
    if (u32(b, end) == kEndSignature) break;
    if (end == lowest) return ReadError::NotZip;
    --end;
  }
  std::size_t count = u16(b, end + 10);
  std::size_t dir_size = u32(b, end + 12);
  std::size_t at = u32(b, end + 16);
  if (!fits(b, at, dir_size)) return ReadError::Damaged;

  out.entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!fits(b, at, kCentralSize) || u32(b, at) != kCentralSignature) return ReadError::Damaged;
    Entry e;
    e.flags = u16(b, at + 8);
    e.method = u16(b, at + 10);
    e.time = u16(b, at + 12);
    e.date = u16(b, at + 14);
    e.crc = u32(b, at + 16);
    e.compressed_size = u32(b, at + 20);
    e.size = u32(b, at + 24);
    std::size_t name_len = u16(b, at + 28), extra_len = u16(b, at + 30), comment_len = u16(b, at + 32);
    e.local_offset = u32(b, at + 42);
    e.central_offset = at;
    e.central_length = kCentralSize + name_len + extra_len + comment_len;
    if (!fits(b, at, e.central_length)) return ReadError::Damaged;
    e.name.assign(reinterpret_cast<const char*>(b.data() + at + kCentralSize), name_len);
    // Encrypted entries cannot be read.
    if (e.flags & 1) return ReadError::Damaged;

    std::size_t lo = e.local_offset;
    if (!fits(b, lo, kLocalSize) || u32(b, lo) != kLocalSignature) return ReadError::Damaged;
    e.data_offset = lo + kLocalSize + u16(b, lo + 26) + u16(b, lo + 28);
    if (!fits(b, e.data_offset, e.compressed_size)) return ReadError::Damaged;
    std::size_t after = e.data_offset + e.compressed_size;
    if (e.flags & 8) {
      // A data descriptor follows the data, with or without its signature.
      std::size_t len = fits(b, after, 4) && u32(b, after) == kDescriptorSignature ? 16 : 12;
      if (!fits(b, after, len)) return ReadError::Damaged;
      after += len;
    }
    e.local_length = after - lo;
    at += e.central_length;
    out.entries.push_back(std::move(e));
  }
  return ReadError::None;
}

std::optional<std::string> extract(std::span<const std::uint8_t> b, const Entry& e) {
  if (e.size > kMaxEntrySize || !fits(b, e.data_offset, e.compressed_size)) return std::nullopt;
  const auto* data = b.data() + e.data_offset;
  std::string out;
  if (e.method == 0) {
    if (e.compressed_size != e.size) return std::nullopt;
    out.assign(reinterpret_cast<const char*>(data), e.size);
  } else if (e.method == 8) {
    // Inflate in pieces: the declared size is only trusted as a limit, so a hostile
    // claim costs no memory up front.
    out.reserve(std::min<std::size_t>(e.size, 1u << 20));
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = e.compressed_size;
    unsigned char chunk[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
      z.next_out = chunk;
      z.avail_out = sizeof chunk;
      rc = inflate(&z, Z_NO_FLUSH);
      std::size_t n = sizeof chunk - z.avail_out;
      if (out.size() + n > e.size) rc = Z_DATA_ERROR;
      else out.append(reinterpret_cast<const char*>(chunk), n);
      if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END || out.size() != e.size) return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (crc32(out) != e.crc) return std::nullopt;
  return out;
}

std::uint32_t crc32(std::string_view data) {
  uLong crc = ::crc32(0L, Z_NULL, 0);
  // zlib takes 32-bit lengths; feed large inputs in pieces.
  while (!data.empty()) {
    auto n = static_cast<uInt>(std::min<std::size_t>(data.size(), 1u << 30));
    crc = ::crc32(crc, reinterpret_cast<const Bytef*>(data.data()), n);
    data.remove_prefix(n);
  }
  return static_cast<std::uint32_t>(crc);
}

std::string deflate_raw(std::string_view data) {
  z_stream z{};
  deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void Writer::copy(std::span<const std::uint8_t> source, const Entry& e) {
  std::size_t offset = out_.size();
  const auto* local = source.data() + e.local_offset;
  out_.insert(out_.end(), local, local + e.local_length);
  std::size_t at = central_.size();
  const auto* central = source.data() + e.central_offset;
  central_.insert(central_.end(), central, central + e.central_length);
  patch32(central_, at + 42, static_cast<std::uint32_t>(offset));
  ++count_;
}

void Writer::add(std::string_view name, std::string_view content, std::uint16_t time,
                 std::uint16_t date) {
  std::string packed = deflate_raw(content);
  std::uint32_t crc = crc32(content);
  auto offset = static_cast<std::uint32_t>(out_.size());
  auto header = [&](std::vector<std::uint8_t>& o, bool central) {
    put32(o, central ? kCentralSignature : kLocalSignature);
    if (central) put16(o, 20);  // version made by
    put16(o, 20);               // version needed
    put16(o, name.size() > 0 && std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; }) ? 0x800 : 0);
    put16(o, 8);
    put16(o, time);
    put16(o, date);
    put32(o, crc);
    put32(o, static_cast<std::uint32_t>(packed.size()));
    put32(o, static_cast<std::uint32_t>(content.size()));
    put16(o, static_cast<std::uint16_t>(name.size()));
    put16(o, 0);  // extra
    if (central) {
      put16(o, 0);  // comment
      put16(o, 0);  // disk
      put16(o, 0);  // internal attributes
      put32(o, 0);  // external attributes
      put32(o, offset);
    }
    o.insert(o.end(), name.begin(), name.end());
  };
  header(out_, false);
  out_.insert(out_.end(), packed.begin(), packed.end());
  header(central_, true);
  ++count_;
}

std::vector<std::uint8_t> Writer::finish() {
  auto dir_offset = static_cast<std::uint32_t>(out_.size());
  out_.insert(out_.end(), central_.begin(), central_.end());
  put32(out_, kEndSignature);
  put16(out_, 0);
  put16(out_, 0);
  put16(out_, count_);
  put16(out_, count_);
  put32(out_, static_cast<std::uint32_t>(central_.size()));
  put32(out_, dir_offset);
  put16(out_, 0);
  return std::move(out_);
}

}  // namespace stilaro::zip
