// The heuristic minimisation loop for functions too large for an exact
// search: expand every cube to a prime against the off-set, keep an
// irredundant subset, set the essential primes aside, then reduce, expand
// and select again while the cover keeps getting cheaper.
#pragma once

#include "synthesis/cube.h"

namespace gsmith::twolevel {

struct HeuristicResult {
  Cover cover;
  // Every cube is an essential prime, so no cover of the function is
  // cheaper and an exact search has nothing to find.
  bool provenMinimal = false;
};

// `offset`, when given, must be the complement of `best.cover`; without it
// cubes are expanded by containment checks instead. `best` starts as a
// cover of the function and is replaced only by cheaper covers of it, so it
// stays valid when the budget runs out part way.
void minimiseHeuristically(const Cover *offset, HeuristicResult &best, Budget &budget);

// The cubes of `cover` that the rest of `cover` together with `dontCare`
// does not cover, tested smallest cube first and dropped at once, so that no
// kept cube is covered by the others.
Cover irredundant(const Cover &cover, const Cover &dontCare, Budget &budget);

} // namespace gsmith::twolevel
