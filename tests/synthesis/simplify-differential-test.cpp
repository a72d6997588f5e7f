// Logic::simplify is an indexed reimplementation of a plain procedure whose
// exact output order the fuse maps rely on. This file keeps that procedure in
// its literal, quadratic form and compares both on many generated inputs;
// every result is also checked against the truth table of its input.
#include "synthesis/logic.h"

#include "synthesis/expansion-bound.h"

#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>

namespace gsmith::testing {
namespace {

// The procedure step by step: normalise and deduplicate, then one merge of
// the first mergeable pair per round followed by a full absorption pass.
namespace literal {

bool normalize(ProductTerm &term) {
  std::sort(term.begin(), term.end(), [](const Literal &a, const Literal &b) {
    return a.name != b.name ? a.name < b.name : (!a.negated && b.negated);
  });
  ProductTerm out;
  for (const Literal &l : term) {
    if (!out.empty() && out.back().name == l.name) {
      if (out.back().negated != l.negated) {
        return false;
      }
      continue;
    }
    out.push_back(l);
  }
  term = out;
  return true;
}

bool same(const ProductTerm &a, const ProductTerm &b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].negated != b[i].negated) {
      return false;
    }
  }
  return true;
}

bool absorbs(const ProductTerm &a, const ProductTerm &b) {
  for (const Literal &x : a) {
    bool found = false;
    for (const Literal &y : b) {
      found = found || (x.name == y.name && x.negated == y.negated);
    }
    if (!found) {
      return false;
    }
  }
  return true;
}

bool combine(const ProductTerm &a, const ProductTerm &b, ProductTerm &out) {
  if (a.size() != b.size() || a.empty()) {
    return false;
  }
  out.clear();
  int differences = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name) {
      return false;
    }
    if (a[i].negated == b[i].negated) {
      out.push_back(a[i]);
    } else {
      ++differences;
    }
  }
  return differences == 1;
}

bool containsSame(const std::vector<ProductTerm> &terms, const ProductTerm &term) {
  for (const ProductTerm &t : terms) {
    if (same(t, term)) {
      return true;
    }
  }
  return false;
}

SOPExpression simplify(const SOPExpression &input) {
  std::vector<ProductTerm> r;
  for (ProductTerm t : input.terms) {
    if (normalize(t) && !containsSame(r, t)) {
      r.push_back(t);
    }
  }
  for (bool changed = true; changed;) {
    changed = false;
    bool merged = false;
    for (size_t i = 0; i + 1 < r.size() && !merged; ++i) {
      for (size_t j = i + 1; j < r.size() && !merged; ++j) {
        ProductTerm m;
        if (combine(r[i], r[j], m)) {
          r.erase(r.begin() + j);
          r.erase(r.begin() + i);
          if (!containsSame(r, m)) {
            r.push_back(m);
          }
          merged = changed = true;
        }
      }
    }
    for (size_t i = 0; i < r.size();) {
      bool absorbed = false;
      for (size_t k = 0; k < r.size() && !absorbed; ++k) {
        absorbed = k != i && absorbs(r[k], r[i]);
      }
      if (absorbed) {
        r.erase(r.begin() + i);
        changed = true;
      } else {
        ++i;
      }
    }
  }
  return SOPExpression{r};
}

// De Morgan as a running cross product, the running result outermost.
SOPExpression invert(const SOPExpression &input) {
  if (input.terms.empty()) {
    return SOPExpression{{ProductTerm{}}};
  }
  std::vector<ProductTerm> running;
  for (size_t t = 0; t < input.terms.size(); ++t) {
    std::vector<ProductTerm> complement;
    for (const Literal &l : input.terms[t]) {
      complement.push_back(ProductTerm{Literal{l.name, !l.negated}});
    }
    if (t == 0) {
      running = complement;
      continue;
    }
    std::vector<ProductTerm> next;
    for (const ProductTerm &r : running) {
      for (const ProductTerm &c : complement) {
        ProductTerm joined = r;
        joined.insert(joined.end(), c.begin(), c.end());
        next.push_back(joined);
      }
    }
    running = next;
  }
  return SOPExpression{running};
}

} // namespace literal

