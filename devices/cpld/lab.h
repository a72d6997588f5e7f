// A logic array block: the group of macrocells that share one switch matrix.
// Also names the blocks of both CPLD chips (the ATF1502 uses A and B, the
// ATF1504 all four).
#pragma once

#include "devices/cpld/macrocell.h"

#include <vector>

namespace gsmith {

enum class ATF1502LAB : int { A = 0, B = 1, C = 2, D = 3 };

class LAB {
public:
  void addMacrocell(const Macrocell &macrocell) { macrocells_.push_back(macrocell); }
  // The first member with that number, or null.
  Macrocell *macrocell(int number);
  const Macrocell *macrocell(int number) const;
  const std::vector<Macrocell> &macrocells() const { return macrocells_; }
  std::vector<Macrocell> &macrocells() { return macrocells_; }
  void clear();

private:
  std::vector<Macrocell> macrocells_;
};

} // namespace gsmith
