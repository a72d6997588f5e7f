// The ATF1504 macrocell option database: for each of the 64 macrocells the
// 55 named configuration options ("oe_mux:GOE1", "slew_rate:slow", ...) with
// the configuration fuses and values that select each. The encoder and the
// CONFIG application program macrocells through these names.
#pragma once

#include "devices/cpld/fuse-option.h"

#include <string>
#include <vector>

namespace gsmith {

class ATF1504FuseDB {
public:
  static constexpr int kOptionsPerMacrocell = 55;
  static constexpr int kFusesPerMacrocell = 24;
  static constexpr int kFirstFuse = 30720;
  static constexpr int kLastFuse = 32639;

  // Builds the 64 x 55 options and checks them (std::logic_error on failure).
  ATF1504FuseDB();

  int macrocellCount() const { return static_cast<int>(macrocells_.size()); }
  const std::vector<MacrocellFuseDB> &macrocells() const { return macrocells_; }
  // Throws std::out_of_range when the macrocell or the option is unknown.
  const MacrocellFuseDB &macrocell(int mc) const;
  const FuseOption &option(int mc, const std::string &key) const;

  int knownFuseCount(int mc) const;
  int knownLABAFuseCount() const;
  int knownLABBFuseCount() const;
  int knownLABCFuseCount() const;
  int knownLABDFuseCount() const;

  // The options of macrocell 1..64 generated from the addressing rule.
  static MacrocellFuseDB buildMacrocell(int mc);
  // The construction-time consistency checks, on any table.
  static void check(const std::vector<MacrocellFuseDB> &macrocells);

private:
  int knownFuseCount(int firstMacrocell, int lastMacrocell) const;

  std::vector<MacrocellFuseDB> macrocells_;
};

} // namespace gsmith
