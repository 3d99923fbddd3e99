#include "gen_tables.h"

#include <algorithm>
#include <cassert>
#include <map>

#include "gen_board.h"
#include "generate.h"

static std::map<std::string, std::unique_ptr<GenTable>>& Tables() {
  static std::map<std::string, std::unique_ptr<GenTable>> tables;
  return tables;
}

static std::vector<std::unique_ptr<GenSlice>>& Slices() {
  static std::vector<std::unique_ptr<GenSlice>> slices;
  return slices;
}

GenTable* FindGenTable(const std::string& name) {
  auto it = Tables().find(name);
  return it == Tables().end() ? nullptr : it->second.get();
}

GenTable* AddGenTable(std::unique_ptr<GenTable> table) {
  GenTable* raw = table.get();
  Tables()[raw->info.name] = std::move(table);
  return raw;
}

const GenSlice* FindGenSlice(const GenSliceKey& key) {
  for (const auto& slice : Slices())
    if (slice->key == key) return slice.get();
  return nullptr;
}

const GenSlice* AddGenSlice(std::unique_ptr<GenSlice> slice) {
  Slices().push_back(std::move(slice));
  return Slices().back().get();
}

void DropGenTable(const std::string& name) {
  Tables().erase(name);
  auto& slices = Slices();
  slices.erase(std::remove_if(slices.begin(), slices.end(), [&](const auto& s) { return s->key.name == name; }),
               slices.end());
}

void DropAllGenTables() {
  Tables().clear();
  Slices().clear();
}

uint64_t GenHeldBytes() {
  uint64_t bytes = 0;
  for (const auto& entry : Tables()) bytes += entry.second->value[0].size() + entry.second->value[1].size();
  for (const auto& slice : Slices()) bytes += slice->value.size();
  return bytes;
}

bool GenSetUpSlice(const GenSliceKey& key, GenSlice* slice) {
  if (!ParseGenClass(key.name.c_str(), &slice->info)) return false;
  const GenClassInfo& info = slice->info;
  if (key.man < 2 || key.man >= info.men || key.side < 0 || key.side > 1 || (key.rank != 0 && key.rank != 7))
    return false;
  slice->key = key;
  // The squares the rank can be folded to: with pawns only the left-right
  // mirror, which keeps ranks; without, every symmetry of the board.
  uint64_t squares = 0;
  for (int file = 0; file < 8; file++) {
    int square = 8 * key.rank + file;
    if (info.pawns) {
      squares |= GenBit(square);
    } else {
      for (int t = 0; t < 8; t++) squares |= GenBit(GenFold.image[t][square]);
    }
  }
  slice->squares = 0;
  for (int square = 0; square < 64; square++) {
    slice->compact[square] = -1;
    if (squares & GenBit(square)) {
      slice->compact[square] = int8_t(slice->squares);
      slice->squareAt[slice->squares++] = uint8_t(square);
    }
  }
  slice->lowSize = 1;
  for (int i = key.man + 1; i < info.men; i++) slice->lowSize *= 64;
  return true;
}

std::unique_ptr<GenSlice> GenCutSlice(const GenTable& table, const GenSliceKey& key, int threads) {
  auto slice = std::make_unique<GenSlice>();
  if (key.name != table.info.name || !GenSetUpSlice(key, slice.get())) return nullptr;
  slice->value.resize(GenSliceSize(*slice));
  const int8_t* whole = table.value[key.side].data();
  int8_t* part = slice->value.data();
  const GenSlice& s = *slice;
  GenParallelFor(slice->value.size(), threads, [&](uint64_t begin, uint64_t end) {
    for (uint64_t offset = begin; offset < end; offset++) part[offset] = whole[GenSliceNode(s, offset)];
  });
  return slice;
}

bool GenNodeToPosition(const GenTable& table, uint32_t node, int toMove, GenPosition* pos) {
  if (node < table.info.normalSize) return GenDecodeIndex(table.info, node, toMove, pos);
  size_t j = node - table.info.normalSize;
  if (j >= table.epBase[toMove].size()) return false;
  if (!GenDecodeIndex(table.info, table.epBase[toMove][j], toMove, pos)) return false;
  pos->epSquare = table.epSquare[toMove][j];
  return true;
}

