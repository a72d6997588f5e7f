// Expand, irredundant, essentials and reduce.
//
// Expansion keeps a cube apart from the off-set: for every off-set cube the
// variables in which the two conflict form a "blocking set", and an expanded
// cube is feasible exactly when its literals still hit every blocking set.
// That turns each feasibility test into one AND per off-set cube. A cube
// first grows towards the other cubes of the cover (so that they become
// redundant), then drops whatever literals remain droppable, those that
// block fewest off-set cubes first, which leaves a prime.
#include "synthesis/heuristic-minimise.h"

#include "synthesis/unate.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>

namespace gsmith::twolevel {

namespace {

// Each cover is improved at most this many times round the loop; in
// practice the loop stops after two or three passes without gain.
constexpr int kMaxPasses = 16;

std::vector<size_t> bySize(const Cover &cover, bool fewestLiteralsFirst) {
  std::vector<size_t> order(cover.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const unsigned x = literalCount(cover[a]);
    const unsigned y = literalCount(cover[b]);
    return fewestLiteralsFirst ? x < y : x > y;
  });
  return order;
}

bool separates(uint64_t care, const std::vector<uint64_t> &blocks) {
  return std::all_of(blocks.begin(), blocks.end(),
                     [&](uint64_t block) { return (care & block) != 0; });
}

// Without an off-set (when the complement does not fit the budget), a
// literal may be dropped when the function still covers the grown cube:
// slower, one tautology check per literal, but the same primes.
class Expander {
public:
  Expander(const Cover &cover, const Cover *offset, const Cover &function, Budget &budget)
      : cover_(cover), offset_(offset), function_(function), budget_(budget),
        covered_(cover.size(), 0), order_(bySize(cover, true)) {}

  // Largest cubes first: they are the least likely to end up covered by
  // another and the most likely to cover others.
  Cover run() {
    Cover result;
    for (const size_t index : order_) {
      if (covered_[index] == 0) {
        covered_[index] = 1;
        result.push_back(expand(cover_[index]));
      }
    }
    return result;
  }

private:
  Cube expand(const Cube &cube) {
    const uint64_t keep = offset_ ? expandAgainstOffset(cube) : expandWithinFunction(cube);
    if (keep == cube.care) {
      return cube;
    }
    const Cube expanded{keep, cube.value & keep};
    budget_.charge(cover_.size());
    for (size_t index = 0; index < cover_.size(); ++index) {
      if (covered_[index] == 0 && contains(expanded, cover_[index])) {
        covered_[index] = 1;
      }
    }
    return expanded;
  }

  uint64_t expandWithinFunction(const Cube &cube) {
    uint64_t keep = cube.care;
    for (uint64_t bits = cube.care; bits != 0; bits &= bits - 1) {
      const uint64_t candidate = keep & ~(bits & -bits);
      if (coversCube(function_, Cube{candidate, cube.value & candidate}, budget_)) {
        keep = candidate;
      }
    }
    return keep;
  }

  uint64_t expandAgainstOffset(const Cube &cube) {
    budget_.charge(offset_->size() + cover_.size() + 1);
    blocks_.clear();
    uint64_t essential = 0;
    for (const Cube &off : *offset_) {
      const uint64_t block = conflicts(cube, off);
      if (block == 0) {
        throw std::logic_error("minimisation: a cube of the function meets its complement");
      }
      blocks_.push_back(block);
      if (std::has_single_bit(block)) {
        essential |= block;
      }
    }
    if (essential == cube.care) {
      // Every literal keeps the cube off the off-set: it is already prime.
      return cube.care;
    }
    uint64_t keep = cube.care;
    for (const size_t index : order_) {
      const Cube &other = cover_[index];
      const uint64_t care = keep & other.care & ~(cube.value ^ other.value);
      if (covered_[index] != 0 || (care & essential) != essential) {
        continue;
      }
      if (care != keep) {
        budget_.charge(blocks_.size());
        if (!separates(care, blocks_)) {
          continue;
        }
        keep = care;
      }
      covered_[index] = 1;
    }
    return dropLiterals(keep, essential);
  }

