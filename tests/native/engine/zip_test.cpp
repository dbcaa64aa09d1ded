// The zip container: damaged archives, data descriptors, comments and what the writer
// copies.
#include <gtest/gtest.h>

#include "test_files.h"
#include "zip.h"

namespace stilaro::zip {
namespace {

std::vector<std::uint8_t> bytes_of(std::string_view s) { return {s.begin(), s.end()}; }

TEST(Zip, Crc32OfKnownText) {
  EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(crc32(""), 0u);
}

TEST(Zip, WrittenEntriesReadBackWithTheirTimes) {
  Writer w;
  std::string big(100000, 'x');
  w.add("a.xml", "<a/>", 0x1234, 0x5678);
  w.add("dir/b.xml", big, 1, 2);
  auto bytes = w.finish();
  Archive ar;
  ASSERT_EQ(read_archive(bytes, ar), ReadError::None);
  ASSERT_EQ(ar.entries.size(), 2u);
  EXPECT_EQ(ar.entries[0].name, "a.xml");
  EXPECT_EQ(ar.entries[0].time, 0x1234);
  EXPECT_EQ(ar.entries[0].date, 0x5678);
  EXPECT_EQ(ar.entries[1].method, 8);
  EXPECT_LT(ar.entries[1].compressed_size, 1000u);
  EXPECT_EQ(extract(bytes, ar.entries[1]), big);
}

TEST(Zip, CopiedEntriesKeepTheirRecords) {
  auto original = test::fixture("zip-comment.xlsx");
  Archive ar;
  ASSERT_EQ(read_archive(original, ar), ReadError::None);
  Writer w;
  for (const auto& e : ar.entries) w.copy(original, e);
  auto copy = w.finish();
  Archive back;
  ASSERT_EQ(read_archive(copy, back), ReadError::None);
  ASSERT_EQ(back.entries.size(), ar.entries.size());
  for (std::size_t i = 0; i < ar.entries.size(); ++i) {
    EXPECT_EQ(back.entries[i].name, ar.entries[i].name);
    EXPECT_EQ(extract(copy, back.entries[i]), extract(original, ar.entries[i]));
  }
}

// One stored entry written by a streaming writer: sizes only in the data descriptor
// after the data (with its optional signature).
std::vector<std::uint8_t> streamed_entry() {
  std::string content = "<x/>";
  std::uint32_t crc = crc32(content);
  std::vector<std::uint8_t> b;
  auto p16 = [&](unsigned v) { b.push_back(v & 255); b.push_back((v >> 8) & 255); };
  auto p32 = [&](std::uint32_t v) { p16(v & 0xFFFF); p16(v >> 16); };
  p32(0x04034b50); p16(20); p16(8); p16(0); p16(0); p16(0); p32(0); p32(0); p32(0); p16(5); p16(0);
  for (char c : std::string("x.xml")) b.push_back(static_cast<std::uint8_t>(c));
  for (char c : content) b.push_back(static_cast<std::uint8_t>(c));
  p32(0x08074b50); p32(crc); p32(4); p32(4);
  std::size_t dir = b.size();
  p32(0x02014b50); p16(20); p16(20); p16(8); p16(0); p16(0); p16(0); p32(crc); p32(4); p32(4);
  p16(5); p16(0); p16(0); p16(0); p16(0); p32(0); p32(0);
  for (char c : std::string("x.xml")) b.push_back(static_cast<std::uint8_t>(c));
  std::size_t dir_size = b.size() - dir;
  p32(0x06054b50); p16(0); p16(0); p16(1); p16(1); p32(static_cast<std::uint32_t>(dir_size));
  p32(static_cast<std::uint32_t>(dir)); p16(0);
  return b;
}

TEST(Zip, DataDescriptorsAreReadAndCopiedWhole) {
  auto bytes = streamed_entry();
  Archive ar;
  ASSERT_EQ(read_archive(bytes, ar), ReadError::None);
  EXPECT_EQ(extract(bytes, ar.entries[0]), "<x/>");
  EXPECT_EQ(ar.entries[0].local_length, 30u + 5 + 4 + 16);
  Writer w;
  w.copy(bytes, ar.entries[0]);
  EXPECT_EQ(w.finish(), bytes);
}

TEST(Zip, DamagedArchivesAreRefused) {
  Archive ar;
  EXPECT_EQ(read_archive(bytes_of("PK"), ar), ReadError::NotZip);
  EXPECT_EQ(read_archive(bytes_of(std::string(100, 'a')), ar), ReadError::NotZip);

  auto good = streamed_entry();
  auto bad_offset = good;
  bad_offset[bad_offset.size() - 6] = 0xF0;  // directory offset beyond the file
  EXPECT_EQ(read_archive(bad_offset, ar), ReadError::Damaged);

  // A wrong CRC or a size that does not match is caught when the entry is read.
  auto bad_crc = good;
  bad_crc[30 + 5] = 'y';
  ASSERT_EQ(read_archive(bad_crc, ar), ReadError::None);
  EXPECT_FALSE(extract(bad_crc, ar.entries[0]));
}

TEST(Zip, OversizedEntriesAreNotInflated) {
  auto bytes = streamed_entry();
  Archive ar;
  ASSERT_EQ(read_archive(bytes, ar), ReadError::None);
  Entry e = ar.entries[0];
  e.method = 8;
  e.size = 0xFFFFFFF0u;  // a zip bomb's claim
  EXPECT_FALSE(extract(bytes, e));
}

}  // namespace
}  // namespace stilaro::zip
