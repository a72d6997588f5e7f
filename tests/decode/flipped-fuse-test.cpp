// One flipped fuse in each region of each device: `gsmith-jed verify` must
// fail naming the output it breaks, and gsmith's own check must refuse the
// map when the fuse is flipped between encoding and writing (a test build's
// hook), writing nothing. The fuses are found from the device tables, so
// each case names a region, not a number.
#include "atf1502/atf1502.h"
#include "atf1504/atf1504.h"
#include "cpld/chip.h"
#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"
#include "gal/gal-v8.h"
#include "gal/gal22v10.h"
#include "tests/decode/decode-test-support.h"

#include <gtest/gtest.h>

#include <functional>

namespace gsmith::testing {
namespace {

using Fuses = std::vector<bool>;
// Finds the fuse to flip in a compiled map.
using Finder = std::function<std::size_t(const Fuses &)>;

std::size_t firstZero(const Fuses &fuses, std::size_t from, std::size_t count) {
  for (std::size_t k = from; k < from + count; ++k)
    if (!fuses[k])
      return k;
  ADD_FAILURE() << "no programmed fuse in " << from << ".." << from + count;
  return from;
}

int macrocellOnPin(const CPLDArchitecture &arch, int pin) {
  const std::span<const int> pins = arch.packages[arch.defaultPackage].macrocellPins;
  return static_cast<int>(std::find(pins.begin(), pins.end(), pin) - pins.begin()) + 1;
}

Finder productTermRow(const CPLDArchitecture &arch, int pin) {
  return [&arch, pin](const Fuses &fuses) {
    return firstZero(fuses, productTermRow(arch.productTerms, macrocellOnPin(arch, pin), 1),
                     kProductTermRowWidth);
  };
}

Finder macrocellOption(const CPLDArchitecture &arch, int pin) {
  return [&arch, pin](const Fuses &) {
    return static_cast<std::size_t>(
        optionFuses(arch, macrocellOnPin(arch, pin), option("xor_invert:on")).fuses[0]);
  };
}

// The selection of a switch that feeds the LAB of the output on `pin`.
Finder switchSelection(const CPLDArchitecture &arch, int pin) {
  return [&arch, pin](const Fuses &fuses) {
    const Lab lab = Chip::labOf(macrocellOnPin(arch, pin));
    for (const SwitchEntry &entry : arch.switches)
      for (std::size_t k = 0; entry.lab == lab && k < entry.sources.size(); ++k)
        if (!fuses[static_cast<std::size_t>(entry.firstFuse) + k])
          return static_cast<std::size_t>(entry.firstFuse) + k;
    ADD_FAILURE() << "no switch selection";
    return std::size_t{0};
  };
}

Finder oe1Selection(const CPLDArchitecture &arch) {
  return [&arch](const Fuses &fuses) {
    const GlobalOEMux &mux =
        arch.globalOEs[static_cast<std::size_t>(arch.packageOERoutes[0].goe - 1)];
    return firstZero(fuses, static_cast<std::size_t>(mux.firstFuse), mux.sources.size());
  };
}

Finder gclk1Invert(const CPLDArchitecture &arch) {
  return [&arch](const Fuses &) { return static_cast<std::size_t>(arch.configurationBase + 11); };
}

Finder fixed(std::size_t fuse) {
  return [fuse](const Fuses &) { return fuse; };
}

Finder galRow(std::size_t firstRow, std::size_t width) {
  return [=](const Fuses &fuses) { return firstZero(fuses, firstRow, width); };
}

struct Case {
  std::string region;
  std::string design;
  Finder fuse;
  std::string output; // named in verify's differences and in the check's error
};

std::string cpldDesign(const char *device, int clock, int oe, int a, int b, int y, int q) {
  return std::string("DEVICE ") + device + "\nPIN " + std::to_string(clock) +
         " clk INPUT GCLK1\nPIN " + std::to_string(oe) + " en INPUT GOE1\nPIN " +
         std::to_string(a) + " a INPUT\nPIN " + std::to_string(b) + " b INPUT\nPIN " +
         std::to_string(y) + " y OUTPUT OE OE1\nPIN " + std::to_string(q) +
         " q OUTPUT REGISTERED GCLK1\ny = a & !b;\nq = a | b;\n";
}

std::vector<Case> cases() {
  const CPLDArchitecture &atf1502 = atf1502Architecture();
  const CPLDArchitecture &atf1504 = atf1504Architecture();
  const std::string d1502 = cpldDesign("ATF1502AS", 43, 44, 4, 5, 16, 24);
  const std::string d1504 = cpldDesign("ATF1504AS", 83, 84, 4, 5, 16, 41);
  const std::string gal16 = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 19 y OUTPUT\n"
                            "PIN 18 z OUTPUT\ny = a & !b;\nz = a | b;\n";
  const std::string gal20 = "DEVICE GAL20V8B\nPIN 1 a INPUT\nPIN 3 b INPUT\nPIN 22 y OUTPUT\n"
                            "PIN 21 z OUTPUT\ny = a & !b;\nz = a | b;\n";
  const std::string gal22 = "DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 2 a INPUT\n"
                            "PIN 3 b INPUT\nPIN 23 y OUTPUT REGISTERED GCLK1\ny = a & !b;\n";
  const V8Layout &l16 = gal16v8Layout();
  const V8Layout &l20 = gal20v8Layout();
  const GAL22V10Layout &l22 = GAL22V10Device::kLayout;
  return {
      {"ATF1502 product-term row", d1502, productTermRow(atf1502, 16), "y"},
      {"ATF1502 macrocell option", d1502, macrocellOption(atf1502, 16), "y"},
      {"ATF1502 switch selection", d1502, switchSelection(atf1502, 16), "y"},
      {"ATF1502 GOE", d1502, oe1Selection(atf1502), "y"},
      {"ATF1502 global setting", d1502, gclk1Invert(atf1502), "q"},
      {"ATF1504 product-term row", d1504, productTermRow(atf1504, 16), "y"},
      {"ATF1504 macrocell option", d1504, macrocellOption(atf1504, 16), "y"},
      {"ATF1504 switch selection", d1504, switchSelection(atf1504, 16), "y"},
      {"ATF1504 GOE", d1504, oe1Selection(atf1504), "y"},
      {"ATF1504 global setting", d1504, gclk1Invert(atf1504), "q"},
      // OLMC 0 serves pin 19 (GAL16V8B) and pin 22 (GAL20V8B); complex mode
      // spends its first row on the output enable.
      {"GAL16V8B product-term row", gal16, galRow(l16.rowWidth, l16.rowWidth), "y"},
      {"GAL16V8B macrocell option", gal16, fixed(l16.xorBase), "y"},
      {"GAL16V8B global setting", gal16, fixed(l16.ac0Fuse), "y"},
      {"GAL20V8B product-term row", gal20, galRow(l20.rowWidth, l20.rowWidth), "y"},
      {"GAL20V8B macrocell option", gal20, fixed(l20.xorBase), "y"},
      {"GAL20V8B global setting", gal20, fixed(l20.synFuse), "y"},
      {"GAL22V10B product-term row", gal22, galRow(2 * l22.rowWidth, l22.rowWidth), "y"},
      {"GAL22V10B macrocell option", gal22, fixed(l22.polarityBase + 1), "y"},
      {"GAL22V10B global setting", gal22, fixed(l22.signatureBase), "device"},
  };
}

TEST(FlippedFuse, VerifyAndTheCheckBeforeWritingNameTheOutput) {
  for (const Case &c : cases()) {
    SCOPED_TRACE(c.region);
    TempDir dir;
    ASSERT_EQ(compileSource(dir, c.design).exitCode, 0);
    const std::string jedec = dir.read("design.jed");
    const std::size_t fuse = c.fuse(jedecFuses(jedec));
    dir.write("flipped.jed", flipFuse(jedec, fuse));

    const RunResult verify = runJed(dir.path(), {"verify", "design.pld", "flipped.jed"});
    EXPECT_EQ(verify.exitCode, 1) << verify.out << verify.err;
    EXPECT_NE(verify.out.find("\n  " + c.output + ": "), std::string::npos) << verify.out;

    TempDir hooked;
    hooked.write("design.pld", c.design);
    const RunResult check = runProgram(GSMITH_HOOKS_BINARY, hooked.path(), {"design.pld"},
                                       "GSMITH_TEST_FLIP_FUSE=" + std::to_string(fuse));
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.err.find("Compiler error: Internal error: the fuse map does not implement '" +
                             c.output + "': "),
              std::string::npos)
        << check.err;
    EXPECT_EQ(hooked.entries(), std::vector<std::string>{"design.pld"});
  }
}

// What the language cannot say is said by decode as a comment, never dropped:
// damage of the kind a vendor file or a worn chip may hold.
TEST(FlippedFuse, DecodeSaysWhatTheLanguageCannotSay) {
  const CPLDArchitecture &atf1502 = atf1502Architecture();
  const std::string design = cpldDesign("ATF1502AS", 43, 44, 4, 5, 16, 24);
  // A second source cleared in the multiplexer of a switch already in use.
  const Finder secondSource = [&atf1502](const Fuses &fuses) {
    const std::size_t used = switchSelection(atf1502, 16)(fuses);
    return fuses[used + 1] ? used + 1 : used - 1;
  };
  const auto qOption = [&atf1502](int which) {
    return fixed(static_cast<std::size_t>(
        optionFuses(atf1502, macrocellOnPin(atf1502, 24), which).fuses[0]));
  };
  const std::string simple16 =
      "DEVICE GAL16V8B\nGAL_MODE = SIMPLE\nPIN 2 a INPUT\n"
      "PIN 3 b INPUT\nPIN 15 y OUTPUT\nPIN 16 z OUTPUT\ny = a & !b;\nz = a;\n";
  const std::string complex16 = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\n"
                                "PIN 19 y OUTPUT OE PRODUCT\ny = a & !b;\ny.OE = a;\n";
  const V8Layout &l16 = gal16v8Layout();
  const std::tuple<std::string, Finder, std::string> cases[] = {
      {design, fixed(16750), "the arming switch is not programmed"},
      {design, fixed(16783), "the JTAG port is off"},
      {design, secondSource, " selects 2 "},
      {design, fixed(16776), "configuration fuse 16776 has the value 0, which gsmith never writes"},
      {design, fixed(16771), "input-transition detection differs between the clock pins"},
      {design, fixed(16762), "p24: its clock multiplexer GCLK1 selects source 2, no clock pin"},
      {design, qOption(option("o_mux:sync")),
       "the pin shows the combinational value while the feedback reads the register"},
      {simple16, fixed(l16.synFuse), "SYN 0 with AC0 0 is no mode of the chip"},
      {complex16, fixed(l16.ac1Base), "AC1 0 in complex mode is no configuration of the chip"},
  };
  for (const auto &[source, finder, note] : cases) {
    TempDir dir;
    ASSERT_EQ(compileSource(dir, source).exitCode, 0);
    const std::string jedec = dir.read("design.jed");
    dir.write("damaged.jed", flipFuse(jedec, finder(jedecFuses(jedec))));
    const RunResult decoded = runJed(dir.path(), {"decode", "damaged.jed"});
    EXPECT_EQ(decoded.exitCode, 0) << decoded.err;
    EXPECT_NE(decoded.out.find(note), std::string::npos) << note << " in\n" << decoded.out;
  }
}

TEST(FlippedFuse, TheHookedBuildWritesTheSameFileWithoutAFlip) {
  TempDir plain;
  TempDir hooked;
  const std::string design = cases().front().design;
  ASSERT_EQ(compileSource(plain, design).exitCode, 0);
  hooked.write("design.pld", design);
  ASSERT_EQ(runProgram(GSMITH_HOOKS_BINARY, hooked.path(), {"design.pld"}).exitCode, 0);
  EXPECT_TRUE(plain.read("design.jed") == hooked.read("design.jed"));
}

} // namespace
} // namespace gsmith::testing
