// Equivalence by search for a witness: each side is an XOR of covers and a
// constant, and a point where the two differ is a point where the XOR of
// all their covers and constants is 1. One cover is settled by a cube of
// it or by a point outside it (the tautology recursion), two covers by cube
// containment or intersection, more by splitting on a variable.
#include "decode/equivalence.h"

#include "synthesis/cube.h"

#include <algorithm>
#include <bit>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace gsmith {

namespace {

using twolevel::bit;
using twolevel::Budget;
using twolevel::Cover;
using twolevel::Cube;

// Far more than any comparison of one output's logic needs; it only stops
// a pathological map from running away.
constexpr std::uint64_t kWork = std::uint64_t{1} << 34;

// The signals of one comparison, numbered as they are first seen; each
// literal is looked up once, as its cover is built.
class Variables {
public:
  // The cover of `sum`; nullopt once there are more than 64 signals.
  std::optional<Cover> cover(const SOPExpression &sum) {
    Cover cover;
    cover.reserve(sum.terms.size());
    for (const ProductTerm &term : sum.terms) {
      Cube cube;
      bool empty = false;
      for (const Literal &literal : term) {
        const std::optional<unsigned> index = indexOf(literal.name);
        if (!index)
          return std::nullopt;
        const std::uint64_t mask = bit(*index);
        const std::uint64_t value = literal.negated ? 0 : mask;
        if ((cube.care & mask) != 0 && (cube.value & mask) != value)
          empty = true;
        cube.care |= mask;
        cube.value |= value;
      }
      if (!empty)
        cover.push_back(cube);
    }
    return cover;
  }
  // The names stay in the logic being compared, which outlives the search.
  const std::vector<std::string_view> &names() const { return names_; }

private:
  std::optional<unsigned> indexOf(std::string_view name) {
    const auto [found, added] = index_.try_emplace(name, static_cast<unsigned>(names_.size()));
    if (added) {
      if (names_.size() == twolevel::kMaxVariables)
        return std::nullopt;
      names_.push_back(name);
    }
    return found->second;
  }

  std::unordered_map<std::string_view, unsigned> index_;
  std::vector<std::string_view> names_;
};

Cube join(const Cube &a, const Cube &b) { return Cube{a.care | b.care, a.value | b.value}; }

class Search {
public:
  // A cube on which `cover` is 0 everywhere.
  std::optional<Cube> uncovered(const Cover &cover) {
    if (cover.empty())
      return Cube{};
    std::uint64_t positive = 0;
    std::uint64_t negative = 0;
    for (const Cube &cube : cover) {
      if (cube.care == 0)
        return std::nullopt;
      positive |= cube.care & cube.value;
      negative |= cube.care & ~cube.value;
    }
    const std::uint64_t binate = positive & negative;
    if (binate == 0) // unate: every cube has a literal false at this point
      return Cube{positive | negative, negative};
    const unsigned variable = static_cast<unsigned>(std::countr_zero(binate));
    for (const bool value : {false, true}) {
      if (std::optional<Cube> found =
              uncovered(twolevel::cofactor(cover, variable, value, budget_)))
        return join(*found, Cube{bit(variable), value ? bit(variable) : 0});
    }
    return std::nullopt;
  }

