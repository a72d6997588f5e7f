// The list of devices. A new device is one row here and a folder of its own.
#include "target/registry.h"

#include "atf1502/atf1502.h"
#include "atf1504/atf1504.h"
#include "atf1508/atf1508.h"
#include "cpld/cpld-target.h"
#include "gal/gal-target.h"

#include <array>

namespace gsmith {

namespace {

const std::array<const Target *, 9> &targets() {
  static const CPLDTarget atf1502as("ATF1502AS", atf1502Architecture());
  static const CPLDTarget atf1502asv("ATF1502ASV", atf1502Architecture());
  static const CPLDTarget atf1504as("ATF1504AS", atf1504Architecture());
  static const CPLDTarget atf1504asv("ATF1504ASV", atf1504Architecture());
  static const CPLDTarget atf1508as("ATF1508AS", atf1508Architecture());
  static const CPLDTarget atf1508asv("ATF1508ASV", atf1508Architecture());
  static const std::array<const Target *, 9> list = {
      &gal16v8Target(), &gal20v8Target(), &gal22v10Target(), &atf1502as,  &atf1502asv,
      &atf1504as,       &atf1504asv,      &atf1508as,        &atf1508asv,
  };
  return list;
}

} // namespace

const Target *TargetRegistry::find(std::string_view name) {
  for (const Target *target : targets())
    if (target->name() == name)
      return target;
  return nullptr;
}

std::span<const Target *const> TargetRegistry::all() { return targets(); }

const LanguageFeatures *TargetRegistry::features(const std::string &name) {
  const Target *target = find(name);
  return target ? &target->features() : nullptr;
}

} // namespace gsmith
