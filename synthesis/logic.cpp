// Two-level logic: structural conversion of expression trees to sums of
// products, De Morgan complement, the term normal form, and simplification.
//
// Simplification is defined by a deliberately simple procedure (merge the
// first mergeable pair in scan order, append the merged term, drop absorbed
// terms, repeat), and fuse maps depend on the exact order of its result. That
// procedure is cubic on the term counts the compiler admits, so `simplify`
// reproduces its outcome with indexed data structures instead of rescanning:
// terms become bit sets over the signals of one call, a hash table finds the
// partners of a term, a heap yields the first mergeable pair, and absorption
// is only re-examined around the term a merge has just produced.
#include "synthesis/logic.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <queue>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace gsmith {

namespace {

bool literalLess(const Literal &a, const Literal &b) {
  const int order = a.name.compare(b.name);
  if (order != 0) {
    return order < 0;
  }
  return !a.negated && b.negated;
}

SOPExpression crossProduct(const SOPExpression &left, const SOPExpression &right) {
  SOPExpression result;
  result.terms.reserve(left.terms.size() * right.terms.size());
  for (const ProductTerm &l : left.terms) {
    for (const ProductTerm &r : right.terms) {
      result.terms.push_back(Logic::combineTerms(l, r));
    }
  }
  return result;
}

// A sum of products over signal numbers instead of names, stored flat: term k
// holds literals[start[k] .. start[k + 1]) in the order conversion produced
// them, duplicates and contradictions included. Signal numbers follow the
// byte order of the names, so the normal form can be read off directly.
struct IndexedLiteral {
  uint32_t signal;
  bool negated;
};

struct IndexedSum {
  std::vector<uint32_t> start{0};
  std::vector<IndexedLiteral> literals;

  size_t size() const { return start.size() - 1; }
  void endTerm() { start.push_back(static_cast<uint32_t>(literals.size())); }
  void appendTerm(const IndexedSum &from, size_t term) {
    literals.insert(literals.end(), from.literals.begin() + from.start[term],
                    from.literals.begin() + from.start[term + 1]);
  }
};

// The names of one call, sorted, each once.
using SignalNames = std::vector<std::string_view>;

// Renumbers `sum` so that signal numbers follow the byte order of `names`
// (given in first-seen order), which it sorts.
void sortSignals(SignalNames &names, IndexedSum &sum) {
  std::vector<uint32_t> byName(names.size());
  for (uint32_t k = 0; k < byName.size(); ++k)
    byName[k] = k;
  std::sort(byName.begin(), byName.end(),
            [&names](uint32_t a, uint32_t b) { return names[a] < names[b]; });
  std::vector<uint32_t> rank(names.size());
  SignalNames sorted(names.size());
  for (uint32_t k = 0; k < byName.size(); ++k) {
    rank[byName[k]] = k;
    sorted[k] = names[byName[k]];
  }
  names = std::move(sorted);
  for (IndexedLiteral &literal : sum.literals)
    literal.signal = rank[literal.signal];
}

// The indexed form of a sum of named terms; terms may repeat the same few
// names many times over, so each literal is looked up once, by hash.
IndexedSum indexSum(const SOPExpression &sum, SignalNames &names) {
  std::unordered_map<std::string_view, uint32_t> firstSeen;
  IndexedSum indexed;
  for (const ProductTerm &term : sum.terms) {
    for (const Literal &literal : term) {
      const auto [found, added] =
          firstSeen.try_emplace(literal.name, static_cast<uint32_t>(names.size()));
      if (added)
        names.push_back(literal.name);
      indexed.literals.push_back({found->second, literal.negated});
    }
    indexed.endTerm();
  }
  sortSignals(names, indexed);
  return indexed;
}

// Structural conversion on the indexed form: the same terms in the same order
// as Logic::convert, without copying a name.
class IndexedConversion {
public:
  explicit IndexedConversion(SignalNames &names) : names_(names) {}

