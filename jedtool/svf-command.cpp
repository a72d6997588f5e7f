// Safety before convenience: a map that would lock the programmer out of the
// chip is refused, a map that would stop the read-back needs an explicit
// option, and anything unusual that is accepted is said on standard error.
#include "jedtool/svf-command.h"

#include "io/output-file.h"
#include "jedtool/jedec-input.h"
#include "jedtool/svf-writer.h"
#include "jedtool/wording.h"

#include <filesystem>
#include <stdexcept>

namespace gsmith {

namespace {

const InstallMessages kSvfInstallMessages = {
    [](const std::string &temporaryPath, const std::string &reason) {
      return "cannot create '" + temporaryPath + "' to write the SVF into: " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "writing the SVF to '" + temporaryPath + "' failed: " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "cannot move the finished SVF from '" + temporaryPath + "' into place: " + reason;
    },
};

bool sameFile(const std::filesystem::path &one, const std::filesystem::path &other) {
  std::error_code error;
  return std::filesystem::equivalent(one, other, error) && !error;
}

// The output and the temporary file it is written through must both leave
// the input alone: opening either for writing would truncate it.
void refuseOverwritingInput(const std::string &input, const std::filesystem::path &output) {
  if (sameFile(input, output))
    throw std::runtime_error("the output '" + output.string() +
                             "' is the input file itself; name another with -o");
  if (sameFile(input, output.string() + ".tmp"))
    throw std::runtime_error("the output '" + output.string() + "' is written through '" +
                             output.string() + ".tmp', which is the input file itself");
}

const CpldVariant &chooseVariant(const JedecInput &input, const SvfOptions &options) {
  const FlashLayout &layout = *input.device.cpld;
  if (!options.device)
    return layout.variants.front();
  if (options.device->layout != &layout)
    throw std::runtime_error("--device " + std::string(options.device->variant->name) +
                             " contradicts " + input.path + ": its QF" +
                             std::to_string(input.file.fuseCount) + " is the fuse count of the " +
                             std::string(layout.family));
  return *options.device->variant;
}

void refuseDamage(const JedecInput &input) {
  const JedecChecksum &fuses = input.file.fuseChecksum;
  if (fuses.state == ChecksumState::Wrong)
    throw std::runtime_error(input.path + ": the fuse checksum (C field) is " + hex4(fuses.stated) +
                             " but the fuses add up to " + hex4(fuses.computed) +
                             ": the file is damaged or was edited");
  const JedecChecksum &transmission = input.file.transmissionChecksum;
  if (transmission.state == ChecksumState::Wrong)
    throw std::runtime_error(input.path + ": the transmission checksum after ETX is " +
                             hex4(transmission.stated) + " but the text adds up to " +
                             hex4(transmission.computed) + ": the file was damaged on its way");
}

// Maps that would lock the programmer out of the chip, or blind the
// read-back without the user having asked for that order.
void refuseUnplayable(const JedecInput &input, const SvfOptions &options) {
  const FlashLayout &layout = *input.device.cpld;
  const std::vector<std::uint8_t> &fuses = input.file.fuses;
  if (fuses[layout.jtagPinFunctionFuse] == 0)
    throw std::runtime_error(
        input.path + ": " + fuseText(layout.jtagPinFunctionFuse, 0) +
        " turns the JTAG pins (TDI, TMS, TCK, TDO) into user I/O. Programming it would cut "
        "the programmer off in the middle of the sequence, and only the high-voltage "
        "override on the OE1 pin could reach the chip again; no SVF is written for such a map");
  if (fuses[layout.readProtectionFuse] == 0 && !options.protectLast)
    throw std::runtime_error(
        input.path + ": " + fuseText(layout.readProtectionFuse, 0) +
        " turns read protection on. In the vendor's order that word is programmed before the "
        "read-back, which it would then stop, and no vendor file shows the order for this "
        "case. --protect-last programs it after the read-back instead");
}

// Accepted, but not what a user would expect without being told.
void sayOddities(const JedecInput &input, const SvfOptions &options, std::ostream &diagnostics) {
  const FlashLayout &layout = *input.device.cpld;
  const std::vector<std::uint8_t> &fuses = input.file.fuses;
  const bool protectedMap = fuses[layout.readProtectionFuse] == 0;
  if (protectedMap)
    diagnostics << "gsmith-jed: warning: read protection is programmed after the read-back "
                   "(--protect-last); this order has not been checked against the vendor tool\n";
  else if (options.protectLast)
    diagnostics << "gsmith-jed: note: --protect-last changes nothing: " << input.path
                << " leaves read protection off\n";
  if (input.file.securityFuse && *input.file.securityFuse != (protectedMap ? 1 : 0))
    diagnostics << "gsmith-jed: note: " << input.path << " says G" << *input.file.securityFuse
                << " but " << fuseText(layout.readProtectionFuse, fuses[layout.readProtectionFuse])
                << "; the fuse decides\n";
  if (fuses[layout.armingSwitchFuse] != 0)
    diagnostics << "gsmith-jed: note: " << fuseText(layout.armingSwitchFuse, 1)
                << ": the arming switch is left unprogrammed, so the outputs stay disabled "
                   "after programming\n";
  if (input.file.fuseChecksum.state == ChecksumState::NotGiven)
    diagnostics << "gsmith-jed: note: " << input.path
                << " has no fuse checksum (C field), so its fuses could not be checked\n";
}

// The read-protection word comes before the read-back in the vendor's order;
// with protection on it moves behind it, programmed over an all-ones copy.
ProgramPlan planFor(const FlashLayout &layout, FlashImage image, bool protectionLast) {
  ProgramPlan plan;
  if (protectionLast) {
    const FuseLocation location = *locateFuse(layout, layout.readProtectionFuse);
    for (std::vector<FlashWord> &group : image)
      for (FlashWord &word : group)
        if (word.address == location.address) {
          plan.finalWord = word;
          word.bits.assign(word.bits.size(), 1);
        }
  }
  plan.words = std::move(image);
  return plan;
}

void writeProgramFile(const SvfOptions &options, std::ostream &out, std::ostream &diagnostics) {
  const std::filesystem::path output =
      options.output ? std::filesystem::path(*options.output)
                     : std::filesystem::path(options.input).replace_extension(".svf");
  refuseOverwritingInput(options.input, output);
  const JedecInput input = loadJedecInput(options.input);
  if (input.device.gal)
    throw std::runtime_error(input.path + ": the " + std::string(input.device.gal->name) +
                             " has no JTAG port; program it from the JEDEC file with a device "
                             "programmer");
  const FlashLayout &layout = *input.device.cpld;
  const CpldVariant &variant = chooseVariant(input, options);
  refuseDamage(input);
  refuseUnplayable(input, options);
  const bool protectedMap = input.file.fuses[layout.readProtectionFuse] == 0;
  sayOddities(input, options, diagnostics);

  const std::string description = "Program and verify " + std::string(variant.name) + " from " +
                                  std::filesystem::path(input.path).filename().string();
  installOutputFile(output,
                    programSvf(description, variant.idcode,
                               planFor(layout, imageOf(layout, input.file.fuses), protectedMap)),
                    kSvfInstallMessages);
  out << "SVF written: " << output.string() << " (" << variant.name << ")\n";
}

void writeEraseFile(const SvfOptions &options, std::ostream &out) {
  const VariantChoice &device = *options.device;
  const std::filesystem::path output =
      options.output ? *options.output : std::string(device.variant->name) + "-erase.svf";
  installOutputFile(output,
                    eraseSvf("Erase and blank check " + std::string(device.variant->name),
                             device.variant->idcode, erasedImage(*device.layout)),
                    kSvfInstallMessages);
  out << "SVF written: " << output.string() << " (" << device.variant->name
      << ", erase and blank check)\n";
}

} // namespace

void runSvf(const SvfOptions &options, std::ostream &out, std::ostream &diagnostics) {
  if (options.erase)
    return writeEraseFile(options, out);
  writeProgramFile(options, out, diagnostics);
}

} // namespace gsmith
