// How a JEDEC file is matched to a device: by its fuse count (QF),
// cross-checked against any device its header names. The devices are the
// targets of the registry; their JEDEC facts say what this tool needs.
#pragma once

#include "target/jedec-reader.h"
#include "target/flash-layout.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace gsmith {

// A device without a JTAG port: enough to recognise its files and to read its
// user signature.
struct GalFacts {
  std::string_view name;
  std::string_view family; // as JEDEC headers name it, without the speed grade
  std::size_t fuseCount;
  std::size_t signatureFuse; // 64 bits, most significant first
};

// Exactly one of the two is set.
struct KnownDevice {
  const FlashLayout *cpld = nullptr;
  std::optional<GalFacts> gal;
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
