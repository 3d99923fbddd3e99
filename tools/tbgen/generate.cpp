#include "generate.h"

#include <atomic>
#include <cassert>
#include <cstring>
#include <mutex>
#include <thread>

#include "gen_moves.h"

void GenParallelFor(uint64_t count, int threads, const std::function<void(uint64_t, uint64_t)>& body,
                    const std::function<void(uint64_t)>& progress) {
  const uint64_t chunk = 1 << 16;
  std::atomic<uint64_t> next{0}, done{0};
  // Claims the next chunk and works it; false when none is left.
  auto workChunk = [&]() {
    uint64_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
    if (begin >= count) return false;
    uint64_t end = begin + chunk < count ? begin + chunk : count;
    body(begin, end);
    done.fetch_add(end - begin, std::memory_order_relaxed);
    return true;
  };
  auto worker = [&]() {
    while (workChunk()) {
    }
  };
  if (threads < 1) threads = 1;
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; t++) pool.emplace_back(worker);
  if (!progress) {
    worker();
  } else {
    // The calling thread reports while it works, chunk by chunk.
    while (workChunk()) progress(done.load(std::memory_order_relaxed));
  }
  for (auto& t : pool) t.join();
}

static void FindEnPassantNodes(GenTable* table, int side, int threads) {
  const GenClassInfo& info = table->info;
  uint64_t chunks = (info.normalSize + 65535) / 65536;
  std::vector<std::vector<uint32_t>> bases(chunks);
  std::vector<std::vector<int8_t>> squares(chunks);
  GenParallelFor(info.normalSize, threads, [&](uint64_t begin, uint64_t end) {
    std::vector<uint32_t>& b = bases[begin / 65536];
    std::vector<int8_t>& s = squares[begin / 65536];
    GenPosition pos;
    for (uint64_t index = begin; index < end; index++) {
      if (!GenDecodeIndex(info, uint32_t(index), side, &pos)) continue;
      // The other side's pawns on their fourth rank may just have come.
      for (int i = 2; i < pos.men; i++) {
        if (pos.type[i] != GenPawn || pos.side[i] == side) continue;
        int sq = pos.square[i];
        int ep = side == 0 ? sq + 8 : sq - 8;
        if ((side == 0 && (sq >> 3) != 4) || (side == 1 && (sq >> 3) != 3)) continue;
        if (!GenEnPassantEligible(pos, ep)) continue;
        b.push_back(uint32_t(index));
        s.push_back(int8_t(ep));
      }
    }
  });
  for (uint64_t c = 0; c < chunks; c++) {
    table->epBase[side].insert(table->epBase[side].end(), bases[c].begin(), bases[c].end());
    table->epSquare[side].insert(table->epSquare[side].end(), squares[c].begin(), squares[c].end());
  }
}

uint64_t GenMemoryEstimate(const GenClassInfo& info) {
  uint64_t bytes = 4 * uint64_t(info.normalSize);
  GenExitNeeds needs = GenNeedsOfExits(info);
  for (const std::string& name : needs.whole) {
    GenClassInfo target;
    if (ParseGenClass(name.c_str(), &target)) bytes += 2 * uint64_t(target.normalSize);
  }
  for (const GenSliceKey& key : needs.slices) {
    GenSlice slice;
    if (GenSetUpSlice(key, &slice)) bytes += GenSliceSize(slice);
  }
  return bytes;
}

void GenSetUpNodes(GenTable* table, int threads) {
  for (int side = 0; side < 2; side++) {
    table->epBase[side].clear();
    table->epSquare[side].clear();
    if (table->info.enPassant) FindEnPassantNodes(table, side, threads);
    table->value[side].assign(size_t(table->info.normalSize) + table->epBase[side].size(), 0);
  }
}

namespace {

// The distinct nodes among one position's children or parents.
struct GenNodeSet {
  uint32_t node[256];
  int count = 0;
  // False when `n` is already held.
  bool Add(uint32_t n) {
    for (int i = 0; i < count; i++)
      if (node[i] == n) return false;
    Push(n);
    return true;
  }
  void Push(uint32_t n) {
    assert(count < 256);
    node[count++] = n;
  }
};

// Calls found(i) for every i in [begin, end) with bytes[i] == wanted. Most
// bytes differ on most passes, so eight are tested at a time.
template <class Found>
void ForEachEqualByte(const int8_t* bytes, uint64_t begin, uint64_t end, int8_t wanted, Found&& found) {
  const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  const uint64_t pattern = ones * uint8_t(wanted);
  uint64_t i = begin;
  for (; i < end && (i & 7); i++)
    if (bytes[i] == wanted) found(i);
  for (; i + 8 <= end; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    uint64_t x = word ^ pattern;
    if (!((x - ones) & ~x & highs)) continue;
    for (uint64_t j = i; j < i + 8; j++)
      if (bytes[j] == wanted) found(j);
  }
  for (; i < end; i++)
    if (bytes[i] == wanted) found(i);
}

struct Generation {
  GenTable* table;
  GenExits exits;
  int threads;
  GenProgress progress;
  std::atomic<int> maxPlies{0};
  std::atomic<int> overflow{0};
  // Per node: how many of its distinct in-class children are not yet known
  // to be won by the side that moves into them. A node whose count falls to
  // zero may be lost, and only then are its moves generated again.
  std::vector<uint8_t> undecided[2];

