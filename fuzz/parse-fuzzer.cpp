// Feeds arbitrary bytes to the lexer and parser. Any outcome but a parsed
// design or a std::exception carrying a message (a crash, a hang, a
// sanitizer report, runaway memory) is a bug.
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "target/registry.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  try {
    gsmith::Lexer lexer(text);
    gsmith::Parser parser(lexer.tokenize(), gsmith::TargetRegistry::features);
    (void)parser.parse();
  } catch (const std::exception &) {
    // Refusing the input with a message is the expected outcome for most bytes.
  }
  return 0;
}
