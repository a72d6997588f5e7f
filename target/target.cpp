// What every target prints of its fit.
#include "target/target.h"

#include <ostream>

namespace gsmith {

void printResourceSummary(std::ostream &log, int macrocells, int capacity, int productTerms,
                          int outputs) {
  log << "Resource usage:\n";
  log << "  Macrocells:    " << macrocells << " / " << capacity << "\n";
  log << "  Product terms: " << productTerms << "\n";
  log << "  Outputs:       " << outputs << "\n";
}

} // namespace gsmith