  void NotePlies(int plies) {
    int seen = maxPlies.load(std::memory_order_relaxed);
    while (plies > seen && !maxPlies.compare_exchange_weak(seen, plies, std::memory_order_relaxed)) {
    }
  }

  uint64_t NodeCount(int side) const { return table->value[side].size(); }

  // First look at every node: broken, mate, stalemate, or a value from moves
  // that leave the class.
  void InitialValues(int side) {
    int8_t* value = table->value[side].data();
    undecided[side].assign(NodeCount(side), 0);
    uint8_t* count = undecided[side].data();
    std::function<void(uint64_t)> report;
    if (progress) report = [&](uint64_t done) { progress("scan", done, NodeCount(side)); };
    GenParallelFor(NodeCount(side), threads, [&](uint64_t begin, uint64_t end) {
      GenPosition pos;
      GenNodeSet children;
      for (uint64_t node = begin; node < end; node++) {
        if (!GenNodeToPosition(*table, uint32_t(node), side, &pos) || GenInCheck(pos, 1 - side)) {
          value[node] = GenBroken;
          continue;
        }
        bool anyMove = false, inClass = false;
        bool mayFold = GenMovesMayFold(table->info, pos);
        int best = -128, moves = 0;
        children.count = 0;
        GenForEachMove(pos, [&](const GenPosition& child, int captured, int promoted) {
          anyMove = true;
          if (captured < 0 && promoted < 0) {
            inClass = true;
            if (!mayFold) {
              moves++;
            } else {
              if (children.Add(GenNodeOf(*table, child))) moves++;
            }
            return true;
          }
          int c = GenExitValue(exits, child, captured, promoted);
          assert(c != GenBroken);
          if (c == 1) overflow.store(1);
          int v = GenFromChild(c);
          if (v > best) best = v;
          return true;
        });
        // Moves inside the class are settled later; a win through an exit is
        // kept as a bound that a quicker win may still replace.
        int v = 0;
        if (!anyMove) v = GenInCheck(pos, side) ? -126 : 0;
        else if (!inClass) v = best;
        else if (best > 0) v = best;
        value[node] = int8_t(v);
        assert(moves < 256);
        count[node] = uint8_t(moves);
        if (v != 0) NotePlies(GenPlies(v));
      }
    }, report);
  }

  // All moves of a node lose, each to a settled win no later than `plies`:
  // returns the loss byte, or 0 when the node is not (yet) lost.
  int SettledLoss(const GenPosition& pos, int plies) {
    const int8_t* childValues = table->value[1 - pos.toMove].data();
    int worst = 127;
    bool lost = true;
    GenForEachMove(pos, [&](const GenPosition& child, int captured, int promoted) {
      int v;
      if (captured < 0 && promoted < 0) {
        v = GenLoad(childValues + GenNodeOf(*table, child));
        if (!GenIsWin(v) || GenPlies(v) > plies) lost = false;
      } else {
        v = GenExitValue(exits, child, captured, promoted);
        if (!GenIsWin(v)) lost = false;
      }
      if (v < worst) worst = v;
      return lost;
    });
    if (!lost) return 0;
    if (worst == 1) {
      overflow.store(1);
      return 0;
    }
    return GenFromChild(worst);
  }

  // The nodes from which the side that just moved reached `pos` inside the
  // class: each placement and its en-passant variants. With `distinct`, a
  // node that two retractions reach is listed once.
  void CollectParents(const GenPosition& pos, bool distinct, GenNodeSet* parents) {
    int side = pos.toMove, mover = 1 - side;
    parents->count = 0;
    GenForEachRetraction(pos, [&](const GenPosition& previous) {
      uint32_t first = GenNodeOf(*table, previous);
      if (distinct) {
        if (!parents->Add(first)) return;
      } else {
        parents->Push(first);
      }
      if (!table->info.enPassant) return;
      for (int i = 2; i < previous.men; i++) {
        if (previous.type[i] != GenPawn || previous.side[i] != side) continue;
        int sq = previous.square[i];
        if ((mover == 0 && (sq >> 3) != 4) || (mover == 1 && (sq >> 3) != 3)) continue;
        int ep = mover == 0 ? sq + 8 : sq - 8;
        if (!GenEnPassantEligible(previous, ep)) continue;
        GenPosition e = previous;
        e.epSquare = ep;
        uint32_t n = GenNodeOf(*table, e);
        if (n >= table->info.normalSize) parents->Push(n);
      }
    });
  }

