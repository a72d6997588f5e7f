// Every key appears for every device, with "not applicable" where a GAL lacks
// the feature, so that scripts can read the output without knowing the part.
#include "jedtool/info.h"

#include "jedtool/wording.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace gsmith {

namespace {

std::string checksumText(const JedecChecksum &checksum, const std::string &computedBy) {
  switch (checksum.state) {
  case ChecksumState::Right:
    return "right (" + hex4(checksum.computed) + ")";
  case ChecksumState::Wrong:
    return "wrong (file: " + hex4(checksum.stated) + ", " + computedBy + ": " +
           hex4(checksum.computed) + ")";
  case ChecksumState::NotGiven:
    break;
  }
  return "not given (" + computedBy + ": " + hex4(checksum.computed) + ")";
}

std::string hexValue(unsigned long long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, value);
  return text;
}

std::string cpldSignature(const FlashLayout &layout, const std::vector<std::uint8_t> &fuses) {
  unsigned long long value = 0;
  for (std::size_t byte = 0; byte < 2; ++byte)
    for (std::size_t bit = 0; bit < 8; ++bit)
      value |= static_cast<unsigned long long>(fuses[layout.signatureFuse + 8 * byte - bit])
               << (8 * byte + bit);
  return hexValue(value, 4);
}

std::string galSignature(const GalFacts &gal, const std::vector<std::uint8_t> &fuses) {
  unsigned long long value = 0;
  for (std::size_t i = 0; i < 64; ++i)
    value = value << 1 | fuses[gal.signatureFuse + i];
  return hexValue(value, 16);
}

using Facts = std::vector<std::pair<std::string, std::string>>;

void addCpldFacts(Facts &facts, const FlashLayout &layout, const JedecFile &file) {
  std::string variants;
  for (const CpldVariant &variant : layout.variants)
    variants += (variants.empty() ? "" : " or ") + std::string(variant.name);
  facts.insert(facts.begin(), {"device", variants + " (a JEDEC file does not tell them apart)"});
  const auto fuse = [&](std::size_t index) { return fuseText(index, file.fuses[index]); };
  const bool protectedMap = file.fuses[layout.readProtectionFuse] == 0;
  std::string protection = (protectedMap ? "on (" : "off (") + fuse(layout.readProtectionFuse);
  if (file.securityFuse && *file.securityFuse != (protectedMap ? 1 : 0))
    protection += "; the G field says G" + std::to_string(*file.securityFuse);
  facts.emplace_back("read protection", protection + ")");
  facts.emplace_back("JTAG pins", (file.fuses[layout.jtagPinFunctionFuse] != 0
                                       ? "JTAG port ("
                                       : "user I/O, the JTAG port is off (") +
                                      fuse(layout.jtagPinFunctionFuse) + ")");
  facts.emplace_back("arming switch", (file.fuses[layout.armingSwitchFuse] == 0
                                           ? "programmed ("
                                           : "not programmed, outputs stay disabled (") +
                                          fuse(layout.armingSwitchFuse) + ")");
  facts.emplace_back("user signature", cpldSignature(layout, file.fuses));
}

void addGalFacts(Facts &facts, const GalFacts &gal, const JedecFile &file) {
  facts.insert(facts.begin(), {"device", std::string(gal.name)});
  const std::string protection = !file.securityFuse   ? "off (no G field)"
                                 : *file.securityFuse ? "on (G1)"
                                                      : "off (G0)";
  facts.emplace_back("read protection", protection);
  facts.emplace_back("JTAG pins", "not applicable");
  facts.emplace_back("arming switch", "not applicable");
  facts.emplace_back("user signature", galSignature(gal, file.fuses));
}

} // namespace

std::string describeJedec(const JedecInput &input) {
  const JedecFile &file = input.file;
  Facts facts = {
      {"fuses", std::to_string(file.fuseCount)},
      {"fuse checksum", checksumText(file.fuseChecksum, "fuses")},
      {"transmission checksum", file.transmissionChecksum.state == ChecksumState::NotGiven
                                    ? "not given (0000)"
                                    : checksumText(file.transmissionChecksum, "text")},
  };
  if (input.device.cpld)
    addCpldFacts(facts, *input.device.cpld, file);
  else
    addGalFacts(facts, *input.device.gal, file);
  std::string text = "file: " + input.path + "\n";
  for (const auto &[key, value] : facts)
    text += key + ": " + value + "\n";
  return text;
}

void runInfo(const InfoOptions &options, std::ostream &out) {
  out << describeJedec(loadJedecInput(options.input));
}

} // namespace gsmith
