#include "decode/proof.h"

#include "decode/compare.h"
#include "decode/decoder.h"
#include "decode/expected.h"
#include "target/jedec-reader.h"

#include <stdexcept>

namespace gsmith {

std::vector<std::uint8_t> fusesOfJEDEC(const Target &target, const std::string &text) {
  JedecFile file;
  try {
    file = readJedec(text);
  } catch (const JedecError &error) {
    throw std::logic_error(std::string("Internal error: the JEDEC text does not read back: ") +
                           error.what());
  }
  if (file.fuseCount != target.fuseCount())
    throw std::logic_error("Internal error: the JEDEC text reads back as QF" +
                           std::to_string(file.fuseCount));
  return std::move(file.fuses);
}

void proveFuseMap(const Target &target, const std::string &package, const Netlist &netlist,
                  const std::vector<std::uint8_t> &fuses,
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
