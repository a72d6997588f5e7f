// The JEDEC (JESD3) fuse-file text shared by every writer, GAL and ATF15xx
// alike: the STX/ETX frame, the "L" fuse lines, the fuse checksum and the
// transmission checksum. Device writers supply only their header fields and
// their line geometry.
//
// API for writers:
//   Jedec::document(header, fuses, format, trailer, checksum)
//       The whole file: STX, `header` (written as given; it holds the
//       description, "*", QF, F0 and, for the GALs, G0), one "L" line per
//       block of format.fusesPerLine fuses with addresses zero-padded to
//       format.addressWidth digits, `trailer` (for example "G0*\n", may be
//       empty), the "C" fuse-checksum line, ETX, then four hexadecimal digits
//       (the computed transmission checksum, or "0000") and a line feed.
//   Jedec::fuseChecksum(fuses)             the 16-bit JEDEC fuse checksum
//   Jedec::checksumLine(fuses)             "C" + 4 upper-case hex digits + "*\n"
//   Jedec::transmissionChecksum(text)      byte sum of `text` modulo 65536
//   Jedec::hex4(value)                     4 upper-case hex digits
// Lines end in a single line feed; no carriage return is ever written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

struct JedecLineFormat {
  unsigned fusesPerLine = 32;
  unsigned addressWidth = 4;
};

enum class TransmissionChecksum { COMPUTED, ZERO };

// The JEDEC fuse checksum: fuses in groups of eight from fuse 0, fuse 8k the
// least significant bit of word k, the words summed modulo 65536. Works on
// any sequence of fuse values (bools, or the 0/1 bytes a reader keeps).
template <typename Fuses> uint16_t fuseChecksumOf(const Fuses &fuses) {
  uint32_t sum = 0;
  unsigned word = 0;
  unsigned bit = 0;
  for (const auto fuse : fuses) {
    word |= (fuse ? 1u : 0u) << bit;
    if (++bit == 8) {
      sum += word;
      word = 0;
      bit = 0;
    }
  }
  return static_cast<uint16_t>((sum + word) & 0xFFFF);
}

class Jedec {
public:
  static constexpr char kSTX = '\x02';
  static constexpr char kETX = '\x03';

  static std::string document(std::string_view header, const std::vector<bool> &fuses,
                              const JedecLineFormat &format, std::string_view trailer,
                              TransmissionChecksum checksum);
  static uint16_t fuseChecksum(const std::vector<bool> &fuses);
  static std::string checksumLine(const std::vector<bool> &fuses);
  static uint16_t transmissionChecksum(std::string_view text);
  static std::string hex4(uint16_t value);
};

} // namespace gsmith
