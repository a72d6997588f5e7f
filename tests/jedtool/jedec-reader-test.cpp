// The JEDEC reader through its interface: what a well-formed file yields
// (checksums worked out by hand) and the problem each malformed file is
// refused for.
#include "target/jedec-reader.h"
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

// CR LF lines, a note, an L field spanning two lines, a vector field and the
// F1 default for fuses 4..7 and 9..11. Fuses 1011 1111 0111: bytes 0xFD and
// 0x0E give the fuse checksum 010B; the bytes STX..ETX add up to 0C91.
const std::string kFields = "hdr*\r\nQF12* F1*\r\nN note*L0 10\r\n 11*L8 0*V0001 0101*C010B*G1*";

TEST(JedecReader, ReadsFieldsFusesAndBothChecksums) {
  const JedecFile file = readJedec("junk before STX" + jedecText(kFields, "0C91") + "\r\n");
  EXPECT_EQ(file.header, "hdr");
  EXPECT_EQ(file.fuses, (std::vector<std::uint8_t>{1, 0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(file.securityFuse, 1);
  EXPECT_EQ(file.fuseChecksum.state, ChecksumState::Right);
  EXPECT_EQ(file.transmissionChecksum.state, ChecksumState::Right);
}

TEST(JedecReader, TellsWrongFromAbsentChecksums) {
  struct Case {
    std::string fields, transmission;
    ChecksumState fuseState, transmissionState;
  };
  const std::vector<Case> cases = {
      {"x*QF12*F1*L0 1011*L8 0*", "0000", ChecksumState::NotGiven, ChecksumState::NotGiven},
      {"x*QF12*F1*L0 1011*L8 0*C010C*", "0C91", ChecksumState::Wrong, ChecksumState::Wrong},
  };
  for (const Case &c : cases) {
    const JedecFile file = readJedec(jedecText(c.fields, c.transmission));
    EXPECT_EQ(file.fuseChecksum.state, c.fuseState) << c.fields;
    EXPECT_EQ(file.fuseChecksum.computed, 0x010B) << c.fields;
    EXPECT_EQ(file.transmissionChecksum.state, c.transmissionState) << c.fields;
  }
}

TEST(JedecReader, RefusesMalformedFilesNamingTheProblem) {
  struct Case {
    std::string text, problem;
  };
  const std::vector<Case> cases = {
      {"x*QF8*F0*\x03"
       "0000",
       "no STX (0x02)"},
      {"\x02x*QF8*F0*", "no ETX (0x03)"},
      {jedecText("x*QF8*F0*", "00g0"), "line 1: ETX must be followed by the four hexadecimal"},
      {jedecText("no star at all"), "no '*' ends the header text"},
      {jedecText("x*F0*"), "no QF field gives the fuse count"},
      {jedecText("x*QF0*"), "QF must give the fuse count as a positive"},
      {jedecText("x*QFabc*"), "QF must give the fuse count as a positive"},
      {jedecText("x*QF2000000*"), "QF2000000 is more fuses than any device has"},
      {jedecText("x*QF8*QF8*"), "a second QF field"},
      {jedecText("x*QF8*F0*F1*"), "a second F field"},
      {jedecText("x*QF8*F0*C0000*C0000*"), "a second C field"},
      {jedecText("x*QF8*F0*G0*G0*"), "a second G field"},
      {jedecText("x*L0 1*QF8*"), "an L field comes before QF"},
      {jedecText("x*QF8*L 0*"), "must start with its first fuse number"},
      {jedecText("x*QF8*L8 0*"), "L field at fuse 8 lies outside the 8 fuses"},
      {jedecText("x*QF8*L6 000*"), "L field at fuse 6 runs past fuse 7"},
      {jedecText("x*\nQF8*\nL0 0120*"), "line 3: L field at fuse 0: '2' is not a fuse value"},
      {jedecText("x*QF8*L3 *"), "L field at fuse 3 holds no fuse values"},
      {jedecText("x*QF8*L0 0000*"), "fuse 4 is set by no L field and no F field"},
      {jedecText("x*QF8*F2*"), "the F field must be F0 or F1"},
      {jedecText("x*QF8*F0*C12*"), "the C field must be four hexadecimal digits"},
      {jedecText("x*QF8*F0*G2*"), "the G field must be G0 or G1"},
      {jedecText("x*QF8*F0*%1*"), "a field starts with '%' instead of a letter"},
      {jedecText("x*QF8*F0* L0 1"), "the last field before ETX has no closing '*'"},
  };
  for (const Case &c : cases) {
    try {
      readJedec(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const JedecError &error) {
      EXPECT_NE(std::string(error.what()).find(c.problem), std::string::npos)
          << error.what() << "\n  expected: " << c.problem;
    }
  }
}

} // namespace
} // namespace gsmith::testing
