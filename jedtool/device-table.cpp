// The QF lookup over the registry's targets: the CPLDs by their flash
// layouts (one per chip, shared by its AS and ASV names), the GALs by their
// facts.
#include "jedtool/device-table.h"

#include "target/registry.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace gsmith {

namespace {

std::vector<const FlashLayout *> collectLayouts() {
  std::vector<const FlashLayout *> layouts;
  for (const Target *target : TargetRegistry::all()) {
    const FlashLayout *layout = target->jedecFacts().flash;
    if (layout && std::find(layouts.begin(), layouts.end(), layout) == layouts.end())
      layouts.push_back(layout);
  }
  return layouts;
}

std::vector<GalFacts> collectGals() {
  std::vector<GalFacts> gals;
  for (const Target *target : TargetRegistry::all()) {
    const JEDECFacts facts = target->jedecFacts();
    if (!facts.flash)
      gals.push_back({target->name(), facts.family, target->fuseCount(), facts.signatureFuse});
  }
  return gals;
}

const std::vector<const FlashLayout *> &layouts() {
  static const std::vector<const FlashLayout *> list = collectLayouts();
  return list;
}

const std::vector<GalFacts> &galDevices() {
  static const std::vector<GalFacts> list = collectGals();
  return list;
}

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
  for (const FlashLayout *layout : layouts())
    note(layout->family);
  for (const GalFacts &gal : galDevices())
    note(gal.family);
  return named;
}

} // namespace

std::span<const FlashLayout *const> cpldLayouts() { return layouts(); }

KnownDevice identifyDevice(const JedecFile &file) {
  KnownDevice device;
  std::string known;
  for (const FlashLayout *layout : layouts()) {
    known += ", " + std::string(layout->family) + " " + std::to_string(layout->fuseCount);
    if (layout->fuseCount == file.fuseCount)
      device.cpld = layout;
  }
  for (const GalFacts &gal : galDevices()) {
    known += ", " + std::string(gal.name) + " " + std::to_string(gal.fuseCount);
    if (gal.fuseCount == file.fuseCount)
      device.gal = gal;
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
  for (const FlashLayout *layout : layouts())
    for (const CpldVariant &variant : layout->variants)
      if (variant.name == upper)
        return VariantChoice{layout, &variant};
  return std::nullopt;
}

std::string variantNames() {
  std::string names;
  for (const FlashLayout *layout : layouts())
    for (const CpldVariant &variant : layout->variants)
      names += (names.empty() ? "" : ", ") + std::string(variant.name);
  return names;
}

} // namespace gsmith
