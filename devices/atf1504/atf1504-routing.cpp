// Switch-matrix routing for the ATF1504 by augmenting paths: each signal in
// matrix order takes the lowest-numbered workable switch, moving earlier
// signals to other switches when that frees one.
#include "devices/atf1504/atf1504-routing.h"

#include "devices/atf1504/atf1504-switch-db.h"

#include <map>
#include <vector>

namespace gsmith {

namespace {

constexpr int kFirstFeedbackNode = 601;
constexpr int kLastFeedbackNode = 664;

class Matcher {
public:
  Matcher(const std::vector<std::string> &sources, std::vector<int> candidates)
      : sources_(sources), candidates_(std::move(candidates)), switchOf_(sources.size(), 0),
        visited_(ATF1504SwitchDB::kSwitchCount + 1, false) {}

  bool placeFresh(std::size_t signal) {
    visited_.assign(visited_.size(), false);
    return place(signal);
  }

  int switchOf(std::size_t signal) const { return switchOf_[signal]; }

private:
  bool place(std::size_t signal) {
    for (int s : candidates_) {
      if (visited_[s] || !ATF1504SwitchDB::supportsSource(s, sources_[signal]))
        continue;
      visited_[s] = true;
      const auto holder = holderOf_.find(s);
      if (holder != holderOf_.end() && !place(holder->second))
        continue;
      holderOf_[s] = signal;
      switchOf_[signal] = s;
      return true;
    }
    return false;
  }

  const std::vector<std::string> &sources_;
  std::vector<int> candidates_;
  std::map<int, std::size_t> holderOf_;
  std::vector<int> switchOf_;
  std::vector<bool> visited_;
};

const char *labLetter(ATF1502LAB lab) {
  static constexpr const char *kLetters[] = {"A", "B", "C", "D"};
  return kLetters[ATF1504Chip::index(lab)];
}

} // namespace

std::string ATF1504Routing::physicalSource(const ATF1504Chip &chip,
                                           const SwitchMatrixSignal &signal) {
  if (signal.sourceNode >= kFirstFeedbackNode && signal.sourceNode <= kLastFeedbackNode)
    return "MC" + std::to_string(signal.sourceNode - ATF1504Device::kFeedbackNodeBase) + "_FB";
  const ATF1504Device &device = chip.device();
  if (signal.pin == device.globalClockPin(ClockSource::GCLK2))
    return "C2_PAD";
  if (signal.pin == device.globalClearPin())
    return "R_PAD";
  if (signal.pin == device.globalClockPin(ClockSource::GCLK1))
    return "C1_PAD";
  if (signal.pin == device.globalOEPin(GlobalOEPin::GOE1))
    return "E1_PAD";
  if (signal.pin < 1)
    return "";
  for (int n = 1; n <= ATF1504Device::kMacrocellCount; ++n) {
    const Macrocell *macrocell = chip.macrocell(n);
    if (macrocell != nullptr && macrocell->pin() == signal.pin)
      return "M" + std::to_string(n) + "_PAD";
  }
  return "";
}

bool ATF1504Routing::assignLAB(ATF1504Chip &chip, ATF1502LAB lab, std::string &error) {
  SwitchMatrix &matrix = chip.matrix(lab);
  const std::vector<SwitchMatrixSignal> &signals = matrix.signals();
  std::vector<std::string> sources;
  for (const SwitchMatrixSignal &signal : signals) {
    std::string source = physicalSource(chip, signal);
    if (source.empty()) {
      error = "Cannot identify physical source for signal '" + signal.name + "'";
      return false;
    }
    sources.push_back(std::move(source));
  }
  Matcher matcher(sources, ATF1504SwitchDB::switchesOfLAB(lab));
  for (std::size_t i = 0; i < signals.size(); ++i) {
    if (!matcher.placeFresh(i)) {
      error = std::string("No free UIM in LAB ") + labLetter(lab) + " can select source '" +
              sources[i] + "' for signal '" + signals[i].name + "'";
      return false;
    }
  }
  for (std::size_t i = 0; i < signals.size(); ++i) {
    const std::string name = signals[i].name;
    matrix.assignPhysicalUIM(name, matcher.switchOf(i));
  }
  return true;
}

} // namespace gsmith
