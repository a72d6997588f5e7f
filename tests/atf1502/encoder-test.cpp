// The ATF1502 fuse encoder: routing through the UIMs, product-term rows,
// macrocell options, global output enables and the encoder's own checks.
#include "devices/atf1502/atf1502-fuse-encoder.h"
#include "devices/atf1502/atf1502-product-term.h"
#include "devices/atf1502/atf1502.h"
#include "devices/cpld/fitter.h"
#include "tests/atf1502/netlist-maker.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace gsmith {
namespace {

using testing::NetlistMaker;
using testing::sum;
using testing::term;

struct Encoded {
  ATF1502Chip chip;
  ATF1502FuseEncoder encoder;
  ATF1502FuseMap map{16808};
  std::string error;
};

// Fits and encodes; a fit failure fails the test, an encoder error is kept.
std::unique_ptr<Encoded> encode(const Netlist &netlist, const std::string &package = "PLCC44") {
  auto encoded = std::make_unique<Encoded>();
  const FitResult fit = Fitter::fitATF1502(netlist, ATF1502Device(package), encoded->chip);
  EXPECT_TRUE(fit.success) << (fit.errors.empty() ? "" : fit.errors.front());
  try {
    encoded->encoder.encode(encoded->chip, encoded->map);
  } catch (const std::runtime_error &error) {
    encoded->error = error.what();
  }
  return encoded;
}

std::string encodeError(const ATF1502Chip &chip, ATF1502FuseMap map = ATF1502FuseMap(16808)) {
  ATF1502FuseEncoder encoder;
  try {
    encoder.encode(chip, map);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

std::vector<bool> fuses(const ATF1502FuseMap &map, size_t first, size_t count) {
  std::vector<bool> values;
  for (size_t k = 0; k < count; ++k)
    values.push_back(map.getFuse(first + k));
  return values;
}

bool optionSet(const Encoded &encoded, int macrocell, const std::string &key) {
  for (const FuseOption &option : encoded.encoder.fuseDB().macrocell(macrocell).options) {
    if (option.name != key)
      continue;
    for (size_t k = 0; k < option.fuses.size(); ++k)
      if (encoded.map.getFuse(static_cast<size_t>(option.fuses[k])) != option.values[k])
        return false;
    return true;
  }
  return false;
}

// No two signals of a LAB share a UIM or a column pair, no UIM serves both
// LABs, and every UIM is one the LAB's rows read.
void expectDistinctRouting(const Encoded &encoded) {
  std::set<int> allUIMs;
  for (const auto *lab : {&encoded.encoder.uimsA(), &encoded.encoder.uimsB()}) {
    const int parity = lab == &encoded.encoder.uimsA() ? 0 : 1;
    std::set<int> columns;
    for (const auto &[name, uim] : *lab) {
      EXPECT_EQ(uim % 2, parity) << name;
      EXPECT_TRUE(allUIMs.insert(uim).second) << name << " shares UIM " << uim;
      EXPECT_TRUE(columns.insert(ATF1502PTDatabase::getInputFuse(uim, false)).second)
          << name << " shares a column";
    }
  }
}

TEST(ATF1502FuseEncoderTest, EncodesACombinationalOutput) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44);
  maker.output("y", 5, sum({term({"a", "!b"})}));
  const auto encoded = encode(maker.netlist());
  ASSERT_EQ(encoded->error, "");
  EXPECT_EQ(encoded->encoder.uimsA().at("a"), 2);  // C1_PAD
  EXPECT_EQ(encoded->encoder.uimsA().at("b"), 22); // E1_PAD
  EXPECT_EQ(fuses(encoded->map, 16710, 5), (std::vector<bool>{1, 1, 1, 1, 0}));
  EXPECT_EQ(fuses(encoded->map, 16610, 5), (std::vector<bool>{1, 1, 1, 1, 0}));

  // Macrocell 2, PT1 at 480: only a (column 16) and !b (column 37) connect.
  const std::vector<bool> row = fuses(encoded->map, 480, 96);
  for (int column = 0; column < 96; ++column)
    EXPECT_EQ(row[column], column != 16 && column != 37) << column;
  for (int pt = 2; pt <= 5; ++pt) {
    const std::vector<bool> unused =
        fuses(encoded->map, ATF1502PTDatabase::getProductTermOffset(2, pt), 96);
    EXPECT_EQ(std::count(unused.begin(), unused.end(), true), 0) << pt;
  }
  for (const char *key : {"pt_power:on", "xor_invert:on", "oe_mux:VCC_pt5", "o_mux:comb",
                          "fb_mux:comb", "slew_rate:slow", "output_driver:push_pull"})
    EXPECT_TRUE(optionSet(*encoded, 2, key)) << key;
  EXPECT_TRUE(optionSet(*encoded, 1, "pt_power:off"));
  EXPECT_TRUE(optionSet(*encoded, 1, "oe_mux:GND"));
  EXPECT_TRUE(optionSet(*encoded, 4, "gclk_mux:GCLK2")); // JTAG macrocells are fixed
  EXPECT_TRUE(optionSet(*encoded, 25, "pt5_func:oe"));

  // No OE pin in use: the global-OE multiplexer stays at its baseline.
  EXPECT_EQ(fuses(encoded->map, 16720, 30), std::vector<bool>(30, true));
  EXPECT_NO_THROW(encoded->map.toJEDEC(false));
  EXPECT_NO_THROW(encoded->map.toJEDEC(true));
}

TEST(ATF1502FuseEncoderTest, XorToggleAndOEProduct) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44).input("c", 2);
  NetOutput &x = maker.output("x", 8, sum({term({"a"}), term({"b"})}));
  x.usesXor = true;
  x.xorTerm = sum({term({"c"})});
  x.outputEnable = OutputEnableSource::PRODUCT;
  x.oeLogic = sum({term({"!a"})});
  x.hasOELogic = true;
  NetOutput &t = maker.output("t", 9, sum({term({"a"})}));
  t.registered = true;
  t.clock = ClockSource::GCLK2;
  t.toggle = true;
  const auto encoded = encode(maker.netlist());
  ASSERT_EQ(encoded->error, "");
  for (const char *key :
       {"pt2_mux:xor", "xor_invert:off", "pt5_mux:as_oe", "pt5_func:oe", "oe_mux:VCC_pt5"})
    EXPECT_TRUE(optionSet(*encoded, 5, key)) << key;
  EXPECT_TRUE(optionSet(*encoded, 6, "xor_b_mux:ff_qn"));
  EXPECT_TRUE(optionSet(*encoded, 6, "xor_invert:on"));
  const int xorRow = ATF1502PTDatabase::getProductTermOffset(5, 2);
  const int cColumn = ATF1502PTDatabase::getInputFuse(encoded->encoder.uimsA().at("c"), false);
  EXPECT_FALSE(encoded->map.getFuse(static_cast<size_t>(xorRow + cColumn)));
  EXPECT_NO_THROW(encoded->map.toJEDEC(false));
}

