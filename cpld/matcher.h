// Maximum bipartite matching by augmenting paths, for the three places that
// give many things one of few shared resources: signals to switch-matrix
// multiplexers and NODEs to macrocells a global enable can select. A new
// item takes the first candidate it can get, moving earlier items to other
// candidates of theirs when that frees one, so that a greedy order never
// refuses an assignment that exists.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <vector>

namespace gsmith {

class BipartiteMatcher {
public:
  // How a new item looks for a candidate. FREE_FIRST takes a free candidate
  // if it has one before moving anybody; IN_ORDER tries its candidates in
  // order, moving the holder of an earlier one rather than taking a later
  // free one. Both find an assignment whenever one exists; they differ in
  // which, and the fuse maps each back end has always written depend on it.
  enum class Search { FREE_FIRST, IN_ORDER };

  explicit BipartiteMatcher(Search search) : search_(search) {}

  // Adds an item with its candidates in preference order; false when no
  // assignment gives it one (the item then stays unassigned).
  bool add(std::vector<int> candidates) {
    candidates_.push_back(std::move(candidates));
    chosen_.push_back(-1);
    const size_t item = chosen_.size() - 1;
    if (search_ == Search::FREE_FIRST) {
      for (int candidate : candidates_[item]) {
        if (holder_.count(candidate) == 0) {
          take(item, candidate);
          return true;
        }
      }
    }
    std::set<int> visited;
    return augment(item, visited);
  }

  // The candidate assigned to item `item` (in the order of add), or -1.
  int assigned(size_t item) const { return chosen_[item]; }

private:
  void take(size_t item, int candidate) {
    chosen_[item] = candidate;
    holder_[candidate] = item;
  }

  bool augment(size_t item, std::set<int> &visited) {
    for (int candidate : candidates_[item]) {
      if (!visited.insert(candidate).second)
        continue;
      const auto holder = holder_.find(candidate);
      if (holder != holder_.end() && !augment(holder->second, visited))
        continue;
      take(item, candidate);
      return true;
    }
    return false;
  }

  Search search_;
  std::vector<std::vector<int>> candidates_;
  std::vector<int> chosen_;
  std::map<int, size_t> holder_;
};

} // namespace gsmith
