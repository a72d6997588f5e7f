// Minimiser results are checked against truth tables computed here, apart
// from the code under test: on random sums, random truth tables and random
// expression trees, and against a brute-force minimum on small functions.
#include "synthesis/minimise.h"

#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace gsmith::testing {
namespace {

using Table = std::vector<bool>;

std::string var(int index) { return indexed("v", index); }

// Point p gives signal v the value of bit v.
Table tableOf(const SOPExpression &sum, int vars) {
  std::vector<std::pair<uint32_t, uint32_t>> masks; // care, value
  for (const ProductTerm &t : sum.terms) {
    uint32_t care = 0, value = 0, clash = 0;
    for (const Literal &l : t) {
      const uint32_t bit = 1u << std::stoi(l.name.substr(1));
      clash |= care & bit & (l.negated ? value : ~value);
      care |= bit;
      value |= l.negated ? 0 : bit;
    }
    if (clash == 0) {
      masks.push_back({care, value});
    }
  }
  Table table(size_t{1} << vars);
  for (uint32_t p = 0; p < table.size(); ++p) {
    table[p] = std::any_of(masks.begin(), masks.end(),
                           [&](const auto &m) { return (p & m.first) == m.second; });
  }
  return table;
}

Table negated(Table table) {
  table.flip();
  return table;
}

size_t literalsOf(const SOPExpression &sum) {
  size_t count = 0;
  for (const ProductTerm &t : sum.terms) {
    count += t.size();
  }
  return count;
}

std::pair<size_t, size_t> costOf(const SOPExpression &sum) {
  return {sum.terms.size(), literalsOf(sum)};
}

SOPExpression randomSum(std::mt19937 &random, int vars, int terms) {
  SOPExpression sum;
  for (int t = 0; t < terms; ++t) {
    ProductTerm term;
    for (int v = 0; v < vars; ++v) {
      if (random() % 3 != 0) {
        term.push_back(Literal{var(v), random() % 2 == 0});
      }
    }
    sum.terms.push_back(term);
  }
  return sum;
}

SOPExpression mintermSum(const Table &table, int vars) {
  SOPExpression sum;
  for (uint32_t p = 0; p < table.size(); ++p) {
    if (table[p]) {
      ProductTerm term;
      for (int v = 0; v < vars; ++v) {
        term.push_back(Literal{var(v), (p >> v & 1) == 0});
      }
      sum.terms.push_back(term);
    }
  }
  return sum;
}

ExpressionPtr randomTree(std::mt19937 &random, int vars, int depth) {
  if (depth == 0 || random() % 4 == 0) {
    return random() % 16 == 0 ? constant(random() % 2 == 0) : id(var(random() % vars));
  }
  switch (random() % 5) {
  case 0:
    return !randomTree(random, vars, depth - 1);
  case 1:
    return randomTree(random, vars, depth - 1) & randomTree(random, vars, depth - 1);
  case 2:
    return randomTree(random, vars, depth - 1) ^ randomTree(random, vars, depth - 1);
  default:
    return randomTree(random, vars, depth - 1) | randomTree(random, vars, depth - 1);
  }
}

// The canonical order: literals by name then polarity, terms lexicographic.
bool canonical(const SOPExpression &sum) {
  const auto less = [](const Literal &a, const Literal &b) {
    return a.name != b.name ? a.name < b.name : (!a.negated && b.negated);
  };
  for (const ProductTerm &t : sum.terms) {
    if (!std::is_sorted(t.begin(), t.end(), less)) {
      return false;
    }
  }
  return std::is_sorted(sum.terms.begin(), sum.terms.end(), [&](const auto &a, const auto &b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less);
  });
}

