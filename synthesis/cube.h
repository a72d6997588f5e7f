// Cubes and covers: the bit-set form of product terms that two-level
// minimisation computes with, and the work budget that keeps every
// minimisation step finite. A cube mentions at most 64 signals, so each
// cube is two machine words and most cube operations are a few bit
// instructions; the signals of one minimisation call are numbered by a
// SignalSpace (signal-space.h).
#pragma once

#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gsmith::twolevel {

inline constexpr unsigned kMaxVariables = 64;

// No cover that minimisation builds may grow past this many cubes (half a
// megabyte); larger intermediate results count as exhausting the budget.
inline constexpr std::size_t kMaxCubes = size_t{1} << 15;

// An AND of literals: `care` holds the variables the cube mentions, `value`
// their polarity (1 positive); value bits outside `care` are always zero.
// The cube with no literals is the constant 1; no cube is empty.
struct Cube {
  uint64_t care = 0;
  uint64_t value = 0;

  friend bool operator==(const Cube &, const Cube &) = default;
  friend auto operator<=>(const Cube &, const Cube &) = default;
};

// An OR of cubes; no cubes is the constant 0.
using Cover = std::vector<Cube>;

inline uint64_t bit(unsigned variable) { return uint64_t{1} << variable; }

inline unsigned literalCount(const Cube &cube) {
  return static_cast<unsigned>(std::popcount(cube.care));
}

// The variables in which `a` and `b` have opposite literals.
inline uint64_t conflicts(const Cube &a, const Cube &b) {
  return a.care & b.care & (a.value ^ b.value);
}

inline bool intersects(const Cube &a, const Cube &b) { return conflicts(a, b) == 0; }

// Every point of `inner` lies in `outer`.
inline bool contains(const Cube &outer, const Cube &inner) {
  return (outer.care & ~inner.care) == 0 && ((outer.value ^ inner.value) & outer.care) == 0;
}

// Of two intersecting cubes.
inline Cube intersection(const Cube &a, const Cube &b) {
  return Cube{a.care | b.care, a.value | b.value};
}

// The smallest cube containing both.
inline Cube supercube(const Cube &a, const Cube &b) {
  const uint64_t care = a.care & b.care & ~(a.value ^ b.value);
  return Cube{care, a.value & care};
}

// `cube` with the variables of `by` dropped: its cofactor by `by`, when the
// two intersect.
inline Cube without(const Cube &cube, uint64_t variables) {
  return Cube{cube.care & ~variables, cube.value & ~variables};
}

// Term count first, then literal count: the order in which covers improve.
struct Cost {
  std::size_t terms = 0;
  std::size_t literals = 0;

  friend auto operator<=>(const Cost &, const Cost &) = default;
};

Cost costOf(const Cover &cover);

// Thrown by Budget::charge; caught where a partial result is still usable.
struct WorkExhausted {};

// A count of elementary cube operations that a computation may still
// perform. Work is charged before it is done, so exhaustion stops a
// computation within one step of its allowance.
class Budget {
public:
  explicit Budget(uint64_t units) : initial_(units), left_(units) {}

  void charge(uint64_t units) {
    if (units > left_) {
      left_ = 0;
      throw WorkExhausted{};
    }
    left_ -= units;
  }

  // Charges for holding `cover` and refuses one past kMaxCubes.
  void admit(const Cover &cover) {
    if (cover.size() > kMaxCubes) {
      throw WorkExhausted{};
    }
    charge(cover.size() + 1);
  }

  uint64_t left() const { return left_; }
  uint64_t used() const { return initial_ - left_; }

private:
  uint64_t initial_;
  uint64_t left_;
};

// The cubes of `cover` that intersect `cube`, each without `cube`'s variables.
Cover cofactor(const Cover &cover, const Cube &cube, Budget &budget);

// The cofactor by one literal. Cubes that did not mention the variable and
// are contained in one that did are dropped on the way: without that, the
// cofactors of unate covers keep every absorbed cube and the recursions
// above them grow exponentially.
Cover cofactor(const Cover &cover, unsigned variable, bool value, Budget &budget);

// Sorts `cover` and drops repeated cubes and cubes contained in another.
void removeContained(Cover &cover, Budget &budget);

} // namespace gsmith::twolevel
