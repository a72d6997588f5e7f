// How gsmith shows an error to the user, in one of three styles. PLAIN is the
// output scripts and tests have always read, byte for byte. TERMINAL, for a
// person at a terminal, follows each error with its place: the file, line and
// column, the source line and a caret under the column. GCC writes each error
// that has a place as "file:line:col: error: message", the form editors'
// error parsers read. An error without a place looks the same in all three.
#pragma once

#include "model/source-location.h"

#include <ostream>
#include <string>
#include <utility>

namespace gsmith {

enum class ErrorStyle { PLAIN, TERMINAL, GCC };

// The style GSMITH_DIAGNOSTICS asks for ("gcc" or "plain"; any other value
// reads as "plain"). Unset or empty, it is TERMINAL when standard error is a
// terminal and PLAIN otherwise.
ErrorStyle chooseErrorStyle(const char *setting, bool errorIsTerminal);

class ErrorReport {
public:
  // `sourceText` is read when an error is printed, so it may be filled in
  // after construction; it must outlive the report.
  ErrorReport(ErrorStyle style, std::string sourcePath, const std::string &sourceText)
      : style_(style), sourcePath_(std::move(sourcePath)), sourceText_(sourceText) {}

  // The error that ends the run: "Compiler error: <message>" in plain form.
  void printError(std::ostream &out, const std::string &message, SourceLocation where) const;
  // One of several reasons in the progress log: "Error: <text>" in plain form.
  void printReason(std::ostream &out, const LocatedMessage &reason) const;

private:
  void print(std::ostream &out, const char *plainPrefix, const std::string &message,
             SourceLocation where) const;
  // " --> file:line:col", then the source line with a caret under the column.
  void printExcerpt(std::ostream &out, SourceLocation where) const;

  ErrorStyle style_;
  std::string sourcePath_;
  const std::string &sourceText_;
};

} // namespace gsmith
