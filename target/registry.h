// The one list of devices. Tools find a target here by its DEVICE name (or,
// for a JEDEC file, by its fuse count) and know nothing else of it.
#pragma once

#include "target/target.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace gsmith {

class TargetRegistry {
public:
  // The target of that DEVICE name (exact, case-sensitive), or null.
  static const Target *find(std::string_view name);
  // Every target, in the order the list gives them.
  static std::span<const Target *const> all();
  // The front end's view of find(), for the parser.
  static const LanguageFeatures *features(const std::string &name);
};

} // namespace gsmith
