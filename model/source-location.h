// Where something stands in the source text, so that an error can point at
// it. Lines and columns count from 1; a column counts bytes, a tab as one, as
// editors' "go to line:column" commands read it. 0 means the place is
// unknown (a record built by hand or by a later stage), and every consumer
// must accept that.
#pragma once

#include <string>

namespace gsmith {

struct SourceLocation {
  int line = 0;
  int column = 0;

  bool known() const { return line > 0; }
};

// One of several reasons a stage gives at once (a fit lists every output
// that failed), each with the place in the source it concerns.
struct LocatedMessage {
  std::string text;
  SourceLocation location;
};

} // namespace gsmith
