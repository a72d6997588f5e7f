// The second attempt at a design that the first refused for lack of product
// terms. Kept apart from the pipeline's stages because it only ever runs
// after they have refused: a design they accept never comes here.
#pragma once

#include "model/compile-error.h"
#include "model/design.h"
#include "target/target.h"

#include <iosfwd>
#include <optional>

namespace gsmith {

// How far the first attempt got when it got through synthesis: the checked
// design and its netlist, which the rescue then starts from.
struct Synthesised {
  Design lowered;
  Netlist netlist;
};

// The netlist of `design` (as parsed) as the rescue starts from it: the sums
// the expansion budget refuses built by the minimiser. Throws CompileError.
Synthesised synthesiseWithRescue(const Design &design, const Target &target);

// Compiles `design` (as parsed) again with the minimiser's help: first with
// smaller sums for the outputs `refusal` names (and, when the first attempt
// stopped before a netlist, for every expression the expansion budget
// refuses), then for the outputs the device names in turn, and at last for
// all of them. On success the log from "Logic synthesis" on, with a NOTE
// line per replaced sum, goes to `log`. Nothing when the design fails either
// way: the caller then reports the first refusal as it was.
std::optional<CompiledJEDEC> rescueDesign(const Design &design, const Target &target,
                                          const ProductTermShortage &refusal,
                                          std::optional<Synthesised> synthesised,
                                          std::ostream &log);

} // namespace gsmith
