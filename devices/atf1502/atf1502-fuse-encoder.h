// Turns a fitted ATF1502 virtual chip into fuses: UIM multiplexer selections,
// the device-wide configuration, every product-term row and every
// macrocell's option fuses, then verifies the safety invariants that the
// JEDEC writer relies on. Every failure throws std::runtime_error.
#pragma once

#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-fuse-map.h"
#include "synthesis/logic.h"

#include <string>
#include <unordered_map>

namespace gsmith {

class ATF1502FuseEncoder {
public:
  using UIMAssignments = std::unordered_map<std::string, int>;

  void encode(const ATF1502Chip &chip, ATF1502FuseMap &fuseMap);

  // Gives every signal of the LAB's matrix a UIM that the LAB's product-term
  // rows read (even UIMs for LAB A, odd for LAB B), one UIM per signal.
  void encodeRouting(const ATF1502Chip &chip, const SwitchMatrix &matrix, ATF1502LAB lab,
                     UIMAssignments &assignments, ATF1502FuseMap &fuseMap);
  void encodeDeviceConfig(const ATF1502Chip &chip, ATF1502FuseMap &fuseMap);
  void encodeMacrocell(const Macrocell &macrocell, ATF1502FuseMap &fuseMap);
  void encodeMacrocellConfig(const Macrocell &macrocell, ATF1502FuseMap &fuseMap);
  void encodeProductTerm(int macrocell, int pt, const ProductTerm &term, ATF1502FuseMap &fuseMap);
  void disableProductTerm(int macrocell, int pt, ATF1502FuseMap &fuseMap);

  // "MC<n>_FB", "M<n>_PAD", "C1_PAD", "C2_PAD", "E1_PAD", "R_PAD", or empty
  // when the signal has no physical source. Pad pins of a TQFP44 design are
  // translated to PLCC44 numbers first, so both packages name one pad alike.
  static std::string physicalSource(const ATF1502Chip &chip, const SwitchMatrixSignal &signal);

  static void applyMacrocellOption(const MacrocellFuseDB &db, const std::string &key,
                                   ATF1502FuseMap &fuseMap);

  const ATF1502FuseDB &fuseDB() const { return db_; }
  const UIMAssignments &uimsA() const { return uimsA_; }
  const UIMAssignments &uimsB() const { return uimsB_; }

private:
  void applyOptions(const MacrocellFuseDB &db, std::initializer_list<const char *> keys,
                    ATF1502FuseMap &fuseMap) const;
  void checkSafetyInvariants(const ATF1502Chip &chip, const ATF1502FuseMap &fuseMap) const;

  ATF1502FuseDB db_;
  UIMAssignments uimsA_;
  UIMAssignments uimsB_;
};

} // namespace gsmith
