// The devices gsmith-jed knows and how a JEDEC file is matched to one: by its
// fuse count (QF), cross-checked against any device its header names. A new
// CPLD is one more FlashLayout record in the list in device-table.cpp.
#pragma once

#include "jedec/jedec-reader.h"
#include "jedtool/flash-layout.h"
#include "jedtool/gal-facts.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace gsmith {

// Exactly one of the two is set.
struct KnownDevice {
  const FlashLayout *cpld = nullptr;
  const GalFacts *gal = nullptr;
};

std::span<const FlashLayout *const> cpldLayouts();

// Throws std::runtime_error when no device has the file's QF or when the
// header names a device other than the one the QF belongs to.
KnownDevice identifyDevice(const JedecFile &file);

struct VariantChoice {
  const FlashLayout *layout;
  const CpldVariant *variant;
};

// A CPLD variant by name, in any letter case.
std::optional<VariantChoice> findVariant(std::string_view name);

// "ATF1502AS, ATF1502ASV, ATF1504AS, ATF1504ASV", for help and error texts.
std::string variantNames();

} // namespace gsmith
