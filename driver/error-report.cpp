// The three error styles. The excerpt is drawn in the manner of current
// compilers: the line number in a gutter, then the line as written, then a
// caret placed so that it stands under the column on a terminal.
#include "driver/error-report.h"

#include "frontend/lexer.h"

#include <string_view>

namespace gsmith {

namespace {

// Bytes that would move the cursor or change the terminal's state are shown
// as '?'; tabs stay, so that the caret line can repeat them.
bool isControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

// A UTF-8 continuation byte takes no column of its own on the screen.
bool isContinuation(unsigned char c) { return (c & 0xc0) == 0x80; }

} // namespace

ErrorStyle chooseErrorStyle(const char *setting, bool errorIsTerminal) {
  const std::string_view asked = setting == nullptr ? "" : setting;
  if (asked.empty())
    return errorIsTerminal ? ErrorStyle::TERMINAL : ErrorStyle::PLAIN;
  return asked == "gcc" ? ErrorStyle::GCC : ErrorStyle::PLAIN;
}

void ErrorReport::printError(std::ostream &out, const std::string &message,
                             SourceLocation where) const {
  print(out, "Compiler error: ", message, where);
  out << std::flush;
}

void ErrorReport::printReason(std::ostream &out, const LocatedMessage &reason) const {
  print(out, "Error: ", reason.text, reason.location);
}

void ErrorReport::print(std::ostream &out, const char *plainPrefix, const std::string &message,
                        SourceLocation where) const {
  if (style_ == ErrorStyle::GCC && where.known()) {
    out << sourcePath_ << ':' << where.line << ':' << where.column << ": error: " << message
        << '\n';
    return;
  }
  out << plainPrefix << message << '\n';
  if (style_ == ErrorStyle::TERMINAL && where.known())
    printExcerpt(out, where);
}

void ErrorReport::printExcerpt(std::ostream &out, SourceLocation where) const {
  const std::string number = std::to_string(where.line);
  const std::string gutter(number.size() + 1, ' ');
  const std::string_view line = sourceLine(sourceText_, where.line);

  std::string shown;
  std::string caret;
  for (size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    shown += isControl(c) ? '?' : line[i];
    if (static_cast<int>(i) + 1 < where.column && !isContinuation(c))
      caret += c == '\t' ? '\t' : ' ';
  }

  out << gutter << "--> " << sourcePath_ << ':' << where.line << ':' << where.column << '\n';
  out << gutter << " |\n";
  out << ' ' << number << " | " << shown << '\n';
  out << gutter << " | " << caret << "^\n";
}

} // namespace gsmith
