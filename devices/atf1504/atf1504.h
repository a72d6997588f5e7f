// The ATF1504AS/ASV package model: which pin belongs to which of the 64
// macrocells in each of the four packages, where the power, JTAG, global and
// power-down pins sit, and how product-term cascade chains may run. Semantic
// analysis checks pins against it; the fitter, encoder and CONFIG
// application use its extra queries.
#pragma once

#include "devices/gal/device-model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gsmith {

struct ATF1504Macrocell {
  int32_t number = 0;
  int32_t lab = 0;
  int32_t pin = 0;
  int32_t feedbackNode = 0;
  int32_t inputNode = 0;
  int32_t productTermCount = 0;
};

class ATF1504Device : public DeviceModel {
public:
  static constexpr int kMacrocellCount = 64;
  static constexpr int kProductTermsPerMacrocell = 5;
  static constexpr int kCascadeGroupSize = 8;
  static constexpr int kFeedbackNodeBase = 600;
  static constexpr int kInputNodeBase = 300;

  // An empty package selects PLCC84.
  explicit ATF1504Device(const std::string &package);

  int packagePinCount() const override;
  const char *packageName() const override;
  bool isIOPin(int pin) const override;
  bool isDedicatedInputPin(int pin) const override;
  bool isPowerPin(int pin) const override;
  bool isJTAGPin(int pin) const override;
  int globalClockPin(ClockSource clock) const override;
  int globalOEPin(GlobalOEPin oe) const override;
  int globalClearPin() const override;

  const std::vector<ATF1504Macrocell> &macrocells() const { return macrocells_; }
  std::optional<ATF1504Macrocell> macrocellForPin(int pin) const;
  // 1 selects PD1; every other value selects PD2.
  int powerDownPin(int which) const;
  // 0 for the first macrocell of a cascade group, -1 outside 1..64.
  int cascadeSourceForMacrocell(int macrocell) const;
  int maxProductTermsForMacrocell(int macrocell) const;
  bool canCascade(int macrocell) const;
  bool isQuarantinedMacrocell(int macrocell) const;

private:
  std::string package_;
  int packageIndex_ = 0;
  std::vector<ATF1504Macrocell> macrocells_;
};

} // namespace gsmith