TEST(ATF1502FuseEncoderTest, CascadeDonorsCarryTheBorrowedTerms) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44).input("c", 2);
  SOPExpression logic;
  for (const char *first : {"a", "!a"})
    for (const char *second : {"b", "!b"})
      for (const char *third : {"c", "!c"})
        logic.terms.push_back(term({first, second, third}));
  maker.output("y", 5, logic); // 8 terms on macrocell 2: 5 own, 3 from macrocell 1
  const auto encoded = encode(maker.netlist());
  ASSERT_EQ(encoded->error, "");
  EXPECT_TRUE(optionSet(*encoded, 1, "cas_mux:sum"));
  EXPECT_TRUE(optionSet(*encoded, 1, "oe_mux:GND"));
  EXPECT_TRUE(optionSet(*encoded, 1, "pt_power:on"));
  for (int pt = 1; pt <= 5; ++pt) {
    const std::vector<bool> row =
        fuses(encoded->map, ATF1502PTDatabase::getProductTermOffset(1, pt), 96);
    EXPECT_EQ(std::count(row.begin(), row.end(), false), pt <= 3 ? 3 : 96) << pt;
  }
}

TEST(ATF1502FuseEncoderTest, GlobalOutputEnables) {
  const struct {
    OutputEnableSource source;
    size_t first;
    std::vector<bool> group;
    const char *option;
  } cases[] = {
      {OutputEnableSource::OE1, 16725, {1, 1, 1, 1, 0}, "oe_mux:GOE5"},
      {OutputEnableSource::OE2, 16740, {1, 1, 1, 1, 0}, "oe_mux:GOE2"},
      {OutputEnableSource::GOE6, 16720, {0, 1, 1, 1, 1}, "oe_mux:GOE6"},
  };
  for (const auto &c : cases) {
    NetlistMaker maker;
    maker.input("a", 43);
    maker.output("y", 5, sum({term({"a"})})).outputEnable = c.source;
    const auto encoded = encode(maker.netlist());
    ASSERT_EQ(encoded->error, "");
    EXPECT_EQ(fuses(encoded->map, c.first, 5), c.group) << c.option;
    EXPECT_TRUE(optionSet(*encoded, 2, c.option));
    std::vector<bool> all = fuses(encoded->map, 16720, 30);
    EXPECT_EQ(std::count(all.begin(), all.end(), false), 1);
    EXPECT_NO_THROW(encoded->map.toJEDEC(false));
  }
}

