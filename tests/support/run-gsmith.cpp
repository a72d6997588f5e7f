#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace gsmith::testing {

namespace {

std::string shellQuote(const std::string &text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string slurp(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "gsmith-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot create a temporary directory");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave read-only directories behind; make them removable first.
  // Links are skipped: changing the mode through one would change its target
  // (tests link temporary paths to /dev/null and /dev/full).
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  for (const auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
    if (!entry.is_symlink(ignored))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string &name, const std::string &text) const {
  std::ofstream out(path_ / name, std::ios::binary);
  out << text;
}

std::string TempDir::read(const std::string &name) const { return slurp(path_ / name); }

bool TempDir::exists(const std::string &name) const {
  return std::filesystem::exists(path_ / name);
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

RunResult runGsmith(const std::filesystem::path &dir, const std::vector<std::string> &args) {
  return runGsmithWith("", dir, args);
}

RunResult runGsmithWith(const std::string &commandPrefix, const std::filesystem::path &dir,
                        const std::vector<std::string> &args) {
  return runProgram(GSMITH_BINARY, dir, args, commandPrefix);
}

RunResult runProgram(const std::filesystem::path &binary, const std::filesystem::path &dir,
                     const std::vector<std::string> &args, const std::string &commandPrefix) {
  // The captured streams go to a sibling directory so that the test's own
  // directory holds only what the program wrote.
  TempDir capture;
  std::string command =
      "cd " + shellQuote(dir.string()) + " && " + commandPrefix + " " + shellQuote(binary.string());
  for (const auto &arg : args)
    command += " " + shellQuote(arg);
  command += " >" + shellQuote(capture.file("out").string()) + " 2>" +
             shellQuote(capture.file("err").string()) + " </dev/null";
  int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = capture.read("out");
  result.err = capture.read("err");
  return result;
}

std::vector<bool> jedecFuses(const std::string &jedec) {
  std::vector<bool> fuses;
  for (size_t at = jedec.find("\nL"); at != std::string::npos; at = jedec.find("\nL", at)) {
    size_t digits = 0;
    size_t fuse = std::stoul(jedec.substr(at + 2), &digits);
    for (at += 2 + digits; at < jedec.size() && jedec[at] != '*'; ++at) {
      if (jedec[at] != '0' && jedec[at] != '1')
        continue;
      if (fuses.size() <= fuse)
        fuses.resize(fuse + 1, false);
      fuses[fuse++] = jedec[at] == '1';
    }
  }
  return fuses;
}

RunResult compileSource(const TempDir &dir, const std::string &source, const std::string &name) {
  dir.write(name, source);
  return runGsmith(dir.path(), {name});
}

} // namespace gsmith::testing