  IndexedSum convert(const ExpressionPtr &expression) {
    if (!expression)
      throw std::logic_error("Null logic expression");
    switch (expression->type) {
    case ExpressionType::IDENTIFIER: {
      IndexedSum sum;
      sum.literals.push_back({signal(expression->name), false});
      sum.endTerm();
      return sum;
    }
    case ExpressionType::CONSTANT: {
      IndexedSum sum;
      if (expression->value)
        sum.endTerm();
      return sum;
    }
    case ExpressionType::NOT:
      return invert(convert(expression->left));
    case ExpressionType::AND: {
      const IndexedSum left = convert(expression->left);
      return crossProduct(left, convert(expression->right));
    }
    case ExpressionType::OR: {
      IndexedSum sum = convert(expression->left);
      append(sum, convert(expression->right));
      return sum;
    }
    case ExpressionType::XOR: {
      const IndexedSum left = convert(expression->left);
      const IndexedSum right = convert(expression->right);
      IndexedSum sum = crossProduct(left, invert(right));
      append(sum, crossProduct(invert(left), right));
      return sum;
    }
    }
    throw std::logic_error("Unknown expression type");
  }

private:
  // The names stay in the expression tree, which outlives the conversion.
  uint32_t signal(std::string_view name) {
    const auto [found, added] = numbers_.try_emplace(name, static_cast<uint32_t>(names_.size()));
    if (added)
      names_.push_back(name);
    return found->second;
  }

  static void append(IndexedSum &sum, const IndexedSum &more) {
    for (size_t term = 0; term < more.size(); ++term) {
      sum.appendTerm(more, term);
      sum.endTerm();
    }
  }

  static IndexedSum crossProduct(const IndexedSum &left, const IndexedSum &right) {
    IndexedSum sum;
    sum.start.reserve(left.size() * right.size() + 1);
    sum.literals.reserve(left.literals.size() * right.size() + right.literals.size() * left.size());
    for (size_t l = 0; l < left.size(); ++l) {
      for (size_t r = 0; r < right.size(); ++r) {
        sum.appendTerm(left, l);
        sum.appendTerm(right, r);
        sum.endTerm();
      }
    }
    return sum;
  }

  // As Logic::invert: one literal chosen from every term, in odometer order.
  static IndexedSum invert(const IndexedSum &sum) {
    IndexedSum result;
    if (sum.size() == 0) {
      result.endTerm();
      return result;
    }
    for (size_t t = 0; t < sum.size(); ++t)
      if (sum.start[t] == sum.start[t + 1])
        return result;
    const size_t width = sum.size();
    std::vector<uint32_t> choice(width, 0);
    for (;;) {
      for (size_t t = 0; t < width; ++t) {
        const IndexedLiteral &literal = sum.literals[sum.start[t] + choice[t]];
        result.literals.push_back({literal.signal, !literal.negated});
      }
      result.endTerm();
      size_t position = width;
      while (position > 0 &&
             ++choice[position - 1] == sum.start[position] - sum.start[position - 1]) {
        choice[position - 1] = 0;
        --position;
      }
      if (position == 0)
        return result;
    }
  }

  SignalNames &names_;
  std::unordered_map<std::string_view, uint32_t> numbers_;
};

// The terms of one simplification as bit sets: each term owns `2 * words`
// 64-bit words, first the set of signals it mentions, then the set of those it
// mentions complemented. Signal indices follow the byte order of the names,
// so ascending indices give the literal order of the normal form. Term ids
// grow in creation order, which is also the order of the procedure's list.
class TermTable {
public:
  TermTable(const SignalNames &names, const IndexedSum &sum) : names_(names), sum_(sum) {
    words_ = std::max<size_t>(1, (names_.size() + 63) / 64);
    scratch_.assign(2 * words_, 0);

    // Each merge removes two terms and adds at most one, so no call creates
    // more than twice its input terms; the hash table never needs to grow.
    size_t capacity = 16;
    while (capacity < 4 * sum.size() + 4) {
      capacity *= 2;
    }
    slots_.assign(capacity, -1);
    sameSignals_.assign(capacity, 0);
    pool_.reserve(2 * words_ * sum.size());
    alive_.reserve(sum.size());
    counts_.reserve(sum.size());
  }

