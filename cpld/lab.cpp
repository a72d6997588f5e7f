// Lookup and reset of the macrocells of one logic array block.
#include "cpld/lab.h"

namespace gsmith {

Macrocell *LAB::macrocell(int number) {
  for (Macrocell &member : macrocells_)
    if (member.number() == number)
      return &member;
  return nullptr;
}

const Macrocell *LAB::macrocell(int number) const {
  for (const Macrocell &member : macrocells_)
    if (member.number() == number)
      return &member;
  return nullptr;
}

void LAB::clear() {
  for (Macrocell &member : macrocells_)
    member.clear();
}

} // namespace gsmith
