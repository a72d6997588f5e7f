// Primes by iterated consensus, one variable at a time (Tison's method:
// after every variable has had its round of consensus terms and absorbed
// cubes are dropped, exactly the primes remain), then a covering matrix
// with one row per distinct set of primes covering some point, solved by
// branch and bound: essential columns and dominated rows are removed at
// every node, and a set of pairwise disjoint rows gives the lower bound.
#include "synthesis/exact-minimise.h"

#include <algorithm>
#include <bit>

namespace gsmith::twolevel {

namespace {

// A term outweighs every literal count a cover over 16 variables can reach.
constexpr uint64_t kTermWeight = uint64_t{1} << 24;

using Row = std::vector<uint64_t>;

uint64_t weightOf(const Cost &cost) { return cost.terms * kTermWeight + cost.literals; }

uint64_t supportOf(const Cover &cover) {
  uint64_t support = 0;
  for (const Cube &cube : cover) {
    support |= cube.care;
  }
  return support;
}

std::optional<Cover> allPrimes(const Cover &cover, Budget &budget) {
  Cover primes = cover;
  removeContained(primes, budget);
  for (uint64_t bits = supportOf(cover); bits != 0; bits &= bits - 1) {
    const uint64_t mask = bits & -bits;
    Cover positive;
    Cover negative;
    for (const Cube &cube : primes) {
      if ((cube.care & mask) != 0) {
        ((cube.value & mask) != 0 ? positive : negative).push_back(cube);
      }
    }
    budget.charge(positive.size() * negative.size() + 1);
    Cover fresh;
    for (const Cube &p : positive) {
      for (const Cube &n : negative) {
        if (conflicts(p, n) == mask) {
          fresh.push_back(without(Cube{p.care | n.care, p.value | n.value}, mask));
        }
      }
    }
    budget.admit(fresh);
    primes.insert(primes.end(), fresh.begin(), fresh.end());
    removeContained(primes, budget);
    if (primes.size() > kExactMaxPrimes) {
      return std::nullopt;
    }
  }
  return primes;
}

bool hasColumn(const Row &row, size_t column) {
  return (row[column / 64] >> (column % 64) & 1) != 0;
}

size_t columnCount(const Row &row) {
  size_t count = 0;
  for (const uint64_t word : row) {
    count += static_cast<size_t>(std::popcount(word));
  }
  return count;
}

bool subsetOf(const Row &a, const Row &b) {
  for (size_t w = 0; w < a.size(); ++w) {
    if ((a[w] & ~b[w]) != 0) {
      return false;
    }
  }
  return true;
}

template <typename Visit> void forEachColumn(const Row &row, Visit visit) {
  for (size_t w = 0; w < row.size(); ++w) {
    for (uint64_t bits = row[w]; bits != 0; bits &= bits - 1) {
      visit(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
    }
  }
}

// One row per distinct set of primes that covers some point of the function.
std::vector<Row> coveringRows(const Cover &primes, Budget &budget) {
  std::vector<unsigned> variables;
  for (uint64_t bits = supportOf(primes); bits != 0; bits &= bits - 1) {
    variables.push_back(static_cast<unsigned>(std::countr_zero(bits)));
  }
  const uint64_t support = supportOf(primes);
  const size_t words = (primes.size() + 63) / 64;
  std::vector<Row> rows;
  for (uint64_t point = 0; point < (uint64_t{1} << variables.size()); ++point) {
    budget.charge(primes.size() + 1);
    Cube minterm{support, 0};
    for (size_t i = 0; i < variables.size(); ++i) {
      minterm.value |= (point >> i & 1) << variables[i];
    }
    Row row(words, 0);
    bool covered = false;
    for (size_t p = 0; p < primes.size(); ++p) {
      if (contains(primes[p], minterm)) {
        row[p / 64] |= uint64_t{1} << (p % 64);
        covered = true;
      }
    }
    if (covered) {
      rows.push_back(std::move(row));
    }
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

class CoveringSearch {
public:
  CoveringSearch(std::vector<uint64_t> weights, uint64_t bound, Budget &budget)
      : weights_(std::move(weights)), bestWeight_(bound), budget_(budget) {}

  void search(std::vector<Row> rows, uint64_t weight) {
    if (++nodes_ > kExactMaxNodes) {
      throw WorkExhausted{};
    }
    const size_t depth = chosen_.size();
    const bool open = takeEssentialColumns(rows, weight);
    if (open && weight < bestWeight_) {
      removeDominatedRows(rows);
      if (weight + lowerBound(rows) < bestWeight_) {
        branch(rows, weight);
      }
    }
    chosen_.resize(depth);
  }

  bool found() const { return found_; }
  const std::vector<size_t> &best() const { return best_; }

private:
  // Takes the columns of single-column rows; false when the node is closed
  // (solved or infeasible).
  bool takeEssentialColumns(std::vector<Row> &rows, uint64_t &weight) {
    for (;;) {
      budget_.charge(rows.size() + 1);
      if (rows.empty()) {
        if (weight < bestWeight_) {
          bestWeight_ = weight;
          best_ = chosen_;
          found_ = true;
        }
        return false;
      }
      const auto single = std::find_if(rows.begin(), rows.end(),
                                       [](const Row &row) { return columnCount(row) <= 1; });
      if (single == rows.end()) {
        return true;
      }
      if (columnCount(*single) == 0) {
        return false;
      }
      size_t column = 0;
      forEachColumn(*single, [&](size_t c) { column = c; });
      chosen_.push_back(column);
      weight += weights_[column];
      std::erase_if(rows, [&](const Row &row) { return hasColumn(row, column); });
    }
  }

  // A row whose columns include all of another row's is covered whenever
  // that one is.
  void removeDominatedRows(std::vector<Row> &rows) {
    budget_.charge(rows.size() * rows.size() + 1);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row &a, const Row &b) { return columnCount(a) < columnCount(b); });
    std::vector<Row> kept;
    for (Row &row : rows) {
      if (std::none_of(kept.begin(), kept.end(), [&](const Row &k) { return subsetOf(k, row); })) {
        kept.push_back(std::move(row));
      }
    }
    rows = std::move(kept);
  }

  // Pairwise disjoint rows each need a column of their own.
  uint64_t lowerBound(const std::vector<Row> &rows) const {
    Row used(rows.front().size(), 0);
    uint64_t bound = 0;
    for (const Row &row : rows) {
      bool disjoint = true;
      for (size_t w = 0; w < row.size(); ++w) {
        disjoint = disjoint && (row[w] & used[w]) == 0;
      }
      if (!disjoint) {
        continue;
      }
      uint64_t cheapest = ~uint64_t{0};
      forEachColumn(row, [&](size_t c) { cheapest = std::min(cheapest, weights_[c]); });
      bound += cheapest;
      for (size_t w = 0; w < row.size(); ++w) {
        used[w] |= row[w];
      }
    }
    return bound;
  }

  // Some column of the shortest row is in every cover; the i-th branch
  // takes its i-th column and excludes the earlier ones, so no cover is
  // searched twice.
  void branch(const std::vector<Row> &rows, uint64_t weight) {
    const Row pivot = rows.front();
    Row excluded(pivot.size(), 0);
    forEachColumn(pivot, [&](size_t column) {
      std::vector<Row> next;
      for (const Row &row : rows) {
        if (!hasColumn(row, column)) {
          Row reduced = row;
          for (size_t w = 0; w < row.size(); ++w) {
            reduced[w] &= ~excluded[w];
          }
          next.push_back(std::move(reduced));
        }
      }
      chosen_.push_back(column);
      search(std::move(next), weight + weights_[column]);
      chosen_.pop_back();
      excluded[column / 64] |= uint64_t{1} << (column % 64);
    });
  }

  std::vector<uint64_t> weights_;
  uint64_t bestWeight_;
  Budget &budget_;
  std::vector<size_t> chosen_;
  std::vector<size_t> best_;
  uint64_t nodes_ = 0;
  bool found_ = false;
};

} // namespace

std::optional<Cover> minimiseExactly(const Cover &cover, const Cost &bound, Budget &budget) {
  if (cover.empty() || std::popcount(supportOf(cover)) > static_cast<int>(kExactMaxVariables)) {
    return std::nullopt;
  }
  const std::optional<Cover> primes = allPrimes(cover, budget);
  if (!primes) {
    return std::nullopt;
  }
  std::vector<uint64_t> weights;
  for (const Cube &prime : *primes) {
    weights.push_back(kTermWeight + literalCount(prime));
  }
  CoveringSearch search(std::move(weights), weightOf(bound), budget);
  try {
    search.search(coveringRows(*primes, budget), 0);
  } catch (const WorkExhausted &) {
    // The best cover found before the limit is still a valid improvement.
  }
  if (!search.found()) {
    return std::nullopt;
  }
  Cover result;
  for (const size_t column : search.best()) {
    result.push_back((*primes)[column]);
  }
  return result;
}

} // namespace gsmith::twolevel
