// Package lookups that CONFIG validation and application share: the package
// model of the design's CPLD answers pin questions.
#pragma once

#include "devices/gal/device-model.h"
#include "frontend/design.h"

#include <memory>
#include <string>

namespace gsmith::config {

// The ATF1504 model for an ATF1504AS/ASV design, the ATF1502 model otherwise,
// in the design's package (the model's own message refuses a bad package).
std::unique_ptr<DeviceModel> packageModel(const Design &design);

// Number of the macrocell whose I/O cell sits on `pin` in the design's
// package, or 0.
int macrocellForPin(const Design &design, int pin);

} // namespace gsmith::config
