// gsmith-jed: tools for JEDEC fuse files. Maps the outcome of a command to
// the exit status: 0 done, 1 refused or failed (the reason on standard
// error; for verify, a map that does not implement the source), 2 called
// wrongly.
#include "jedtool/command-line.h"
#include "jedtool/decode-command.h"
#include "jedtool/info.h"
#include "jedtool/svf-command.h"

#include <exception>
#include <iostream>
#include <vector>

namespace {

int run(const gsmith::Command &command) {
  if (const auto *help = std::get_if<gsmith::HelpRequest>(&command)) {
    std::cout << help->text;
    return 0;
  }
  if (const auto *svf = std::get_if<gsmith::SvfOptions>(&command)) {
    gsmith::runSvf(*svf, std::cout, std::cerr);
    return 0;
  }
  if (const auto *decode = std::get_if<gsmith::DecodeOptions>(&command)) {
    gsmith::runDecode(*decode, std::cout);
    return 0;
  }
  if (const auto *verify = std::get_if<gsmith::VerifyOptions>(&command))
    return gsmith::runVerify(*verify, std::cout);
  gsmith::runInfo(std::get<gsmith::InfoOptions>(command), std::cout);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  gsmith::Command command;
  try {
    command = gsmith::parseCommandLine(args);
  } catch (const gsmith::UsageError &error) {
    std::cerr << "gsmith-jed: " << error.what() << "\n"
              << "Try 'gsmith-jed --help'.\n";
    return 2;
  }
  try {
    return run(command);
  } catch (const std::exception &error) {
    std::cerr << "gsmith-jed: error: " << error.what() << "\n";
    return 1;
  }
}
