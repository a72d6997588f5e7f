// How gsmith-jed writes the facts it reports, so that info and the refusals
// of svf say the same thing the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gsmith {

// Four upper-case hexadecimal digits, as JEDEC checksums are written.
std::string hex4(std::uint16_t value);

// "fuse 16783 = 0"
std::string fuseText(std::size_t fuse, int value);

} // namespace gsmith
