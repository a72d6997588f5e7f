// Whether two pieces of decoded logic are the same function, decided by
// evaluation: a search for an input where they differ, which either finds
// one (and both values there) or proves there is none. No truth tables: the
// search works on cubes, so wide functions cost what their terms cost.
#pragma once

#include "decode/decoded-map.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace gsmith {

struct Disagreement {
  std::vector<std::pair<std::string, bool>> inputs; // every signal either reads, with its value
  bool expected = false;
  bool found = false;
  bool undecided = false; // more than 64 signals, or the work bound ran out
};

// Nothing when `expected` and `found` are the same function.
std::optional<Disagreement> firstDisagreement(const DecodedLogic &expected,
                                              const DecodedLogic &found);

// The value of `logic` where each named signal has its value (absent: 0).
bool evaluate(const DecodedLogic &logic, const std::map<std::string, bool> &values);

} // namespace gsmith