  // A cube on which the XOR of `covers` and `parity` is 1 everywhere.
  std::optional<Cube> differing(std::vector<Cover> covers, bool parity) {
    std::vector<Cover> open;
    for (Cover &cover : covers) {
      if (cover.empty())
        continue;
      if (std::any_of(cover.begin(), cover.end(), [](const Cube &c) { return c.care == 0; })) {
        parity = !parity;
        continue;
      }
      open.push_back(std::move(cover));
    }
    // X ^ X is 0: equal covers cancel in pairs.
    for (Cover &cover : open)
      std::sort(cover.begin(), cover.end());
    std::sort(open.begin(), open.end());
    for (std::size_t k = 0; k + 1 < open.size();) {
      if (open[k] == open[k + 1])
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(k),
                   open.begin() + static_cast<std::ptrdiff_t>(k + 2));
      else
        ++k;
    }
    if (open.empty())
      return parity ? std::optional<Cube>(Cube{}) : std::nullopt;
    if (open.size() == 1)
      return parity ? uncovered(open[0]) : std::optional<Cube>(open[0].front());
    if (open.size() == 2)
      return parity ? same(open[0], open[1]) : apart(open[0], open[1]);
    // Split on a variable of the smallest cover (an XOR operand is one
    // term), so that it settles first.
    const Cover &smallest =
        *std::min_element(open.begin(), open.end(),
                          [](const Cover &a, const Cover &b) { return a.size() < b.size(); });
    const unsigned variable = static_cast<unsigned>(std::countr_zero(smallest.front().care));
    for (const bool value : {false, true}) {
      std::vector<Cover> reduced;
      for (const Cover &cover : open)
        reduced.push_back(twolevel::cofactor(cover, variable, value, budget_));
      if (std::optional<Cube> found = differing(std::move(reduced), parity))
        return join(*found, Cube{bit(variable), value ? bit(variable) : 0});
    }
    return std::nullopt;
  }

private:
  // A cube where one of the two is 1 and the other 0.
  std::optional<Cube> apart(const Cover &a, const Cover &b) {
    for (const auto &[inside, outside] : {std::pair{&a, &b}, std::pair{&b, &a}})
      for (const Cube &cube : *inside)
        if (std::optional<Cube> found = uncovered(twolevel::cofactor(*outside, cube, budget_)))
          return join(cube, *found);
    return std::nullopt;
  }

  // A cube where both are 1 or both 0.
  std::optional<Cube> same(const Cover &a, const Cover &b) {
    for (const Cube &x : a)
      for (const Cube &y : b)
        if (twolevel::intersects(x, y))
          return twolevel::intersection(x, y);
    Cover both = a;
    both.insert(both.end(), b.begin(), b.end());
    return uncovered(both);
  }

  Budget budget_{kWork};
};

bool evaluate(const SOPExpression &sum, const std::map<std::string, bool> &values) {
  return std::any_of(sum.terms.begin(), sum.terms.end(), [&](const ProductTerm &term) {
    return std::all_of(term.begin(), term.end(), [&](const Literal &literal) {
      const auto found = values.find(literal.name);
      return (found != values.end() && found->second) != literal.negated;
    });
  });
}

} // namespace

bool evaluate(const DecodedLogic &logic, const std::map<std::string, bool> &values) {
  bool value = evaluate(logic.sum, values);
  if (logic.hasXor)
    value = value != evaluate(logic.xorWith, values);
  return value != logic.inverted;
}

std::optional<Disagreement> firstDisagreement(const DecodedLogic &expected,
                                              const DecodedLogic &found) {
  Variables variables;
  std::vector<Cover> covers;
  // Signals are numbered as first seen in this order, which decides the
  // witness reported; the order of the covers themselves does not matter.
  for (const DecodedLogic *logic : {&expected, &found}) {
    for (const SOPExpression *sum : {&logic->sum, &logic->xorWith}) {
      if (sum == &logic->xorWith && !logic->hasXor)
        continue;
      std::optional<Cover> cover = variables.cover(*sum);
      if (!cover)
        return Disagreement{{}, false, false, true};
      covers.push_back(std::move(*cover));
    }
  }
  std::optional<Cube> point;
  try {
    point = Search().differing(std::move(covers), expected.inverted != found.inverted);
  } catch (const twolevel::WorkExhausted &) {
    return Disagreement{{}, false, false, true};
  }
  if (!point)
    return std::nullopt;
  Disagreement result;
  std::map<std::string, bool> values;
  for (unsigned k = 0; k < variables.names().size(); ++k) {
    const bool value = (point->value & bit(k)) != 0;
    const std::string name(variables.names()[k]);
    values[name] = value;
    result.inputs.emplace_back(name, value);
  }
  result.expected = evaluate(expected, values);
  result.found = evaluate(found, values);
  return result;
}

} // namespace gsmith
