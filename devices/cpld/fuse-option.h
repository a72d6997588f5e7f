// Named fuse options shared by the CPLD fuse databases: a key such as
// "oe_mux:GOE1" and the fuses, with their values, that select it.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

struct FuseOption {
  std::string name;
  std::vector<int> fuses; // ascending
  std::vector<bool> values;
};

struct MacrocellFuseDB {
  int macrocell = 0;
  std::vector<FuseOption> options;
};

struct UIMFuseDB {
  int uim = 0;
  std::vector<FuseOption> options;
};

// One fuse of a macrocell option, addressed inside the macrocell's block of
// configuration rows: the row, which of the device's two fuse pairs of that
// row, and the bit within the pair. Each device maps slots to fuse indices.
struct FuseSlot {
  int row = 0;
  int pair = 0;
  int bit = 0;
};

// A macrocell option as the devices' placement rules give it: up to three
// slots and the value each takes.
struct OptionRule {
  std::string_view name;
  int slotCount = 0;
  std::array<FuseSlot, 3> slots;
  std::array<bool, 3> values; // in slot order
};

using FuseOfSlot = int (*)(int macrocell, const FuseSlot &slot);

// The options of one macrocell, each with its fuses in ascending order.
MacrocellFuseDB buildMacrocellOptions(int macrocell, std::span<const OptionRule> rules,
                                      FuseOfSlot fuseOf);

} // namespace gsmith
