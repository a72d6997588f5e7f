// Timings of sum-of-products simplification on the largest inputs the
// compiler admits (4096 terms), of the conversion and size estimate that
// precede it, and of two-level minimisation on that size and on typical
// decoders.
#include "synthesis/expansion-bound.h"
#include "synthesis/logic.h"
#include "synthesis/minimise.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using gsmith::Literal;
using gsmith::ProductTerm;
using gsmith::SOPExpression;

// Two-digit names keep the signal order and the name order the same.
std::string signal(unsigned index) {
  std::string name = "s";
  name += static_cast<char>('0' + index / 10);
  name += static_cast<char>('0' + index % 10);
  return name;
}

// Minterm m of `signals` signals, signal 0 as the most significant bit.
ProductTerm minterm(unsigned m, unsigned signals) {
  ProductTerm term;
  for (unsigned v = 0; v < signals; ++v) {
    term.push_back(Literal{signal(v), ((m >> (signals - 1 - v)) & 1) == 0});
  }
  return term;
}

SOPExpression allMinterms(unsigned signals, bool shuffled) {
  SOPExpression sum;
  for (unsigned m = 0; m < (1u << signals); ++m) {
    sum.terms.push_back(minterm(m, signals));
  }
  if (shuffled) {
    std::shuffle(sum.terms.begin(), sum.terms.end(), std::mt19937(12));
  }
  return sum;
}

// Even-parity minterms of 13 signals: none is one polarity away from another.
SOPExpression evenParityMinterms() {
  SOPExpression sum;
  for (unsigned m = 0; m < (1u << 13); ++m) {
    if (std::popcount(m) % 2 == 0) {
      sum.terms.push_back(minterm(m, 13));
    }
  }
  return sum;
}

// 4096 twelve-literal terms over 24 signals, each on its own signal set.
SOPExpression distinctSignalSets() {
  SOPExpression sum;
  for (unsigned k = 0; k < 4096; ++k) {
    ProductTerm term;
    for (unsigned pair = 0; pair < 12; ++pair) {
      term.push_back(Literal{signal(2 * pair + ((k >> pair) & 1)), (k * 7 >> pair & 1) != 0});
    }
    sum.terms.push_back(term);
  }
  return sum;
}

// Short terms first, then long terms that they absorb or not: the first
// pass has to compare many pairs of different sizes.
SOPExpression mixedSizes() {
  SOPExpression sum;
  std::mt19937 random(5);
  for (int k = 0; k < 4096; ++k) {
    ProductTerm term;
    const unsigned length = k < 2048 ? 3 : 10;
    for (unsigned i = 0; i < length; ++i) {
      term.push_back(Literal{signal(random() % 40), random() % 2 == 0});
    }
    sum.terms.push_back(term);
  }
  return sum;
}

void simplify(benchmark::State &state, const SOPExpression &input) {
  size_t terms = 0;
  for (auto _ : state) {
    const SOPExpression result = gsmith::Logic::simplify(input);
    terms = result.terms.size();
    benchmark::DoNotOptimize(terms);
  }
  state.counters["input_terms"] = static_cast<double>(input.terms.size());
  state.counters["result_terms"] = static_cast<double>(terms);
}

void BM_SimplifyAllMinterms12(benchmark::State &state) { simplify(state, allMinterms(12, false)); }
void BM_SimplifyAllMinterms12Shuffled(benchmark::State &state) {
  simplify(state, allMinterms(12, true));
}
void BM_SimplifyDistinctSignalSets12(benchmark::State &state) {
  simplify(state, distinctSignalSets());
}
void BM_SimplifyEvenParity13(benchmark::State &state) { simplify(state, evenParityMinterms()); }
void BM_SimplifyMixedSizes(benchmark::State &state) { simplify(state, mixedSizes()); }

gsmith::ExpressionPtr leaf(const std::string &name) {
  auto e = std::make_shared<gsmith::Expression>();
  e->name = name;
  return e;
}

gsmith::ExpressionPtr join(gsmith::ExpressionType type, gsmith::ExpressionPtr l,
                           gsmith::ExpressionPtr r) {
  auto e = std::make_shared<gsmith::Expression>();
  e->type = type;
  e->left = std::move(l);
  e->right = std::move(r);
  return e;
}

void BM_ConvertAndSimplifyXorChain4(benchmark::State &state) {
  gsmith::ExpressionPtr chain = leaf(signal(0));
  for (int i = 1; i < 4; ++i) {
    chain = join(gsmith::ExpressionType::XOR, chain, leaf(signal(static_cast<unsigned>(i))));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(gsmith::Logic::simplify(gsmith::Logic::toSOP(chain)));
  }
}