// In LAB A, C1_PAD, MC16_FB and M22_PAD once took UIMs 2, 16 and 1, and
// UIMs 1 and 2 read the same columns.
TEST(ATF1502FuseEncoderTest, SignalsOfOneLABNeverShareColumns) {
  NetlistMaker maker;
  maker.input("clk", 43).input("p22", 36);
  maker.output("f16", 21, sum({term({"clk"})}));
  maker.output("y", 5, sum({term({"clk", "f16", "p22"})}));
  const auto encoded = encode(maker.netlist());
  ASSERT_EQ(encoded->error, "");
  expectDistinctRouting(*encoded);
  // M22_PAD is offered only by UIMs 1, 2, 15 and 16; C1_PAD moves aside to 18.
  EXPECT_EQ(encoded->encoder.uimsA().at("p22"), 2);
  EXPECT_EQ(encoded->encoder.uimsA().at("f16"), 16);
  EXPECT_EQ(encoded->encoder.uimsA().at("clk"), 18);
}

TEST(ATF1502FuseEncoderTest, ASourceOfferedTooRarelyFails) {
  // M22_PAD reaches LAB A through UIMs 2 and 16 only; a third signal from
  // the same pad cannot share either.
  ATF1502Chip chip;
  for (const char *name : {"x1", "x2", "x3"})
    chip.matrixA().selectSignal(name, 36, 0);
  EXPECT_EQ(encodeError(chip), "No UIM location can select source 'M22_PAD' for signal 'x3'");
  chip.matrixA().clear();
  for (const char *name : {"x1", "x2"})
    chip.matrixA().selectSignal(name, 36, 0);
  EXPECT_EQ(encodeError(chip), "");
}

// M1_PAD for LAB A and MC28_FB for LAB B once both took UIM 26.
TEST(ATF1502FuseEncoderTest, LABsNeverShareAUIM) {
  NetlistMaker maker;
  maker.input("p1", 4).input("c", 43);
  maker.output("f28", 28, sum({term({"c"})}));
  maker.output("a", 5, sum({term({"p1"})}));
  maker.output("b", 41, sum({term({"f28"})}));
  const auto encoded = encode(maker.netlist());
  ASSERT_EQ(encoded->error, "");
  EXPECT_EQ(encoded->encoder.uimsA().at("p1"), 26);
  EXPECT_EQ(encoded->encoder.uimsB().at("f28"), 25);
  EXPECT_EQ(fuses(encoded->map, 16590, 5), (std::vector<bool>{1, 1, 1, 0, 1})); // M1_PAD
  EXPECT_EQ(fuses(encoded->map, 16595, 5), (std::vector<bool>{0, 1, 1, 1, 1})); // MC28_FB
  expectDistinctRouting(*encoded);
}

