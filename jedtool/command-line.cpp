// Options are matched by hand: there are few, and the standard library has no
// parser. Long options also take their value after '='; "--" ends options.
#include "jedtool/command-line.h"

#include <algorithm>
#include <vector>

namespace gsmith {

namespace {

// The variants, one chip a line under the option column.
std::string variantList() {
  std::string text;
  for (const FlashLayout *layout : cpldLayouts()) {
    std::string names;
    for (const CpldVariant &variant : layout->variants)
      names += (names.empty() ? "" : ", ") + std::string(variant.name);
    text += (text.empty() ? "" : ",\n                        ") + names;
  }
  return text + ".\n";
}

std::string mainHelp() {
  return "Usage: gsmith-jed COMMAND [OPTIONS]\n"
         "\n"
         "Works on JEDEC fuse files, such as those gsmith writes.\n"
         "\n"
         "Commands:\n"
         "  svf    write the JTAG programming file (SVF) for an ATF1502AS(V), ATF1504AS(V)\n"
         "         or ATF1508AS(V)\n"
         "  info   show a JEDEC file's device, checksums, protection, JTAG pins and signature\n"
         "  decode print the design a JEDEC file programs, as a gsmith source file\n"
         "  verify check that a JEDEC file implements a gsmith source file\n"
         "\n"
         "'gsmith-jed COMMAND --help' describes a command's options.\n"
         "Exit status: 0 success, 1 failure, 2 usage error.\n";
}

std::string svfHelp() {
  return "Usage: gsmith-jed svf FILE.jed [-o OUT.svf] [--device NAME] [--protect-last]\n"
         "       gsmith-jed svf --erase --device NAME [-o OUT.svf]\n"
         "\n"
         "Writes the program-and-verify SVF for FILE.jed: check the IDCODE, bulk erase,\n"
         "program every flash word, read every word back. Its statements are those of\n"
         "the vendor's ATMISP, so players that play ATMISP files (OpenOCD, UrJTAG) play it.\n"
         "\n"
         "Options:\n"
         "  -o, --output OUT.svf  output file (default: FILE with the extension .svf)\n"
         "  --device NAME         " +
         variantList() +
         "                        The chip comes from the file's fuse count\n"
         "                        (QF); the AS or ASV variant, which sets the IDCODE the\n"
         "                        SVF expects, cannot be told from a JEDEC file, so AS is\n"
         "                        assumed unless NAME says otherwise. A NAME that\n"
         "                        contradicts the file's QF is an error.\n"
         "  --protect-last        accept a read-protected map: program the protection word\n"
         "                        after the read-back. This order has not been checked\n"
         "                        against the vendor tool.\n"
         "  --erase               write the erase and blank-check sequence instead; takes\n"
         "                        no FILE, needs --device; default output NAME-erase.svf\n"
         "                        in the current directory\n"
         "  -h, --help            show this help\n"
         "\n"
         "Refused, with nothing written and an older OUT.svf left as it was: malformed or\n"
         "damaged JEDEC files, GAL files (no JTAG port), maps that turn the JTAG pins\n"
         "into user I/O, and read-protected maps without --protect-last.\n";
}

std::string infoHelp() {
  return "Usage: gsmith-jed info FILE.jed\n"
         "\n"
         "Prints 'key: value' lines: the device and fuse count, whether the fuse checksum\n"
         "and the transmission checksum are right (0000 means not given), read\n"
         "protection, the JTAG pin function, the arming switch and the user signature.\n"
         "Knows the GAL16V8B, GAL20V8B, GAL22V10B, ATF1502AS(V), ATF1504AS(V) and\n"
         "ATF1508AS(V).\n"
         "\n"
         "Options:\n"
         "  -h, --help   show this help\n";
}

std::string decodeHelp() {
  return "Usage: gsmith-jed decode FILE.jed [--device NAME] [--source FILE.pld]\n"
         "\n"
         "Reads the fuse map of FILE.jed back into equations and prints them on standard\n"
         "output as a gsmith source file: DEVICE, PIN and NODE declarations with their\n"
         "modifiers, equations, control equations and CONFIG lines. gsmith compiles it\n"
         "to an equivalent fuse map. What the language cannot say (foldback terms, a\n"
         "clock multiplexer moved off its pin, ...) is printed as a comment that starts\n"
         "with 'NOT EXPRESSIBLE'.\n"
         "\n"
         "Options:\n"
         "  --device NAME    read the file as this device (default: the first device\n"
         "                   with the file's fuse count; the AS and ASV parts share\n"
         "                   their maps)\n"
         "  --source FILE    name the signals, pins and NODEs as FILE does, and number\n"
         "                   the pins in its package (default: pN for pin N, mcN for\n"
         "                   macrocell N)\n"
         "  -h, --help       show this help\n";
}

std::string verifyHelp() {
  return "Usage: gsmith-jed verify FILE.pld FILE.jed\n"
         "\n"
         "Compiles FILE.pld as far as its netlist and checks, output by output, that the\n"
         "fuse map of FILE.jed implements it: the same functions (compared by\n"
         "evaluation), storage, clocks, controls, output enables and options, the same\n"
         "global settings, and no other cell driving a pin. NODEs may sit on any\n"
         "macrocell. Exit status 0 when it does; 1 with one line per difference\n"
         "(the output, the inputs where it differs, what was expected and found)\n"
         "otherwise.\n"
         "\n"
         "Options:\n"
         "  -h, --help   show this help\n";
}

bool isHelp(std::string_view arg) { return arg == "-h" || arg == "--help"; }

// Walks the arguments of one subcommand, splitting "--name=value".
class ArgumentCursor {
public:
  explicit ArgumentCursor(std::span<const std::string_view> args) : args_(args) {}

  bool done() const { return next_ >= args_.size(); }

