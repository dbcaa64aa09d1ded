// The module's stand-in for floating-point to_chars must write what the native
// library writes: the cells' <v> texts and formula results depend on it.
#include "../../../engine/wasm/charconv_compat.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

namespace {

std::string library(double v, int style) {
  char buf[512];
  auto r = style == 'p' ? std::to_chars(buf, buf + sizeof buf, v)
                        : std::to_chars(buf, buf + sizeof buf, v,
                                        style == 'f'   ? std::chars_format::fixed
                                        : style == 'e' ? std::chars_format::scientific
                                                       : std::chars_format::general);
  return std::string(buf, r.ptr);
}

std::string compat(double v, char style) {
  char buf[512];
  auto r = std::charconv_compat::shortest(buf, buf + sizeof buf, v, style);
  return std::string(buf, r.ptr);
}

std::vector<double> samples() {
  std::vector<double> out = {0.0,  -0.0, 20,   40,    60,  80,   100,  1000, 1e6,   1e15, 1e21,  1e22, 123456,
                             1e-4, 1e-5, 0.001, 82.5, 12.5, 0.1 + 0.2, 1.0 / 3, -2.5, 46000.25, 1.2345678901234567e21,
                             5e-324, 1.7976931348623157e308};
  std::mt19937_64 random(15);
  // Values a card holds: loads in half kilos, repetitions, dates, percentages.
  for (int i = 0; i < 2000; ++i) out.push_back(static_cast<double>(random() % 4000) / 2);
  for (int i = 0; i < 2000; ++i) out.push_back(static_cast<double>(random() % 100000) / 100);
  for (int i = 0; i < 2000; ++i) out.push_back(std::pow(10.0, static_cast<double>(random() % 40) - 20) * (random() % 1000));
  // Any double at all.
  for (int i = 0; i < 5000; ++i) {
    const double v = std::bit_cast<double>(random());
    if (std::isfinite(v)) out.push_back(v);
  }
  return out;
}

TEST(CharconvCompat, ShortestTextsMatchTheLibrary) {
  for (double v : samples()) {
    ASSERT_EQ(compat(v, 'p'), library(v, 'p')) << v;
    ASSERT_EQ(compat(v, 'e'), library(v, 'e')) << v;
    ASSERT_EQ(compat(v, 'g'), library(v, 'g')) << v;
    if (std::abs(v) < 1e17) {
      ASSERT_EQ(compat(v, 'f'), library(v, 'f')) << v;
    }
  }
}

// The module reads cell numbers through plain_decimal: whatever it accepts must read
// exactly as the library reads it, and end where the library ends.
TEST(CharconvCompat, PlainDecimalsReadAsTheLibraryReads) {
  std::vector<std::string> texts = {"0", "-0", "0.0", "00.5", "-.5", "5.", "72.5", "-3", "0.125", "0.05",
                                    "123456789012345", "999999999999999.9", "0.1", "0.3", "1.2.3", "12abc",
                                    "0x1A", "1e5", "2.5E-3", "0.0000000000000000000001", "0.00000000000000000000001",
                                    "1234567890123456", ".", "-", "", "inf", "46000.25"};
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::string t = random() % 4 ? "" : "-";
    const int whole = static_cast<int>(random() % 9), fraction = static_cast<int>(random() % 12);
    for (int k = 0; k < whole; ++k) t += static_cast<char>('0' + random() % 10);
    if (fraction || random() % 2) t += '.';
    for (int k = 0; k < fraction; ++k) t += static_cast<char>('0' + random() % 10);
    texts.push_back(t);
  }
  int fast = 0;
  for (const std::string& t : texts) {
    double ours = 0;
    const char* end = std::charconv_compat::plain_decimal(t.data(), t.data() + t.size(), ours);
    if (!end) continue;
    ++fast;
    double theirs = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), theirs);
    ASSERT_EQ(r.ec, std::errc()) << t;
    ASSERT_EQ(end, r.ptr) << t;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(ours), std::bit_cast<std::uint64_t>(theirs)) << t;
  }
  EXPECT_GT(fast, 15000);  // the common forms take the short way
}

}  // namespace
