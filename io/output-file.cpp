// The temporary-file-and-rename protocol.
#include "io/output-file.h"

#include "io/platform.h"
#include "model/compile-error.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace gsmith {

std::filesystem::path outputPathFor(const std::string &sourcePath) {
  std::filesystem::path output(sourcePath);
  output.replace_extension(".jed");
  return output;
}

namespace {

std::string errnoText(int error) {
  return error == 0 ? std::string("input/output error") : std::string(std::strerror(error));
}

void removeQuietly(const std::filesystem::path &path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

} // namespace

void installOutputFile(const std::filesystem::path &outputPath, const std::string &text,
                       const InstallMessages &messages) {
  const std::filesystem::path temporaryPath = outputPath.string() + ".tmp";
  const std::string temporaryName = temporaryPath.string();

  errno = 0;
  std::ofstream out(temporaryPath, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    // Nothing was created, so nothing is removed: whatever sits at the
    // temporary path (a directory, say) is not ours.
    throw CompileError(messages.openFailed(temporaryName, errnoText(errno)));
  }

  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  bool written = out.good();
  out.close();
  if (!written || out.fail()) {
    int error = errno;
    removeQuietly(temporaryPath);
    throw CompileError(messages.writeFailed(temporaryName, errnoText(error)));
  }
  // Without this a crash soon after the rename could leave the output path
  // naming a file whose contents never reached the disk.
  if (const std::error_code flushError = platform::flushToDisk(temporaryPath)) {
    removeQuietly(temporaryPath);
    throw CompileError(messages.writeFailed(temporaryName, flushError.message()));
  }

  std::error_code renameError;
  std::filesystem::rename(temporaryPath, outputPath, renameError);
  if (renameError) {
    removeQuietly(temporaryPath);
    throw CompileError(messages.renameFailed(temporaryName, renameError.message()));
  }
  // Makes the rename itself durable. Its failure is not reported: the new
  // complete file is in place already, and a refusal now could not undo that.
  static_cast<void>(platform::flushDirectory(outputPath.parent_path()));
}

} // namespace gsmith
