// Loading the JEDEC file a command works on: read with a size bound, parsed,
// and matched to a known device. Every failure is one std::runtime_error
// whose message starts with the file name.
#pragma once

#include "target/jedec-reader.h"
#include "jedtool/device-table.h"

#include <cstddef>
#include <string>

namespace gsmith {

// Vendor files for the largest supported part are under 40 kB; anything near
// this bound is not a fuse file, and the bound keeps a hostile one small.
inline constexpr std::size_t kMaxJedecInputBytes = 4 * 1024 * 1024;

struct JedecInput {
  std::string path;
  JedecFile file;
  KnownDevice device;
};

JedecInput loadJedecInput(const std::string &path);

} // namespace gsmith
