// The in-system programming sequences of the ATF15xx CPLDs as SVF text, in
// the exact statements, order and timings of the vendor's programmer
// (ATMISP), so that a file from here plays like the files the field already
// uses. Lines end CR LF, hexadecimal is lower case and fixed width, so the
// output can be compared with vendor files byte for byte below the comments.
#pragma once

#include "jedtool/flash-image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gsmith {

struct ProgramPlan {
  FlashImage words; // each group programmed in turn, then each group read back
  // Programmed once more after the read-back and never read: a word whose
  // real value would stop the read-back (read protection) goes here, and
  // `words` carries it as all ones.
  std::optional<FlashWord> finalWord;
};

// `description` becomes the second comment line; control characters in it
// are written as '?', so that no file name can smuggle in a statement.
std::string programSvf(std::string_view description, std::uint32_t idcode, const ProgramPlan &plan);

// Bulk erase, then every word of `erased` read back against all ones.
std::string eraseSvf(std::string_view description, std::uint32_t idcode, const FlashImage &erased);

} // namespace gsmith
