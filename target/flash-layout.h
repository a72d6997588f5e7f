// What an ATF15xx CPLD's in-system programming needs to know about one
// device, as plain data: how JEDEC fuses land in the flash words that the JTAG
// data register reads and writes, the order in which the words are written,
// the IDCODE of each variant and the few fuses that decide whether a map is
// safe to play. Devices differ only in these records (one file each); the
// mapping and the SVF sequence exist once and read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace gsmith {

// How consecutive fuses of a region (g = fuse - firstFuse) walk the words.
enum class FuseWalk {
  // One bit position across `stride` consecutive words, then the next bit
  // down: word firstAddress + g mod stride, bit topBit - g / stride. A
  // JEDEC matrix stored row by row becomes one word per column.
  AcrossWords,
  // Down one word, `stride` fuses to a word, then the next word: word
  // firstAddress + g / stride, bit topBit - g mod stride.
  WithinWord,
};

struct FlashRegion {
  std::size_t firstFuse;
  std::size_t fuseCount;
  FuseWalk walk;
  std::uint16_t firstAddress;
  std::size_t stride;
  std::size_t topBit;
};

// Consecutive word addresses of one width, written (and read back) together.
struct WordGroup {
  std::uint16_t firstAddress;
  std::uint16_t wordCount;
  std::size_t width;
};

struct CpldVariant {
  std::string_view name;
  std::uint32_t idcode;
};

struct FlashLayout {
  std::string_view family;
  std::size_t fuseCount; // the JEDEC QF
  // The first variant is the one assumed when the user names none.
  std::span<const CpldVariant> variants;
  // Programming and verification order. Bits of a word that no region
  // reaches are padding and always shifted as 1.
  std::span<const WordGroup> order;
  // Fuses outside every region (the reserved tail) are never sent.
  std::span<const FlashRegion> regions;
  // 0 = outputs enabled once programmed; 1 (erased) keeps them off.
  std::size_t armingSwitchFuse;
  // 0 = the array can no longer be read back.
  std::size_t readProtectionFuse;
  // 1 = TDI/TMS/TCK/TDO stay the JTAG port; 0 turns them into user I/O.
  std::size_t jtagPinFunctionFuse;
  // Bit b of byte k of the 16-bit user signature sits at
  // signatureFuse + 8k - b.
  std::size_t signatureFuse;
};

} // namespace gsmith
