// GAL22V10B: the subset check and the per-cell encoding: row blocks of 8 to
// 16 data terms, output enables, polarity and register bits, the inverted
// register feedback, and spare cells left readable as inputs.
#include "gal/gal22v10.h"
#include "tests/gal/gal-test-support.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using testing::combinationalOutput;
using testing::fuseText;
using testing::inputSignal;
using testing::makeNetlist;
using testing::registeredOutput;
using testing::withOE;

constexpr unsigned kRow = 44;
constexpr unsigned kS0 = 5808; // S0 of cell k at kS0 + 2k, S1 at kS0 + 2k + 1
constexpr unsigned kSignature = 5828;

struct CellRows {
  int pin;
  unsigned firstRow;
  unsigned dataTerms;
};
constexpr CellRows kCells[] = {
    {23, 1, 8},   {22, 10, 10}, {21, 21, 12}, {20, 34, 14},  {19, 49, 16},
    {18, 66, 16}, {17, 83, 14}, {16, 98, 12}, {15, 111, 10}, {14, 122, 8},
};

std::string rowWith(std::initializer_list<unsigned> cleared) {
  std::string row(kRow, '1');
  for (unsigned c : cleared)
    row[c] = '0';
  return row;
}

// n distinct product terms over six inputs.
std::string distinctTerms(unsigned n) {
  std::string text;
  for (unsigned i = 0; i < n; ++i) {
    if (i > 0)
      text += " | ";
    const char *names[] = {"a", "b", "c", "d", "e", "f"};
    for (unsigned bit = 0; bit < 6; ++bit)
      text += std::string(bit ? " & " : "") + ((i >> bit) & 1 ? "" : "!") + names[bit];
  }
  return text;
}

const std::vector<NetSignal> kSix{inputSignal("a", 2), inputSignal("b", 3), inputSignal("c", 4),
                                  inputSignal("d", 5), inputSignal("e", 6), inputSignal("f", 7)};

