// Orchestration of the minimisation steps and of the checks on their
// results. Searches run on a share of the budget so that a search that
// runs out still leaves room to check what it found.
#include "synthesis/minimise-core.h"

#include "synthesis/exact-minimise.h"
#include "synthesis/heuristic-minimise.h"
#include "synthesis/unate.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith::twolevel {

namespace {

constexpr uint64_t kMinOffsetWork = uint64_t{1} << 22;
constexpr uint64_t kOffsetWorkPerCube = 4096;

Cover deduplicated(const Cover &cover) {
  Cover result = cover;
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  return result;
}

// The cheapest cover found for `input` within `budget`; it may be `input`.
Cover search(const Cover &input, const Cover *offset, Budget &budget) {
  HeuristicResult best{input, false};
  try {
    removeContained(best.cover, budget);
    // An off-set is worth computing while it costs a few thousand cube
    // operations per cube of the cover (the 4096-term product of twelve sums
    // needs about 2200 a cube). One that does not fit, typically because it
    // is exponentially larger than the cover, leaves the rest of the budget
    // to expansion by containment checks.
    std::optional<Cover> computed;
    if (!offset) {
      Budget share(std::min(budget.left() / 2,
                            std::max(kMinOffsetWork, kOffsetWorkPerCube * best.cover.size())));
      try {
        computed = complement(best.cover, share);
      } catch (const WorkExhausted &) {
      }
      budget.charge(share.used());
    }
    minimiseHeuristically(offset ? offset : computed ? &*computed : nullptr, best, budget);
  } catch (const WorkExhausted &) {
    // `best` still holds the cheapest complete cover found so far.
  }
  if (best.provenMinimal) {
    return best.cover;
  }
  Budget exactShare(std::min(budget.left(), kExactMaxWork));
  try {
    if (const std::optional<Cover> exact =
            minimiseExactly(best.cover, costOf(best.cover), exactShare)) {
      best.cover = irredundant(*exact, {}, exactShare);
    }
  } catch (const WorkExhausted &) {
    // The heuristic cover stands.
  }
  budget.charge(exactShare.used());
  return best.cover;
}

Cover searchOnShare(const Cover &input, const Cover *offset, Budget &budget) {
  Budget share(budget.left() / 2);
  Cover result = search(input, offset, share);
  budget.charge(share.used());
  return result;
}

} // namespace

Cover minimiseCover(const Cover &cover, const Cover *offset, Budget &budget) {
  const Cover input = deduplicated(cover);
  const Cover result = searchOnShare(input, offset, budget);
  if (costOf(input) < costOf(result)) {
    return input;
  }
  try {
    if (!equivalentCovers(input, result, budget)) {
      throw std::logic_error("minimisation changed the function of a sum of products");
    }
  } catch (const WorkExhausted &) {
    return input;
  }
  return result;
}

std::optional<Cover> complementCover(const Cover &cover, Budget &budget) {
  // A complement that runs out is still charged for: callers that share one
  // budget among many calls rely on it to bound their total work.
  Budget share(budget.left() / 2);
  std::optional<Cover> raw;
  try {
    raw = complement(cover, share);
  } catch (const WorkExhausted &) {
  }
  budget.charge(share.used());
  if (!raw) {
    return std::nullopt;
  }
  try {
    const Cover result = searchOnShare(deduplicated(*raw), &cover, budget);
    if (!isComplement(cover, result, budget)) {
      throw std::logic_error("minimisation computed a wrong complement");
    }
    return result;
  } catch (const WorkExhausted &) {
    return std::nullopt;
  }
}

} // namespace gsmith::twolevel
