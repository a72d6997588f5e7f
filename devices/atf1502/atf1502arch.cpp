// The index-numbered macrocell records of ATF1502Architecture.
#include "devices/atf1502/atf1502arch.h"

namespace gsmith {

ATF1502Architecture::ATF1502Architecture() {
  for (int i = 0; i < 32; ++i)
    macrocells_.push_back(MacrocellFuseDB{i, {}});
}

const MacrocellFuseDB &ATF1502Architecture::getMacrocell(int i) const {
  return macrocells_.at(static_cast<size_t>(i));
}

} // namespace gsmith