// Same function, never costlier, canonical, every term prime and none redundant.
void expectMinimised(const SOPExpression &input, int vars, const std::string &context) {
  SCOPED_TRACE(context + ": " + text(input));
  const SOPExpression result = Minimiser::minimise(input);
  EXPECT_LE(costOf(result), costOf(input));
  EXPECT_TRUE(canonical(result)) << text(result);
  const Table table = tableOf(input, vars);
  ASSERT_EQ(tableOf(result, vars), table) << text(result);
  // A term can be dropped when every point of it is covered twice.
  std::vector<int> coverage(table.size(), 0);
  std::vector<Table> terms;
  for (const ProductTerm &t : result.terms) {
    terms.push_back(tableOf(SOPExpression{{t}}, vars));
    for (size_t p = 0; p < table.size(); ++p) {
      coverage[p] += terms.back()[p];
    }
  }
  for (size_t t = 0; t < terms.size(); ++t) {
    bool needed = false;
    for (size_t p = 0; p < table.size(); ++p) {
      needed = needed || (terms[t][p] && coverage[p] == 1);
    }
    EXPECT_TRUE(needed) << "redundant term " << text(result.terms[t]);
    // Prime: without any one of its literals the term would leave the function.
    for (size_t l = 0; l < result.terms[t].size(); ++l) {
      ProductTerm wider = result.terms[t];
      wider.erase(wider.begin() + static_cast<std::ptrdiff_t>(l));
      const Table widened = tableOf(SOPExpression{{wider}}, vars);
      bool leaves = false;
      for (size_t p = 0; p < table.size(); ++p) {
        leaves = leaves || (widened[p] && !table[p]);
      }
      EXPECT_TRUE(leaves) << "term " << text(result.terms[t]) << " is not prime";
    }
  }
}

TEST(MinimiseProperty, RandomSumsKeepTheirFunctionAndShrink) {
  std::mt19937 random(2024);
  for (int round = 0; round < 400; ++round) {
    const int vars = 1 + round % 16;
    expectMinimised(randomSum(random, vars, 1 + static_cast<int>(random() % 40)), vars,
                    "round " + std::to_string(round));
  }
}

TEST(MinimiseProperty, RandomTruthTables) {
  std::mt19937 random(7);
  for (int round = 0; round < 150; ++round) {
    const int vars = 1 + round % 10;
    Table table(size_t{1} << vars);
    const unsigned density = 1 + random() % 7;
    for (size_t p = 0; p < table.size(); ++p) {
      table[p] = random() % 8 < density;
    }
    expectMinimised(mintermSum(table, vars), vars, "table " + std::to_string(round));
  }
}

TEST(MinimiseProperty, ComplementAndEquivalenceAgreeWithTruthTables) {
  std::mt19937 random(99);
  for (int round = 0; round < 300; ++round) {
    const int vars = 1 + round % 14;
    const SOPExpression sum = randomSum(random, vars, static_cast<int>(random() % 30));
    SCOPED_TRACE(text(sum));
    const Table table = tableOf(sum, vars);
    const std::optional<SOPExpression> complement = Minimiser::complement(sum);
    ASSERT_TRUE(complement.has_value());
    EXPECT_EQ(tableOf(*complement, vars), negated(table)) << text(*complement);
    EXPECT_EQ(Minimiser::equivalent(sum, Minimiser::minimise(sum)), true);
    if (sum.terms.empty() || sum.terms[0].empty()) {
      continue;
    }
    SOPExpression nearMiss = sum;
    Literal &flipped = nearMiss.terms[0][random() % nearMiss.terms[0].size()];
    flipped.negated = !flipped.negated;
    EXPECT_EQ(Minimiser::equivalent(sum, nearMiss), tableOf(nearMiss, vars) == table);
  }
}