// Material of a child: the class's men with one taken and one pawn promoted.
static void ChildMaterial(const GenClassInfo& info, int captured, int promoted, int promotedType, int* type,
                          bool* alive) {
  for (int i = 0; i < info.men; i++) {
    type[i] = info.type[i];
    alive[i] = i != captured;
  }
  if (promoted >= 0) type[promoted] = promotedType;
}

static std::string TargetName(const GenClassInfo& info, const int* type, const bool* alive, bool* reversed) {
  int white[GenMaxMen], black[GenMaxMen], wc = 0, bc = 0;
  for (int i = 2; i < info.men; i++) {
    if (!alive[i]) continue;
    if (info.side[i] == 0) white[wc++] = type[i];
    else black[bc++] = type[i];
  }
  return GenMaterialName(white, wc, black, bc, reversed);
}

static bool ValidExit(const GenClassInfo& info, int captured, int promoted) {
  if (captured >= 0 && captured < 2) return false;
  if (promoted >= 0 && info.type[promoted] != GenPawn) return false;
  if (captured >= 0 && captured == promoted) return false;
  if (captured >= 0 && promoted >= 0 && info.side[captured] == info.side[promoted]) return false;
  return captured >= 0 || promoted >= 0;
}

// One way out of a class: a capture (the man taken, or -1) and a promotion
// (the pawn promoted, or -1, and the piece it becomes), with the material
// that is left and the class that holds it.
struct GenExitMaterial {
  int captured, promoted, promotedType;
  int type[GenMaxMen];
  bool alive[GenMaxMen];
  bool reversed;  // the class holds the material with the colours exchanged
  std::string name;
};

// Calls visit(exit) for every way out of the class, stopping when it answers
// false; answers whether it went through all of them.
template <typename Visit>
static bool ForEachExit(const GenClassInfo& info, Visit visit) {
  for (int c = -1; c < info.men; c++)
    for (int p = -1; p < info.men; p++) {
      if (!ValidExit(info, c, p)) continue;
      for (int t = GenKnight; t <= (p >= 0 ? GenQueen : GenKnight); t++) {
        GenExitMaterial exit;
        exit.captured = c;
        exit.promoted = p;
        exit.promotedType = t;
        ChildMaterial(info, c, p, t, exit.type, exit.alive);
        exit.name = TargetName(info, exit.type, exit.alive, &exit.reversed);
        if (!visit(exit)) return false;
      }
    }
  return true;
}

std::vector<std::string> GenExitClassNames(const GenClassInfo& info) {
  std::vector<std::string> names;
  ForEachExit(info, [&](const GenExitMaterial& exit) {
    if (exit.name != "kk" && std::find(names.begin(), names.end(), exit.name) == names.end())
      names.push_back(exit.name);
    return true;
  });
  return names;
}

// Matches the target class's men to the child's: each takes a distinct
// child man of the same type and (after any colour exchange) the same side.
static bool MatchMen(const GenClassInfo& info, const GenExitMaterial& exit, const GenClassInfo& target, int* slot) {
  bool taken[GenMaxMen] = {};
  for (int s = 0; s < target.men; s++) {
    int wantSide = target.side[s] ^ (exit.reversed ? 1 : 0);
    int found = -1;
    for (int i = 0; i < info.men && found < 0; i++)
      if (exit.alive[i] && !taken[i] && exit.type[i] == target.type[s] && info.side[i] == wantSide) found = i;
    if (found < 0) return false;
    taken[found] = true;
    slot[s] = found;
  }
  return true;
}

// The slice a promotion reaches: the mover's opponent to move and the new
// piece on the mover's last rank, both in the target's colours.
static GenSliceKey SliceOfPromotion(const GenClassInfo& info, const GenExitMaterial& exit, const GenClassInfo& target,
                                    const int* slot) {
  GenSliceKey key;
  key.name = exit.name;
  key.man = -1;
  for (int s = 0; s < target.men; s++)
    if (slot[s] == exit.promoted) key.man = s;
  int mover = info.side[exit.promoted];
  int flip = exit.reversed ? 1 : 0;
  key.side = (1 - mover) ^ flip;
  key.rank = (mover == 0 ? 7 : 0) ^ (flip ? 7 : 0);
  return key;
}