  bool alive(int id) const { return alive_[id] != 0; }
  unsigned literalCount(int id) const { return counts_[id]; }
  void kill(int id) {
    alive_[id] = 0;
    --sameSignals_[signalsHash(key(id)) & (sameSignals_.size() - 1)];
  }

  // False when no other live term mentions exactly the signals of `id`, so
  // that it cannot have a partner (true may be a hash collision).
  bool mayHavePartner(int id) const {
    return sameSignals_[signalsHash(key(id)) & (sameSignals_.size() - 1)] > 1;
  }

  // Loads source term `number` into the scratch key; false for a
  // contradictory term.
  bool loadTerm(size_t number) {
    std::fill(scratch_.begin(), scratch_.end(), 0);
    for (uint32_t k = sum_.start[number]; k < sum_.start[number + 1]; ++k) {
      const IndexedLiteral &literal = sum_.literals[k];
      const size_t index = literal.signal;
      const uint64_t bit = uint64_t{1} << (index % 64);
      uint64_t &care = scratch_[index / 64];
      uint64_t &negated = scratch_[words_ + index / 64];
      if ((care & bit) != 0) {
        if (((negated & bit) != 0) != literal.negated) {
          return false;
        }
        continue;
      }
      care |= bit;
      if (literal.negated) {
        negated |= bit;
      }
    }
    return true;
  }

  // Loads `id` without the signal `index` into the scratch key.
  void loadWithout(int id, size_t index) {
    std::copy_n(key(id), 2 * words_, scratch_.begin());
    const uint64_t bit = uint64_t{1} << (index % 64);
    scratch_[index / 64] &= ~bit;
    scratch_[words_ + index / 64] &= ~bit;
  }

  // The live term equal to the scratch key, or -1.
  int findScratch() const {
    for (size_t slot = hashScratch() & (slots_.size() - 1);;
         slot = (slot + 1) & (slots_.size() - 1)) {
      const int id = slots_[slot];
      if (id < 0) {
        return -1;
      }
      if (alive(id) && std::equal(scratch_.begin(), scratch_.end(), key(id))) {
        return id;
      }
    }
  }

  // Adds the scratch key as a new live term and returns its id.
  int addScratch() {
    const int id = static_cast<int>(alive_.size());
    pool_.insert(pool_.end(), scratch_.begin(), scratch_.end());
    alive_.push_back(1);
    unsigned count = 0;
    for (size_t w = 0; w < words_; ++w) {
      count += static_cast<unsigned>(std::popcount(scratch_[w]));
    }
    counts_.push_back(count);
    size_t slot = hashScratch() & (slots_.size() - 1);
    while (slots_[slot] >= 0) {
      slot = (slot + 1) & (slots_.size() - 1);
    }
    slots_[slot] = id;
    ++sameSignals_[signalsHash(scratch_.data()) & (sameSignals_.size() - 1)];
    return id;
  }