TEST(MinimiseProperty, ExpressionTreesBuildTheirSumAndComplement) {
  std::mt19937 random(31);
  for (int round = 0; round < 200; ++round) {
    const int vars = 1 + round % 8;
    const ExpressionPtr tree = randomTree(random, vars, 6);
    Table table(size_t{1} << vars);
    for (uint32_t p = 0; p < table.size(); ++p) {
      table[p] = evaluateTree(
          tree, [&](const std::string &name) { return (p >> std::stoi(name.substr(1)) & 1) != 0; });
    }
    const std::optional<SOPExpression> sum = Minimiser::sumOf(tree);
    const std::optional<SOPExpression> complement = Minimiser::complementOf(tree);
    ASSERT_TRUE(sum && complement);
    EXPECT_EQ(tableOf(*sum, vars), table) << text(*sum);
    EXPECT_EQ(tableOf(*complement, vars), negated(table)) << text(*complement);
  }
}

// The cheapest cover of `table` by any cubes, by dynamic programming over
// the sets of points still to cover.
std::pair<size_t, size_t> bruteForceMinimum(const Table &table, int vars) {
  std::vector<uint32_t> points;
  for (uint32_t p = 0; p < table.size(); ++p) {
    if (table[p]) {
      points.push_back(p);
    }
  }
  std::vector<std::pair<uint32_t, size_t>> cubes; // covered point set, literals
  for (uint32_t code = 0; code < 81; ++code) {    // base 3: absent, positive, negative
    uint32_t covered = 0;
    size_t literals = 0;
    bool implicant = true;
    for (size_t i = 0; i < points.size(); ++i) {
      bool in = true;
      for (int v = 0, c = static_cast<int>(code); v < 4; ++v, c /= 3) {
        in = in && (c % 3 == 0 || ((points[i] >> v & 1) != 0) == (c % 3 == 1));
      }
      covered |= in ? 1u << i : 0;
    }
    for (int v = 0, c = static_cast<int>(code); v < 4; ++v, c /= 3) {
      literals += c % 3 != 0;
      implicant = implicant && (v < vars || c % 3 == 0);
    }
    uint32_t size = 0;
    for (uint32_t p = 0; p < table.size(); ++p) {
      bool in = true;
      for (int v = 0, c = static_cast<int>(code); v < 4; ++v, c /= 3) {
        in = in && (c % 3 == 0 || ((p >> v & 1) != 0) == (c % 3 == 1));
      }
      size += in;
      implicant = implicant && (!in || table[p]);
    }
    if (implicant && size > 0) {
      cubes.push_back({covered, literals});
    }
  }
  const uint32_t all = (1u << points.size()) - 1;
  std::vector<std::pair<size_t, size_t>> best(all + 1, {99, 99});
  best[0] = {0, 0};
  for (uint32_t set = 1; set <= all; ++set) {
    const uint32_t lowest = set & -set;
    for (const auto &[covered, literals] : cubes) {
      if ((covered & lowest) != 0) {
        const auto rest = best[set & ~covered];
        best[set] = std::min(best[set], {rest.first + 1, rest.second + literals});
      }
    }
  }
  return best[all];
}

TEST(MinimiseExact, MatchesBruteForceOnEveryThreeAndRandomFourSignalFunction) {
  std::mt19937 random(11);
  for (uint32_t round = 0; round < 256 + 400; ++round) {
    const int vars = round < 256 ? 3 : 4;
    Table table(size_t{1} << vars);
    const uint32_t bits = round < 256 ? round : static_cast<uint32_t>(random());
    for (uint32_t p = 0; p < table.size(); ++p) {
      table[p] = (bits >> p & 1) != 0;
    }
    const SOPExpression result = Minimiser::minimise(mintermSum(table, vars));
    EXPECT_EQ(costOf(result), bruteForceMinimum(table, vars)) << text(result);
  }
}

ExpressionPtr productOfSums(int pairs) {
  ExpressionPtr result = id("a0") | id("b0");
  for (int i = 1; i < pairs; ++i) {
    result = result & (id(indexed("a", i)) | id(indexed("b", i)));
  }
  return result;
}

