// CONFIG statements of the ATF1502AS/ASV and ATF1504AS/ASV: the checks a
// design's CONFIG entries must pass before synthesis, the fuse-option key of a
// macrocell entry, the physical name of a global output-enable source, and the
// step that writes the entries into a fitted and encoded fuse map. Validation
// owns every CONFIG message the user sees before fitting; application owns
// those that need the fit result or the fuse databases.
#pragma once

#include "devices/cpld/fit-result.h"
#include "frontend/design.h"

#include <array>
#include <string>
#include <string_view>

namespace gsmith {

class ATF1502FuseMap;
class ATF1502FuseDB;
class ATF1504FuseMap;
class ATF1504FuseDB;

class ATFConfig {
public:
  // One selection of an ATF1502 global output-enable multiplexer: GOE `goe`
  // takes `source` when bit k of `value` is written to the k-th fuse of its
  // five-fuse group.
  struct goe1502Value {
    int goe;
    std::string_view source;
    unsigned value;
  };

  // Every source each ATF1502 GOE multiplexer can take, four per GOE.
  static const std::array<goe1502Value, 24> routes;

  // Throws std::runtime_error naming the first CONFIG entry the design's
  // device or declarations cannot honour.
  static void validate(const Design &design);

  // "GOE1" to "GOE6".
  static bool isGOE(const std::string &name);
  // Targets that name a device-wide resource rather than a macrocell.
  static bool isGlobal(const std::string &name);
  // The macrocell fuse-option key of an entry, e.g. "slew_rate:fast".
  static std::string macroOption(const ATFConfigOption &entry);

  // The routing name of a GOE SOURCE signal: the feedback of its fitted
  // macrocell, or the pad its pin sits on.
  static std::string physicalSource(const Design &design, const FitResult &fit,
                                    const std::string &name);

  // Writes the design's CONFIG entries into an encoded fuse map, printing the
  // advisory notes on standard output. Instantiated for (ATF1504FuseMap,
  // ATF1504FuseDB) and (ATF1502FuseMap, ATF1502FuseDB); the definition is in
  // config/atf-config-apply.h.
  template <typename FuseMap, typename FuseDB>
  static void apply(const Design &design, const FitResult &fit, FuseMap &map, const FuseDB &db);

  // The three fuse-map and database operations application needs; the
  // template wraps its arguments in one (config/atf-config-apply.h).
  struct FuseAccess;

private:
  // The device-independent body of apply, working through `access`.
  static void applyThrough(const Design &design, const FitResult &fit, const FuseAccess &access);
};

extern template void ATFConfig::apply<ATF1504FuseMap, ATF1504FuseDB>(const Design &,
                                                                     const FitResult &,
                                                                     ATF1504FuseMap &,
                                                                     const ATF1504FuseDB &);
extern template void ATFConfig::apply<ATF1502FuseMap, ATF1502FuseDB>(const Design &,
                                                                     const FitResult &,
                                                                     ATF1502FuseMap &,
                                                                     const ATF1502FuseDB &);

} // namespace gsmith
