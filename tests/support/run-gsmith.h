// End-to-end test support: each test gets its own empty directory, writes
// source files into it, runs the built gsmith binary there and inspects the
// captured streams, the exit status and the files left behind.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace gsmith::testing {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::filesystem::path file(const std::string &name) const { return path_ / name; }
  void write(const std::string &name, const std::string &text) const;
  std::string read(const std::string &name) const;
  bool exists(const std::string &name) const;
  // Names of every entry in the directory, sorted.
  std::vector<std::string> entries() const;

private:
  std::filesystem::path path_;
};

// Runs gsmith with the given arguments, the working directory set to `dir`.
RunResult runGsmith(const std::filesystem::path &dir, const std::vector<std::string> &args);

// The same, with a command placed before the binary (e.g. one that drops privileges).
RunResult runGsmithWith(const std::string &commandPrefix, const std::filesystem::path &dir,
                        const std::vector<std::string> &args);

// Runs any built program the same way: `binary` with `args`, the working
// directory set to `dir`, standard input empty, both streams captured.
RunResult runProgram(const std::filesystem::path &binary, const std::filesystem::path &dir,
                     const std::vector<std::string> &args, const std::string &commandPrefix = "");

// Writes `source` as `name` in a fresh directory, compiles it and returns the result;
// the directory stays available through `dir`.
RunResult compileSource(const TempDir &dir, const std::string &source,
                        const std::string &name = "design.pld");

// The fuses of a JEDEC text, read from its L fields alone (fuses no L field
// mentions read as 0), so that a test sees exactly what a programmer would.
std::vector<bool> jedecFuses(const std::string &jedec);

// The frame gsmith draws around its progress log.
inline const std::string kBorder =
    "+------------------------------------------------------------------+";

} // namespace gsmith::testing
