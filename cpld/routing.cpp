// Switch-matrix routing: candidates are the LAB's multiplexers that list the
// signal's source, in ascending multiplexer number.
#include "cpld/routing.h"

#include <algorithm>
#include <vector>

namespace gsmith {

namespace {

std::vector<int> candidates(const Chip &chip, Lab lab, const SignalSource &source) {
  std::vector<int> found;
  for (const SwitchEntry &entry : chip.architecture().switches) {
    if (entry.lab != lab)
      continue;
    if (std::find(entry.sources.begin(), entry.sources.end(), source) != entry.sources.end())
      found.push_back(entry.number);
  }
  return found;
}

} // namespace

std::optional<RoutingProblem> routeLab(Chip &chip, Lab lab, BipartiteMatcher::Search search,
                                       bool sourcesFirst) {
  SwitchMatrix &matrix = chip.matrix(lab);
  const std::vector<SwitchMatrixSignal> &signals = matrix.signals();
  std::vector<SignalSource> sources;
  for (const SwitchMatrixSignal &signal : signals) {
    sources.push_back(physicalSource(chip, signal));
    if (sourcesFirst && sources.back().kind == SourceKind::NONE)
      return RoutingProblem{true, signal.name, {}};
  }
  BipartiteMatcher matcher(search);
  for (size_t k = 0; k < signals.size(); ++k) {
    if (sources[k].kind == SourceKind::NONE)
      return RoutingProblem{true, signals[k].name, {}};
    if (!matcher.add(candidates(chip, lab, sources[k])))
      return RoutingProblem{false, signals[k].name, sources[k]};
  }
  for (size_t k = 0; k < signals.size(); ++k) {
    const std::string name = signals[k].name;
    matrix.assignPhysicalUIM(name, matcher.assigned(k));
  }
  return std::nullopt;
}

} // namespace gsmith
