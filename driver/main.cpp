// The gsmith command: argument handling, the output frame, and the one place
// where every compilation failure is caught and reported, in the style
// GSMITH_DIAGNOSTICS and standard error ask for.
#include "driver/error-report.h"
#include "driver/pipeline.h"
#include "io/platform.h"
#include "model/compile-error.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Real designs are a few kilobytes; the cap keeps a stray multi-gigabyte file
// from exhausting memory in the lexer's token list.
constexpr std::uintmax_t kMaxSourceBytes = 4u * 1024u * 1024u;

const char *const kBorder = "+------------------------------------------------------------------+";

// Draws the border around the progress log for as long as it lives, so the
// closing border follows any error line whatever path the run takes.
struct CompilerOutputFrame {
  CompilerOutputFrame() { std::cout << kBorder << "\n\n"; }
  ~CompilerOutputFrame() { std::cout << "\n" << kBorder << "\n" << std::flush; }
  CompilerOutputFrame(const CompilerOutputFrame &) = delete;
  CompilerOutputFrame &operator=(const CompilerOutputFrame &) = delete;
};

std::string readSource(std::ifstream &in) {
  std::ostringstream text;
  char buffer[65536];
  std::uintmax_t total = 0;
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    total += static_cast<std::uintmax_t>(in.gcount());
    if (total > kMaxSourceBytes)
      throw gsmith::CompileError("Source file is larger than " + std::to_string(kMaxSourceBytes) +
                                 " bytes");
    text.write(buffer, in.gcount());
  }
  if (in.bad())
    throw gsmith::CompileError("Cannot read the source file");
  return text.str();
}

int compile(const std::string &sourcePath, std::ifstream &in) {
  CompilerOutputFrame frame;
  std::string text;
  const gsmith::ErrorReport report(gsmith::chooseErrorStyle(std::getenv("GSMITH_DIAGNOSTICS"),
                                                            gsmith::platform::isTerminal(stderr)),
                                   sourcePath, text);
  try {
    text = readSource(in);
    in.close();
    gsmith::compileSource(sourcePath, text, std::cout,
                          [&report](std::ostream &log, const gsmith::LocatedMessage &reason) {
                            report.printReason(log, reason);
                          });
    return 0;
  } catch (const gsmith::CompileError &error) {
    std::cout << std::flush;
    report.printError(std::cerr, error.what(), error.location());
    return 1;
  } catch (const std::exception &error) {
    std::cout << std::flush;
    report.printError(std::cerr, error.what(), {});
    return 1;
  }
}

} // namespace

int main(int argc, char **argv) {
  std::cout << "Gatesmith Compiler v0.0.1\n";

  std::string sourcePath;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!argument.empty() && argument[0] == '-') {
      std::cout << std::flush;
      std::cerr << "Error: Unknown option " << argument << "\n";
      return 1;
    }
    if (!sourcePath.empty()) {
      std::cout << std::flush;
      std::cerr << "Error: More than one source file was provided\n";
      return 1;
    }
    sourcePath = argument;
  }
  if (sourcePath.empty()) {
    std::cout << "Usage: gsmith <source-file>\n";
    return 1;
  }

  std::error_code ignored;
  std::ifstream in;
  if (!std::filesystem::is_directory(sourcePath, ignored))
    in.open(sourcePath, std::ios::binary);
  if (!in.is_open()) {
    std::cout << std::flush;
    std::cerr << "Error: Cannot open " << sourcePath << std::endl;
    return 1;
  }
  return compile(sourcePath, in);
}
