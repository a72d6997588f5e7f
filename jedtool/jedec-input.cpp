// Reading stops one byte past the bound, so a device file or a pipe that
// never ends is refused without being drained.
#include "jedtool/jedec-input.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace gsmith {

namespace {

std::string readBounded(const std::string &path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored))
    throw std::runtime_error("is a directory, not a JEDEC file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open())
    throw std::runtime_error(std::string("cannot be read: ") +
                             (errno != 0 ? std::strerror(errno) : "cannot open"));
  std::string text;
  char buffer[64 * 1024];
  while (text.size() <= kMaxJedecInputBytes) {
    in.read(buffer, sizeof buffer);
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (!in)
      break;
  }
  if (in.bad())
    throw std::runtime_error("cannot be read: input/output error");
  if (text.size() > kMaxJedecInputBytes)
    throw std::runtime_error("is larger than " + std::to_string(kMaxJedecInputBytes >> 20) +
                             " MiB, far beyond any JEDEC file for these devices");
  return text;
}

} // namespace

JedecInput loadJedecInput(const std::string &path) {
  try {
    JedecFile file = readJedec(readBounded(path));
    const KnownDevice device = identifyDevice(file);
    return {path, std::move(file), device};
  } catch (const std::runtime_error &error) {
    throw std::runtime_error(path + ": " + error.what());
  }
}

} // namespace gsmith