  // Calls `visit(index)` for every signal of `id`, in ascending order.
  template <typename Visit> void forEachSignal(int id, Visit visit) const {
    const uint64_t *care = key(id);
    for (size_t w = 0; w < words_; ++w) {
      for (uint64_t bits = care[w]; bits != 0; bits &= bits - 1) {
        visit(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
      }
    }
  }

  // The live terms that merge with `id`: the same signals with exactly one
  // polarity flipped.
  template <typename Visit> void forEachPartner(int id, Visit visit) {
    forEachSignal(id, [&](size_t index) {
      std::copy_n(key(id), 2 * words_, scratch_.begin());
      scratch_[words_ + index / 64] ^= uint64_t{1} << (index % 64);
      const int partner = findScratch();
      if (partner >= 0) {
        visit(partner, index);
      }
    });
  }

  // Every literal of `a` occurs in `b`.
  bool absorbs(int a, int b) const {
    const uint64_t *x = key(a);
    const uint64_t *y = key(b);
    for (size_t w = 0; w < words_; ++w) {
      if ((x[w] & ~y[w]) != 0 || ((x[words_ + w] ^ y[words_ + w]) & x[w]) != 0) {
        return false;
      }
    }
    return true;
  }

  // Copies of prepared literals: a copied name costs less than one built
  // from its characters, and large sums repeat each name many times.
  ProductTerm toTerm(int id) {
    if (literals_.empty()) {
      literals_.reserve(2 * names_.size());
      for (const std::string_view name : names_) {
        literals_.push_back(Literal{std::string(name), false});
        literals_.push_back(Literal{std::string(name), true});
      }
    }
    ProductTerm term;
    term.reserve(counts_[id]);
    const uint64_t *negated = key(id) + words_;
    forEachSignal(id, [&](size_t index) {
      term.push_back(literals_[2 * index + (negated[index / 64] >> (index % 64) & 1)]);
    });
    return term;
  }

private:
  const uint64_t *key(int id) const { return pool_.data() + static_cast<size_t>(id) * 2 * words_; }

  // A hash of the set of signals a key mentions, whatever their polarity.
  size_t signalsHash(const uint64_t *key) const {
    uint64_t hash = 0x9e3779b97f4a7c15ULL;
    for (size_t w = 0; w < words_; ++w) {
      hash ^= key[w] + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
      hash *= 0xff51afd7ed558ccdULL;
      hash ^= hash >> 33;
    }
    return static_cast<size_t>(hash);
  }

  size_t hashScratch() const {
    uint64_t hash = 0x9e3779b97f4a7c15ULL;
    for (uint64_t word : scratch_) {
      hash ^= word + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
      hash *= 0xff51afd7ed558ccdULL;
      hash ^= hash >> 33;
    }
    return static_cast<size_t>(hash);
  }

  const SignalNames &names_;
  std::vector<Literal> literals_;
  const IndexedSum &sum_;
  size_t words_ = 1;
  std::vector<uint64_t> scratch_;
  std::vector<uint64_t> pool_;
  std::vector<char> alive_;
  std::vector<unsigned> counts_;
  std::vector<int> slots_;
  // Live terms per hash of their signal set: a term merges only with a term
  // of the same signals, and most terms of a large expansion have none.
  std::vector<uint32_t> sameSignals_;
};

class Simplifier {
public:
  Simplifier(const SignalNames &names, const IndexedSum &sum) : table_(names, sum) {
    for (size_t number = 0; number < sum.size(); ++number) {
      if (!table_.loadTerm(number) || table_.findScratch() >= 0) {
        continue;
      }
      order_.push_back(table_.addScratch());
    }
    // A term no other term shares its signals with has no partner until a
    // merge makes one, and the merge puts it on the heap then; most terms of
    // a large expansion never get one.
    std::vector<int> initial;
    for (const int id : order_)
      if (table_.mayHavePartner(id))
        initial.push_back(id);
    candidates_ = decltype(candidates_)(std::greater<int>(), std::move(initial));
  }

  SOPExpression run() {
    // Before the first pass the list may still hold absorbed terms, so the
    // first pass checks every pair; afterwards no term absorbs another and only
    // the freshly merged term can change that.
    const bool merged = mergeFirstPair();
    const bool absorbed = absorbAll();
    if (merged || absorbed) {
      while (mergeFirstPair()) {
        absorbAroundNewest();
      }
    }
    SOPExpression result;
    result.terms.reserve(order_.size());
    for (int id : order_) {
      if (table_.alive(id)) {
        result.terms.push_back(table_.toTerm(id));
      }
    }
    return result;
  }

private:
  // The earliest term after `id` that merges with it, or -1.
  int firstLaterPartner(int id, size_t &signal) {
    int best = -1;
    if (!table_.mayHavePartner(id))
      return best;
    table_.forEachPartner(id, [&](int partner, size_t index) {
      if (partner > id && (best < 0 || partner < best)) {
        best = partner;
        signal = index;
      }
    });
    return best;
  }

