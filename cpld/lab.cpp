// Reset of the macrocells of one logic array block.
#include "cpld/lab.h"

namespace gsmith {

void LAB::clear() {
  for (Macrocell &member : macrocells_)
    member.clear();
}

} // namespace gsmith