TEST(ATF1502FuseEncoderTest, ManySignalsRouteDistinctlyOrFailCleanly) {
  // Every input pad and feedback into both LABs: each LAB either gets its
  // own columns for all of them or stops with the UIM message.
  NetlistMaker maker;
  ProductTerm all;
  for (int pin : {43, 44, 1, 2, 5, 6, 8, 9, 11, 12, 40, 39, 37, 36}) {
    const std::string name = "p" + std::to_string(pin);
    maker.input(name, pin);
    all.push_back(Literal{name, false});
  }
  maker.output("y", 14, SOPExpression{{all}});
  maker.output("z", 33, SOPExpression{{all}});
  const auto encoded = encode(maker.netlist());
  if (encoded->error.empty())
    expectDistinctRouting(*encoded);
  else
    EXPECT_TRUE(encoded->error.starts_with("No UIM location can select source '"))
        << encoded->error;
}

TEST(ATF1502FuseEncoderTest, PhysicalSources) {
  ATF1502Chip plcc;
  ATF1502Chip tqfp;
  tqfp.setPackage("TQFP44");
  const struct {
    const ATF1502Chip *chip;
    int pin, node;
    const char *source;
  } cases[] = {{&plcc, 0, 603, "MC3_FB"}, {&plcc, 7, 632, "MC32_FB"}, {&plcc, 43, 0, "C1_PAD"},
               {&plcc, 2, 0, "C2_PAD"},   {&plcc, 44, 0, "E1_PAD"},   {&plcc, 1, 0, "R_PAD"},
               {&plcc, 4, 0, "M1_PAD"},   {&plcc, 24, 0, "M32_PAD"},  {&plcc, 3, 0, ""},
               {&plcc, 0, 0, ""},         {&plcc, 45, 600, ""},       {&tqfp, 37, 0, "C1_PAD"},
               {&tqfp, 40, 0, "C2_PAD"},  {&tqfp, 38, 0, "E1_PAD"},   {&tqfp, 39, 0, "R_PAD"},
               {&tqfp, 42, 0, "M1_PAD"},  {&tqfp, 35, 0, "M17_PAD"},  {&tqfp, 4, 0, ""}};
  for (const auto &c : cases)
    EXPECT_EQ(
        ATF1502FuseEncoder::physicalSource(*c.chip, SwitchMatrixSignal{"s", c.pin, c.node, 0}),
        c.source)
        << c.chip->package() << " " << c.pin << " " << c.node;
}

struct ErrorCase {
  const char *cause;
  void (*build)(ATF1502Chip &);
  std::string message;
};

const ProductTerm kA = {{"a", false}};

const ErrorCase kErrorCases[] = {
    {"unnamed source", [](ATF1502Chip &chip) { chip.matrixA().selectSignal("x", 3, 0); },
     "Cannot identify physical source for signal 'x'"},
    {"source exhausted in its LAB",
     [](ATF1502Chip &chip) {
       for (const char *name : {"x1", "x2", "x3"})
         chip.matrixA().selectSignal(name, 4, 0);
     },
     "No UIM location can select source 'M1_PAD' for signal 'x3'"},
    {"unrouted literal",
     [](ATF1502Chip &chip) {
       chip.macrocell(2)->setConfiguredOutput(true);
       chip.macrocell(2)->allocateProductTerm(kA);
     },
     "Signal 'a' has no physical UIM assignment"},
    {"literal routed only into the other LAB",
     [](ATF1502Chip &chip) {
       chip.matrixB().selectSignal("a", 43, 0);
       chip.macrocell(2)->setConfiguredOutput(true);
       chip.macrocell(2)->allocateProductTerm(kA);
     },
     "Signal 'a' has no physical UIM assignment"},
    {"donor with its own output",
     [](ATF1502Chip &chip) {
       chip.macrocell(2)->setConfiguredOutput(true);
       chip.macrocell(2)->allocateCascadeTerm({}, 3);
     },
     "MC2 cannot supply cascade terms while also implementing its own output"},
    {"donor for two outputs",
     [](ATF1502Chip &chip) {
       chip.macrocell(1)->allocateCascadeTerm({}, 2);
       chip.macrocell(1)->allocateCascadeTerm({}, 3);
     },
     "MC1 contains cascade terms for more than one output"},
    {"OE and preset terms",
     [](ATF1502Chip &chip) {
       chip.macrocell(2)->setOEProductTerm({});
       chip.macrocell(2)->setPresetProduct({});
     },
     "MC2 cannot use OE PRODUCT and PRESET PRODUCT together because both require PT5"},
    {"too many terms beside control terms",
     [](ATF1502Chip &chip) {
       for (int i = 0; i < 5; ++i)
         chip.macrocell(2)->allocateProductTerm({});
       chip.macrocell(2)->setClockEnableProduct({});
     },
     "MC2 has more local logic terms than its dedicated control terms permit"},
    {"JTAG macrocell with logic",
     [](ATF1502Chip &chip) { chip.macrocell(20)->allocateProductTerm({}); },
     "MC20 is reserved for the JTAG interface"},
    {"register without clock",
     [](ATF1502Chip &chip) {
       chip.macrocell(2)->setConfiguredOutput(true);
       chip.macrocell(2)->setRegistered(true);
     },
     "Registered macrocell has no clock source"},
    {"reset product missing",
     [](ATF1502Chip &chip) {
       chip.macrocell(2)->setConfiguredOutput(true);
       chip.macrocell(2)->setRegistered(true);
       chip.macrocell(2)->setClockSource(ClockSource::GCLK1);
       chip.macrocell(2)->setResetSource(ResetSource::PRODUCT);
     },
     "Registered macrocell is missing its reset product term"},
};