  // Merges the first pair in scan order (lowest first term, then lowest second
  // term). A term is on the heap whenever it may have a later partner; stale
  // entries are dropped when they reach the top.
  bool mergeFirstPair() {
    newest_ = -1;
    while (!candidates_.empty()) {
      const int first = candidates_.top();
      size_t signal = 0;
      const int second = table_.alive(first) ? firstLaterPartner(first, signal) : -1;
      if (second < 0) {
        candidates_.pop();
        continue;
      }
      table_.kill(first);
      table_.kill(second);
      table_.loadWithout(first, signal);
      if (table_.findScratch() >= 0) {
        return true;
      }
      newest_ = table_.addScratch();
      order_.push_back(newest_);
      table_.forEachPartner(newest_, [&](int partner, size_t) { candidates_.push(partner); });
      return true;
    }
    return false;
  }

  // Drops every term that another term absorbs. Absorption between distinct
  // normalised terms is strict inclusion, which is transitive, so the terms
  // that survive the one-by-one removal are exactly those with no proper
  // subset in the list, and only shorter terms need to be examined.
  bool absorbAll() {
    std::vector<std::vector<int>> bySize;
    for (int id : order_) {
      if (!table_.alive(id)) {
        continue;
      }
      if (bySize.size() <= table_.literalCount(id)) {
        bySize.resize(table_.literalCount(id) + 1);
      }
      bySize[table_.literalCount(id)].push_back(id);
    }
    std::vector<int> absorbed;
    for (int id : order_) {
      if (!table_.alive(id)) {
        continue;
      }
      bool found = false;
      for (unsigned size = 0; size < table_.literalCount(id) && !found; ++size) {
        for (int other : bySize[size]) {
          if (table_.absorbs(other, id)) {
            found = true;
            break;
          }
        }
      }
      if (found) {
        absorbed.push_back(id);
      }
    }
    for (int id : absorbed) {
      table_.kill(id);
    }
    compact();
    return !absorbed.empty();
  }

  // With an absorption-free list, a merge can only make its own result absorb
  // longer terms (or, defensively, be absorbed by a shorter one).
  void absorbAroundNewest() {
    if (newest_ < 0) {
      return;
    }
    const unsigned size = table_.literalCount(newest_);
    bool newestAbsorbed = false;
    size_t kept = 0;
    for (const int id : order_) {
      if (!table_.alive(id)) {
        continue;
      }
      if (id != newest_ && table_.literalCount(id) > size && table_.absorbs(newest_, id)) {
        table_.kill(id);
        continue;
      }
      if (id != newest_ && table_.literalCount(id) < size && table_.absorbs(id, newest_)) {
        newestAbsorbed = true;
      }
      order_[kept++] = id;
    }
    order_.resize(kept);
    if (newestAbsorbed) {
      table_.kill(newest_);
      compact();
    }
  }

  void compact() {
    std::erase_if(order_, [&](int id) { return !table_.alive(id); });
  }

