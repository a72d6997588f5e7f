// The command line of gsmith-jed: subcommands, their options, their help
// texts and the usage errors (exit status 2) that a wrong call gets.
#pragma once

#include "jedtool/device-table.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace gsmith {

struct HelpRequest {
  std::string text;
};

struct SvfOptions {
  std::string input; // empty with --erase
  std::optional<std::string> output;
  std::optional<VariantChoice> device;
  bool erase = false;
  bool protectLast = false;
};

struct InfoOptions {
  std::string input;
};

struct DecodeOptions {
  std::string input;
  std::string device; // a DEVICE name, "" for the first of the file's fuse count
  std::string source; // a .pld whose names, package and NODEs to use, or ""
};

struct VerifyOptions {
  std::string source;
  std::string input;
};

using Command = std::variant<HelpRequest, SvfOptions, InfoOptions, DecodeOptions, VerifyOptions>;

class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// `args` excludes the program name. Throws UsageError.
Command parseCommandLine(std::span<const std::string_view> args);

} // namespace gsmith
