// The generator's tables in memory: one value byte per work index and side
// to move, followed by the en-passant positions, and the lookup of any
// position (of this class or a smaller one reached by a capture or promotion).
//
// Value bytes are the stored bytes of the table files:
//   127 - n   the side to move mates on its n-th move (n = 1..126)
//   k - 126   the side to move is mated after k moves of its own (k = 0..125)
//   0         draw
//   127       no position: men on one square, the side not to move in check,
//             or an index that no placement reaches
// With this, a higher byte is always the better result for the side to move.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gen_class.h"

constexpr int8_t GenBroken = 127;

inline bool GenIsWin(int v) { return v > 0 && v < 127; }
inline bool GenIsLoss(int v) { return v < 0 && v >= -126; }
// Plies until mate for a win or loss byte: wins 2n - 1, losses 2k.
inline int GenPlies(int v) { return v > 0 ? 253 - 2 * v : 2 * v + 252; }
// The byte of a move seen from the mover, given the child's byte.
inline int GenFromChild(int child) { return child < 0 ? -child : child > 0 ? 1 - child : 0; }

struct GenTable {
  GenClassInfo info;
  std::vector<int8_t> value[2];
  std::vector<uint32_t> epBase[2];   // work index of each en-passant position, ascending
  std::vector<int8_t> epSquare[2];   // its en-passant square (canonical orientation)
};

// Node number of a position of the table's class (men in class order): the
// work index of its canonical orientation, or for an en-passant position
// normalSize + its rank.
inline uint32_t GenNodeOf(const GenTable& table, const GenPosition& pos) {
  int epSquare;
  uint32_t index = GenCanonicalIndex(table.info, pos, &epSquare);
  if (epSquare < 0) return index;
  const std::vector<uint32_t>& bases = table.epBase[pos.toMove];
  const std::vector<int8_t>& squares = table.epSquare[pos.toMove];
  size_t j = size_t(std::lower_bound(bases.begin(), bases.end(), index) - bases.begin());
  for (; j < bases.size() && bases[j] == index; j++)
    if (squares[j] == epSquare) return table.info.normalSize + uint32_t(j);
  return index;
}

// Sets up the position of a node; false when the node names no placement.
bool GenNodeToPosition(const GenTable& table, uint32_t node, int toMove, GenPosition* pos);

inline int GenLoad(const int8_t* p) { return __atomic_load_n(p, __ATOMIC_RELAXED); }
inline void GenStore(int8_t* p, int v) { __atomic_store_n(p, int8_t(v), __ATOMIC_RELAXED); }

// Tables held by the process, by class name.
GenTable* FindGenTable(const std::string& name);
GenTable* AddGenTable(std::unique_ptr<GenTable> table);
void DropGenTable(const std::string& name);
void DropAllGenTables();

// Where the children of one class that leave it go: for each taken man and
// promoted pawn, the smaller (or other) class and how its men map.
struct GenExitTarget {
  const GenTable* table;   // null: bare kings (always a draw)
  bool reversed;           // colours exchanged against the target's name
  int slot[GenMaxMen];     // child man index for each man of the target class
};

struct GenExits {
  // [captured + 1][promoted + 1][promotion type]
  GenExitTarget target[GenMaxMen + 1][GenMaxMen + 1][7];
  bool used[GenMaxMen + 1][GenMaxMen + 1][7];
};

// The class names the children of `info` can reach outside it.
std::vector<std::string> GenExitClassNames(const GenClassInfo& info);

// Prepares the exits of a class; false with the missing class in *missing.
bool GenPrepareExits(const GenClassInfo& info, GenExits* exits, std::string* missing);

// The child's byte (child's view) for a move that leaves the class.
int GenExitValue(const GenExits& exits, const GenPosition& child, int captured, int promoted);
