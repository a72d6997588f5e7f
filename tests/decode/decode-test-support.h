// What the decoder tests share: the built tools and a way to damage one fuse
// of a JEDEC text.
#pragma once

#include "tests/support/run-gsmith.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace gsmith::testing {

inline RunResult runJed(const std::filesystem::path &dir, const std::vector<std::string> &args) {
  return runProgram(GSMITH_JED_BINARY, dir, args);
}

inline std::string readText(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// `jedec` with fuse `index` inverted in its L field (the checksum is left).
inline std::string flipFuse(std::string jedec, std::size_t index) {
  for (std::size_t at = jedec.find("\nL"); at != std::string::npos; at = jedec.find("\nL", at)) {
    std::size_t digits = 0;
    std::size_t fuse = std::stoul(jedec.substr(at + 2), &digits);
    for (at += 2 + digits; at < jedec.size() && jedec[at] != '*'; ++at) {
      if (jedec[at] != '0' && jedec[at] != '1')
        continue;
      if (fuse++ == index) {
        jedec[at] = jedec[at] == '0' ? '1' : '0';
        return jedec;
      }
    }
  }
  return jedec;
}

} // namespace gsmith::testing
