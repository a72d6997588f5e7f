// The signals a logic array block takes in through its universal interconnect
// inputs (UIMs). The fitter selects them; the encoder gives each a physical
// UIM line and programs that line's multiplexer.
#pragma once

#include <string>
#include <vector>

namespace gsmith {

struct SwitchMatrixSignal {
  std::string name;
  int pin = 0;
  // Node of the macrocell feedback supplying the signal (600 + the
  // macrocell number); 0 when it does not come from a feedback.
  int sourceNode = 0;
  int physicalUIM = 0;
};

class SwitchMatrix {
public:
  static constexpr int kCapacity = 40;

  bool hasSignal(const std::string &name) const;
  // True when the signal is (now) selected; false only when the matrix is full.
  bool selectSignal(const std::string &name, int pin, int sourceNode);
  bool assignPhysicalUIM(const std::string &name, int uim);
  int usedSignals() const { return static_cast<int>(signals_.size()); }
  int availableSignals() const { return kCapacity - usedSignals(); }
  const std::vector<SwitchMatrixSignal> &signals() const { return signals_; }
  void clear() { signals_.clear(); }

private:
  std::vector<SwitchMatrixSignal> signals_;
};

} // namespace gsmith
