// The POSIX and Windows versions of the platform services, chosen at compile
// time.
#include "io/platform.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace gsmith::platform {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

} // namespace

#ifdef _WIN32

std::error_code flushToDisk(const std::filesystem::path &file) {
  // _commit needs a handle open for writing.
  const int descriptor = ::_wopen(file.c_str(), _O_WRONLY | _O_BINARY);
  if (descriptor < 0)
    return lastError();
  std::error_code result;
  if (::_commit(descriptor) != 0)
    result = lastError();
  if (::_close(descriptor) != 0 && !result)
    result = lastError();
  return result;
}

std::error_code flushDirectory(const std::filesystem::path &) { return {}; }

bool isTerminal(std::FILE *stream) { return ::_isatty(::_fileno(stream)) != 0; }

#else

namespace {

std::error_code flushDescriptor(int descriptor) {
#ifdef __APPLE__
  // fsync on macOS only hands the data to the drive, which may cache it.
  if (::fcntl(descriptor, F_FULLFSYNC) == 0)
    return {};
#endif
  return ::fsync(descriptor) == 0 ? std::error_code() : lastError();
}

std::error_code flushPath(const std::filesystem::path &path, int flags) {
  // POSIX lets fsync flush through a descriptor open for reading only, so a
  // file we may no longer write is flushed all the same.
  const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
  if (descriptor < 0)
    return lastError();
  std::error_code result = flushDescriptor(descriptor);
  if (::close(descriptor) != 0 && !result)
    result = lastError();
  return result;
}

} // namespace

std::error_code flushToDisk(const std::filesystem::path &file) { return flushPath(file, O_RDONLY); }

std::error_code flushDirectory(const std::filesystem::path &directory) {
  return flushPath(directory.empty() ? std::filesystem::path(".") : directory,
                   O_RDONLY | O_DIRECTORY);
}

bool isTerminal(std::FILE *stream) { return ::isatty(::fileno(stream)) == 1; }

#endif

} // namespace gsmith::platform
