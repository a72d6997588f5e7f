// The ATF1504 fuse encoder on fitted chips: product-term rows and slots,
// macrocell options, switch and global multiplexers, signature, device
// configuration, and the internal-error checks.
#include "atf1504-test-support.h"

#include "devices/atf1504/atf1504-fuse-encoder.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-product-term.h"
#include "devices/atf1504/atf1504-switch-db.h"
#include "devices/cpld/fitter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace gsmith {
namespace {

using namespace gsmith::testing;

constexpr int kPinMC1 = 22;
constexpr int kPinMC17 = 41;

class ATF1504EncoderTest : public ::testing::Test {
protected:
  Netlist netlist = netlistWithInputs();
  ATF1504Device device{"PLCC84"};
  ATF1504Chip chip{device};
  ATF1504FuseEncoder encoder;
  ATF1504FuseMap map{34192};
  const ATF1504FuseDB fuseDB;

  void fitAndEncode(uint16_t signature = 0, bool pd1 = false, bool pd2 = false) {
    const FitResult result = Fitter::fitATF1504(netlist, device, chip);
    ASSERT_TRUE(result.success) << result.errors.front();
    encoder.encode(chip, signature, pd1, pd2, map);
  }

  std::string row(int mc, int pt) const {
    const int offset = ATF1504ProductTermLayout::productTermOffset(mc, pt);
    std::string text;
    for (int k = 0; k < 96; ++k)
      text += map.getFuse(offset + k) ? '1' : '0';
    return text;
  }

  // A row that connects exactly the given (signal, negated) inputs.
  std::string expectedRow(int mc, std::initializer_list<std::pair<const char *, bool>> inputs) {
    std::string text(96, '1');
    for (const auto &[name, negated] : inputs) {
      int uim = 0;
      for (const SwitchMatrixSignal &signal :
           chip.matrix(ATF1504Chip::labOfMacrocell(mc)).signals())
        if (signal.name == name)
          uim = signal.physicalUIM;
      text[ATF1504ProductTermLayout::uimFuse(uim, negated)] = '0';
    }
    return text;
  }

  bool hasOption(int mc, const std::string &key) const {
    const FuseOption &option = fuseDB.option(mc, key);
    for (std::size_t k = 0; k < option.fuses.size(); ++k)
      if (map.getFuse(option.fuses[k]) != option.values[k])
        return false;
    return true;
  }

  template <typename F> void expectError(F &&action, const char *message) {
    try {
      action();
      ADD_FAILURE() << message;
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), message);
    }
  }
};

TEST_F(ATF1504EncoderTest, CombinationalOutputUsesSlotsOneAndTwo) {
  addOutput(netlist, output("y", kPinMC1, sum({term({"a", "!b"}), term({"c"})})));
  fitAndEncode();
  EXPECT_EQ(row(1, 1), expectedRow(1, {{"a", false}, {"b", true}}));
  EXPECT_EQ(row(1, 2), expectedRow(1, {{"c", false}}));
  for (int pt : {3, 4, 5})
    EXPECT_EQ(row(1, pt), std::string(96, '0')) << pt;
  for (const char *key : {"pt_power:on", "fb_mux:comb", "o_mux:comb", "xor_invert:on",
                          "oe_mux:VCC_pt5", "storage:dff", "slew_rate:slow", "pt2_mux:sum"})
    EXPECT_TRUE(hasOption(1, key)) << key;
  // An untouched macrocell: rows cleared, configuration at the baseline.
  for (int pt = 1; pt <= 5; ++pt)
    EXPECT_EQ(row(40, pt), std::string(96, '0'));
  const ATF1504FuseMap fresh(34192);
  for (const FuseOption &option : fuseDB.macrocell(40).options)
    for (int fuse : option.fuses)
      EXPECT_EQ(map.getFuse(fuse), fresh.getFuse(fuse)) << fuse;
}

TEST_F(ATF1504EncoderTest, EmptyTermIsConstantTrue) {
  addOutput(netlist, output("one", kPinMC1, sum({term({})})));
  fitAndEncode();
  EXPECT_EQ(row(1, 1), std::string(96, '1'));
}