  uint64_t dropLiterals(uint64_t keep, uint64_t essential) {
    std::array<uint32_t, kMaxVariables> weight{};
    for (const uint64_t block : blocks_) {
      for (uint64_t bits = block & keep; bits != 0; bits &= bits - 1) {
        ++weight[static_cast<unsigned>(std::countr_zero(bits))];
      }
    }
    std::vector<unsigned> candidates;
    for (uint64_t bits = keep & ~essential; bits != 0; bits &= bits - 1) {
      candidates.push_back(static_cast<unsigned>(std::countr_zero(bits)));
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](unsigned a, unsigned b) { return weight[a] < weight[b]; });
    budget_.charge(blocks_.size() * (candidates.size() + 1));
    for (const unsigned v : candidates) {
      if (separates(keep & ~bit(v), blocks_)) {
        keep &= ~bit(v);
      }
    }
    return keep;
  }

  const Cover &cover_;
  const Cover *offset_;
  const Cover &function_;
  Budget &budget_;
  std::vector<char> covered_;
  std::vector<size_t> order_;
  std::vector<uint64_t> blocks_;
};

// A point of a cube that lies outside as many other cubes as possible:
// every variable the cube leaves free takes its rarer polarity. When no
// other cube holds that point, the cube covers it alone, which settles
// irredundancy and essentiality without a cofactor or a tautology check.
class Witness {
public:
  Witness(const Cover &cover, const Cover &dontCare) {
    std::array<int, kMaxVariables> balance{};
    for (const Cover *part : {&cover, &dontCare}) {
      for (const Cube &cube : *part) {
        support_ |= cube.care;
        for (uint64_t bits = cube.care; bits != 0; bits &= bits - 1) {
          const unsigned v = static_cast<unsigned>(std::countr_zero(bits));
          balance[v] += (cube.value & bit(v)) != 0 ? 1 : -1;
        }
      }
    }
    for (unsigned v = 0; v < kMaxVariables; ++v) {
      rarerPositive_ |= balance[v] < 0 ? bit(v) : 0;
    }
  }

  Cube pointOf(const Cube &cube) const {
    const uint64_t free = support_ & ~cube.care;
    return Cube{cube.care | free, cube.value | (free & rarerPositive_)};
  }

private:
  uint64_t support_ = 0;
  uint64_t rarerPositive_ = 0;
};

// Whether some other live cube or a don't-care cube holds `point`.
bool othersHold(const Cover &cover, const std::vector<char> &alive, size_t index,
                const Cover &dontCare, const Cube &point, Budget &budget) {
  budget.charge(cover.size() + dontCare.size() + 1);
  for (size_t other = 0; other < cover.size(); ++other) {
    if (other != index && alive[other] != 0 && contains(cover[other], point)) {
      return true;
    }
  }
  return std::any_of(dontCare.begin(), dontCare.end(),
                     [&](const Cube &cube) { return contains(cube, point); });
}

// The other live cubes of `cover` and the don't-care cubes, cofactored by
// cover[index].
Cover othersCofactor(const Cover &cover, const std::vector<char> &alive, size_t index,
                     const Cover &dontCare, Budget &budget) {
  budget.charge(cover.size() + dontCare.size() + 1);
  const Cube &cube = cover[index];
  Cover result;
  for (size_t other = 0; other < cover.size(); ++other) {
    if (other != index && alive[other] != 0 && intersects(cover[other], cube)) {
      result.push_back(without(cover[other], cube.care));
    }
  }
  for (const Cube &other : dontCare) {
    if (intersects(other, cube)) {
      result.push_back(without(other, cube.care));
    }
  }
  return result;
}

Cover liveCubes(const Cover &cover, const std::vector<char> &alive) {
  Cover result;
  for (size_t index = 0; index < cover.size(); ++index) {
    if (alive[index] != 0) {
      result.push_back(cover[index]);
    }
  }
  return result;
}

