// Names of physical sources as the fuse databases and the messages write them.
#include "cpld/signal-source.h"

namespace gsmith {

std::string sourceName(const SignalSource &source) {
  switch (source.kind) {
  case SourceKind::FEEDBACK:
    return "MC" + std::to_string(source.macrocell) + "_FB";
  case SourceKind::PAD:
    return "M" + std::to_string(source.macrocell) + "_PAD";
  case SourceKind::CLOCK1_PAD:
    return "C1_PAD";
  case SourceKind::CLOCK2_PAD:
    return "C2_PAD";
  case SourceKind::OE1_PAD:
    return "E1_PAD";
  case SourceKind::CLEAR_PAD:
    return "R_PAD";
  case SourceKind::GROUND:
    return "GND0";
  case SourceKind::UNUSED:
    return "UNUSED";
  case SourceKind::NONE:
    break;
  }
  return "";
}

} // namespace gsmith