TEST(ATF1502FuseEncoderTest, ErrorsByCause) {
  for (const ErrorCase &c : kErrorCases) {
    SCOPED_TRACE(c.cause);
    ATF1502Chip chip;
    c.build(chip);
    EXPECT_EQ(encodeError(chip), c.message);
  }
}

const FuseOption &optionOf(const ATF1502FuseEncoder &encoder, int macrocell,
                           const std::string &key) {
  for (const FuseOption &option : encoder.fuseDB().macrocell(macrocell).options)
    if (option.name == key)
      return option;
  throw std::runtime_error("no option " + key);
}

// A registered output without XOR or toggle writes no xor_invert option, so
// the fuse keeps whatever it held; a combinational one always gets "on".
TEST(ATF1502FuseEncoderTest, XorInvertOnlyForCombinationalOrXorOutputs) {
  const struct {
    bool registered;
    bool expected; // fuse value afterwards, starting from xor_invert:off
  } cases[] = {{true, true}, {false, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.registered);
    ATF1502Chip chip;
    Macrocell &mc = *chip.macrocell(2);
    mc.setConfiguredOutput(true);
    mc.setRegistered(c.registered);
    mc.setClockSource(ClockSource::GCLK1);
    mc.allocateProductTerm({});
    ATF1502FuseEncoder encoder;
    ATF1502FuseMap map(16808);
    const FuseOption &off = optionOf(encoder, 2, "xor_invert:off");
    map.setFuse(static_cast<size_t>(off.fuses[0]), off.values[0]);
    ASSERT_NO_THROW(encoder.encode(chip, map));
    EXPECT_EQ(map.getFuse(static_cast<size_t>(off.fuses[0])), c.expected);
  }
}

TEST(ATF1502FuseEncoderTest, JTAGMacrocellsGetTheirFixedOptions) {
  const ATF1502Chip chip;
  ATF1502FuseEncoder encoder;
  ATF1502FuseMap map(16808);
  ASSERT_NO_THROW(encoder.encode(chip, map));
  for (int n : {4, 9, 20, 25}) {
    for (const char *key : {"slew_rate:slow", "output_driver:push_pull",
                            "low_power:off",  "pt_power:off",
                            "storage:dff",    "gclk_mux:GCLK2",
                            "pt4_func:clk",   "gclr_mux:GND",
                            "pt5_func:oe",    "xor_a_mux:VCC_pt2",
                            "cas_mux:sum",    "xor_b_mux:VCC_pt12",
                            "pt2_mux:sum",    "pt3_mux:ar",
                            "pt4_mux:clk_ce", "pt5_mux:as_oe",
                            "fb_mux:comb",    "xor_invert:on",
                            "reset:GND",      "oe_mux:GND",
                            "o_mux:comb",     "d_mux:comb",
                            "dfast_mux:pt2",  "pt1_mux:sum"}) {
      const FuseOption &option = optionOf(encoder, n, key);
      for (size_t k = 0; k < option.fuses.size(); ++k)
        EXPECT_EQ(map.getFuse(static_cast<size_t>(option.fuses[k])), option.values[k])
            << "MC" << n << " " << key;
    }
    for (int pt = 1; pt <= 5; ++pt) {
      const std::vector<bool> row =
          fuses(map, static_cast<size_t>(ATF1502PTDatabase::getProductTermOffset(n, pt)), 96);
      EXPECT_EQ(std::count(row.begin(), row.end(), true), 0) << "MC" << n << " PT" << pt;
    }
  }
}

