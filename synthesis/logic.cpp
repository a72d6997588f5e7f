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

// The terms of one simplification as bit sets: each term owns `2 * words`
// 64-bit words, first the set of signals it mentions, then the set of those it
// mentions complemented. Signal indices follow the byte order of the names,
// so ascending indices give the literal order of the normal form. Term ids
// grow in creation order, which is also the order of the procedure's list.
class TermTable {
public:
  explicit TermTable(const SOPExpression &sum) {
    // Terms may repeat the same few names many times over; only the distinct
    // names are copied and sorted.
    std::unordered_set<std::string_view> seen;
    for (const ProductTerm &term : sum.terms) {
      for (const Literal &literal : term) {
        if (seen.insert(literal.name).second) {
          names_.push_back(literal.name);
        }
      }
    }
    std::sort(names_.begin(), names_.end());
    words_ = std::max<size_t>(1, (names_.size() + 63) / 64);
    scratch_.assign(2 * words_, 0);

    // Each merge removes two terms and adds at most one, so no call creates
    // more than twice its input terms; the hash table never needs to grow.
    size_t capacity = 16;
    while (capacity < 4 * sum.terms.size() + 4) {
      capacity *= 2;
    }
    slots_.assign(capacity, -1);
  }

  bool alive(int id) const { return alive_[id] != 0; }
  unsigned literalCount(int id) const { return counts_[id]; }
  void kill(int id) { alive_[id] = 0; }

  // Loads a source term into the scratch key; false for a contradictory term.
  bool loadTerm(const ProductTerm &term) {
    std::fill(scratch_.begin(), scratch_.end(), 0);
    for (const Literal &literal : term) {
      const size_t index =
          std::lower_bound(names_.begin(), names_.end(), literal.name) - names_.begin();
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

  ProductTerm toTerm(int id) const {
    ProductTerm term;
    term.reserve(counts_[id]);
    const uint64_t *negated = key(id) + words_;
    forEachSignal(id, [&](size_t index) {
      term.push_back(Literal{names_[index], (negated[index / 64] >> (index % 64) & 1) != 0});
    });
    return term;
  }

private:
  const uint64_t *key(int id) const { return pool_.data() + static_cast<size_t>(id) * 2 * words_; }

  size_t hashScratch() const {
    uint64_t hash = 0x9e3779b97f4a7c15ULL;
    for (uint64_t word : scratch_) {
      hash ^= word + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
      hash *= 0xff51afd7ed558ccdULL;
      hash ^= hash >> 33;
    }
    return static_cast<size_t>(hash);
  }

  std::vector<std::string> names_;
  size_t words_ = 1;
  std::vector<uint64_t> scratch_;
  std::vector<uint64_t> pool_;
  std::vector<char> alive_;
  std::vector<unsigned> counts_;
  std::vector<int> slots_;
};

class Simplifier {
public:
  explicit Simplifier(const SOPExpression &sum) : table_(sum) {
    for (const ProductTerm &term : sum.terms) {
      if (!table_.loadTerm(term) || table_.findScratch() >= 0) {
        continue;
      }
      const int id = table_.addScratch();
      order_.push_back(id);
      candidates_.push(id);
    }
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
    throw std::runtime_error("Null logic expression");
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
  throw std::runtime_error("Unknown expression type");
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

SOPExpression Logic::simplify(const SOPExpression &sum) { return Simplifier(sum).run(); }

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

bool Logic::termAbsorbs(const ProductTerm &a, const ProductTerm &b) {
  return std::all_of(a.begin(), a.end(), [&](const Literal &x) {
    return std::any_of(b.begin(), b.end(), [&](const Literal &y) {
      return x.name == y.name && x.negated == y.negated;
    });
  });
}

bool Logic::combineIfPossible(const ProductTerm &a, const ProductTerm &b, ProductTerm &out) {
  if (a.size() != b.size()) {
    return false;
  }
  out.clear();
  if (a.empty()) {
    return false;
  }
  bool differed = false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name) {
      return false;
    }
    if (a[i].negated == b[i].negated) {
      out.push_back(a[i]);
      continue;
    }
    if (differed) {
      return false;
    }
    differed = true;
  }
  return differed;
}

} // namespace gsmith
