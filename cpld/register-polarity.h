// Active-low registers on the CPLDs. The macrocell inverts before its
// register (the XOR gate feeds the D input), so an active-low register holds
// the pin's value, the complement of the register the source describes: the
// source's reset (its register to 0, the pin to 1) is the chip's preset, and
// its preset the chip's reset. This file owns that exchange and refuses what
// the chip cannot do that way.
#pragma once

#include "model/design.h"
#include "model/netlist.h"

#include <optional>
#include <string_view>

namespace gsmith {

// Refuses an active-low register with RESET GCLR (the global clear only
// clears, which would drive its pin low) or with RESET PRODUCT and OE
// PRODUCT together (both would need product term 5). `device` leads the
// messages.
void checkActiveLowRegisters(const Design &design, std::string_view device);

// The netlist as the chip implements it: the reset and preset of every
// active-low register exchanged; nothing when it has no such register.
// Throws ProductTermShortage when an exchanged control equation has more
// than the one product term it gets.
std::optional<Netlist> withRegistersAsStored(const Netlist &netlist, std::string_view device);

} // namespace gsmith
