// Where the ATF1504 product-term rows lie in the fuse array and which column
// of a row each foldback and switch-matrix input occupies. The self-checks
// prove that the address rules tile each LAB's 7680-fuse block exactly; they
// take the rules as parameters so that a corrupted layout can be shown to fail.
#pragma once

#include "devices/cpld/lab.h"

#include <functional>

namespace gsmith {

class ATF1504ProductTermLayout {
public:
  static constexpr int kRowWidth = 96;
  static constexpr int kFoldbackColumns = 16;
  static constexpr int kBlockSize = 7680;
  static constexpr int kProductTermFuseCount = 4 * kBlockSize;

  // First fuse of product term 1..5 of macrocell 1..64; -1 outside.
  static int productTermOffset(int macrocell, int pt);
  // First fuse of a LAB's product-term block.
  static int blockBase(ATF1502LAB lab);
  static int foldbackFuse(int macrocell);
  // Column of switch 1..160, true or complemented input; -1 outside.
  static int uimFuse(int switchNumber, bool complement);

  static bool isLABAUIM(int switchNumber);
  static bool isLABBUIM(int switchNumber);
  static bool isLABCUIM(int switchNumber);
  static bool isLABDUIM(int switchNumber);

  struct Rules {
    std::function<int(int, int)> productTermOffset;
    std::function<int(int, bool)> uimFuse;
  };
  static Rules builtInRules();

  static bool validateLAB(ATF1502LAB lab, const Rules &rules);
  static bool validateLABA();
  static bool validateLABB();
  static bool validateLABC();
  static bool validateLABD();
};

} // namespace gsmith
