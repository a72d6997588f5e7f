// One physical CPLD macrocell as the fitter decided it: its five product-term
// slots (own sum terms, control terms and terms lent to a neighbour through
// cascading), its register and its clock, reset and output-enable choices.
// The fitters fill these and the encoder reads them back.
#pragma once

#include "model/design.h"
#include "model/sum-of-products.h"

#include <vector>

namespace gsmith {

class Macrocell {
public:
  static constexpr int kProductTermCapacity = 5;

  Macrocell(int number, int pin);

  int number() const { return number_; }
  int pin() const { return pin_; }

  bool isConfiguredOutput() const { return configuredOutput_; }
  void setConfiguredOutput(bool value) { configuredOutput_ = value; }
  bool isRegistered() const { return registered_; }
  void setRegistered(bool value) { registered_ = value; }
  ClockSource clockSource() const { return clockSource_; }
  void setClockSource(ClockSource value) { clockSource_ = value; }
  ResetSource resetSource() const { return resetSource_; }
  void setResetSource(ResetSource value) { resetSource_ = value; }
  OutputEnableSource outputEnableSource() const { return outputEnableSource_; }
  void setOutputEnableSource(OutputEnableSource value) { outputEnableSource_ = value; }

  const std::vector<ProductTerm> &productTerms() const { return productTerms_; }
  const std::vector<ProductTerm> &cascadeTerms() const { return cascadeTerms_; }
  const std::vector<int> &cascadeOwners() const { return cascadeOwners_; }
  bool hasOEProductTerm() const { return hasOEProductTerm_; }
  const ProductTerm &oeProductTerm() const { return oeProductTerm_; }
  bool hasClockEnableProduct() const { return hasClockEnableProduct_; }
  const ProductTerm &clockEnableProductTerm() const { return clockEnableProductTerm_; }
  bool hasPresetProduct() const { return hasPresetProduct_; }
  const ProductTerm &presetProductTerm() const { return presetProductTerm_; }

  // The setters store unconditionally; capacity is the allocators' business.
  void setXorProduct(const ProductTerm &term);
  void setResetProduct(const ProductTerm &term);
  void setOEProductTerm(const ProductTerm &term);
  void setClockEnableProduct(const ProductTerm &term);
  void setPresetProduct(const ProductTerm &term);

  bool allocateProductTerm(const ProductTerm &term);
  bool allocateOEProductTerm(const ProductTerm &term);
  bool allocateCascadeTerm(const ProductTerm &term, int owner);

  int usedProductTerms() const;
  int availableProductTerms() const { return kProductTermCapacity - usedProductTerms(); }
  int usedCascadeTerms() const { return static_cast<int>(cascadeTerms_.size()); }

  void clear();
  void clearCascade();

  // Read directly by the encoders, written by the fitters.
  bool hasXorProduct = false;
  ProductTerm xorProduct;
  bool toggle = false;
  bool activeLow = false; // the XOR gate inverts its result (see NetOutput::activeLow)
  bool hasResetProduct = false;
  ProductTerm resetProduct;

private:
  // Control terms other than XOR; cascade capacity ignores the XOR slot.
  int controlTermsWithoutXor() const;

  int number_;
  int pin_;
  bool registered_ = false;
  bool configuredOutput_ = false;
  ClockSource clockSource_ = ClockSource::NONE;
  ResetSource resetSource_ = ResetSource::NONE;
  OutputEnableSource outputEnableSource_ = OutputEnableSource::ALWAYS;
  std::vector<ProductTerm> productTerms_;
  std::vector<ProductTerm> cascadeTerms_;
  std::vector<int> cascadeOwners_;
  bool hasOEProductTerm_ = false;
  ProductTerm oeProductTerm_;
  bool hasClockEnableProduct_ = false;
  ProductTerm clockEnableProductTerm_;
  ProductTerm presetProductTerm_;
  bool hasPresetProduct_ = false;
};

} // namespace gsmith
