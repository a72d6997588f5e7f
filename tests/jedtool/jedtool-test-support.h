// What the gsmith-jed tests share: the built binary, the golden and vendor
// folders, and a way to write a small JEDEC file by hand.
#pragma once

#include "tests/support/run-gsmith.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gsmith::testing {

inline RunResult runJed(const std::filesystem::path &dir, const std::vector<std::string> &args) {
  return runProgram(GSMITH_JED_BINARY, dir, args);
}

inline const std::filesystem::path kGoldenDir = JEDTOOL_GOLDEN_DIR;
inline const std::filesystem::path kVendorDir = VENDOR_SVF_DIR;

inline std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// STX, the fields as given (header first), ETX and the transmission checksum.
inline std::string jedecText(const std::string &fields, const std::string &checksum = "0000") {
  return "\x02" + fields + "\x03" + checksum;
}

} // namespace gsmith::testing
