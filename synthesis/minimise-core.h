// The minimisation pipeline on covers, shared by the entry points that take
// sums and those that take expression trees: search for a cheaper cover
// (heuristic loop, then an exact search when the function is small), then
// check the result against the input with cube calculus before anyone sees
// it.
#pragma once

#include "synthesis/cube.h"

#include <optional>

namespace gsmith::twolevel {

// The work one public call may do: about a hundred million cube operations,
// a few tenths of a second.
inline constexpr uint64_t kCallWork = uint64_t{1} << 27;

// A cover of `cover`'s function, never costlier than `cover` without its
// repeated cubes. `offset`, when known, is the complement of `cover`. At
// most half of what is left of `budget` goes into the search, the rest into
// the check; when the check cannot finish, the deduplicated input comes
// back. Throws std::logic_error when the check fails.
Cover minimiseCover(const Cover &cover, const Cover *offset, Budget &budget);

// The minimised complement of `cover`, checked; nothing when it does not
// fit the budget.
std::optional<Cover> complementCover(const Cover &cover, Budget &budget);

} // namespace gsmith::twolevel