Cover consensusTerms(const Cover &primes, size_t index, Budget &budget) {
  budget.charge(primes.size() + 1);
  const Cube &cube = primes[index];
  Cover consensus;
  for (size_t other = 0; other < primes.size(); ++other) {
    const uint64_t conflict = conflicts(primes[other], cube);
    if (other != index && (conflict & (conflict - 1)) == 0) {
      const uint64_t care = (primes[other].care | cube.care) & ~conflict;
      consensus.push_back(Cube{care, (primes[other].value | cube.value) & care});
    }
  }
  return consensus;
}

// A prime of a prime cover is essential exactly when the consensus terms of
// the other cubes with it do not cover it. The witness point lies in the
// consensus of `cube` with `other` exactly when `other` disagrees with it in
// at most one variable, and only in one of `cube`'s own.
std::vector<char> essentialPrimes(const Cover &primes, Budget &budget) {
  const Witness witness(primes, {});
  std::vector<char> essential(primes.size(), 0);
  for (size_t index = 0; index < primes.size(); ++index) {
    budget.charge(primes.size() + 1);
    const Cube &cube = primes[index];
    const Cube point = witness.pointOf(cube);
    bool pointHeld = false;
    for (size_t other = 0; other < primes.size() && !pointHeld; ++other) {
      const uint64_t differ = (primes[other].value ^ point.value) & primes[other].care;
      pointHeld = other != index && (differ & ~cube.care) == 0 && (differ & (differ - 1)) == 0;
    }
    const bool covered =
        pointHeld && coversCube(consensusTerms(primes, index, budget), cube, budget);
    essential[index] = covered ? 0 : 1;
  }
  return essential;
}

// Each cube, largest first, shrinks to the smallest cube holding the points
// that only it covers; a cube with no such points disappears.
Cover reduce(const Cover &cover, const Cover &dontCare, Budget &budget) {
  Cover current = cover;
  std::vector<char> alive(cover.size(), 1);
  for (const size_t index : bySize(cover, true)) {
    const std::optional<Cube> kept =
        supercubeOfComplement(othersCofactor(current, alive, index, dontCare, budget), budget);
    if (!kept) {
      alive[index] = 0;
      continue;
    }
    current[index] = Cube{current[index].care | kept->care, current[index].value | kept->value};
  }
  return liveCubes(current, alive);
}

} // namespace

Cover irredundant(const Cover &cover, const Cover &dontCare, Budget &budget) {
  const Witness witness(cover, dontCare);
  std::vector<char> alive(cover.size(), 1);
  for (const size_t index : bySize(cover, false)) {
    const Cube point = witness.pointOf(cover[index]);
    if (othersHold(cover, alive, index, dontCare, point, budget) &&
        tautology(othersCofactor(cover, alive, index, dontCare, budget), budget)) {
      alive[index] = 0;
    }
  }
  return liveCubes(cover, alive);
}

void minimiseHeuristically(const Cover *offset, HeuristicResult &best, Budget &budget) {
  // Essential primes are never redundant, so only the others go through
  // the irredundant selection.
  const Cover function = best.cover;
  const Cover primes = Expander(function, offset, function, budget).run();
  const std::vector<char> essential = essentialPrimes(primes, budget);
  Cover fixed;
  Cover candidates;
  for (size_t index = 0; index < primes.size(); ++index) {
    (essential[index] != 0 ? fixed : candidates).push_back(primes[index]);
  }
  Cover current = irredundant(candidates, fixed, budget);
  best.cover = fixed;
  best.cover.insert(best.cover.end(), current.begin(), current.end());
  if (current.empty()) {
    best.provenMinimal = true;
    return;
  }
  // The essential primes belong to every prime cover; the loop treats them
  // as don't-cares and only works on the rest.
  Cost currentCost = costOf(current);
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    const Cover reduced = reduce(current, fixed, budget);
    Cover next = irredundant(Expander(reduced, offset, function, budget).run(), fixed, budget);
    const Cost nextCost = costOf(next);
    if (!(nextCost < currentCost)) {
      return;
    }
    current = std::move(next);
    currentCost = nextCost;
    Cover combined = fixed;
    combined.insert(combined.end(), current.begin(), current.end());
    best.cover = std::move(combined);
  }
}

} // namespace gsmith::twolevel
