// Product-term bookkeeping of one CPLD macrocell: what counts against its
// five slots and when a further term is refused.
#include "cpld/macrocell.h"

namespace gsmith {

Macrocell::Macrocell(int number, int pin) : number_(number), pin_(pin) {}

void Macrocell::setXorProduct(const ProductTerm &term) {
  xorProduct = term;
  hasXorProduct = true;
}

void Macrocell::setResetProduct(const ProductTerm &term) {
  resetProduct = term;
  hasResetProduct = true;
}

void Macrocell::setOEProductTerm(const ProductTerm &term) {
  oeProductTerm_ = term;
  hasOEProductTerm_ = true;
}

void Macrocell::setClockEnableProduct(const ProductTerm &term) {
  clockEnableProductTerm_ = term;
  hasClockEnableProduct_ = true;
}

void Macrocell::setPresetProduct(const ProductTerm &term) {
  presetProductTerm_ = term;
  hasPresetProduct_ = true;
}

int Macrocell::controlTermsWithoutXor() const {
  return (hasResetProduct ? 1 : 0) + (hasOEProductTerm_ ? 1 : 0) +
         (hasClockEnableProduct_ ? 1 : 0) + (hasPresetProduct_ ? 1 : 0);
}

int Macrocell::usedProductTerms() const {
  return static_cast<int>(productTerms_.size() + cascadeTerms_.size()) + (hasXorProduct ? 1 : 0) +
         controlTermsWithoutXor();
}

bool Macrocell::allocateProductTerm(const ProductTerm &term) {
  if (usedProductTerms() >= kProductTermCapacity)
    return false;
  productTerms_.push_back(term);
  return true;
}

bool Macrocell::allocateOEProductTerm(const ProductTerm &term) {
  if (usedProductTerms() >= kProductTermCapacity)
    return false;
  setOEProductTerm(term);
  return true;
}

bool Macrocell::allocateCascadeTerm(const ProductTerm &term, int owner) {
  const int used =
      static_cast<int>(productTerms_.size() + cascadeTerms_.size()) + controlTermsWithoutXor();
  if (used >= kProductTermCapacity)
    return false;
  cascadeTerms_.push_back(term);
  cascadeOwners_.push_back(owner);
  return true;
}

void Macrocell::clear() {
  hasXorProduct = false;
  xorProduct.clear();
  toggle = false;
  activeLow = false;
  hasResetProduct = false;
  resetProduct.clear();
  registered_ = false;
  configuredOutput_ = false;
  clockSource_ = ClockSource::NONE;
  resetSource_ = ResetSource::NONE;
  outputEnableSource_ = OutputEnableSource::ALWAYS;
  productTerms_.clear();
  clearCascade();
  hasOEProductTerm_ = false;
  oeProductTerm_.clear();
  hasClockEnableProduct_ = false;
  clockEnableProductTerm_.clear();
  presetProductTerm_.clear();
  hasPresetProduct_ = false;
}

void Macrocell::clearCascade() {
  cascadeTerms_.clear();
  cascadeOwners_.clear();
}

} // namespace gsmith