std::string encodeError(const Netlist &netlist) {
  try {
    GAL22V10Device::encode(netlist);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(GAL22V10Encode, EachCellTakesItsOwnNumberOfDataTerms) {
  for (const CellRows &cell : kCells) {
    SCOPED_TRACE(cell.pin);
    const Netlist full = makeNetlist(
        "GAL22V10B", kSix, {combinationalOutput("y", cell.pin, distinctTerms(cell.dataTerms))});
    const std::vector<bool> fuses = GAL22V10Device::encode(full);
    const unsigned first = cell.firstRow * kRow;
    EXPECT_EQ(fuseText(fuses, first, kRow), std::string(kRow, '1')); // enable row
    // Term 0 is !a & !b & ... & !f: the complement column of pins 2 to 7.
    EXPECT_EQ(fuseText(fuses, first + kRow, kRow), rowWith({5, 9, 13, 17, 21, 25}));
    EXPECT_NE(fuseText(fuses, first + cell.dataTerms * kRow, kRow), std::string(kRow, '0'));
    EXPECT_EQ(fuseText(fuses, first + (cell.dataTerms + 1) * kRow, kRow), std::string(kRow, '0'));
    const unsigned k = static_cast<unsigned>(23 - cell.pin);
    EXPECT_TRUE(fuses[kS0 + 2 * k]);
    EXPECT_TRUE(fuses[kS0 + 2 * k + 1]);

    const Netlist over = makeNetlist(
        "GAL22V10B", kSix, {combinationalOutput("y", cell.pin, distinctTerms(cell.dataTerms + 1))});
    EXPECT_EQ(encodeError(over), "GAL22V10B product-term overflow");
  }
}

TEST(GAL22V10Encode, GlobalResetAndPresetRowsStayFalse) {
  const Netlist netlist = makeNetlist(
      "GAL22V10B", kSix, {combinationalOutput("y", 23, "a"), combinationalOutput("z", 14, "b")});
  const std::vector<bool> fuses = GAL22V10Device::encode(netlist);
  EXPECT_EQ(fuseText(fuses, 0, kRow), std::string(kRow, '0'));
  EXPECT_EQ(fuseText(fuses, 131 * kRow, kRow), std::string(kRow, '0'));
}

TEST(GAL22V10Encode, RegisteredFeedbackUsesTheSwappedColumns) {
  const Netlist netlist =
      makeNetlist("GAL22V10B", {inputSignal("clk", 1), inputSignal("a", 2)},
                  {registeredOutput("q", 20, "!q & a", OutputEnableSource::ALWAYS),
                   combinationalOutput("y", 14, "q"), combinationalOutput("z", 15, "!q & y")});
  const std::vector<bool> fuses = GAL22V10Device::encode(netlist);
  // The register feeds back its inverted output: q reads column 15, !q column 14.
  EXPECT_EQ(fuseText(fuses, (34 + 1) * kRow, kRow), rowWith({14, 4}));
  EXPECT_EQ(fuseText(fuses, (122 + 1) * kRow, kRow), rowWith({15}));
  // A combinational output reads its own pin with the plain columns.
  EXPECT_EQ(fuseText(fuses, (111 + 1) * kRow, kRow), rowWith({14, 38}));
  EXPECT_TRUE(fuses[kS0 + 2 * 3]);
  EXPECT_FALSE(fuses[kS0 + 2 * 3 + 1]);
}

TEST(GAL22V10Encode, OutputEnableRowFollowsTheDeclaration) {
  NetOutput disabled = combinationalOutput("d", 17, "a");
  disabled.outputEnable = OutputEnableSource::DISABLED;
  const Netlist netlist = makeNetlist("GAL22V10B", kSix,
                                      {withOE(combinationalOutput("p", 22, "a"), "b & !c"),
                                       disabled, withOE(combinationalOutput("z", 21, "a"), "0")});
  const std::vector<bool> fuses = GAL22V10Device::encode(netlist);
  EXPECT_EQ(fuseText(fuses, 10 * kRow, kRow), rowWith({8, 13}));
  EXPECT_EQ(fuseText(fuses, 83 * kRow, kRow), std::string(kRow, '0'));
  EXPECT_EQ(fuseText(fuses, 84 * kRow, kRow), rowWith({4}));
  EXPECT_EQ(fuseText(fuses, 21 * kRow, kRow), std::string(kRow, '0'));

  NetOutput missing = combinationalOutput("y", 16, "a");
  missing.outputEnable = OutputEnableSource::PRODUCT;
  EXPECT_EQ(encodeError(makeNetlist("GAL22V10B", kSix, {missing})),
            "GAL22V10B PRODUCT OE needs an .OE equation");
  EXPECT_EQ(encodeError(makeNetlist("GAL22V10B", kSix,
                                    {withOE(combinationalOutput("y", 16, "a"), "a | b")})),
            "GAL22V10B product-term overflow");
}

TEST(GAL22V10Encode, SpareCellsAreCombinationalAndNeverDriven) {
  // Without an output a cell must feed its pin, not its register, back into
  // the array, or a spare I/O pin could not be read as an input.
  const Netlist netlist = makeNetlist("GAL22V10B", {inputSignal("clk", 1), inputSignal("s", 17)},
                                      {registeredOutput("q", 20, "s", OutputEnableSource::ALWAYS)});
  const std::vector<bool> fuses = GAL22V10Device::encode(netlist);
  std::string polarity;
  for (unsigned k = 0; k < 10; ++k)
    polarity += std::string(fuses[kS0 + 2 * k] ? "1" : "0") + (fuses[kS0 + 2 * k + 1] ? "1" : "0");
  EXPECT_EQ(polarity, "010101"
                      "10"
                      "010101010101"); // cell 3 (pin 20) is the register
  EXPECT_EQ(fuseText(fuses, 83 * kRow, kRow), std::string(kRow, '0'));
  EXPECT_EQ(fuseText(fuses, 35 * kRow, kRow), rowWith({26}));
}

TEST(GAL22V10Encode, SignatureIsWrittenMostSignificantBitFirst) {
  Netlist netlist = makeNetlist("GAL22V10B", kSix, {combinationalOutput("y", 14, "a")});
  netlist.signature = 0xF000000000000001ull;
  EXPECT_EQ(fuseText(GAL22V10Device::encode(netlist), kSignature, 64),
            "1111" + std::string(59, '0') + "1");
}

TEST(GAL22V10Encode, RefusesWhatItCannotPlaceOrRoute) {
  struct Case {
    Netlist netlist;
    const char *message;
  };
  NetOutput node = combinationalOutput("n", 0, "a");
  node.isNode = true;
  const Case cases[] = {
      {makeNetlist("GAL22V10B", kSix, {combinationalOutput("y", 13, "a")}),
       "GAL22V10B encoder output placement is invalid"},
      {makeNetlist("GAL22V10B", kSix, {node}), "GAL22V10B encoder output placement is invalid"},
      {makeNetlist("GAL22V10B", kSix,
                   {combinationalOutput("y", 14, "a"), combinationalOutput("z", 14, "b")}),
       "GAL22V10B encoder output placement is invalid"},
      {makeNetlist("GAL22V10B", kSix, {combinationalOutput("y", 14, "zz")}),
       "GAL22V10B no route for 'zz'"},
      {makeNetlist("GAL22V10B", {inputSignal("g", 12)}, {combinationalOutput("y", 14, "g")}),
       "GAL22V10B no route for 'g'"},
      {makeNetlist("GAL22V10B", {inputSignal("g", 30)}, {combinationalOutput("y", 14, "g")}),
       "GAL22V10B no route for 'g'"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(encodeError(c.netlist), c.message);
}

std::string validationError(const std::string &body) {
  try {
    GAL22V10Device::validateSubset(testing::parseSource("DEVICE GAL22V10B\n" + body));
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(GAL22V10Validation, ReportsTheFirstViolation) {
  struct Case {
    const char *body;
    const char *message;
  };
  const Case cases[] = {
      {"PIN 2 a INPUT\nPIN 14 y OUTPUT OE PRODUCT\ny = a;\ny.OE = a;", ""},
      {"PIN 1 clk INPUT GCLK1\nPIN 2 a INPUT\nPIN 14 q OUTPUT REGISTERED GCLK1\nq = a;", ""},
      {"PIN 2 a INPUT\nPIN 14 y OUTPUT\nNODE n\nn = a;\ny = n;",
       "Internal error: GAL NODEs must be expanded before validation"},
      {"GAL_MODE = AUTO\nPIN 2 a INPUT\nPIN 14 y OUTPUT\ny = a;",
       "GAL22V10B has individually configured OLMCs; GAL_MODE is not used"},
      {"PIN 2 a INPUT\nPIN 14 y OUTPUT\ny = a;\ny.PRESET = a;",
       "GAL22V10B global AR/SP syntax is not yet implemented; CE/PRESET/RESET equations are "
       "rejected"},
      {"PIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK1 CE PRODUCT\nq = clk;",
       "GAL22V10B RESET, CE and PRESET controls are not yet supported"},
      {"PIN 2 clk INPUT GCLK2\nPIN 14 q OUTPUT REGISTERED GCLK2\nq = clk;",
       "GAL22V10B only pin 1 may be GCLK1"},
      {"PIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK2\nq = clk;",
       "GAL22V10B registered outputs require GCLK1"},
      {"PIN 13 e INPUT GOE1\nPIN 14 y OUTPUT OE OE1\ny = e;", "GAL22V10B only pin 1 may be GCLK1"},
      {"PIN 1 clk INPUT GCLK2\nPIN 14 y OUTPUT\ny = clk;", "GAL22V10B only pin 1 may be GCLK1"},
      // Pin 1 is the clock whatever else it declares; a global OE role on it
      // is left to the package checks, and a clock without registers is fine.
      {"PIN 1 clk INPUT GCLK1 GOE1\nPIN 14 q OUTPUT REGISTERED GCLK1\nq = clk;", ""},
      {"PIN 1 clk INPUT GCLK1\nPIN 14 y OUTPUT\ny = clk;", ""},
      {"PIN 14 y OUTPUT OE OE1\ny = 1;", "GAL22V10B outputs use ALWAYS, DISABLED or PRODUCT OE"},
      {"PIN 2 a INPUT\nPIN 14 y OUTPUT\nPIN 15 z OUTPUT\ny = a;",
       "GAL22V10B output 'z' must have exactly one equation"},
      {"PIN 2 a INPUT\nPIN 14 q OUTPUT REGISTERED GCLK1\nq = a;",
       "GAL22V10B registered outputs require pin 1 INPUT GCLK1"},
      {"PIN 2 a INPUT", "GAL22V10B requires at least one output equation"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(validationError(c.body), c.message) << c.body;
}

} // namespace
} // namespace gsmith
