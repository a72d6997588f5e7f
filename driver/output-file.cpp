#include "driver/output-file.h"

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

const InstallMessages kGALInstallMessages = {
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot create temporary file '" + temporaryPath + "': " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot write temporary file '" + temporaryPath + "': " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot rename '" + temporaryPath + "' onto the output file: " + reason;
    },
};

const InstallMessages kATF1502InstallMessages = {
    [](const std::string &temporaryPath, const std::string &) {
      return "Unable to create temporary JEDEC file: " + temporaryPath;
    },
    [](const std::string &temporaryPath, const std::string &) {
      return "Unable to complete temporary JEDEC file: " + temporaryPath;
    },
    [](const std::string &, const std::string &reason) {
      return "Unable to install completed JEDEC file: " + reason;
    },
};

const InstallMessages kATF1504InstallMessages = {
    [](const std::string &, const std::string &) {
      return std::string("Unable to create temporary ATF1504 JEDEC");
    },
    [](const std::string &, const std::string &) {
      return std::string("Unable to complete temporary ATF1504 JEDEC");
    },
    [](const std::string &, const std::string &reason) {
      return "Unable to install ATF1504 JEDEC: " + reason;
    },
};

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
    throw std::runtime_error(messages.openFailed(temporaryName, errnoText(errno)));
  }

  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  bool written = out.good();
  out.close();
  if (!written || out.fail()) {
    int error = errno;
    removeQuietly(temporaryPath);
    throw std::runtime_error(messages.writeFailed(temporaryName, errnoText(error)));
  }

  std::error_code renameError;
  std::filesystem::rename(temporaryPath, outputPath, renameError);
  if (renameError) {
    removeQuietly(temporaryPath);
    throw std::runtime_error(messages.renameFailed(temporaryName, renameError.message()));
  }
}

} // namespace gsmith
