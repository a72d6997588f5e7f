// The dispatch from a target to the reader of its layout: the target says
// which record describes it, so the device list stays in the registry.
#include "decode/decoder.h"

#include "decode/cpld-decoder.h"
#include "decode/gal-decoder.h"

#include <stdexcept>

namespace gsmith {

DecodedMap decodeFuseMap(const Target &target, const std::vector<bool> &fuses) {
  if (fuses.size() != target.fuseCount())
    throw std::logic_error("Internal error: a " + std::string(target.name()) + " map of " +
                           std::to_string(fuses.size()) + " fuses");
  const JEDECFacts facts = target.jedecFacts();
  if (facts.cpld)
    return decodeCPLD(*facts.cpld, target.name(), fuses);
  if (facts.galV8)
    return decodeGALV8(*facts.galV8, target.name(), fuses);
  if (facts.gal22V10)
    return decodeGAL22V10(*facts.gal22V10, target.name(), fuses);
  throw std::logic_error("Internal error: " + std::string(target.name()) + " has no fuse layout");
}

} // namespace gsmith
