// The operations every GAL encoder performs on its fuse array (a plain
// std::vector<bool>): programming product-term rows of the AND array and the
// 64-bit user signature. A fuse at 1 leaves its AND-array input disconnected, a fuse at 0
// connects it, so a row of all 1 is constant true and a row of all 0 is
// constant false.
#pragma once

#include "model/sum-of-products.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gsmith {

// Where a literal connects within a row: the fuse offset of its column, or
// kNoRoute when the signal cannot reach the AND array.
using LiteralColumn = std::function<int(const Literal &)>;
inline constexpr int kNoRoute = -1;

// Device-specific wording of the two failures of row programming.
struct RowMessages {
  std::string overflow; // the complete message
  std::string noRoute;  // followed by the quoted signal name
};

class GALArray {
public:
  // Programs `sum` into consecutive rows of `rowWidth` fuses starting at
  // fuse `firstRow`: each term's row becomes all 1 and each literal clears
  // its column. Throws when the sum has more than `maxTerms` terms or a
  // literal has no column.
  static void writeSum(std::vector<bool> &fuses, unsigned firstRow, unsigned rowWidth,
                       size_t maxTerms, const SOPExpression &sum, const LiteralColumn &column,
                       const RowMessages &messages);
  // Sets one row to constant true.
  static void writeTrueRow(std::vector<bool> &fuses, unsigned firstRow, unsigned rowWidth);
  // Fuse first + b holds bit 63 - b of the signature (most significant first).
  static void writeSignature(std::vector<bool> &fuses, unsigned first, uint64_t signature);
};

} // namespace gsmith