TEST(MinimiseCases, KnownTermCounts) {
  struct Case {
    const char *source;
    size_t terms;
    size_t complementTerms;
  };
  const Case cases[] = {
      {"!a | !b | !c | !d", 4, 1},
      {"!a1&!a0&en | !a1&a0&en | a1&!a0&en | a1&a0&en", 1, 1}, // 2-to-4 decoder outputs
      {"a&b | !a&c | b&c", 2, 2},                              // consensus term drops
      {"!a&!b | !b&c | a&c | b&!c | a&b&c", 3, 2},             // cyclic core
      {"a&b | a&c | b&c", 3, 3},                               // majority
      {"a&!b | !a&b", 2, 2},
      {"a | !a&b | !a&!b&c", 3, 1}, // priority chain
      {"a&!a | b&!b", 0, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Minimiser::minimise(sop(c.source)).terms.size(), c.terms);
    EXPECT_EQ(Minimiser::complement(sop(c.source)).value().terms.size(), c.complementTerms);
  }
  const ExpressionPtr wideOr = chain(ExpressionType::OR, "s", 16);
  EXPECT_EQ(Minimiser::sumOf(wideOr).value().terms.size(), 16u);
  EXPECT_EQ(text(Minimiser::complementOf(!wideOr).value()), text(Minimiser::sumOf(wideOr).value()));
  EXPECT_EQ(Minimiser::complementOf(wideOr).value().terms.size(), 1u);
  EXPECT_EQ(Minimiser::complementOf(!(id("a") & id("b") & id("c") & id("d"))).value().terms.size(),
            1u);
}

TEST(MinimiseCases, TwelveFactorProductOfSums) {
  const ExpressionPtr tree = productOfSums(12);
  const SOPExpression expanded = Logic::toSOP(tree);
  ASSERT_EQ(expanded.terms.size(), 4096u);
  EXPECT_EQ(Minimiser::minimise(expanded).terms.size(), 4096u);
  const SOPExpression complement = Minimiser::complement(expanded).value();
  EXPECT_EQ(complement.terms.size(), 12u);
  EXPECT_EQ(text(Minimiser::complementOf(tree).value()), text(complement));
  EXPECT_EQ(Minimiser::sumOf(tree).value().terms.size(), 4096u);
  EXPECT_EQ(Minimiser::equivalent(Minimiser::complement(complement).value(), expanded), true);
}

TEST(MinimiseLimits, DegradeInsteadOfRunningAway) {
  SOPExpression wide;
  for (int i = 0; i < 70; ++i) {
    wide.terms.push_back(term(indexed("w", i)));
  }
  EXPECT_EQ(text(Minimiser::minimise(wide)), text(wide));
  EXPECT_FALSE(Minimiser::complement(wide));
  EXPECT_FALSE(Minimiser::equivalent(wide, wide));

  SOPExpression pairs; // its complement has 2^30 terms
  for (int i = 0; i < 30; ++i) {
    pairs.terms.push_back(term(indexed("a", i) + "&" + indexed("b", i)));
  }
  EXPECT_FALSE(Minimiser::complement(pairs));
  SOPExpression split = pairs; // each pair term split on z: merged without an off-set
  for (ProductTerm &t : split.terms) {
    t.push_back(Literal{"z", false});
  }
  for (const ProductTerm &t : pairs.terms) {
    split.terms.push_back(t);
    split.terms.back().push_back(Literal{"z", true});
  }
  EXPECT_EQ(text(Minimiser::minimise(split)), text(Minimiser::minimise(pairs)));
  EXPECT_EQ(Minimiser::minimise(pairs).terms.size(), 30u);
  EXPECT_FALSE(Minimiser::complementOf(chain(ExpressionType::OR, "a", 2) & nullptr));
  EXPECT_FALSE(Minimiser::sumOf(nullptr));
  EXPECT_FALSE(Minimiser::sumOf(chain(ExpressionType::XOR, "x", 24)));
  ExpressionPtr deep = id("a");
  for (int i = 0; i < 200; ++i) {
    deep = !deep;
  }
  EXPECT_FALSE(Minimiser::sumOf(deep));
}

} // namespace
} // namespace gsmith::testing
