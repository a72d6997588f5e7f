// The registry of CPLD flash layouts and the QF lookup over them and the GALs.
#include "jedtool/device-table.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

namespace {

constexpr const FlashLayout *kLayouts[] = {&kATF1502Flash, &kATF1504Flash};

std::string upperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  });
  return upper;
}

std::string_view familyOf(const KnownDevice &device) {
  return device.cpld ? device.cpld->family : device.gal->family;
}

// The devices a header names, so that a file whose header and QF disagree is
// caught before its fuses are read as the wrong part.
std::string namedFamilies(std::string_view header) {
  const std::string upper = upperCase(header);
  std::string named;
  const auto note = [&](std::string_view family) {
    if (upper.find(family) != std::string::npos)
      named += (named.empty() ? "" : ", ") + std::string(family);
  };
  for (const FlashLayout *layout : kLayouts)
    note(layout->family);
  for (const GalFacts &gal : galDevices())
    note(gal.family);
  return named;
}

} // namespace

std::span<const FlashLayout *const> cpldLayouts() { return kLayouts; }

KnownDevice identifyDevice(const JedecFile &file) {
  KnownDevice device;
  std::string known;
  for (const FlashLayout *layout : kLayouts) {
    known += ", " + std::string(layout->family) + " " + std::to_string(layout->fuseCount);
    if (layout->fuseCount == file.fuseCount)
      device.cpld = layout;
  }
  for (const GalFacts &gal : galDevices()) {
    known += ", " + std::string(gal.name) + " " + std::to_string(gal.fuseCount);
    if (gal.fuseCount == file.fuseCount)
      device.gal = &gal;
  }
  if (!device.cpld && !device.gal)
    throw std::runtime_error("QF" + std::to_string(file.fuseCount) +
                             " is the fuse count of no device gsmith-jed knows (" +
                             known.substr(2) + ")");
  const std::string named = namedFamilies(file.header);
  if (!named.empty() && named.find(familyOf(device)) == std::string::npos)
    throw std::runtime_error("the header names " + named + " but QF" +
                             std::to_string(file.fuseCount) + " is the fuse count of the " +
                             std::string(familyOf(device)));
  return device;
}

std::optional<VariantChoice> findVariant(std::string_view name) {
  const std::string upper = upperCase(name);
  for (const FlashLayout *layout : kLayouts)
    for (const CpldVariant &variant : layout->variants)
      if (variant.name == upper)
        return VariantChoice{layout, &variant};
  return std::nullopt;
}

std::string variantNames() {
  std::string names;
  for (const FlashLayout *layout : kLayouts)
    for (const CpldVariant &variant : layout->variants)
      names += (names.empty() ? "" : ", ") + std::string(variant.name);
  return names;
}

} // namespace gsmith
