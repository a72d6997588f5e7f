// Designs written the way their authors write them (active-low selects as
// "x = !(...)", address ranges listed, no hand minimisation) that the chips
// can hold but only with minimised or complemented sums. Each compiles only
// through the rescue, which runs after a refusal: its NOTE lines prove both.
// The GAL fuse files are decoded again by jedutil; a CPLD file must equal,
// byte for byte, the one of the same design written active-low by hand.
#include "tests/gal/jedutil-reader.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <sstream>

namespace gsmith::testing {
namespace {

struct NaturalDesign {
  const char *title;
  std::string source;
  std::string notes;  // the NOTE lines of the log, in order
  std::string byHand; // CPLD: the design as written for the chip
};

void PrintTo(const NaturalDesign &design, std::ostream *out) { *out << design.title; }

std::string noteLines(const std::string &log) {
  std::istringstream in(log);
  std::string notes;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("NOTE: ", 0) == 0)
      notes += line + "\n";
  return notes;
}

std::string pins(const std::string &device, const std::vector<std::string> &names,
                 const std::vector<int> &numbers, const std::string &direction) {
  std::string text = device.empty() ? "" : "DEVICE " + device + "\n";
  for (size_t i = 0; i < names.size(); ++i)
    text += "PIN " + std::to_string(numbers[i]) + " " + names[i] + " " + direction + "\n";
  return text;
}

const std::string kBusMasters =
    pins("ATF1504AS", {"q0", "g0", "q1", "g1", "q2", "g2", "q3", "g3", "q4", "g4", "q5", "g5"},
         {4, 5, 6, 8, 9, 11, 12, 14, 16, 17, 18, 19}, "INPUT") +
    "PACKAGE PLCC44\nPIN 37 HOLD_n OUTPUT\nPIN 39 ANY OUTPUT\n";

const std::string kInterrupts =
    pins("ATF1502AS", {"r0", "m0", "r1", "m1", "r2", "m2", "r3", "m3", "r4", "m4", "r5", "m5"},
         {4, 5, 6, 8, 9, 11, 12, 14, 16, 17, 18, 19}, "INPUT") +
    "PIN 24 IRQ_n OUTPUT\n";

const NaturalDesign kDesigns[] = {
    {"Z80DecodeOnGAL16V8B",
     pins("GAL16V8B", {"A15", "A14", "A13", "A12", "A7", "A6", "MREQ_n", "IORQ_n", "RD_n", "M1_n"},
          {1, 2, 3, 4, 5, 6, 7, 8, 9, 11}, "INPUT") +
         "PIN 19 ROM_CS_n OUTPUT\nPIN 18 RAM_CS_n OUTPUT\nPIN 17 IO_CS_n OUTPUT\n"
         "PIN 16 RD_ROM_n OUTPUT\n"
         "ROM_CS_n = !(!A15 & !A14 & !MREQ_n);\n"
         "RAM_CS_n = !(A15 & !MREQ_n | A14 & !MREQ_n);\n"
         "IO_CS_n = !(!IORQ_n & M1_n & A7 & !A6 & !A12 & !A13 & !A14 & !A15);\n"
         "RD_ROM_n = !(!A15 & !A14 & !A13 & !A12 & !MREQ_n & !RD_n & M1_n & A7 & A6);\n",
     "NOTE: output 'IO_CS_n' implemented active-low: 1 product term (the direct form needs 8)\n"
     "NOTE: output 'RD_ROM_n' implemented active-low: 1 product term (the direct form needs 9)\n",
     ""},
    {"WideOrWrittenActiveLowOnGAL16V8B",
     pins("GAL16V8B", {"a", "b", "c", "d", "e", "f", "g", "h"}, {2, 3, 4, 5, 6, 7, 8, 9}, "INPUT") +
         "PIN 12 BUSY_n OUTPUT\n!BUSY_n = a | b | c | d | e | f | g | h;\n",
     "NOTE: output 'BUSY_n' implemented active-high: 1 product term (the direct form needs 8)\n",
     ""},
    {"PriorityEncoderOnGAL22V10B",
     pins("GAL22V10B", {"r0", "r1", "r2", "r3", "m0", "m1", "m2", "m3", "r4", "m4", "r5"},
          {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13}, "INPUT") +
         "PIN 23 IRQ_n OUTPUT\nPIN 22 V0 OUTPUT\nPIN 21 V1 OUTPUT\nPIN 20 V2 OUTPUT\n"
         "IRQ_n = !(r0 & m0 | r1 & m1 | r2 & m2 | r3 & m3 | r4 & m4);\n"
         "V0 = r1 & m1 & !(r0 & m0) | r3 & m3 & !(r0 & m0) & !(r1 & m1) & !(r2 & m2);\n"
         "V1 = r2 & m2 & !(r0 & m0) & !(r1 & m1) | r3 & m3 & !(r0 & m0) & !(r1 & m1) & "
         "!(r2 & m2);\n"
         "V2 = r4 & m4 & !(r0 & m0) & !(r1 & m1) & !(r2 & m2) & !(r3 & m3) | r5 & !(r0 & m0) & "
         "!(r1 & m1) & !(r2 & m2) & !(r3 & m3) & !(r4 & m4);\n",
     "NOTE: output 'IRQ_n' implemented active-low: 5 product terms (the direct form needs 32)\n"
     "NOTE: output 'V2' implemented active-low: 6 product terms (the direct form needs 48)\n",
     ""},
    {"MemoryEnableRangesOnGAL20V8B",
     pins("GAL20V8B", {"A15", "A14", "A13", "A12", "A11", "A10", "A9", "A8", "E"},
          {2, 3, 4, 5, 6, 7, 8, 9, 10}, "INPUT") +
         "PIN 22 RAM_EN OUTPUT\nPIN 21 IO_EN OUTPUT\n"
         "RAM_EN = E & !A15 & !A14 & !A13 | E & !A15 & !A14 & A13 | E & !A15 & A14 & !A13\n"
         "  | E & !A15 & A14 & A13 & !A12 | E & !A15 & A14 & A13 & A12 & !A11\n"
         "  | E & !A15 & A14 & A13 & A12 & A11 & !A10 | E & !A15 & A14 & A13 & A12 & A11 & A10 & "
         "!A9\n"
         "  | E & !A15 & A14 & A13 & A12 & A11 & A10 & A9 & !A8 | E & A15 & !A14 & A13;\n"
         "IO_EN = E & !A15 & A14 & A13 & A12 & A11 & A10 & A9 & A8;\n",
     "NOTE: output 'RAM_EN' implemented active-low: 4 product terms (the direct form needs 8)\n",
     ""},
    {"BusRequestsOnATF1504AS",
     kBusMasters + "HOLD_n = !(q0 & g0 | q1 & g1 | q2 & g2 | q3 & g3 | q4 & g4 | q5 & g5);\n"
                   "ANY = !(!q0 & !q1 & !q2 & !q3 & !q4 & !q5 & !g0);\n",
     "NOTE: output 'HOLD_n' implemented active-low: 6 product terms (the direct form needs 64)\n"
     "NOTE: output 'ANY' implemented active-low: 1 product term (the direct form needs 7)\n",
     kBusMasters + "!HOLD_n = g0 & q0 | g1 & q1 | g2 & q2 | g3 & q3 | g4 & q4 | g5 & q5;\n"
                   "!ANY = !g0 & !q0 & !q1 & !q2 & !q3 & !q4 & !q5;\n"},
    {"InterruptOrOnATF1502AS",
     kInterrupts + "IRQ_n = !(r0 & m0 | r1 & m1 | r2 & m2 | r3 & m3 | r4 & m4 | r5 & m5);\n",
     "NOTE: output 'IRQ_n' implemented active-low: 6 product terms (the direct form needs 64)\n",
     kInterrupts + "!IRQ_n = m0 & r0 | m1 & r1 | m2 & r2 | m3 & r3 | m4 & r4 | m5 & r5;\n"},
};

class NaturalDesigns : public ::testing::TestWithParam<NaturalDesign> {};

TEST_P(NaturalDesigns, FitOnlyThroughTheRescueAndKeepTheirFunction) {
  const NaturalDesign &design = GetParam();
  TempDir dir;
  const RunResult result = compileSource(dir, design.source);
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_EQ(noteLines(result.out), design.notes);
  if (design.byHand.empty()) {
    if (!jedutilInstalled())
      GTEST_SKIP() << "jedutil (Debian package mame-tools) is not installed";
    EXPECT_TRUE(decodesAsSource(dir.file("design.jed"), design.source));
    return;
  }
  TempDir handDir;
  ASSERT_EQ(compileSource(handDir, design.byHand).exitCode, 0);
  EXPECT_EQ(dir.read("design.jed"), handDir.read("design.jed"));
}

INSTANTIATE_TEST_SUITE_P(Rescue, NaturalDesigns, ::testing::ValuesIn(kDesigns),
                         [](const auto &info) { return std::string(info.param.title); });

} // namespace
} // namespace gsmith::testing
