// Lookups into a Design that CONFIG validation and application share: the
// first declaration of a name wins, as everywhere else in the compiler, and
// the package model of the design's CPLD answers pin questions.
#pragma once

#include "devices/gal/device-model.h"
#include "frontend/design.h"

#include <memory>
#include <string>

namespace gsmith::config {

const PinDefinition *findPin(const Design &design, const std::string &name);

bool isATF1504(const std::string &device);

// The ATF1504 model for an ATF1504AS/ASV design, the ATF1502 model otherwise,
// in the design's package (the model's own message refuses a bad package).
std::unique_ptr<DeviceModel> packageModel(const Design &design);

// Number of the macrocell whose I/O cell sits on `pin` in the design's
// package, or 0.
int macrocellForPin(const Design &design, int pin);

} // namespace gsmith::config
