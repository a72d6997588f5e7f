// Where the ATF1502's product terms lie: the 96-fuse row of each macrocell's
// five terms, and the column of a row that connects each UIM input in true
// or complemented form.
#pragma once

#include <string>

namespace gsmith {

class ATF1502PTDatabase {
public:
  static constexpr int kRowLength = 96;

  // First fuse of product term pt (1..5) of the macrocell (1..32), or -1.
  static int getProductTermOffset(int macrocell, int pt);
  // Column within a row of UIM input 1..80, or -1.
  static int getInputFuse(int input, bool complemented);
  // Bit index named by "UIM<k>_..." (k in 2..80), or -1.
  static int getInputBit(const std::string &name);
};

} // namespace gsmith
