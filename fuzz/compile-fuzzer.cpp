// Runs the whole compilation, source text to JEDEC text, in memory: every
// stage and every back end, no files. Failures must be std::exceptions with a
// message; a crash, hang, leak or sanitizer report is a bug.
#include "driver/pipeline.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::ostringstream log;
  try {
    (void)gsmith::compileToJEDEC("fuzz.pld", text, log);
  } catch (const std::exception &) {
    // Refusing the input with a message is the expected outcome for most bytes.
  }
  return 0;
}
