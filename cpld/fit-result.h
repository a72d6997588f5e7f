// What a CPLD fit reports: where each output went and how many product terms
// it took, or every reason the design did not fit, each at the equation of the
// output it concerns (or the declaration of the signal it could not route).
// Both CPLD fitters fill it; the driver and the CONFIG application read it.
#pragma once

#include "model/source-location.h"

#include <string>
#include <vector>

namespace gsmith {

struct FittedOutput {
  std::string name;
  int pin = 0;
  int macrocell = 0;
  int lab = 0;
  int productTerms = 0;
  int maxProductTerms = 0;
  bool usesCascade = false;
};

struct FitResult {
  bool success = true;
  std::vector<FittedOutput> outputs;
  std::vector<LocatedMessage> errors;
  // The outputs refused for lack of product terms, which smaller sums may cure.
  std::vector<std::string> shortOfTerms;
};

} // namespace gsmith
