// Pin lookups shared by the two halves of CONFIG handling.
#include "config/design-lookup.h"

#include "devices/atf1502/atf1502.h"
#include "devices/atf1504/atf1504.h"

namespace gsmith::config {

std::unique_ptr<DeviceModel> packageModel(const Design &design) {
  if (isATF1504Family(design.device))
    return std::make_unique<ATF1504Device>(design.package);
  return std::make_unique<ATF1502Device>(design.package);
}

int macrocellForPin(const Design &design, int pin) {
  if (isATF1504Family(design.device)) {
    const std::optional<ATF1504Macrocell> record =
        ATF1504Device(design.package).macrocellForPin(pin);
    return record ? record->number : 0;
  }
  const ATF1502Device device(design.package);
  const ATF1502Macrocell *record = device.macrocellForPin(pin);
  return record ? record->number : 0;
}

} // namespace gsmith::config
