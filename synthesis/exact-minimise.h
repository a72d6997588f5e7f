// Exact two-level minimisation for small functions: all prime implicants,
// then a minimum-cost selection of them that covers every point of the
// function. Term count comes first, literal count breaks ties.
#pragma once

#include "synthesis/cube.h"

#include <optional>

namespace gsmith::twolevel {

// Beyond these the exact search is not attempted: the covering rows are the
// points of the function (at most 2^16 of them, over at most 512 primes, a
// 4 MiB matrix). The search itself stops after kExactMaxNodes nodes or
// kExactMaxWork cube operations (about ten milliseconds), keeping the best
// cover found by then: random functions of nine or ten signals can have
// cyclic cores that no bounded search settles, and there the heuristic
// cover is as good as it gets.
inline constexpr unsigned kExactMaxVariables = 16;
inline constexpr size_t kExactMaxPrimes = 512;
inline constexpr uint64_t kExactMaxNodes = uint64_t{1} << 16;
inline constexpr uint64_t kExactMaxWork = uint64_t{1} << 23;

// A prime cover of `cover`'s function cheaper than `bound`, the cheapest
// one when the search completes; nothing when there is none or the function
// is beyond the limits above.
std::optional<Cover> minimiseExactly(const Cover &cover, const Cost &bound, Budget &budget);

} // namespace gsmith::twolevel
