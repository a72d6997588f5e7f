// Turns a fitted and routed virtual ATF1504 chip into fuse values: the
// switch-matrix selections, the global clock, clear and output-enable
// multiplexers, every macrocell's product terms and options, the user
// signature and the device and special-pin configuration. Any inconsistency
// in the chip is an internal error (std::runtime_error).
#pragma once

#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-fuse-map.h"

#include <cstdint>
#include <string>

namespace gsmith {

class ATF1504FuseEncoder {
public:
  void encode(const ATF1504Chip &chip, uint16_t signature, bool powerDownPD1, bool powerDownPD2,
              ATF1504FuseMap &map) const;

  void encodeRouting(const ATF1504Chip &chip, ATF1504FuseMap &map) const;
  void encodeGlobals(const ATF1504Chip &chip, ATF1504FuseMap &map) const;
  void encodeMacrocell(const ATF1504Chip &chip, const Macrocell &macrocell,
                       ATF1504FuseMap &map) const;
  void encodeProductTerm(const ATF1504Chip &chip, int macrocell, int pt, const ProductTerm &term,
                         ATF1504FuseMap &map) const;
  void disableProductTerm(int macrocell, int pt, ATF1504FuseMap &map) const;
  void encodeMacrocellConfig(const Macrocell &macrocell, ATF1504FuseMap &map) const;
  void applyOption(const MacrocellFuseDB &entry, const std::string &key, ATF1504FuseMap &map) const;

private:
  ATF1504FuseDB fuseDB_;
};

} // namespace gsmith
