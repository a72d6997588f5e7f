// The last check before a CPLD JEDEC file is written, fed gsmith's own map of
// a design with fuses changed the way a faulty encoder or table would change
// them: each kind of damage that could lock the JTAG port or drive a pin is
// refused with its message, while the map as encoded passes.
#include "cpld/architecture.h"
#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace gsmith {
namespace {

const std::string k1502 = "DEVICE ATF1502AS\nPIN 4 a INPUT\nPIN 8 y OUTPUT\ny = a;\n";
// Device options hold the ATF1502 to its safety-critical fuses only.
const std::string k1502Options = k1502 + "CONFIG DEVICE TERMINATION BUS_KEEPER\n";
const std::string k1504 = "DEVICE ATF1504AS\nPIN 4 a INPUT\nPIN 8 y OUTPUT\ny = a;\n";
const std::string k1508 = "DEVICE ATF1508AS\nPIN 4 a INPUT\nPIN 8 y OUTPUT\ny = a;\n";

struct GuardCase {
  const char *name;
  const std::string &source;
  std::vector<int> flipped;
  const char *message;
};

const GuardCase kCases[] = {
    {"ConfigurationWord",
     k1502,
     {16751},
     "Refusing to write unsafe ATF1502AS JEDEC: device configuration differs from the verified "
     "JTAG-enabled vendor baseline at fuse 16751"},
    {"SafetyFuseWithOptions",
     k1502Options,
     {16762},
     "Refusing to write unsafe ATF1502AS JEDEC: device configuration differs from the verified "
     "JTAG-enabled vendor baseline at fuse 16762"},
    {"FixedRowPrefix",
     k1502,
     {15360},
     "Refusing to write unsafe ATF1502AS JEDEC: fixed macrocell-row baseline differs at fuse "
     "15360"},
    {"GlobalOEMultiplexer",
     k1502,
     {16721},
     "Refusing to write unsafe ATF1502AS JEDEC: unsupported GOE programming at fuse 16721"},
    {"TwoGlobalOESources",
     k1502Options,
     {16721, 16722},
     "Refusing invalid ATF1502 global-OE selection"},
    {"ReservedFuse1504", k1504, {34191}, "Refusing ATF1504 JEDEC with nonzero reserved fuse"},
    {"JTAGBaseline1504",
     k1504,
     {34134},
     "Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed"},
    {"ReservedFuse1508", k1508, {74135}, "Refusing ATF1508AS JEDEC with nonzero reserved fuse"},
};

class JedecGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(JedecGuard, RefusesTheDamagedMapAndPassesTheEncodedOne) {
  const GuardCase &c = GetParam();
  std::ostringstream log;
  const CompiledDesign compiled = compileToJEDEC("design.pld", c.source, log);
  const SynthesisedDesign design = synthesiseSource(c.source);
  const CPLDArchitecture &arch = *design.target->jedecFacts().cpld;
  std::vector<bool> fuses = compiled.jedec.fuses;
  EXPECT_NO_THROW(arch.checkBeforeWriting(arch, fuses, design.netlist));
  for (const int fuse : c.flipped)
    fuses[static_cast<std::size_t>(fuse)].flip();
  try {
    arch.checkBeforeWriting(arch, fuses, design.netlist);
    ADD_FAILURE() << "the damaged map passed";
  } catch (const std::exception &error) {
    EXPECT_EQ(std::string(error.what()), c.message);
  }
}

INSTANTIATE_TEST_SUITE_P(CPLD, JedecGuard, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace gsmith