// Sum terms fill the rows whose control role is unused, in row order.
TEST(ATF1502FuseEncoderTest, SumTermsTakeTheFreeRows) {
  ATF1502Chip chip;
  const char *names[] = {"a", "b", "c", "d"};
  const int pins[] = {43, 44, 2, 1};
  for (int k = 0; k < 4; ++k)
    chip.matrixA().selectSignal(names[k], pins[k], 0);
  Macrocell &mc = *chip.macrocell(2);
  mc.setConfiguredOutput(true);
  for (const char *name : names)
    ASSERT_TRUE(mc.allocateProductTerm({Literal{name, false}}));
  mc.setXorProduct({Literal{"a", true}});
  ATF1502FuseEncoder encoder;
  ATF1502FuseMap map(16808);
  ASSERT_NO_THROW(encoder.encode(chip, map));

  const struct {
    int pt;
    const char *name;
    bool negated;
  } rows[] = {{1, "a", false}, {2, "a", true}, {3, "b", false}, {4, "c", false}, {5, "d", false}};
  for (const auto &row : rows) {
    const int offset = ATF1502PTDatabase::getProductTermOffset(2, row.pt);
    const int column = ATF1502PTDatabase::getInputFuse(encoder.uimsA().at(row.name), row.negated);
    const std::vector<bool> values = fuses(map, static_cast<size_t>(offset), 96);
    for (int k = 0; k < 96; ++k)
      EXPECT_EQ(values[static_cast<size_t>(k)], k != column) << "PT" << row.pt << " " << k;
  }
  EXPECT_TRUE(map.getFuse(static_cast<size_t>(optionOf(encoder, 2, "pt2_mux:xor").fuses[0])));
}

TEST(ATF1502FuseEncoderTest, ChecksTheMapItIsGiven) {
  const ATF1502Chip chip;
  EXPECT_EQ(encodeError(chip), "");
  EXPECT_EQ(encodeError(chip, ATF1502FuseMap(100)),
            "ATF1502 fuse map must contain exactly 16808 fuses");
  ATF1502FuseMap reserved(16808);
  reserved.setFuse(16805, true);
  EXPECT_EQ(encodeError(chip, reserved), "Reserved ATF1502 fuse was set: 16805");
  ATF1502FuseMap goe(16808);
  goe.setFuse(16731, false);
  EXPECT_EQ(encodeError(chip, goe), "Unexpected ATF1502 global-OE mux fuse value at 16731");
}

TEST(ATF1502FuseEncoderTest, ClockEnableWithoutGlobalClockClocksFromPT4) {
  ATF1502Chip chip;
  Macrocell &mc = *chip.macrocell(2);
  mc.setConfiguredOutput(true);
  mc.setRegistered(true);
  mc.setClockEnableProduct({});
  ATF1502FuseEncoder encoder;
  ATF1502FuseMap map(16808);
  ASSERT_NO_THROW(encoder.encode(chip, map));
  const FuseOption &clk = encoder.fuseDB().macrocell(2).options[14];
  ASSERT_EQ(clk.name, "pt4_func:clk");
  EXPECT_EQ(map.getFuse(static_cast<size_t>(clk.fuses[0])), clk.values[0]);
}

TEST(ATF1502FuseEncoderTest, ApplyMacrocellOptionChecksTheOption) {
  ATF1502FuseMap map(16808);
  const MacrocellFuseDB malformed{1, {FuseOption{"bad:option", {1, 2}, {true}}}};
  try {
    ATF1502FuseEncoder::applyMacrocellOption(malformed, "missing:key", map);
    FAIL();
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "Macrocell option not found: missing:key");
  }
  try {
    ATF1502FuseEncoder::applyMacrocellOption(malformed, "bad:option", map);
    FAIL();
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "Malformed macrocell fuse option");
  }
  EXPECT_TRUE(map.writes().empty());
}

} // namespace
} // namespace gsmith
