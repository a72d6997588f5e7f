// The JEDEC text rules written once for every fuse-file writer.
#include "target/jedec.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace gsmith {

namespace {

// The "L" lines of `fuses` and, summed while they are written, the fuse
// checksum: a CPLD map has tens of thousands of fuses, and a second pass over
// them would cost as much as writing them.
std::string writeLines(const std::vector<bool> &fuses, const JedecLineFormat &format,
                       uint16_t &checksum) {
  const size_t perLine = std::max(1u, format.fusesPerLine);
  const size_t lines = (fuses.size() + perLine - 1) / perLine;
  // Every line is "L", the address, a space, the fuses, "*" and a line feed;
  // the text is sized once and filled in place.
  std::string text;
  text.reserve(fuses.size() + lines * (format.addressWidth + 24));
  // The checksum is the sum of the bytes that hold eight fuses each, least
  // significant first, which is the sum of every set fuse's weight within
  // its byte: no byte has to be assembled.
  uint32_t sum = 0;
  auto fuse = fuses.begin();
  char address[24];
  for (size_t start = 0; start < fuses.size(); start += perLine) {
    const auto [end, error] = std::to_chars(std::begin(address), std::end(address), start);
    const size_t digits = static_cast<size_t>(end - address);
    text += 'L';
    if (digits < format.addressWidth)
      text.append(format.addressWidth - digits, '0');
    text.append(address, digits);
    text += ' ';
    const size_t count = std::min(fuses.size() - start, perLine);
    const size_t at = text.size();
    text.resize(at + count);
    char *out = text.data() + at;
    for (size_t k = 0; k < count; ++k, ++fuse) {
      const unsigned on = *fuse ? 1u : 0u;
      out[k] = static_cast<char>('0' + on);
      sum += on << ((start + k) % 8);
    }
    text += "*\n";
  }
  checksum = static_cast<uint16_t>(sum & 0xFFFF);
  return text;
}

} // namespace

std::string Jedec::document(std::string_view header, const std::vector<bool> &fuses,
                            const JedecLineFormat &format, std::string_view trailer,
                            TransmissionChecksum checksum) {
  std::string text(1, kSTX);
  text += header;
  uint16_t fuseSum = 0;
  text += writeLines(fuses, format, fuseSum);
  text += trailer;
  text += "C" + hex4(fuseSum) + "*\n";
  text += kETX;
  text += checksum == TransmissionChecksum::COMPUTED ? hex4(transmissionChecksum(text)) : "0000";
  text += '\n';
  return text;
}

uint16_t Jedec::fuseChecksum(const std::vector<bool> &fuses) { return fuseChecksumOf(fuses); }

std::string Jedec::checksumLine(const std::vector<bool> &fuses) {
  return "C" + hex4(fuseChecksum(fuses)) + "*\n";
}

// Summed wide and cut to 16 bits once, which is the same modulo 65536 and
// lets the compiler add many bytes at a time.
uint16_t Jedec::transmissionChecksum(std::string_view text) {
  uint64_t sum = 0;
  for (const char c : text)
    sum += static_cast<unsigned char>(c);
  return static_cast<uint16_t>(sum & 0xFFFF);
}

std::string Jedec::hex4(uint16_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i) {
    text[i] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

} // namespace gsmith
