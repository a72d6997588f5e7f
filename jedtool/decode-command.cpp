// `gsmith-jed decode` and `gsmith-jed verify`: a JEDEC file read back through
// the decoder, printed as source or compared with a source's netlist.
#include "jedtool/decode-command.h"

#include "cpld/architecture.h"
#include "decode/compare.h"
#include "decode/decoder.h"
#include "decode/expected.h"
#include "decode/source-writer.h"
#include "driver/pipeline.h"
#include "jedtool/jedec-input.h"
#include "target/registry.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace gsmith {

namespace {

std::string upperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  });
  return text;
}

// The source file's design, as far as its netlist; failures name the file.
SynthesisedDesign readSource(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return synthesiseSource(text.str());
  } catch (const std::exception &error) {
    throw std::runtime_error(path + ": " + error.what());
  }
}

// The target a file is read as: `device` when given, else the source's
// device, else the first with the file's fuse count.
const Target &targetFor(const JedecInput &input, const std::string &device,
                        const Target *sourceTarget) {
  if (!device.empty()) {
    const Target *named = TargetRegistry::find(upperCase(device));
    if (!named)
      throw std::runtime_error("unknown device '" + device + "'");
    if (named->fuseCount() != input.file.fuseCount)
      throw std::runtime_error(input.path + ": --device " + std::string(named->name()) + " has " +
                               std::to_string(named->fuseCount()) + " fuses, but the file has QF" +
                               std::to_string(input.file.fuseCount));
    return *named;
  }
  if (sourceTarget) {
    if (sourceTarget->fuseCount() != input.file.fuseCount)
      throw std::runtime_error(input.path + ": the source is for the " +
                               std::string(sourceTarget->name()) + " (QF" +
                               std::to_string(sourceTarget->fuseCount()) +
                               "), but the file has QF" + std::to_string(input.file.fuseCount));
    return *sourceTarget;
  }
  for (const Target *target : TargetRegistry::all())
    if (target->fuseCount() == input.file.fuseCount)
      return *target;
  throw std::logic_error("Internal error: an identified file without a target");
}

// The package of a CPLD file: the one its header names, or the first with
// the pin count of its QP field; "" (the default) otherwise.
std::string packageOf(const Target &target, const JedecFile &file) {
  const CPLDArchitecture *arch = target.jedecFacts().cpld;
  if (!arch)
    return "";
  const std::string header = upperCase(file.header);
  for (const CPLDPackage &package : arch->packages)
    if (header.find(package.pins.name) != std::string::npos)
      return std::string(package.pins.name);
  for (const CPLDPackage &package : arch->packages)
    if (file.pinCount != 0 && static_cast<std::size_t>(package.pins.pinCount) == file.pinCount)
      return std::string(package.pins.name);
  return "";
}

std::vector<bool> fusesOf(const JedecFile &file) {
  return std::vector<bool>(file.fuses.begin(), file.fuses.end());
}

} // namespace

void runDecode(const DecodeOptions &options, std::ostream &out) {
  const JedecInput input = loadJedecInput(options.input);
  std::optional<SynthesisedDesign> source;
  if (!options.source.empty())
    source = readSource(options.source);
  const Target &target = targetFor(input, options.device, source ? source->target : nullptr);
  const DecodedMap decoded = decodeFuseMap(target, fusesOf(input.file));
  std::string package = packageOf(target, input.file);
  std::unordered_map<std::string, std::string> names;
  if (source) {
    package = source->design.package;
    ExpectedMap expected = expectedMap(target, source->netlist, package, {});
    placeNodes(expected, decoded);
    names = expected.names;
    for (const ExpectedOutput &output : expected.outputs)
      if (output.cell > 0 && expected.cpld)
        names[feedbackSource(output.cell)] = output.name;
  }
  out << writeSource(target, decoded, package, names, options.input);
}

int runVerify(const VerifyOptions &options, std::ostream &out) {
  const SynthesisedDesign source = readSource(options.source);
  const JedecInput input = loadJedecInput(options.input);
  const Target &target = targetFor(input, "", source.target);
  const std::vector<Difference> differences =
      compareMaps(expectedMap(target, source.netlist, source.design.package, {}),
                  decodeFuseMap(target, fusesOf(input.file)));
  if (differences.empty()) {
    out << options.input << " implements " << options.source << "\n";
    return 0;
  }
  out << options.input << " does not implement " << options.source << ":\n";
  for (const Difference &difference : differences)
    out << "  " << difference.output << ": " << difference.text << "\n";
  return 1;
}

} // namespace gsmith
