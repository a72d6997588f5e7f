// The check before writing: the fitted netlist's expectations against the
// map's own reading; the first difference becomes the internal error.
#include "decode/proof.h"

#include "decode/compare.h"
#include "decode/decoder.h"
#include "decode/expected.h"

#include <stdexcept>

namespace gsmith {

void proveFuseMap(const Target &target, const std::string &package, const Netlist &netlist,
                  const std::vector<bool> &fuses,
                  const std::vector<std::pair<std::string, int>> &placement) {
  const std::vector<Difference> differences =
      compareMaps(expectedMap(target, netlist, package, placement), decodeFuseMap(target, fuses));
  if (differences.empty())
    return;
  const Difference &first = differences.front();
  std::string message =
      "Internal error: the fuse map does not implement '" + first.output + "': " + first.text;
  if (differences.size() > 1)
    message += " (and " + std::to_string(differences.size() - 1) + " more differences)";
  throw std::logic_error(message);
}

} // namespace gsmith
