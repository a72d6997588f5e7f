// CONFIG statements of the CPLDs: the checks a design's CONFIG entries must
// pass before synthesis, the fuse-option key of a macrocell entry, and the
// step that writes the entries into a fitted and encoded fuse map.
// Validation owns every CONFIG message the user sees before fitting;
// application owns those that need the fit result.
#pragma once

#include "cpld/architecture.h"
#include "cpld/chip.h"
#include "cpld/fit-result.h"
#include "model/design.h"
#include "target/checked-fuse-map.h"

#include <iosfwd>
#include <string>

namespace gsmith {

class ATFConfig {
public:
  // Throws CompileError naming the first CONFIG entry the device or the
  // design's declarations cannot honour.
  static void validate(const Design &design, const CPLDArchitecture &arch);

  // "GOE1" to "GOE6".
  static bool isGOE(const std::string &name);
  // Targets that name a device-wide resource rather than a macrocell.
  static bool isGlobal(const std::string &name);
  // The macrocell fuse-option key of an entry, e.g. "slew_rate:fast".
  static std::string macroOption(const ATFConfigOption &entry);

  // The physical source of a GOE SOURCE signal: the feedback of its fitted
  // macrocell, or the pad its pin sits on.
  static SignalSource physicalSource(const Design &design, const FitResult &fit, const Chip &chip,
                                     const std::string &name);

  // Writes a validated design's CONFIG entries into its encoded fuse map and
  // prints the advisory notes to `log`.
  static void apply(const Design &design, const FitResult &fit, const Chip &chip,
                    CheckedFuseMap &map, std::ostream &log);
};

} // namespace gsmith
