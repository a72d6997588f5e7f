// Safe installation of an output file: the text goes to "<output>.tmp", which
// is flushed to the storage device and only then renamed onto the output
// path, so that even after a crash the path holds the older file or the whole
// new one, never a part; no .tmp survives a failure. Callers word the failures their own way; those
// words are data here, the mechanism exists once for every file the project writes.
#pragma once

#include <filesystem>
#include <string>

namespace gsmith {

// The source path with its last extension replaced by ".jed" (or ".jed"
// appended when it has none); the directory part stays.
std::filesystem::path outputPathFor(const std::string &sourcePath);

// How one caller words the failures of the protocol. Each function gets the
// temporary path and the system's description of the failure.
struct InstallMessages {
  std::string (*openFailed)(const std::string &temporaryPath, const std::string &reason);
  std::string (*writeFailed)(const std::string &temporaryPath, const std::string &reason);
  std::string (*renameFailed)(const std::string &temporaryPath, const std::string &reason);
};

// Writes `text` to "<output>.tmp", closes it, flushes it to disk and renames
// it onto `outputPath`, then flushes the directory. A flush that fails is
// reported as a failed write. On failure removes the temporary file and
// throws CompileError.
void installOutputFile(const std::filesystem::path &outputPath, const std::string &text,
                       const InstallMessages &messages);

} // namespace gsmith
