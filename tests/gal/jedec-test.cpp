// The JEDEC text rules shared by every writer, checked on the three GAL
// writers and on the shared helper with the CPLD line geometry.
#include "gal/gal16v8.h"
#include "gal/gal20v8.h"
#include "gal/gal22v10.h"
#include "target/jedec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>

namespace gsmith {
namespace {

std::vector<std::string> lines(const std::string &text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

std::vector<std::string> fuseLines(const std::string &text) {
  std::vector<std::string> result;
  for (const std::string &line : lines(text))
    if (!line.empty() && line[0] == 'L')
      result.push_back(line);
  return result;
}

TEST(JedecChecksum, WordsTakeFuseEightKAsTheLeastSignificantBit) {
  std::vector<bool> fuses(9, false);
  fuses[0] = true; // word 0, bit 0
  fuses[8] = true; // short last word, bit 0
  EXPECT_EQ(Jedec::fuseChecksum(fuses), 2);
  std::vector<bool> high(8, false);
  high[7] = true;
  EXPECT_EQ(Jedec::fuseChecksum(high), 128);
}

TEST(JedecChecksum, SumWrapsModulo65536) {
  // 274 words of 255 and a last word of 3: 69873 mod 65536 = 4337 = 0x10F1.
  EXPECT_EQ(Jedec::fuseChecksum(std::vector<bool>(2194, true)), 0x10F1);
  EXPECT_EQ(Jedec::checksumLine(std::vector<bool>(2194, true)), "C10F1*\n");
  EXPECT_EQ(Jedec::checksumLine(std::vector<bool>(5892, false)), "C0000*\n");
}

struct WriterCase {
  const char *device;
  std::function<std::string(const std::vector<bool> &)> toJEDEC;
  unsigned fuseCount;
  const char *description;
  const char *sizeError;
};

void PrintTo(const WriterCase &c, std::ostream *out) { *out << c.device; }

class GALWriter : public ::testing::TestWithParam<WriterCase> {};

TEST_P(GALWriter, FramesHeaderFusesAndChecksums) {
  const WriterCase &writer = GetParam();
  // All fuses at 1: the eight-cell chips read that as complex mode.
  const std::vector<bool> fuses(writer.fuseCount, true);
  const std::string text = writer.toJEDEC(fuses);

  ASSERT_EQ(text.front(), '\x02');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const std::vector<std::string> all = lines(text.substr(1));
  ASSERT_GE(all.size(), 6u);
  EXPECT_EQ(all[0], "");
  EXPECT_EQ(all[1], writer.description);
  EXPECT_EQ(all[2], "*");
  EXPECT_EQ(all[3], "QF" + std::to_string(writer.fuseCount) + "*");
  EXPECT_EQ(all[4], "F0*");
  EXPECT_EQ(all[5], "G0*");

  const std::vector<std::string> fuseLinesFound = fuseLines(text);
  const unsigned fullLines = writer.fuseCount / 32;
  ASSERT_EQ(fuseLinesFound.size(), fullLines + 1);
  EXPECT_EQ(fuseLinesFound[1].substr(0, 6), "L0032 ");
  const std::string last = fuseLinesFound.back();
  EXPECT_EQ(last, "L" + std::to_string(fullLines * 32) + " " +
                      std::string(writer.fuseCount % 32, '1') + "*");

  // The checksum line follows the fuse lines; the transmission checksum
  // covers STX through ETX and nothing after it.
  const size_t etx = text.find('\x03');
  ASSERT_NE(etx, std::string::npos);
  EXPECT_EQ(text.substr(etx - 7, 7), Jedec::checksumLine(fuses));
  unsigned byteSum = 0;
  for (size_t i = 0; i <= etx; ++i)
    byteSum += static_cast<unsigned char>(text[i]);
  char expected[8];
  std::snprintf(expected, sizeof expected, "%04X\n", byteSum % 65536);
  EXPECT_EQ(text.substr(etx + 1), expected);
}

TEST_P(GALWriter, RefusesAVectorOfAnotherSize) {
  const WriterCase &writer = GetParam();
  for (unsigned size : {0u, writer.fuseCount - 1, writer.fuseCount + 1}) {
    try {
      writer.toJEDEC(std::vector<bool>(size, false));
      ADD_FAILURE() << "accepted " << size << " fuses";
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), writer.sizeError);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllGALs, GALWriter,
                         ::testing::Values(WriterCase{"GAL16V8B", GAL16V8Device::toJEDEC, 2194,
                                                      "Gatesmith GAL16V8B DIP20 - complex mode",
                                                      "GAL16V8B requires 2194 fuses"},
                                           WriterCase{"GAL20V8B", GAL20V8Device::toJEDEC, 2706,
                                                      "Gatesmith GAL20V8B DIP24 - complex mode",
                                                      "GAL20V8B requires exactly 2706 fuses"},
                                           WriterCase{"GAL22V10B", GAL22V10Device::toJEDEC, 5892,
                                                      "Gatesmith GAL22V10B DIP24",
                                                      "GAL22V10B requires 5892 fuses"}),
                         [](const auto &info) { return std::string(info.param.device); });

TEST(JedecDocument, CPLDGeometryUsesWideLinesTrailerAndZeroChecksum) {
  std::vector<bool> fuses(130, false);
  fuses[64] = true;
  const std::string text = Jedec::document("\nHDR*\n", fuses, JedecLineFormat{64, 5}, "G1*\n",
                                           TransmissionChecksum::ZERO);
  const std::string expected = std::string("\x02") + "\nHDR*\n" + "L00000 " + std::string(64, '0') +
                               "*\n" + "L00064 1" + std::string(63, '0') + "*\n" + "L00128 00*\n" +
                               "G1*\n" + "C0001*\n" + "\x03" + "0000\n";
  EXPECT_EQ(text, expected);
}

} // namespace
} // namespace gsmith
