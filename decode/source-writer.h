// A decoded fuse map written as a source file of our language, which gsmith
// compiles back to an equivalent map.
#pragma once

#include "decode/decoded-map.h"
#include "target/target.h"

#include <string>
#include <unordered_map>

namespace gsmith {

// `package`: the CPLD package the pins are numbered in (empty: the
// default). `names`: the name each source of the map takes (a NODE's by its
// feedback, "MC12_FB"); others are named after their pins ("p14") and
// macrocells ("mc12"). `origin` is named in the first comment line.
std::string writeSource(const Target &target, const DecodedMap &map, const std::string &package,
                        const std::unordered_map<std::string, std::string> &names,
                        const std::string &origin);

} // namespace gsmith