  // Settles the predecessors of every node `plies` from mate.
  void Propagate(int side, int plies) {
    int target = plies % 2 == 0 ? plies / 2 - 126 : 127 - (plies + 1) / 2;
    bool childrenWon = plies % 2 == 1;
    const int8_t* value = table->value[side].data();
    int8_t* prevValue = table->value[1 - side].data();
    const uint8_t* prevCount = undecided[1 - side].data();
    GenParallelFor(NodeCount(side), threads, [&](uint64_t begin, uint64_t end) {
      GenPosition pos;
      GenNodeSet parents;
      ForEachEqualByte(value, begin, end, int8_t(target), [&](uint64_t node) {
        GenNodeToPosition(*table, uint32_t(node), side, &pos);
        // A parent counts each distinct child once.
        CollectParents(pos, childrenWon && GenMovesMayFold(table->info, pos), &parents);
        // The parents lie far apart: ask for all of them before reading any.
        for (int i = 0; i < parents.count; i++) {
          __builtin_prefetch(prevValue + parents.node[i]);
          if (childrenWon) __builtin_prefetch(prevCount + parents.node[i]);
        }
        for (int i = 0; i < parents.count; i++) Visit(prevValue, parents.node[i], 1 - side, plies, target);
      });
    });
  }

  void Visit(int8_t* prevValue, uint32_t node, int toMove, int plies, int target) {
    int v = GenLoad(prevValue + node);
    if (v == GenBroken) return;
    if (plies % 2 == 0) {
      // A move into a lost node wins.
      int win = -target;
      assert(!GenIsLoss(v));
      if (v == 0 || (GenIsWin(v) && v < win)) {
        GenStore(prevValue + node, win);
        NotePlies(plies + 1);
      }
      return;
    }
    if (v != 0) return;
    uint8_t* count = undecided[toMove].data() + node;
    if (__atomic_sub_fetch(count, uint8_t(1), __ATOMIC_RELAXED) != 0) return;
    GenPosition pos;
    GenNodeToPosition(*table, node, toMove, &pos);
    int loss = SettledLoss(pos, plies);
    if (loss) {
      GenStore(prevValue + node, loss);
      NotePlies(GenPlies(loss));
    }
  }
};

}  // namespace

std::unique_ptr<GenTable> GenerateClass(const std::string& name, const GenOptions& options, std::string* error) {
  InitGenBoard();
  auto table = std::make_unique<GenTable>();
  if (!ParseGenClass(name.c_str(), &table->info)) {
    *error = "not a class name: " + name;
    return nullptr;
  }
  Generation gen;
  gen.table = table.get();
  gen.threads = options.threads;
  gen.progress = options.progress;
  std::string missing;
  if (!GenPrepareExits(table->info, &gen.exits, &missing)) {
    *error = "class " + name + " needs " + missing + " first";
    return nullptr;
  }
  GenSetUpNodes(table.get(), options.threads);
  for (int side = 0; side < 2; side++) gen.InitialValues(side);
  for (int plies = 0; plies <= gen.maxPlies.load() && !gen.overflow.load(); plies++) {
    if (gen.progress) gen.progress("depth", uint64_t(plies), 0);
    for (int side = 0; side < 2; side++) gen.Propagate(side, plies);
  }
  if (gen.overflow.load()) {
    *error = "class " + name + " holds a mate too long for one byte";
    return nullptr;
  }
  return table;
}

static bool AddInOrder(const std::string& name, std::vector<std::string>* order, std::string* error) {
  for (const std::string& done : *order)
    if (done == name) return true;
  GenClassInfo info;
  if (!ParseGenClass(name.c_str(), &info)) {
    *error = "not a class name: " + name;
    return false;
  }
  for (const std::string& sub : GenExitClassNames(info))
    if (!AddInOrder(sub, order, error)) return false;
  order->push_back(name);
  return true;
}

bool GenClassesInOrder(const std::vector<std::string>& wanted, std::vector<std::string>* order, std::string* error) {
  order->clear();
  for (const std::string& name : wanted)
    if (!AddInOrder(name, order, error)) return false;
  return true;
}
