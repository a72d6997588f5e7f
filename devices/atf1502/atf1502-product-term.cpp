// Product-term row and column arithmetic of the ATF1502 AND array. The two
// macrocells of a pair share ten rows: the odd one takes the first five in
// reverse term order, the even one the next five in term order. UIM inputs
// 2k-1 and 2k share one pair of columns, true and complemented, whose order
// alternates from pair to pair.
#include "devices/atf1502/atf1502-product-term.h"

#include <cctype>

namespace gsmith {

int ATF1502PTDatabase::getProductTermOffset(int macrocell, int pt) {
  if (macrocell < 1 || macrocell > 32 || pt < 1 || pt > 5)
    return -1;
  const int pairBase = 960 * ((macrocell - 1) / 2);
  if (macrocell % 2 == 1)
    return pairBase + kRowLength * (5 - pt);
  return pairBase + 480 + kRowLength * (pt - 1);
}

int ATF1502PTDatabase::getInputFuse(int input, bool complemented) {
  if (input < 1 || input > 80)
    return -1;
  const int j = (input - 1) / 2;
  const int trueColumn = 16 + 2 * j + (j % 2);
  return complemented ? (trueColumn ^ 1) : trueColumn;
}

int ATF1502PTDatabase::getInputBit(const std::string &name) {
  if (name.compare(0, 3, "UIM") != 0)
    return -1;
  size_t position = 3;
  int k = 0;
  while (position < name.size() && std::isdigit(static_cast<unsigned char>(name[position])) &&
         k <= 80)
    k = 10 * k + (name[position++] - '0');
  if (position == 3 || position >= name.size() || name[position] != '_' || k < 2 || k > 80)
    return -1;
  return name.find("_N") != std::string::npos ? k / 2 + 39 : k / 2 - 1;
}

} // namespace gsmith
