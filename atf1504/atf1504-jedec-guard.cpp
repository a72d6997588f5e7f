// The ATF1504's last word before its JEDEC file is written: reserved fuses
// stay 0, the configuration stays armed with JTAG on, and read protection
// only comes from a CONFIG statement that asked for it.
#include "atf1504/atf1504.h"

#include "model/compile-error.h"

namespace gsmith {

namespace {

constexpr size_t kRecoveryFuse = 34134;
constexpr size_t kSecurityFuse = 34166;
constexpr size_t kJTAGFuse = 34167;
constexpr size_t kFirstReservedFuse = 34186;

} // namespace

void checkATF1504BeforeWriting(const std::vector<bool> &fuses, const Netlist &netlist) {
  for (size_t index = kFirstReservedFuse; index < fuses.size(); ++index)
    if (fuses[index])
      throw CompileError("Refusing ATF1504 JEDEC with nonzero reserved fuse");
  const bool configApplied = !netlist.configOptions.empty();
  if (fuses[kRecoveryFuse] || !fuses[kJTAGFuse] || (!fuses[kSecurityFuse] && !configApplied))
    throw CompileError("Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");
}

} // namespace gsmith
