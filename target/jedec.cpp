// The JEDEC text rules written once for every fuse-file writer.
#include "target/jedec.h"

#include <algorithm>

namespace gsmith {

std::string Jedec::document(std::string_view header, const std::vector<bool> &fuses,
                            const JedecLineFormat &format, std::string_view trailer,
                            TransmissionChecksum checksum) {
  std::string text(1, kSTX);
  text += header;
  const std::string lines = fuseLines(fuses, format);
  text += lines;
  text += trailer;
  text += "C" + hex4(fuseChecksum(lines)) + "*\n";
  text += kETX;
  text += checksum == TransmissionChecksum::COMPUTED ? hex4(transmissionChecksum(text)) : "0000";
  text += '\n';
  return text;
}

std::string Jedec::fuseLines(const std::vector<bool> &fuses, const JedecLineFormat &format) {
  const size_t perLine = std::max(1u, format.fusesPerLine);
  const size_t lines = (fuses.size() + perLine - 1) / perLine;
  // Every line is "L", the address, a space, the fuses, "*" and a line feed;
  // the text is sized once and filled in place, since a CPLD map has tens of
  // thousands of fuses.
  std::string text;
  text.reserve(fuses.size() + lines * (format.addressWidth + 24));
  auto fuse = fuses.begin();
  for (size_t start = 0; start < fuses.size(); start += perLine) {
    const std::string address = std::to_string(start);
    text += 'L';
    if (address.size() < format.addressWidth)
      text.append(format.addressWidth - address.size(), '0');
    text += address;
    text += ' ';
    const size_t count = std::min(fuses.size() - start, perLine);
    const size_t at = text.size();
    text.resize(at + count);
    for (size_t k = 0; k < count; ++k, ++fuse)
      text[at + k] = *fuse ? '1' : '0';
    text += "*\n";
  }
  return text;
}

uint16_t Jedec::fuseChecksum(const std::vector<bool> &fuses) { return fuseChecksumOf(fuses); }

// The fuse digits of the L lines in order are the fuses themselves; reading
// them back from the text costs a character compare per fuse where the
// vector would cost a bit extraction.
uint16_t Jedec::fuseChecksum(std::string_view lines) {
  uint32_t sum = 0;
  unsigned word = 0;
  unsigned bit = 0;
  bool inFuses = false;
  for (const char c : lines) {
    if (c == ' ' || c == '*') {
      inFuses = c == ' ';
      continue;
    }
    if (!inFuses)
      continue;
    word |= (c == '1' ? 1u : 0u) << bit;
    if (++bit == 8) {
      sum += word;
      word = 0;
      bit = 0;
    }
  }
  return static_cast<uint16_t>((sum + word) & 0xFFFF);
}

std::string Jedec::checksumLine(const std::vector<bool> &fuses) {
  return "C" + hex4(fuseChecksum(fuses)) + "*\n";
}

uint16_t Jedec::transmissionChecksum(std::string_view text) {
  uint32_t sum = 0;
  for (char c : text)
    sum = (sum + static_cast<unsigned char>(c)) & 0xFFFF;
  return static_cast<uint16_t>(sum);
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
