// Row and signature programming shared by the three GAL encoders.
#include "gal/gal-array.h"

#include "model/compile-error.h"

#include <stdexcept>

namespace gsmith {

void GALArray::writeSum(std::vector<bool> &fuses, unsigned firstRow, unsigned rowWidth,
                        size_t maxTerms, const SOPExpression &sum, const LiteralColumn &column,
                        const RowMessages &messages) {
  if (sum.terms.size() > maxTerms)
    throw CompileError(messages.overflow);
  unsigned row = firstRow;
  for (const ProductTerm &term : sum.terms) {
    writeTrueRow(fuses, row, rowWidth);
    for (const Literal &literal : term) {
      const int offset = column(literal);
      if (offset < 0 || static_cast<unsigned>(offset) >= rowWidth)
        throw CompileError(messages.noRoute + "'" + literal.name + "'");
      fuses.at(row + static_cast<unsigned>(offset)) = false;
    }
    row += rowWidth;
  }
}

void GALArray::writeTrueRow(std::vector<bool> &fuses, unsigned firstRow, unsigned rowWidth) {
  for (unsigned i = 0; i < rowWidth; ++i)
    fuses.at(firstRow + i) = true;
}

void GALArray::writeSignature(std::vector<bool> &fuses, unsigned first, uint64_t signature) {
  for (unsigned b = 0; b < 64; ++b)
    fuses.at(first + b) = ((signature >> (63 - b)) & 1u) != 0;
}

} // namespace gsmith
