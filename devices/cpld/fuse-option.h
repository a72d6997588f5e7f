// Named fuse options shared by the CPLD fuse databases: a key such as
// "oe_mux:GOE1" and the fuses, with their values, that select it.
#pragma once

#include <string>
#include <vector>

namespace gsmith {

struct FuseOption {
  std::string name;
  std::vector<int> fuses; // ascending
  std::vector<bool> values;
};

struct MacrocellFuseDB {
  int macrocell = 0;
  std::vector<FuseOption> options;
};

struct UIMFuseDB {
  int uim = 0;
  std::vector<FuseOption> options;
};

} // namespace gsmith