void BM_BoundOfTheLargestTree(benchmark::State &state) {
  gsmith::ExpressionPtr tree = leaf("a");
  for (int i = 0; i < 13; ++i) {
    tree = join(gsmith::ExpressionType::OR, tree, tree);
  }
  for (auto _ : state) {
    try {
      benchmark::DoNotOptimize(gsmith::ExpansionBound::measure(tree, "bench"));
    } catch (const std::runtime_error &) {
    }
  }
}

// (a0 | b0) & ... & (a11 | b11): 4096 terms expanded, 12 in its complement.
gsmith::ExpressionPtr productOfSums() {
  gsmith::ExpressionPtr tree = join(gsmith::ExpressionType::OR, leaf("a0"), leaf("b0"));
  for (int i = 1; i < 12; ++i) {
    tree = join(gsmith::ExpressionType::AND, tree,
                join(gsmith::ExpressionType::OR, leaf("a" + std::to_string(i)),
                     leaf("b" + std::to_string(i))));
  }
  return tree;
}

// An address decoder: the pages of six address bits that are not multiples
// of three, qualified by an active-low strobe.
SOPExpression pageDecoder() {
  SOPExpression sum;
  for (unsigned page = 0; page < 64; ++page) {
    if (page % 3 != 0) {
      ProductTerm term;
      for (unsigned b = 0; b < 6; ++b) {
        term.push_back(Literal{signal(15 - b), ((page >> b) & 1) == 0});
      }
      term.push_back(Literal{"as", true});
      sum.terms.push_back(term);
    }
  }
  return sum;
}

// Fourteen of the sixteen outputs of an enabled 4-to-16 decoder, ORed.
SOPExpression decoderOutputs() {
  SOPExpression sum;
  for (unsigned m = 0; m < 16; ++m) {
    if (m != 5 && m != 10) {
      ProductTerm term = minterm(m, 4);
      term.push_back(Literal{"en", false});
      sum.terms.push_back(term);
    }
  }
  return sum;
}

void minimise(benchmark::State &state, const SOPExpression &input) {
  size_t terms = 0;
  for (auto _ : state) {
    terms = gsmith::Minimiser::minimise(input).terms.size();
    benchmark::DoNotOptimize(terms);
  }
  state.counters["input_terms"] = static_cast<double>(input.terms.size());
  state.counters["result_terms"] = static_cast<double>(terms);
}

void complement(benchmark::State &state, const SOPExpression &input) {
  size_t terms = 0;
  for (auto _ : state) {
    terms = gsmith::Minimiser::complement(input).value_or(SOPExpression{}).terms.size();
    benchmark::DoNotOptimize(terms);
  }
  state.counters["result_terms"] = static_cast<double>(terms);
}

void BM_MinimiseProductOfSums4096(benchmark::State &state) {
  minimise(state, gsmith::Logic::toSOP(productOfSums()));
}
void BM_ComplementProductOfSums4096(benchmark::State &state) {
  complement(state, gsmith::Logic::toSOP(productOfSums()));
}
void BM_EquivalentProductOfSums4096(benchmark::State &state) {
  const SOPExpression input = gsmith::Logic::toSOP(productOfSums());
  const SOPExpression minimised = gsmith::Minimiser::minimise(input);
  for (auto _ : state) {
    benchmark::DoNotOptimize(gsmith::Minimiser::equivalent(input, minimised));
  }
}
void BM_ComplementOfProductOfSumsTree(benchmark::State &state) {
  const gsmith::ExpressionPtr tree = productOfSums();
  for (auto _ : state) {
    benchmark::DoNotOptimize(gsmith::Minimiser::complementOf(tree));
  }
}
void BM_MinimiseEvenParity13(benchmark::State &state) { minimise(state, evenParityMinterms()); }
void BM_MinimisePageDecoder(benchmark::State &state) { minimise(state, pageDecoder()); }
void BM_MinimiseDecoderOutputs(benchmark::State &state) { minimise(state, decoderOutputs()); }
void BM_ComplementWideActiveLowSelect(benchmark::State &state) {
  SOPExpression select;
  for (unsigned i = 0; i < 40; ++i) {
    select.terms.push_back(ProductTerm{Literal{signal(i), true}});
  }
  complement(state, select);
}

} // namespace

BENCHMARK(BM_SimplifyAllMinterms12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimplifyAllMinterms12Shuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimplifyDistinctSignalSets12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimplifyEvenParity13)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimplifyMixedSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAndSimplifyXorChain4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoundOfTheLargestTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MinimiseProductOfSums4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComplementProductOfSums4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EquivalentProductOfSums4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComplementOfProductOfSumsTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimiseEvenParity13)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinimisePageDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MinimiseDecoderOutputs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplementWideActiveLowSelect)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
