#include "material_trie.h"

#include <vector>

#include "tablebase_classes.h"

// Nodes live in one growing word store. A node is [budget, child 0, ...,
// child budget]: the largest count allowed at its level, then one word per
// count. Below the last level the child words are the signed class numbers
// themselves; above it they are store positions of child nodes (0 = absent).
static std::vector<int32_t> TrieStore;

static int32_t NewNode(int32_t budget) {
  int32_t at = static_cast<int32_t>(TrieStore.size());
  TrieStore.push_back(budget);
  TrieStore.insert(TrieStore.end(), budget + 1, 0);
  return at;
}

void ResetMaterialTrie() {
  TrieStore.clear();
  NewNode(MaterialTrieBudget);  // the root, at position 0
}

void FreeMaterialTrie() {
  std::vector<int32_t>().swap(TrieStore);
}

int32_t FindClass(const int32_t counts[10]) {
  if (TrieStore.empty()) return 0;
  int32_t node = 0;
  for (int32_t level = 0; level < MaterialTrieLevels; level++) {
    int32_t count = counts[level];
    if (count < 0 || count > TrieStore[node]) return 0;
    int32_t child = TrieStore[node + 1 + count];
    if (level == MaterialTrieLevels - 1) return child;
    if (child == 0) return 0;
    node = child;
  }
  return 0;
}

// Walks the counts down from the root, creating absent nodes, and stores the
// value in the last level's word. Fails on a count beyond the budget.
static int32_t InsertCounts(const int32_t counts[10], int32_t value) {
  if (TrieStore.empty()) ResetMaterialTrie();
  int32_t node = 0;
  for (int32_t level = 0; level < MaterialTrieLevels; level++) {
    int32_t budget = TrieStore[node];
    int32_t count = counts[level];
    if (count < 0 || count > budget) return 0;
    if (level == MaterialTrieLevels - 1) {
      TrieStore[node + 1 + count] = value;
      return 1;
    }
    int32_t child = TrieStore[node + 1 + count];
    if (child == 0) {
      child = NewNode(budget - count);  // may move the store: index afresh
      TrieStore[node + 1 + count] = child;
    }
    node = child;
  }
  return 0;
}

int32_t InsertClass(int32_t tableClass) {
  int32_t counts[10];
  if (!ClassMaterial(tableClass, counts)) return 0;
  int32_t exchanged[10];
  for (int32_t i = 0; i < 5; i++) {
    exchanged[i] = counts[i + 5];
    exchanged[i + 5] = counts[i];
  }
  // Check both before entering either, so a failure leaves no half entry.
  int32_t total = 0;
  for (int32_t i = 0; i < 10; i++) total += counts[i];
  if (total > MaterialTrieBudget) return 0;
  if (!InsertCounts(counts, tableClass)) return 0;
  if (TablebaseClasses[tableClass].Flags & TablebaseSymmetric) return 1;
  return InsertCounts(exchanged, -tableClass);
}
