// Compile-time helpers the device tables use to turn their source lists and
// pin tables into the record's values, laid out as the fuse databases print
// them.
#pragma once

#include "cpld/signal-source.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace gsmith {

template <std::size_t N>
constexpr std::array<SignalSource, N> sourcesOf(const std::array<std::string_view, N> &names) {
  std::array<SignalSource, N> sources{};
  for (std::size_t k = 0; k < N; ++k)
    sources[k] = parseSource(names[k]);
  return sources;
}

template <std::size_t Lists, std::size_t N>
constexpr std::array<std::array<SignalSource, N>, Lists>
sourceListsOf(const std::array<std::array<std::string_view, N>, Lists> &names) {
  std::array<std::array<SignalSource, N>, Lists> lists{};
  for (std::size_t k = 0; k < Lists; ++k)
    lists[k] = sourcesOf(names[k]);
  return lists;
}

// One column of a table laid out with a row per macrocell and a column per
// package: the pins of every macrocell in that package.
template <std::size_t Columns, std::size_t N>
constexpr std::array<int, N> columnOf(const std::array<std::array<int, Columns>, N> &table,
                                      std::size_t column) {
  std::array<int, N> pins{};
  for (std::size_t k = 0; k < N; ++k)
    pins[k] = table[k][column];
  return pins;
}

} // namespace gsmith