TEST_F(ATF1504EncoderTest, SwitchSelectionsAreOneHotLow) {
  addOutput(netlist, output("y", kPinMC17, sum({term({"a", "e"})})));
  fitAndEncode();
  for (const SwitchMatrixSignal &signal : chip.matrix(ATF1502LAB::B).signals()) {
    const int offset = ATF1504SwitchDB::switchOffset(signal.physicalUIM);
    const std::string source = "M" + std::to_string(signal.name == "a" ? 16 : 12) + "_PAD";
    const int selected = ATF1504SwitchDB::selectionFuse(signal.physicalUIM, source);
    for (int fuse = offset; fuse < offset + 9; ++fuse)
      EXPECT_EQ(map.getFuse(fuse), fuse != selected) << fuse;
  }
}

TEST_F(ATF1504EncoderTest, RegisteredOutputWithControlTerms) {
  NetOutput q = output("q", kPinMC1, sum({term({"a"})}));
  q.registered = true;
  q.clock = ClockSource::GCLK3;
  q.reset = ResetSource::PRODUCT;
  q.resetLogic = sum({term({"b"})});
  q.hasResetLogic = true;
  q.preset = true;
  q.presetLogic = sum({term({"c"})});
  q.hasPresetLogic = true;
  q.clockEnable = true;
  q.ceLogic = sum({term({"!d"})});
  q.hasCELogic = true;
  q.usesXor = true;
  q.xorTerm = sum({term({"e"})});
  addOutput(netlist, q);
  fitAndEncode();
  EXPECT_EQ(row(1, 1), expectedRow(1, {{"a", false}}));
  EXPECT_EQ(row(1, 2), expectedRow(1, {{"e", false}}));
  EXPECT_EQ(row(1, 3), expectedRow(1, {{"b", false}}));
  EXPECT_EQ(row(1, 4), expectedRow(1, {{"d", true}}));
  EXPECT_EQ(row(1, 5), expectedRow(1, {{"c", false}}));
  for (const char *key : {"fb_mux:sync", "o_mux:sync", "gclk_mux:GCLK3", "gclr_mux:GND",
                          "pt3_mux:ar", "pt4_mux:clk_ce", "pt4_func:ce", "pt5_mux:as_oe",
                          "pt5_func:as", "pt2_mux:xor", "xor_invert:off", "oe_mux:VCC_pt5"})
    EXPECT_TRUE(hasOption(1, key)) << key;
  // GCLK3 comes from macrocell 64's pin: multiplexer value 0, not inverted.
  EXPECT_FALSE(map.getFuse(34151));
  EXPECT_FALSE(map.getFuse(34152));
  EXPECT_FALSE(map.getFuse(34153));
}

TEST_F(ATF1504EncoderTest, ClockEnableTermAsClock) {
  NetOutput q = output("q", kPinMC1, sum({term({"a"})}));
  q.registered = true;
  q.clockEnable = true;
  q.ceLogic = sum({term({"b"})});
  q.hasCELogic = true;
  addOutput(netlist, q);
  fitAndEncode();
  EXPECT_TRUE(hasOption(1, "pt4_func:clk"));
  EXPECT_TRUE(hasOption(1, "pt4_mux:clk_ce"));

  netlist.outputs[0].clockEnable = false;
  const FitResult result = Fitter::fitATF1504(netlist, device, chip);
  ASSERT_TRUE(result.success);
  expectError([&] { encoder.encode(chip, 0, false, false, map); },
              "Registered ATF1504 output has no clock");
}

TEST_F(ATF1504EncoderTest, ToggleAndGlobalClear) {
  NetOutput t = output("t", kPinMC17, sum({term({"a"})}));
  t.registered = true;
  t.toggle = true;
  t.clock = ClockSource::GCLK1;
  t.reset = ResetSource::GCLR;
  addOutput(netlist, t);
  fitAndEncode();
  EXPECT_TRUE(hasOption(17, "xor_b_mux:ff_qn"));
  EXPECT_TRUE(hasOption(17, "xor_invert:on"));
  EXPECT_TRUE(hasOption(17, "gclr_mux:GCLR"));
  EXPECT_TRUE(hasOption(17, "gclk_mux:GCLK1"));
  EXPECT_TRUE(map.getFuse(34144));
  EXPECT_FALSE(map.getFuse(34145));
  EXPECT_TRUE(map.getFuse(34146));
  EXPECT_TRUE(map.getFuse(34147));
}

