// Tautology, complement and supercube of the complement by recursive
// Shannon expansion. Each recursion first takes the cheap exits (an empty
// cover, a cube with no literals, literals common to every cube, unate
// variables), then splits on the variable that is binate and appears most
// often, which shrinks both cofactors fastest. Every split removes a
// variable, so the depth never exceeds 64; the budget bounds the breadth.
#include "synthesis/unate.h"

#include <algorithm>
#include <array>

namespace gsmith::twolevel {

namespace {

// What one recursion step costs beyond its cubes: the variable scan and the
// allocation of its cofactors, so that deep recursions over small covers
// are charged for their time.
constexpr uint64_t kStepCost = 32;

// Binate before unate, then the most literals, then the lowest number.
unsigned splitVariable(const Cover &cover) {
  std::array<uint32_t, kMaxVariables> positive{};
  std::array<uint32_t, kMaxVariables> negative{};
  uint64_t support = 0;
  for (const Cube &cube : cover) {
    support |= cube.care;
    for (uint64_t bits = cube.care; bits != 0; bits &= bits - 1) {
      const unsigned v = static_cast<unsigned>(std::countr_zero(bits));
      ++((cube.value & bit(v)) != 0 ? positive : negative)[v];
    }
  }
  unsigned best = 0;
  bool bestBinate = false;
  uint32_t bestCount = 0;
  for (uint64_t bits = support; bits != 0; bits &= bits - 1) {
    const unsigned v = static_cast<unsigned>(std::countr_zero(bits));
    const uint32_t count = positive[v] + negative[v];
    const bool binate = positive[v] != 0 && negative[v] != 0;
    if (binate > bestBinate || (binate == bestBinate && count > bestCount)) {
      best = v;
      bestBinate = binate;
      bestCount = count;
    }
  }
  return best;
}

// The literals shared by every cube, as a cube; `cover` must not be empty.
Cube commonCube(const Cover &cover) {
  uint64_t positive = ~uint64_t{0};
  uint64_t negative = ~uint64_t{0};
  for (const Cube &cube : cover) {
    positive &= cube.value;
    negative &= cube.care & ~cube.value;
  }
  return Cube{positive | negative, positive};
}

bool hasUniversalCube(const Cover &cover) {
  return std::any_of(cover.begin(), cover.end(), [](const Cube &cube) { return cube.care == 0; });
}

// False only when the cubes together hold fewer points than the space of
// the variables they mention, which proves they cannot cover it.
bool mayCoverSpace(const Cover &cover, uint64_t variables) {
  const unsigned n = static_cast<unsigned>(std::popcount(variables));
  if (n >= 63) {
    return true;
  }
  const uint64_t space = uint64_t{1} << n;
  uint64_t points = 0;
  for (const Cube &cube : cover) {
    points += uint64_t{1} << (n - literalCount(cube));
    if (points >= space) {
      return true;
    }
  }
  return false;
}

// The complement of a split, x.high + !x.low, where a cube on both sides
// loses the split literal. Both sides are containment-free (as every
// complement computed here is), so the merged cover is too: a cube with the
// literal cannot contain one with the opposite literal, and a lifted cube
// lies in both sides, so it neither contains nor is contained in another
// cube of either. That keeps the merge a sorted linear pass.
Cover mergeBranches(Cover high, Cover low, unsigned variable, Budget &budget) {
  const size_t size = high.size() + low.size() + 1;
  budget.charge(size * static_cast<size_t>(std::bit_width(size)));
  std::sort(high.begin(), high.end());
  std::sort(low.begin(), low.end());
  const uint64_t mask = bit(variable);
  Cover result;
  result.reserve(high.size() + low.size());
  auto h = high.begin();
  auto l = low.begin();
  while (h != high.end() || l != low.end()) {
    if (l == low.end() || (h != high.end() && *h < *l)) {
      result.push_back(Cube{h->care | mask, h->value | mask});
      ++h;
    } else if (h == high.end() || *l < *h) {
      result.push_back(Cube{l->care | mask, l->value});
      ++l;
    } else {
      result.push_back(*h);
      ++h;
      ++l;
    }
  }
  budget.admit(result);
  return result;
}

} // namespace

bool tautology(Cover cover, Budget &budget) {
  budget.charge(kStepCost);
  for (;;) {
    budget.charge(cover.size() + 1);
    if (cover.empty()) {
      return false;
    }
    if (hasUniversalCube(cover)) {
      return true;
    }
    uint64_t positive = 0;
    uint64_t negative = 0;
    for (const Cube &cube : cover) {
      positive |= cube.value;
      negative |= cube.care & ~cube.value;
    }
    // Where a variable appears in one polarity only, the cofactor by the
    // other polarity is the smaller function and decides: it is the cover
    // without the cubes that mention the variable.
    const uint64_t unate = positive ^ negative;
    if (unate == 0) {
      if (!mayCoverSpace(cover, positive | negative)) {
        return false;
      }
      break;
    }
    std::erase_if(cover, [&](const Cube &cube) { return (cube.care & unate) != 0; });
  }
  const unsigned v = splitVariable(cover);
  return tautology(cofactor(cover, v, true, budget), budget) &&
         tautology(cofactor(cover, v, false, budget), budget);
}

bool coversCube(const Cover &cover, const Cube &cube, Budget &budget) {
  budget.charge(cover.size() + 1);
  if (std::any_of(cover.begin(), cover.end(),
                  [&](const Cube &outer) { return contains(outer, cube); })) {
    return true;
  }
  return tautology(cofactor(cover, cube, budget), budget);
}

bool equivalentCovers(const Cover &a, const Cover &b, Budget &budget) {
  Cover x = a;
  Cover y = b;
  budget.charge(x.size() + y.size() + 1);
  for (Cover *cover : {&x, &y}) {
    std::sort(cover->begin(), cover->end());
    cover->erase(std::unique(cover->begin(), cover->end()), cover->end());
  }
  if (x == y) {
    return true;
  }
  const auto within = [&](const Cover &inner, const Cover &outer) {
    return std::all_of(inner.begin(), inner.end(),
                       [&](const Cube &cube) { return coversCube(outer, cube, budget); });
  };
  return within(x, y) && within(y, x);
}

bool isComplement(const Cover &cover, const Cover &complement, Budget &budget) {
  budget.charge(cover.size() * complement.size() + 1);
  for (const Cube &cube : cover) {
    if (std::any_of(complement.begin(), complement.end(),
                    [&](const Cube &other) { return intersects(cube, other); })) {
      return false;
    }
  }
  Cover both = cover;
  both.insert(both.end(), complement.begin(), complement.end());
  return tautology(std::move(both), budget);
}

Cover complement(Cover cover, Budget &budget) {
  budget.charge(kStepCost);
  budget.admit(cover);
  if (cover.empty()) {
    return Cover{Cube{}};
  }
  if (hasUniversalCube(cover)) {
    return Cover{};
  }
  // A cover C.F' has the complement !C + !F', and !C is one cube per literal.
  const Cube common = commonCube(cover);
  if (common.care != 0) {
    Cover result;
    for (uint64_t bits = common.care; bits != 0; bits &= bits - 1) {
      const uint64_t mask = bits & -bits;
      result.push_back(Cube{mask, ~common.value & mask});
    }
    for (Cube &cube : cover) {
      cube = without(cube, common.care);
    }
    const Cover rest = complement(std::move(cover), budget);
    result.insert(result.end(), rest.begin(), rest.end());
    budget.admit(result);
    return result;
  }
  const unsigned v = splitVariable(cover);
  Cover high = complement(cofactor(cover, v, true, budget), budget);
  Cover low = complement(cofactor(cover, v, false, budget), budget);
  return mergeBranches(std::move(high), std::move(low), v, budget);
}

std::optional<Cube> supercubeOfComplement(const Cover &cover, Budget &budget) {
  budget.charge(cover.size() + kStepCost);
  if (cover.empty()) {
    return Cube{};
  }
  if (hasUniversalCube(cover)) {
    return std::nullopt;
  }
  const Cube common = commonCube(cover);
  if (literalCount(common) >= 2) {
    // The complement holds !x and !y for two common literals x and y.
    return Cube{};
  }
  if (common.care != 0) {
    Cover rest = cover;
    for (Cube &cube : rest) {
      cube = without(cube, common.care);
    }
    const Cube flipped{common.care, ~common.value & common.care};
    const std::optional<Cube> inner = supercubeOfComplement(rest, budget);
    return inner ? supercube(flipped, *inner) : flipped;
  }
  const unsigned v = splitVariable(cover);
  const uint64_t mask = bit(v);
  const std::optional<Cube> high = supercubeOfComplement(cofactor(cover, v, true, budget), budget);
  const std::optional<Cube> low = supercubeOfComplement(cofactor(cover, v, false, budget), budget);
  if (!high && !low) {
    return std::nullopt;
  }
  if (!low) {
    return Cube{high->care | mask, high->value | mask};
  }
  if (!high) {
    return Cube{low->care | mask, low->value};
  }
  return supercube(*high, *low);
}

} // namespace gsmith::twolevel
