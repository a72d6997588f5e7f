// The JEDEC text rules written once for every fuse-file writer.
#include "devices/gal/jedec.h"

#include <algorithm>

namespace gsmith {

std::string Jedec::document(std::string_view header, const std::vector<bool> &fuses,
                            const JedecLineFormat &format, std::string_view trailer,
                            TransmissionChecksum checksum) {
  std::string text(1, kSTX);
  text += header;
  text += fuseLines(fuses, format);
  text += trailer;
  text += checksumLine(fuses);
  text += kETX;
  text += checksum == TransmissionChecksum::COMPUTED ? hex4(transmissionChecksum(text)) : "0000";
  text += '\n';
  return text;
}

std::string Jedec::fuseLines(const std::vector<bool> &fuses, const JedecLineFormat &format) {
  const size_t perLine = std::max(1u, format.fusesPerLine);
  std::string text;
  text.reserve(fuses.size() + (fuses.size() / perLine + 1) * (format.addressWidth + 4));
  for (size_t start = 0; start < fuses.size(); start += perLine) {
    std::string address = std::to_string(start);
    if (address.size() < format.addressWidth)
      address.insert(0, format.addressWidth - address.size(), '0');
    text += 'L';
    text += address;
    text += ' ';
    const size_t end = std::min(fuses.size(), start + perLine);
    for (size_t i = start; i < end; ++i)
      text += fuses[i] ? '1' : '0';
    text += "*\n";
  }
  return text;
}

uint16_t Jedec::fuseChecksum(const std::vector<bool> &fuses) {
  uint32_t sum = 0;
  for (size_t word = 0; word * 8 < fuses.size(); ++word) {
    unsigned value = 0;
    for (unsigned bit = 0; bit < 8 && word * 8 + bit < fuses.size(); ++bit)
      if (fuses[word * 8 + bit])
        value |= 1u << bit;
    sum = (sum + value) & 0xFFFF;
  }
  return static_cast<uint16_t>(sum);
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