TEST_F(ATF1504EncoderTest, GlobalOutputEnables) {
  NetOutput y1 = output("y1", kPinMC1, sum({term({"a"})}));
  y1.outputEnable = OutputEnableSource::OE1;
  NetOutput y2 = output("y2", kPinMC17, sum({term({"a"})}));
  y2.outputEnable = OutputEnableSource::OE2;
  NetOutput y3 = output("y3", device.macrocells()[40].pin, sum({term({"a"})}));
  y3.registered = true;
  y3.clock = ClockSource::GCLK2;
  y3.outputEnable = OutputEnableSource::PRODUCT;
  y3.oeLogic = sum({term({"b"})});
  y3.hasOELogic = true;
  for (const NetOutput &out : {y1, y2, y3})
    addOutput(netlist, out);
  fitAndEncode();
  EXPECT_TRUE(hasOption(1, "oe_mux:GOE1"));
  EXPECT_TRUE(hasOption(17, "oe_mux:GOE2"));
  EXPECT_TRUE(hasOption(41, "pt5_func:oe"));
  EXPECT_TRUE(hasOption(41, "oe_mux:VCC_pt5"));
  for (int fuse = 34080; fuse < 34089; ++fuse)
    EXPECT_EQ(map.getFuse(fuse), fuse != 34088) << fuse;
  for (int fuse = 34089; fuse < 34098; ++fuse)
    EXPECT_EQ(map.getFuse(fuse), fuse != 34097) << fuse;
  // Not inverted: the outputs drive while the OE pins are high.
  EXPECT_TRUE(map.getFuse(34138));
  EXPECT_TRUE(map.getFuse(34139));
  EXPECT_TRUE(map.getFuse(34140));
  // GCLK2: value 1.
  EXPECT_FALSE(map.getFuse(34148));
  EXPECT_TRUE(map.getFuse(34149));
  EXPECT_FALSE(map.getFuse(34150));
}

TEST_F(ATF1504EncoderTest, GOE6HasNoPackageSource) {
  NetOutput y = output("y", kPinMC1, sum({term({"a"})}));
  y.outputEnable = OutputEnableSource::GOE6;
  addOutput(netlist, y);
  ASSERT_TRUE(Fitter::fitATF1504(netlist, device, chip).success);
  expectError([&] { encoder.encode(chip, 0, false, false, map); },
              "ATF1504 GOE6 has no PLCC84 package source");
}

TEST_F(ATF1504EncoderTest, CascadeSupplierCarriesTheBorrowedTerms) {
  addOutput(netlist, output("y", device.macrocells()[9].pin, wideSum(7))); // MC10
  fitAndEncode();
  const auto &terms = chip.macrocell(9)->cascadeTerms();
  ASSERT_EQ(terms.size(), 2u);
  EXPECT_EQ(row(9, 1), expectedRow(9, {{terms[0][0].name.c_str(), terms[0][0].negated},
                                       {terms[0][1].name.c_str(), terms[0][1].negated},
                                       {terms[0][2].name.c_str(), terms[0][2].negated}}));
  EXPECT_NE(row(9, 2), std::string(96, '0'));
  EXPECT_EQ(row(9, 3), std::string(96, '0'));
  EXPECT_TRUE(hasOption(9, "cas_mux:sum"));
  EXPECT_TRUE(hasOption(9, "oe_mux:GND"));
  EXPECT_TRUE(hasOption(10, "oe_mux:VCC_pt5"));
}