  // The next argument; for "--name=value" only "--name", keeping the value.
  std::string_view take() {
    std::string_view arg = args_[next_++];
    const std::size_t equals = arg.find('=');
    hasAttached_ = arg.starts_with("--") && equals != std::string_view::npos;
    attached_ = hasAttached_ ? arg.substr(equals + 1) : std::string_view();
    return hasAttached_ ? arg.substr(0, equals) : arg;
  }

  std::string value(std::string_view option) {
    std::string_view value = attached_;
    if (!hasAttached_ && !done())
      value = args_[next_++];
    hasAttached_ = false;
    if (value.empty())
      throw UsageError(std::string(option) + " needs a value");
    return std::string(value);
  }

  void expectNoValue(std::string_view option) const {
    if (hasAttached_)
      throw UsageError(std::string(option) + " takes no value");
  }

private:
  std::span<const std::string_view> args_;
  std::size_t next_ = 0;
  std::string_view attached_;
  bool hasAttached_ = false;
};

void setOnce(std::string &slot, std::string value, std::string_view whenTwice) {
  if (!slot.empty())
    throw UsageError(std::string(whenTwice));
  slot = std::move(value);
}

void setFlag(bool &flag, std::string_view option) {
  if (flag)
    throw UsageError(std::string(option) + " given twice");
  flag = true;
}

Command parseSvf(std::span<const std::string_view> args) {
  SvfOptions options;
  std::string output;
  std::string device;
  ArgumentCursor cursor(args);
  bool optionsEnded = false;
  while (!cursor.done()) {
    const std::string_view arg = cursor.take();
    if (optionsEnded || !arg.starts_with("-") || arg == "-") {
      setOnce(options.input, std::string(arg), "more than one JEDEC file given");
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-o" || arg == "--output") {
      setOnce(output, cursor.value(arg), "-o given twice");
    } else if (arg == "--device") {
      setOnce(device, cursor.value(arg), "--device given twice");
    } else if (arg == "--erase") {
      cursor.expectNoValue(arg);
      setFlag(options.erase, arg);
    } else if (arg == "--protect-last") {
      cursor.expectNoValue(arg);
      setFlag(options.protectLast, arg);
    } else {
      throw UsageError("svf: unknown option '" + std::string(arg) + "'");
    }
  }
  if (!output.empty())
    options.output = output;
  if (!device.empty()) {
    options.device = findVariant(device);
    if (!options.device)
      throw UsageError("unknown device '" + device + "' (known: " + variantNames() + ")");
  }
  if (options.erase) {
    if (!options.input.empty())
      throw UsageError("svf --erase takes no JEDEC file");
    if (!options.device)
      throw UsageError("svf --erase needs --device NAME: there is no JEDEC file to take the "
                       "device from");
    if (options.protectLast)
      throw UsageError("--protect-last does not apply to --erase");
  } else if (options.input.empty()) {
    throw UsageError("svf needs a JEDEC file (or --erase --device NAME)");
  }
  return options;
}

Command parseInfo(std::span<const std::string_view> args) {
  InfoOptions options;
  for (const std::string_view arg : args) {
    if (arg.starts_with("-") && arg != "-")
      throw UsageError("info: unknown option '" + std::string(arg) + "'");
    setOnce(options.input, std::string(arg), "more than one JEDEC file given");
  }
  if (options.input.empty())
    throw UsageError("info needs a JEDEC file");
  return options;
}

Command parseDecode(std::span<const std::string_view> args) {
  DecodeOptions options;
  ArgumentCursor cursor(args);
  bool optionsEnded = false;
  while (!cursor.done()) {
    const std::string_view arg = cursor.take();
    if (optionsEnded || !arg.starts_with("-") || arg == "-")
      setOnce(options.input, std::string(arg), "more than one JEDEC file given");
    else if (arg == "--")
      optionsEnded = true;
    else if (arg == "--device")
      setOnce(options.device, cursor.value(arg), "--device given twice");
    else if (arg == "--source")
      setOnce(options.source, cursor.value(arg), "--source given twice");
    else
      throw UsageError("decode: unknown option '" + std::string(arg) + "'");
  }
  if (options.input.empty())
    throw UsageError("decode needs a JEDEC file");
  return options;
}

Command parseVerify(std::span<const std::string_view> args) {
  std::vector<std::string> files;
  for (const std::string_view arg : args) {
    if (arg.starts_with("-") && arg != "-")
      throw UsageError("verify: unknown option '" + std::string(arg) + "'");
    files.emplace_back(arg);
  }
  if (files.size() != 2)
    throw UsageError("verify needs a source file and a JEDEC file");
  return VerifyOptions{files[0], files[1]};
}

} // namespace

Command parseCommandLine(std::span<const std::string_view> args) {
  if (args.empty())
    throw UsageError("no command given");
  const std::string_view command = args.front();
  const std::span<const std::string_view> rest = args.subspan(1);
  const bool helpAsked = std::find_if(rest.begin(), rest.end(), isHelp) != rest.end();
  if (isHelp(command))
    return HelpRequest{mainHelp()};
  if (command == "svf")
    return helpAsked ? Command{HelpRequest{svfHelp()}} : parseSvf(rest);
  if (command == "info")
    return helpAsked ? Command{HelpRequest{infoHelp()}} : parseInfo(rest);
  if (command == "decode")
    return helpAsked ? Command{HelpRequest{decodeHelp()}} : parseDecode(rest);
  if (command == "verify")
    return helpAsked ? Command{HelpRequest{verifyHelp()}} : parseVerify(rest);
  if (command.starts_with("-"))
    throw UsageError("unknown option '" + std::string(command) + "'");
  throw UsageError("unknown command '" + std::string(command) + "'");
}

} // namespace gsmith
