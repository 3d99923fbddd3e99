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

// The part of a class that promotions into it reach: one side to move and
// one man, the promoted piece, on the squares its promotion rank takes in the
// class's own layout (the rank itself with pawns; with the board folded, all
// four edges). The other side and every other square of that man are never
// looked up, so a class built on promotions holds this instead of the whole
// class: an eighth of one side for a target with pawns.
struct GenSliceKey {
  std::string name;
  int side;  // side to move in the class's own colours
  int man;   // the promoted man's index in the class
  int rank;  // 0 or 7: the promotion rank in the class's own colours
  bool operator==(const GenSliceKey& o) const {
    return name == o.name && side == o.side && man == o.man && rank == o.rank;
  }
};

struct GenSlice {
  GenSliceKey key;
  GenClassInfo info;
  int8_t compact[64];   // the man's square -> its number among the slice's squares, -1 outside
  uint8_t squareAt[64];  // and back
  uint32_t squares;      // how many squares the man takes
  uint32_t lowSize;    // work indices below the man's six bits: 64^(men - 1 - man)
  std::vector<int8_t> value;
};

// Sets up the layout of a slice (values not sized); false for a bad key.
bool GenSetUpSlice(const GenSliceKey& key, GenSlice* slice);
// Work indices of the slice: the class's with the man's 64 squares cut to
// slice.squares.
inline uint64_t GenSliceSize(const GenSlice& slice) {
  return uint64_t(slice.info.normalSize) / 64 * slice.squares;
}
// Position of the work index `node` in the slice's values; -1 when the man
// stands outside the slice.
inline int64_t GenSliceOffset(const GenSlice& slice, uint32_t node) {
  uint32_t low = node % slice.lowSize;
  uint32_t digit = (node / slice.lowSize) & 63;
  uint32_t high = node / slice.lowSize / 64;
  int compact = slice.compact[digit];
  if (compact < 0) return -1;
  return (int64_t(high) * slice.squares + compact) * slice.lowSize + low;
}
// Work index of the slice's value at `offset`.
inline uint32_t GenSliceNode(const GenSlice& slice, uint64_t offset) {
  uint64_t low = offset % slice.lowSize;
  uint64_t compact = offset / slice.lowSize % slice.squares;
  uint64_t high = offset / slice.lowSize / slice.squares;
  return uint32_t((high * 64 + slice.squareAt[compact]) * slice.lowSize + low);
}
// The slice of a class held whole.
std::unique_ptr<GenSlice> GenCutSlice(const GenTable& table, const GenSliceKey& key, int threads);

// Tables and slices held by the process, by class name.
GenTable* FindGenTable(const std::string& name);
GenTable* AddGenTable(std::unique_ptr<GenTable> table);
const GenSlice* FindGenSlice(const GenSliceKey& key);
const GenSlice* AddGenSlice(std::unique_ptr<GenSlice> slice);
// Lets go of a class: its whole table and its slices.
void DropGenTable(const std::string& name);
void DropAllGenTables();
// Bytes of values held in tables and slices.
uint64_t GenHeldBytes();

// Where the children of one class that leave it go: for each taken man and
// promoted pawn, the smaller (or other) class and how its men map.
struct GenExitTarget {
  const GenTable* table;   // null with no slice: bare kings (always a draw)
  const GenSlice* slice;   // a promotion's target held as its slice only
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

// What a class needs of the classes it leaves to: the names it reaches by a
// capture alone (held whole), and the slices its promotions reach.
struct GenExitNeeds {
  std::vector<std::string> whole;
  std::vector<GenSliceKey> slices;
};
GenExitNeeds GenNeedsOfExits(const GenClassInfo& info);

// Prepares the exits of a class from the tables held, a promotion's target
// whole when it is held, else its slice; false with the missing class in
// *missing.
bool GenPrepareExits(const GenClassInfo& info, GenExits* exits, std::string* missing);

// The child's byte (child's view) for a move that leaves the class.
int GenExitValue(const GenExits& exits, const GenPosition& child, int captured, int promoted);