GenExitNeeds GenNeedsOfExits(const GenClassInfo& info) {
  GenExitNeeds needs;
  ForEachExit(info, [&](const GenExitMaterial& exit) {
    if (exit.name == "kk") return true;
    if (exit.promoted < 0) {
      if (std::find(needs.whole.begin(), needs.whole.end(), exit.name) == needs.whole.end())
        needs.whole.push_back(exit.name);
      return true;
    }
    GenClassInfo target;
    int slot[GenMaxMen];
    if (!ParseGenClass(exit.name.c_str(), &target) || !MatchMen(info, exit, target, slot)) return true;
    GenSliceKey key = SliceOfPromotion(info, exit, target, slot);
    if (std::find(needs.slices.begin(), needs.slices.end(), key) == needs.slices.end()) needs.slices.push_back(key);
    return true;
  });
  return needs;
}

// Points the target of one way out at its table (or a promotion's at its
// slice) and matches the target class's men to the child's; false when
// neither is held.
static bool PrepareExit(const GenClassInfo& info, const GenExitMaterial& exit, GenExits* exits) {
  const int c = exit.captured, p = exit.promoted, t = exit.promotedType;
  GenExitTarget& target = exits->target[c + 1][p + 1][p >= 0 ? t : 0];
  exits->used[c + 1][p + 1][p >= 0 ? t : 0] = true;
  target.reversed = exit.reversed;
  target.table = nullptr;
  target.slice = nullptr;
  if (exit.name == "kk") {
    target.slot[0] = exit.reversed ? 1 : 0;
    target.slot[1] = exit.reversed ? 0 : 1;
    return true;
  }
  const GenTable* table = FindGenTable(exit.name);
  GenClassInfo targetInfo;
  if (table) {
    targetInfo = table->info;
  } else if (p < 0 || !ParseGenClass(exit.name.c_str(), &targetInfo)) {
    return false;
  }
  if (!MatchMen(info, exit, targetInfo, target.slot)) return false;
  if (table) {
    target.table = table;
    return true;
  }
  target.slice = FindGenSlice(SliceOfPromotion(info, exit, targetInfo, target.slot));
  return target.slice != nullptr;
}

bool GenPrepareExits(const GenClassInfo& info, GenExits* exits, std::string* missing) {
  *exits = GenExits();
  return ForEachExit(info, [&](const GenExitMaterial& exit) {
    if (PrepareExit(info, exit, exits)) return true;
    *missing = exit.name;
    return false;
  });
}

int GenExitValue(const GenExits& exits, const GenPosition& child, int captured, int promoted) {
  int t = promoted >= 0 ? child.type[promoted] : 0;
  const GenExitTarget& target = exits.target[captured + 1][promoted + 1][t];
  if (!target.table && !target.slice) return 0;
  const GenClassInfo& info = target.table ? target.table->info : target.slice->info;
  GenPosition pos;
  int flip = target.reversed ? 56 : 0;
  pos.men = info.men;
  pos.toMove = child.toMove ^ (target.reversed ? 1 : 0);
  pos.epSquare = child.epSquare < 0 ? -1 : child.epSquare ^ flip;
  for (int s = 0; s < pos.men; s++) {
    pos.square[s] = child.square[target.slot[s]] ^ flip;
    pos.type[s] = info.type[s];
    pos.side[s] = info.side[s];
  }
  if (target.table) return target.table->value[pos.toMove][GenNodeOf(*target.table, pos)];
  // A promotion is no double step, and it is the other side's move.
  const GenSlice& slice = *target.slice;
  assert(pos.epSquare < 0 && pos.toMove == slice.key.side);
  int epSquare;
  int64_t at = GenSliceOffset(slice, GenCanonicalIndex(info, pos, &epSquare));
  assert(at >= 0);
  return at < 0 ? GenBroken : slice.value[size_t(at)];
}
