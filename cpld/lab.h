// A logic array block: the group of macrocells that share one switch matrix.
#pragma once

#include "cpld/macrocell.h"

#include <vector>

namespace gsmith {

class LAB {
public:
  void addMacrocell(const Macrocell &macrocell) { macrocells_.push_back(macrocell); }
  const std::vector<Macrocell> &macrocells() const { return macrocells_; }
  std::vector<Macrocell> &macrocells() { return macrocells_; }
  void clear();

private:
  std::vector<Macrocell> macrocells_;
};

} // namespace gsmith
