// Symbolic phase of the hypersparse solves: the set of nodes reachable from
// the nonzeros of a right-hand side in the dependency graph of a triangular
// factor, in an order in which every node comes after all nodes that feed
// it. Its cost is the number of nodes and edges reached, so a solve with a
// sparse result never looks at the rest of the factor.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

namespace korva::lu {

struct ReachWork {
  std::vector<int> visited;  // stamp per node
  std::vector<int> stack_node, stack_next;
  std::vector<int> post;     // post order; read backwards for a topological order
  int stamp = 0;

  void resize(int n) {
    visited.assign(static_cast<size_t>(n), 0);
    stack_node.resize(static_cast<size_t>(n));
    stack_next.resize(static_cast<size_t>(n));
    post.resize(static_cast<size_t>(n));
    stamp = 0;
  }
};

// `edges(node, begin, count)` gives the successors of a node. Returns the
// number of reached nodes (in work.post[0..count), reverse topological), or
// -1 once more than `limit` nodes are reached: the caller then solves
// densely. `work_done` accumulates nodes plus edges scanned.
template <class Edges>
int reach(ReachWork& work, const int* seeds, int num_seeds, Edges edges, int limit, uint64_t& work_done) {
  if (++work.stamp == 0x7fffffff) {
    std::fill(work.visited.begin(), work.visited.end(), 0);
    work.stamp = 1;
  }
  const int mark = work.stamp;
  int done = 0;
  for (int s = 0; s < num_seeds; ++s) {
    int root = seeds[s];
    if (work.visited[root] == mark) continue;
    work.visited[root] = mark;
    int top = 0;
    work.stack_node[0] = root;
    work.stack_next[0] = 0;
    while (top >= 0) {
      int node = work.stack_node[top];
      const int* succ = nullptr;
      int count = 0;
      edges(node, succ, count);
      int k = work.stack_next[top];
      while (k < count && work.visited[succ[k]] == mark) ++k;
      work_done += static_cast<uint64_t>(k - work.stack_next[top]);
      if (k < count) {
        work.stack_next[top] = k + 1;
        int child = succ[k];
        work.visited[child] = mark;
        ++top;
        work.stack_node[top] = child;
        work.stack_next[top] = 0;
      } else {
        work.post[done++] = node;
        ++work_done;
        --top;
        if (done > limit) return -1;
      }
    }
  }
  return done;
}

}  // namespace korva::lu