TEST_F(ATF1504EncoderTest, SignatureAndDeviceConfiguration) {
  addOutput(netlist, output("y", kPinMC1, sum({term({"a"})})));
  fitAndEncode(0x1234, true, false);
  const std::string expected = "0011010000010010";
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(map.getFuse(34170 + i), expected[i] == '1') << 34170 + i;
  EXPECT_FALSE(map.getFuse(34134));
  EXPECT_TRUE(map.getFuse(34135));
  EXPECT_FALSE(map.getFuse(34136)); // PD1
  EXPECT_TRUE(map.getFuse(34137));
  EXPECT_TRUE(map.getFuse(34159));
  EXPECT_TRUE(map.getFuse(34166));
  EXPECT_TRUE(map.getFuse(34167));
  for (int fuse = 34154; fuse <= 34158; ++fuse)
    EXPECT_EQ(map.getFuse(fuse), fuse < 34157) << fuse;
  EXPECT_NO_THROW(map.toJEDEC(false, 84));

  map.clear();
  fitAndEncode(0, false, true);
  for (int i = 0; i < 16; ++i)
    EXPECT_FALSE(map.getFuse(34170 + i));
  EXPECT_TRUE(map.getFuse(34136));
  EXPECT_FALSE(map.getFuse(34137)); // PD2
}

TEST_F(ATF1504EncoderTest, InternalErrors) {
  ATF1504FuseMap small(100);
  expectError([&] { encoder.encode(chip, 0, false, false, small); },
              "ATF1504 fuse map must contain QF34192 fuses");

  chip.matrix(ATF1502LAB::A).selectSignal("a", 4, 0);
  expectError([&] { encoder.encodeRouting(chip, map); }, "ATF1504 signal lacks physical UIM: a");
  chip.matrix(ATF1502LAB::A).assignPhysicalUIM("a", 2); // a LAB D switch without M16_PAD
  expectError([&] { encoder.encodeRouting(chip, map); },
              "ATF1504 UIM cannot select source: M16_PAD");

  chip.reset();
  Macrocell &supplier = *chip.macrocell(3);
  supplier.allocateCascadeTerm(term({"a"}), 4);
  supplier.setConfiguredOutput(true);
  expectError([&] { encoder.encodeMacrocell(chip, supplier, map); },
              "ATF1504 cascade supplier also has local output");

  chip.reset();
  Macrocell &both = *chip.macrocell(5);
  both.setOEProductTerm(term({}));
  both.setPresetProduct(term({}));
  expectError([&] { encoder.encodeMacrocell(chip, both, map); },
              "ATF1504 PT5 cannot be OE and preset together");

  chip.reset();
  Macrocell &crowded = *chip.macrocell(6);
  for (int k = 0; k < 5; ++k)
    crowded.allocateProductTerm(term({}));
  crowded.setXorProduct(term({}));
  expectError([&] { encoder.encodeMacrocell(chip, crowded, map); },
              "Too many local ATF1504 product terms");

  expectError([&] { encoder.encodeProductTerm(chip, 7, 6, term({}), map); },
              "Invalid ATF1504 product-term location");
  expectError([&] { encoder.disableProductTerm(65, 1, map); },
              "Invalid ATF1504 product term while disabling");
  expectError([&] { encoder.encodeProductTerm(chip, 7, 1, term({"ghost"}), map); },
              "No ATF1504 UIM assignment for signal: ghost");

  chip.reset();
  Macrocell &reset = *chip.macrocell(8);
  reset.setConfiguredOutput(true);
  reset.setRegistered(true);
  reset.setClockSource(ClockSource::GCLK1);
  reset.setResetSource(ResetSource::PRODUCT);
  expectError([&] { encoder.encodeMacrocellConfig(reset, map); },
              "Missing ATF1504 reset product term");
  expectError([&] { encoder.applyOption(fuseDB.macrocell(8), "oe_mux:GOE9", map); },
              "ATF1504 macrocell option not found: oe_mux:GOE9");
  MacrocellFuseDB malformed = fuseDB.macrocell(8);
  malformed.options[0].values.push_back(true);
  expectError([&] { encoder.applyOption(malformed, malformed.options[0].name, map); },
              "Malformed ATF1504 macrocell option");
}

TEST_F(ATF1504EncoderTest, ReservedFusesMustStayClear) {
  map.setFuse(34188, true);
  expectError([&] { encoder.encode(chip, 0, false, false, map); },
              "ATF1504 reserved fuse unexpectedly set");
}

} // namespace
} // namespace gsmith