  TermTable table_;
  std::vector<int> order_;
  std::priority_queue<int, std::vector<int>, std::greater<int>> candidates_;
  int newest_ = -1;
};

} // namespace

SOPExpression Logic::toSOP(const ExpressionPtr &expression) { return convert(expression); }

SOPExpression Logic::convert(const ExpressionPtr &expression) {
  if (!expression) {
    throw std::logic_error("Null logic expression");
  }
  switch (expression->type) {
  case ExpressionType::IDENTIFIER:
    return SOPExpression{{ProductTerm{Literal{expression->name, false}}}};
  case ExpressionType::CONSTANT:
    return expression->value ? SOPExpression{{ProductTerm{}}} : SOPExpression{};
  case ExpressionType::NOT:
    return invert(convert(expression->left));
  case ExpressionType::AND: {
    const SOPExpression left = convert(expression->left);
    const SOPExpression right = convert(expression->right);
    return crossProduct(left, right);
  }
  case ExpressionType::OR: {
    SOPExpression result = convert(expression->left);
    SOPExpression right = convert(expression->right);
    result.terms.insert(result.terms.end(), std::make_move_iterator(right.terms.begin()),
                        std::make_move_iterator(right.terms.end()));
    return result;
  }
  case ExpressionType::XOR: {
    const SOPExpression left = convert(expression->left);
    const SOPExpression right = convert(expression->right);
    SOPExpression result = crossProduct(left, invert(right));
    SOPExpression second = crossProduct(invert(left), right);
    result.terms.insert(result.terms.end(), std::make_move_iterator(second.terms.begin()),
                        std::make_move_iterator(second.terms.end()));
    return result;
  }
  }
  throw std::logic_error("Unknown expression type");
}

// The complement is the running cross product of the terms' complements, the
// running result outermost. Its terms are therefore exactly the choices of one
// literal from every input term, in odometer order with the last input term
// turning fastest, each holding its flipped literals in input-term order; they
// are enumerated directly, so no running product is copied term after term.
SOPExpression Logic::invert(const SOPExpression &sum) {
  if (sum.terms.empty()) {
    return SOPExpression{{ProductTerm{}}};
  }
  SOPExpression result;
  for (const ProductTerm &term : sum.terms) {
    if (term.empty()) {
      return result;
    }
  }
  const size_t width = sum.terms.size();
  std::vector<size_t> choice(width, 0);
  for (;;) {
    ProductTerm complement;
    complement.reserve(width);
    for (size_t t = 0; t < width; ++t) {
      const Literal &literal = sum.terms[t][choice[t]];
      complement.push_back(Literal{literal.name, !literal.negated});
    }
    result.terms.push_back(std::move(complement));
    size_t position = width;
    while (position > 0 && ++choice[position - 1] == sum.terms[position - 1].size()) {
      choice[position - 1] = 0;
      --position;
    }
    if (position == 0) {
      return result;
    }
  }
}

SOPExpression Logic::simplify(const SOPExpression &sum) {
  SignalNames names;
  const IndexedSum indexed = indexSum(sum, names);
  return Simplifier(names, indexed).run();
}

SOPExpression Logic::reduce(const ExpressionPtr &expression) {
  SignalNames names;
  IndexedSum sum = IndexedConversion(names).convert(expression);
  sortSignals(names, sum);
  Simplifier simplifier(names, sum);
  // The terms now live in the simplifier's table; the memory of the expanded
  // sum is handed back before the result is built in it.
  sum = IndexedSum();
  return simplifier.run();
}

ProductTerm Logic::combineTerms(const ProductTerm &a, const ProductTerm &b) {
  ProductTerm result;
  result.reserve(a.size() + b.size());
  result.insert(result.end(), a.begin(), a.end());
  result.insert(result.end(), b.begin(), b.end());
  return result;
}

bool Logic::normalizeTerm(ProductTerm &term) {
  std::sort(term.begin(), term.end(), literalLess);
  ProductTerm normal;
  normal.reserve(term.size());
  for (Literal &literal : term) {
    if (!normal.empty() && normal.back().name == literal.name) {
      if (normal.back().negated != literal.negated) {
        return false;
      }
      continue;
    }
    normal.push_back(std::move(literal));
  }
  term = std::move(normal);
  return true;
}

bool Logic::sameTerm(const ProductTerm &a, const ProductTerm &b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Literal &x, const Literal &y) {
    return x.name == y.name && x.negated == y.negated;
  });
}

} // namespace gsmith
