// A small JSON reader for tests that check the product against third-party
// data files (read in place, never copied into the repository): objects,
// arrays, strings without escapes beyond \" \\ \/, numbers and literals.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith::testing {

struct Json {
  enum class Kind { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT } kind = Kind::NUL;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json &operator[](const std::string &key) const;
  const Json &operator[](size_t index) const { return items.at(index); }
  bool has(const std::string &key) const { return members.count(key) != 0; }
  long integer() const { return static_cast<long>(number); }

  // Throws std::runtime_error on malformed input.
  static Json parse(std::string_view text);
};

} // namespace gsmith::testing
