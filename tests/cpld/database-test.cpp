// Every table of the ATF1502 and ATF1504 records checked entry by entry
// against the prjbureau fuse database, which was reverse-engineered from the
// vendor fitter's output and is read in place from ../shared/cpld-truth. It
// is the independent key: a wrong row in one of our tables would otherwise be
// written and read back the same way.
//
// The one known disagreement is the database's: it lists the ATF1502's GOE
// invert fuses mirrored (GOEn at 16760 - n); vendor file oa500_8mb_eab3dc9.jed
// shows GOE6's at 16759, so ours are 16753 + n (checked below as such).
#include "atf1502/atf1502.h"
#include "atf1504/atf1504.h"
#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"
#include "tests/support/json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace gsmith::testing {
namespace {

const std::filesystem::path kDatabase =
    std::filesystem::path(GSMITH_SOURCE_DIR) / "../shared/cpld-truth/prjbureau-database.json";

const Json *database() {
  static const Json *loaded = []() -> const Json * {
    std::ifstream in(kDatabase);
    if (!in)
      return nullptr;
    std::ostringstream text;
    text << in.rdbuf();
    return new Json(Json::parse(text.str()));
  }();
  return loaded;
}

struct Device {
  const char *name;
  const CPLDArchitecture &arch;
};

const Device kDevices[] = {{"ATF1502AS", atf1502Architecture()},
                           {"ATF1504AS", atf1504Architecture()}};

// The database writes a selection as a number whose bit k is fuse k of the
// (ascending) fuse list.
long maskOf(const OptionFuses &option) {
  std::vector<std::pair<int, bool>> fuses;
  for (int k = 0; k < option.count; ++k)
    fuses.emplace_back(option.fuses[k], option.values[k]);
  std::sort(fuses.begin(), fuses.end());
  long mask = 0;
  for (size_t k = 0; k < fuses.size(); ++k)
    mask |= static_cast<long>(fuses[k].second) << k;
  return mask;
}

std::vector<long> fusesOf(const Json &list) {
  std::vector<long> fuses;
  for (const Json &fuse : list.items)
    fuses.push_back(fuse.integer());
  return fuses;
}

// The sources a one-hot-low multiplexer selects, by offset, as the database
// lists them (GND1, all fuses intact, selects nothing).
std::vector<SignalSource> sourcesOf(const Json &mux) {
  const size_t width = mux["fuses"].items.size();
  std::vector<SignalSource> sources(width);
  for (const auto &[name, value] : mux["values"].members)
    for (size_t k = 0; k < width; ++k)
      if (value.integer() == ((1L << width) - 1) - (1L << k))
        sources[k] = parseSource(name);
  return sources;
}

class CPLDDatabase : public ::testing::Test {
protected:
  void SetUp() override {
    if (database() == nullptr)
      GTEST_SKIP() << "no fuse database at " << kDatabase;
  }
};

TEST_F(CPLDDatabase, MacrocellOptionsAndProductTermRows) {
  for (const Device &device : kDevices) {
    const Json &macrocells = (*database())[device.name]["macrocells"];
    for (int m = 1; m <= device.arch.macrocellCount; ++m) {
      const Json &cell = macrocells["MC" + std::to_string(m)];
      for (int option = 0; option < static_cast<int>(kMacrocellOptionNames.size()); ++option) {
        const std::string key(kMacrocellOptionNames[option]);
        if (!cell.has(key.substr(0, key.find(':'))))
          continue; // a few fields the database never measured (ATF1504 MC46)
        const Json &field = cell[key.substr(0, key.find(':'))];
        const OptionFuses ours = optionFuses(device.arch, m, option);
        std::vector<long> fuses(ours.fuses.begin(), ours.fuses.begin() + ours.count);
        std::sort(fuses.begin(), fuses.end());
        EXPECT_EQ(fuses, fusesOf(field["fuses"])) << device.name << " MC" << m << " " << key;
        EXPECT_EQ(maskOf(ours), field["values"][key.substr(key.find(':') + 1)].integer())
            << device.name << " MC" << m << " " << key;
      }
      for (int pt = 1; pt <= kProductTermsPerCell; ++pt)
        EXPECT_EQ(productTermRow(device.arch.productTerms, m, pt),
                  cell["pterm_ranges"]["PT" + std::to_string(pt)][0].integer())
            << device.name << " MC" << m << " PT" << pt;
    }
  }
}

TEST_F(CPLDDatabase, SwitchMatrixMultiplexersAndColumns) {
  for (const Device &device : kDevices) {
    const Json &chip = (*database())[device.name];
    ASSERT_EQ(device.arch.switches.size(), chip["switches"].members.size()) << device.name;
    for (const SwitchEntry &entry : device.arch.switches) {
      const std::string name = "UIM" + std::to_string(entry.number);
      const Json &mux = chip["switches"][name];
      const std::string lab(1, labLetter(entry.lab));
      EXPECT_EQ(mux["block"].text, lab) << device.name << " " << name;
      const std::vector<long> fuses = fusesOf(mux["mux"]["fuses"]);
      ASSERT_EQ(fuses.size(), entry.sources.size()) << device.name << " " << name;
      EXPECT_EQ(fuses.front(), entry.firstFuse) << device.name << " " << name;
      const std::vector<SignalSource> sources = sourcesOf(mux["mux"]);
      EXPECT_TRUE(std::equal(sources.begin(), sources.end(), entry.sources.begin()))
          << device.name << " " << name;
      const Json &columns = chip["blocks"][lab]["pterm_points"];
      EXPECT_EQ(columns[name + "_P"].integer(), entry.trueColumn) << device.name << " " << name;
      EXPECT_EQ(columns[name + "_N"].integer(), entry.complementColumn)
          << device.name << " " << name;
    }
  }
}

TEST_F(CPLDDatabase, GlobalOutputEnableMultiplexers) {
  for (const Device &device : kDevices) {
    const Json &globals = (*database())[device.name]["globals"];
    for (int goe = 1; goe <= 6; ++goe) {
      const GlobalOEMux &ours = device.arch.globalOEs[static_cast<size_t>(goe - 1)];
      const Json &mux = globals["GOE" + std::to_string(goe)]["mux"];
      EXPECT_EQ(fusesOf(mux["fuses"]).front(), ours.firstFuse) << device.name << " GOE" << goe;
      const std::vector<SignalSource> sources = sourcesOf(mux);
      EXPECT_TRUE(
          std::equal(sources.begin(), sources.end(), ours.sources.begin(), ours.sources.end()))
          << device.name << " GOE" << goe;
      const long invert = globals["GOE" + std::to_string(goe)]["invert"]["fuses"][0].integer();
      const bool mirrored = std::string(device.name) == "ATF1502AS";
      EXPECT_EQ(mirrored ? 16753 + (16760 - invert) : invert, ours.invertFuse)
          << device.name << " GOE" << goe;
    }
  }
}

TEST_F(CPLDDatabase, PackagePins) {
  for (const Device &device : kDevices) {
    for (const CPLDPackage &package : device.arch.packages) {
      const std::string name(package.pins.name);
      const Json &pins = (*database())[device.name]["pins"][name];
      const auto pinOf = [&](const std::string &pad) {
        return pins.has(pad) ? std::stoi(pins[pad].text) : 0;
      };
      for (int m = 1; m <= device.arch.macrocellCount; ++m)
        EXPECT_EQ(package.macrocellPins[static_cast<size_t>(m - 1)], pinOf("M" + std::to_string(m)))
            << device.name << " " << name << " MC" << m;
      EXPECT_EQ(package.pins.clockPins[0], pinOf("C1")) << device.name << " " << name;
      EXPECT_EQ(package.pins.clockPins[1], pinOf("C2")) << device.name << " " << name;
      EXPECT_EQ(package.pins.oePins[0], pinOf("E1")) << device.name << " " << name;
      EXPECT_EQ(package.pins.clearPin, pinOf("R")) << device.name << " " << name;
    }
  }
}

} // namespace
} // namespace gsmith::testing
