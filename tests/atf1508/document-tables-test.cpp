// The ATF1508AS record against the tables of the fuse-layout document, read
// in place from ../shared/atf1508: the pins of every package, every
// product-term row, every switch multiplexer with its two array columns, and
// the fuses and values of every macrocell option. A wrong number in the
// record shows here even where no design uses it.
#include "atf1508/atf1508.h"
#include "cpld/architecture.h"
#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace gsmith {
namespace {

const std::filesystem::path kTables =
    std::filesystem::path(GSMITH_SOURCE_DIR) / "../shared/atf1508";

// The rows of a CSV file without quoted fields, the header left out.
std::vector<std::vector<std::string>> rowsOf(const std::string &name) {
  std::ifstream in(kTables / name);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');)
      fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}

std::vector<int> numbersOf(const std::string &text) {
  std::vector<int> numbers;
  std::istringstream words(text);
  for (int number = 0; words >> number;)
    numbers.push_back(number);
  return numbers;
}

class ATF1508Document : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(kTables / "pins.csv"))
      GTEST_SKIP() << "no ATF1508 fuse-layout tables at " << kTables;
  }
  const CPLDArchitecture &arch = atf1508Architecture();
};

// Sorted pin numbers, for comparing sets.
std::vector<int> sorted(std::span<const int> pins) {
  std::vector<int> result(pins.begin(), pins.end());
  std::sort(result.begin(), result.end());
  return result;
}

TEST_F(ATF1508Document, PinsOfEveryPackage) {
  struct Package {
    std::vector<int> macrocellPins, power, jtag, inputs;
  };
  std::map<std::string, Package> packages;
  for (const auto &row : rowsOf("pins.csv")) {
    Package &package = packages[row[0]];
    package.macrocellPins.resize(static_cast<size_t>(arch.macrocellCount));
    const int pin = std::stoi(row[1]);
    const std::string &function = row[2];
    if (row.size() > 3 && !row[3].empty())
      package.macrocellPins[static_cast<size_t>(std::stoi(row[3]) - 1)] = pin;
    if (function == "VCC" || function == "GND")
      package.power.push_back(pin);
    if (function.find("/T") != std::string::npos)
      package.jtag.push_back(pin);
    if (function.rfind("INPUT", 0) == 0)
      package.inputs.push_back(pin);
  }
  for (const CPLDPackage &package : arch.packages) {
    const Package &expected = packages[std::string(package.pins.name)];
    EXPECT_TRUE(std::equal(package.macrocellPins.begin(), package.macrocellPins.end(),
                           expected.macrocellPins.begin(), expected.macrocellPins.end()))
        << package.pins.name;
    EXPECT_EQ(sorted(package.pins.powerPins), sorted(expected.power)) << package.pins.name;
    EXPECT_EQ(sorted(package.pins.jtagPins), sorted(expected.jtag)) << package.pins.name;
    EXPECT_EQ(sorted(package.pins.inputPins), sorted(expected.inputs)) << package.pins.name;
  }
}

TEST_F(ATF1508Document, ProductTermRows) {
  const auto rows = rowsOf("pterm-rows.csv");
  ASSERT_EQ(rows.size(), static_cast<size_t>(arch.macrocellCount * kProductTermsPerCell));
  for (const auto &row : rows)
    EXPECT_EQ(productTermRow(arch.productTerms, std::stoi(row[0]), std::stoi(row[2])),
              std::stoi(row[3]))
        << "MC" << row[0] << " PT" << row[2];
}

TEST_F(ATF1508Document, SwitchMultiplexersAndColumns) {
  const auto rows = rowsOf("switches.csv");
  ASSERT_EQ(rows.size(), arch.switches.size());
  for (const auto &row : rows) {
    const auto entry =
        std::find_if(arch.switches.begin(), arch.switches.end(),
                     [&](const SwitchEntry &e) { return e.number == std::stoi(row[0]); });
    ASSERT_NE(entry, arch.switches.end()) << "switch " << row[0];
    EXPECT_EQ(std::string(1, labLetter(entry->lab)), row[1]) << "switch " << row[0];
    EXPECT_EQ(entry->firstFuse, std::stoi(row[3])) << "switch " << row[0];
    EXPECT_EQ(entry->trueColumn, std::stoi(row[5])) << "switch " << row[0];
    EXPECT_EQ(entry->complementColumn, std::stoi(row[6])) << "switch " << row[0];
  }
}

TEST_F(ATF1508Document, MacrocellOptionFusesAndValues) {
  int compared = 0;
  for (const auto &row : rowsOf("macrocell-options.csv")) {
    const auto option =
        std::find(kMacrocellOptionNames.begin(), kMacrocellOptionNames.end(), row[2]);
    if (option == kMacrocellOptionNames.end())
      continue; // a setting the compiler never writes
    const OptionFuses ours = optionFuses(arch, std::stoi(row[0]),
                                         static_cast<int>(option - kMacrocellOptionNames.begin()));
    const std::vector<int> fuses = numbersOf(row[3]);
    const std::vector<int> values = numbersOf(row[4]);
    ASSERT_EQ(fuses.size(), static_cast<size_t>(ours.count)) << "MC" << row[0] << " " << row[2];
    for (int k = 0; k < ours.count; ++k) {
      const auto at = std::find(fuses.begin(), fuses.end(), ours.fuses[k]);
      ASSERT_NE(at, fuses.end()) << "MC" << row[0] << " " << row[2];
      EXPECT_EQ(values[static_cast<size_t>(at - fuses.begin())], ours.values[k] ? 1 : 0)
          << "MC" << row[0] << " " << row[2];
    }
    ++compared;
  }
  EXPECT_GT(compared, 128 * 40);
}

} // namespace
} // namespace gsmith