const std::vector<std::string> kNames = {"a", "b", "A", "a2", "x_1", "c", "\xe9t", "zz"};

bool evaluate(const ExpressionPtr &e, const std::map<std::string, bool> &values) {
  return evaluateTree(e, [&](const std::string &name) { return values.at(name); });
}

bool evaluate(const SOPExpression &sum, const std::map<std::string, bool> &values) {
  return std::any_of(sum.terms.begin(), sum.terms.end(), [&](const ProductTerm &t) {
    return std::all_of(t.begin(), t.end(),
                       [&](const Literal &l) { return values.at(l.name) != l.negated; });
  });
}

void expectInvariants(const SOPExpression &sum) {
  for (size_t i = 0; i < sum.terms.size(); ++i) {
    ProductTerm normal = sum.terms[i];
    ASSERT_TRUE(Logic::normalizeTerm(normal));
    ASSERT_TRUE(literal::same(normal, sum.terms[i])) << text(sum);
    for (size_t k = 0; k < sum.terms.size(); ++k) {
      ASSERT_TRUE(k == i || !literal::absorbs(sum.terms[k], sum.terms[i])) << text(sum);
    }
  }
}

class Generator {
public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  ExpressionPtr expression(int signals, int depth) {
    if (depth == 0 || below(10) < 3) {
      return below(12) == 0 ? constant(below(2) == 1) : id(kNames[below(signals)]);
    }
    switch (below(9)) {
    case 0:
    case 1:
      return !expression(signals, depth - 1);
    case 2:
    case 3:
    case 4:
      return expression(signals, depth - 1) & expression(signals, depth - 1);
    case 5:
    case 6:
    case 7:
      return expression(signals, depth - 1) | expression(signals, depth - 1);
    default:
      return expression(signals, depth - 1) ^ expression(signals, depth - 1);
    }
  }

  // Every minterm of `signals` names kept with probability density/8, in
  // counting order or shuffled.
  SOPExpression minterms(const std::vector<std::string> &names, int density, bool shuffle) {
    SOPExpression sum;
    for (unsigned m = 0; m < (1u << names.size()); ++m) {
      if (below(8) >= density) {
        continue;
      }
      ProductTerm t;
      for (size_t v = 0; v < names.size(); ++v) {
        t.push_back(Literal{names[v], ((m >> (names.size() - 1 - v)) & 1) == 0});
      }
      sum.terms.push_back(t);
    }
    if (shuffle) {
      std::shuffle(sum.terms.begin(), sum.terms.end(), random_);
    }
    return sum;
  }

  // Unsorted terms that may repeat literals, contradict themselves, repeat
  // one another or absorb one another.
  SOPExpression rawTerms(const std::vector<std::string> &names, int count, int maxLength) {
    SOPExpression sum;
    for (int i = 0; i < count; ++i) {
      ProductTerm t;
      for (int length = below(maxLength + 1); length > 0; --length) {
        t.push_back(Literal{names[below(static_cast<int>(names.size()))], below(2) == 1});
      }
      sum.terms.push_back(t);
    }
    return sum;
  }

private:
  std::mt19937 random_;
};

std::vector<std::string> numberedNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back(indexed("s", i));
  }
  return names;
}

void expectSameAsLiteral(const SOPExpression &input, const std::string &label) {
  const SOPExpression fast = Logic::simplify(input);
  ASSERT_EQ(text(fast), text(literal::simplify(input))) << label << ": " << text(input);
}

