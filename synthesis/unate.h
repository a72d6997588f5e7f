// The unate recursive paradigm: tautology, complement and the supercube of
// a complement, each computed by splitting on the most binate variable
// until the cofactors are unate or trivial. These are the questions every
// other minimisation step asks ("is this cube still covered?", "where is
// the function 0?"), answered on cubes so that they cost what the covers
// cost, not what their truth tables would.
#pragma once

#include "synthesis/cube.h"

#include <optional>

namespace gsmith::twolevel {

// The cover is 1 everywhere.
bool tautology(Cover cover, Budget &budget);

// `cube` lies within the function of `cover`.
bool coversCube(const Cover &cover, const Cube &cube, Budget &budget);

// Both covers denote the same function.
bool equivalentCovers(const Cover &a, const Cover &b, Budget &budget);

// `complement` is exactly the complement of `cover`: they share no point
// and together they are a tautology.
bool isComplement(const Cover &cover, const Cover &complement, Budget &budget);

// A containment-free cover of the complement, not minimised.
Cover complement(Cover cover, Budget &budget);

// The smallest cube containing the complement of `cover`, or nothing when
// the complement is empty.
std::optional<Cube> supercubeOfComplement(const Cover &cover, Budget &budget);

} // namespace gsmith::twolevel
