// The ATF1502 macrocell option database: for each of the 32 macrocells, the
// 55 named configuration options ("oe_mux:GOE1", "slew_rate:slow", ...) and
// the configuration fuses, with values, that select each. The encoder and
// the CONFIG application program macrocells through these names.
#pragma once

#include "devices/cpld/fuse-option.h"

#include <vector>

namespace gsmith {

class ATF1502FuseDB {
public:
  static constexpr int kOptionsPerMacrocell = 55;

  ATF1502FuseDB();

  // Throws std::runtime_error "Macrocell not found" / "UIM not found".
  const MacrocellFuseDB &macrocell(int n) const;
  const UIMFuseDB &uim(int n) const;

  const std::vector<MacrocellFuseDB> &macrocells() const { return macrocells_; }
  const std::vector<UIMFuseDB> &uims() const { return uims_; }

  // The options of macrocell m (1..32) built from the placement rule.
  static MacrocellFuseDB buildMacrocell(int m);

private:
  std::vector<MacrocellFuseDB> macrocells_;
  std::vector<UIMFuseDB> uims_; // the ATF1502 has no per-UIM options
};

} // namespace gsmith
