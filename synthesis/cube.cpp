// Cover operations shared by every minimisation step: cofactors and
// single-cube containment.
#include "synthesis/cube.h"

#include <algorithm>

namespace gsmith::twolevel {

Cost costOf(const Cover &cover) {
  Cost cost{cover.size(), 0};
  for (const Cube &cube : cover) {
    cost.literals += literalCount(cube);
  }
  return cost;
}

Cover cofactor(const Cover &cover, const Cube &cube, Budget &budget) {
  budget.charge(cover.size() + 1);
  Cover result;
  for (const Cube &other : cover) {
    if (intersects(other, cube)) {
      result.push_back(without(other, cube.care));
    }
  }
  return result;
}

Cover cofactor(const Cover &cover, unsigned variable, bool value, Budget &budget) {
  budget.charge(cover.size() + 1);
  const uint64_t mask = bit(variable);
  Cover reduced;
  Cover untouched;
  for (const Cube &cube : cover) {
    if ((cube.care & mask) == 0) {
      untouched.push_back(cube);
    } else if (((cube.value & mask) != 0) == value) {
      reduced.push_back(without(cube, mask));
    }
  }
  budget.charge(reduced.size() * untouched.size());
  for (const Cube &cube : untouched) {
    const bool absorbed = std::any_of(reduced.begin(), reduced.end(),
                                      [&](const Cube &outer) { return contains(outer, cube); });
    if (!absorbed) {
      reduced.push_back(cube);
    }
  }
  return reduced;
}

void removeContained(Cover &cover, Budget &budget) {
  budget.charge(cover.size() + 1);
  std::sort(cover.begin(), cover.end(), [](const Cube &a, const Cube &b) {
    const unsigned x = literalCount(a);
    const unsigned y = literalCount(b);
    return x != y ? x < y : a < b;
  });
  // A cube can only be contained in one with no more literals, all of which
  // precede it; an equal cube precedes it too.
  Cover kept;
  for (const Cube &cube : cover) {
    budget.charge(kept.size() + 1);
    const bool absorbed = std::any_of(kept.begin(), kept.end(),
                                      [&](const Cube &outer) { return contains(outer, cube); });
    if (!absorbed) {
      kept.push_back(cube);
    }
  }
  std::sort(kept.begin(), kept.end());
  cover = std::move(kept);
}

} // namespace gsmith::twolevel
