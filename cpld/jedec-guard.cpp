// The armed-with-JTAG guard, reading every fuse it checks from the record.
#include "cpld/jedec-guard.h"

#include "model/compile-error.h"

#include <string>

namespace gsmith {

void checkArmedWithJTAG(const CPLDArchitecture &arch, const std::vector<bool> &fuses,
                        const Netlist &netlist) {
  const std::string device(arch.messages.device);
  for (size_t index = arch.fuseCount - static_cast<size_t>(arch.reservedFuses);
       index < fuses.size(); ++index)
    if (fuses[index])
      throw CompileError("Refusing " + device + " JEDEC with nonzero reserved fuse");
  const size_t base = static_cast<size_t>(arch.configurationBase);
  const bool configApplied = !netlist.configOptions.empty();
  if (fuses[base] || !fuses[base + kJTAGPinFunctionOffset] ||
      (!fuses[static_cast<size_t>(arch.securityFuse)] && !configApplied))
    throw CompileError("Refusing unsafe " + device + " JEDEC: recovery/security baseline changed");
}

} // namespace gsmith
