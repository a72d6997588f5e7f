// Helpers shared by the subset checks of the three GALs.
#pragma once

#include "model/design.h"

#include <string>
#include <unordered_map>

namespace gsmith {

// Number of data equations per target name. Counted once, so that the
// per-pin checks stay linear however many pins a source declares (the
// subset checks run before the package checks refuse surplus pins).
inline std::unordered_map<std::string, size_t> countEquations(const Design &design) {
  std::unordered_map<std::string, size_t> counts;
  for (const Equation &equation : design.equations)
    ++counts[equation.name];
  return counts;
}

// Where the first .CE, .PRESET or (with `withReset`) .RESET equation stands,
// for the GALs that take none of them.
inline SourceLocation firstRegisterControl(const Design &design, bool withReset) {
  SourceLocation first;
  const auto consider = [&first](const auto &equations) {
    if (equations.empty())
      return;
    const SourceLocation at = equations.front().location;
    if (!first.known() || at.line < first.line ||
        (at.line == first.line && at.column < first.column))
      first = at;
  };
  consider(design.ceEquations);
  consider(design.presetEquations);
  if (withReset)
    consider(design.resetEquations);
  return first;
}

inline size_t equationsFor(const std::unordered_map<std::string, size_t> &counts,
                           const std::string &name) {
  const auto found = counts.find(name);
  return found == counts.end() ? 0 : found->second;
}

} // namespace gsmith
