// Expands the devices' option placement rules into per-macrocell option
// records; shared by the ATF1502 and ATF1504 fuse databases.
#include "devices/cpld/fuse-option.h"

#include <algorithm>
#include <utility>

namespace gsmith {

MacrocellFuseDB buildMacrocellOptions(int macrocell, std::span<const OptionRule> rules,
                                      FuseOfSlot fuseOf) {
  MacrocellFuseDB entry{macrocell, {}};
  for (const OptionRule &rule : rules) {
    std::vector<std::pair<int, bool>> fuses;
    for (int k = 0; k < rule.slotCount; ++k)
      fuses.emplace_back(fuseOf(macrocell, rule.slots[k]), rule.values[k]);
    std::sort(fuses.begin(), fuses.end());
    FuseOption option{std::string(rule.name), {}, {}};
    for (const auto &[fuse, value] : fuses) {
      option.fuses.push_back(fuse);
      option.values.push_back(value);
    }
    entry.options.push_back(std::move(option));
  }
  return entry;
}

} // namespace gsmith