TEST(SimplifyDifferential, RandomExpressionsMatchTheLiteralProcedure) {
  Generator generator(20261206);
  int compared = 0;
  while (compared < 2000) {
    const int signals = 1 + generator.below(8);
    const ExpressionPtr expression = generator.expression(signals, 2 + generator.below(4));
    // Conversion is exponential; the estimate keeps the generated cases small.
    Bound bound;
    try {
      bound = ExpansionBound::measure(expression, "test");
    } catch (const std::runtime_error &) {
      continue;
    }
    if (bound.sopTerms > 160 || bound.complementTerms > 24) {
      continue;
    }
    const SOPExpression converted = Logic::toSOP(expression);
    ++compared;
    const SOPExpression fast = Logic::simplify(converted);
    ASSERT_EQ(text(fast), text(literal::simplify(converted))) << text(converted);
    // The indexed path from the tree must give the very same list.
    ASSERT_EQ(text(Logic::reduce(expression)), text(fast)) << text(converted);
    ASSERT_NO_FATAL_FAILURE(expectInvariants(fast));
    std::map<std::string, bool> values;
    for (unsigned m = 0; m < (1u << signals); ++m) {
      for (int v = 0; v < signals; ++v) {
        values[kNames[v]] = ((m >> v) & 1) != 0;
      }
      ASSERT_EQ(evaluate(fast, values), evaluate(expression, values)) << text(converted);
    }
  }
}

TEST(SimplifyDifferential, MintermSubsetsThatMergeALotMatchTheLiteralProcedure) {
  Generator generator(4096);
  for (int i = 0; i < 400; ++i) {
    const auto names = numberedNames(1 + generator.below(6));
    const SOPExpression input = generator.minterms(names, 1 + generator.below(8), i % 2 == 1);
    ASSERT_NO_FATAL_FAILURE(expectSameAsLiteral(input, indexed("case ", i)));
  }
  for (int i = 0; i < 3; ++i) {
    const SOPExpression input = generator.minterms(numberedNames(7), 5 + i, i % 2 == 1);
    ASSERT_NO_FATAL_FAILURE(expectSameAsLiteral(input, indexed("seven signals ", i)));
  }
}

TEST(SimplifyDifferential, RawTermListsMatchTheLiteralProcedure) {
  Generator generator(77);
  for (int i = 0; i < 1500; ++i) {
    const auto names = numberedNames(1 + generator.below(8));
    const SOPExpression input = generator.rawTerms(names, generator.below(40), 6);
    ASSERT_NO_FATAL_FAILURE(expectSameAsLiteral(input, indexed("case ", i)));
  }
}

TEST(InvertDifferential, RawTermListsMatchTheRunningCrossProduct) {
  Generator generator(2718);
  for (int i = 0; i < 1500; ++i) {
    const auto names = numberedNames(1 + generator.below(6));
    // Up to five terms of up to four literals: at most 4^5 result terms.
    const SOPExpression input = generator.rawTerms(names, generator.below(6), 4);
    ASSERT_EQ(text(Logic::invert(input)), text(literal::invert(input)))
        << indexed("case ", i) << ": " << text(input);
  }
}

TEST(SimplifyDifferential, ManySignalsSpanSeveralWords) {
  Generator generator(150);
  for (int i = 0; i < 40; ++i) {
    const auto names = numberedNames(65 + generator.below(120));
    SOPExpression input = generator.rawTerms(names, 60, 5);
    // Pairs that differ in one polarity keep the merge path busy across words.
    for (size_t t = 0; t + 1 < input.terms.size(); t += 3) {
      input.terms[t + 1] = input.terms[t];
      if (!input.terms[t].empty()) {
        input.terms[t + 1].back().negated = !input.terms[t + 1].back().negated;
      }
    }
    ASSERT_NO_FATAL_FAILURE(expectSameAsLiteral(input, indexed("case ", i)));
  }
}

TEST(SimplifyDifferential, LargeInputsReduceAsTheProcedureDictates) {
  const auto names = numberedNames(10);
  Generator generator(1);
  const SOPExpression all = generator.minterms(names, 8, false);
  ASSERT_EQ(all.terms.size(), 1024u);
  EXPECT_EQ(text(Logic::simplify(all)), "1");

  // Minterms of even parity never merge and never absorb one another.
  SOPExpression parity;
  for (const ProductTerm &t : all.terms) {
    if (std::count_if(t.begin(), t.end(), [](const Literal &l) { return l.negated; }) % 2 == 0) {
      parity.terms.push_back(t);
    }
  }
  EXPECT_EQ(text(Logic::simplify(parity)), text(parity));
}

} // namespace
} // namespace gsmith::testing
