#include "gen_tables.h"

#include <algorithm>
#include <map>

static std::map<std::string, std::unique_ptr<GenTable>>& Tables() {
  static std::map<std::string, std::unique_ptr<GenTable>> tables;
  return tables;
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

void DropGenTable(const std::string& name) { Tables().erase(name); }
void DropAllGenTables() { Tables().clear(); }

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

// Points the target of one way out at its table and matches the target
// class's men to the child's; false when the table is missing.
static bool PrepareExit(const GenClassInfo& info, const GenExitMaterial& exit, GenExits* exits) {
  const int c = exit.captured, p = exit.promoted, t = exit.promotedType;
  const bool reversed = exit.reversed;
  GenExitTarget& target = exits->target[c + 1][p + 1][p >= 0 ? t : 0];
  exits->used[c + 1][p + 1][p >= 0 ? t : 0] = true;
  target.reversed = reversed;
  target.table = nullptr;
  if (exit.name == "kk") {
    target.slot[0] = reversed ? 1 : 0;
    target.slot[1] = reversed ? 0 : 1;
    return true;
  }
  const GenTable* table = FindGenTable(exit.name);
  if (!table) return false;
  target.table = table;
  // Each man of the target class takes a distinct child man of the
  // same type and (after any colour exchange) the same side.
  bool taken[GenMaxMen] = {};
  for (int s = 0; s < table->info.men; s++) {
    int wantSide = table->info.side[s] ^ (reversed ? 1 : 0);
    int found = -1;
    for (int i = 0; i < info.men && found < 0; i++)
      if (exit.alive[i] && !taken[i] && exit.type[i] == table->info.type[s] && info.side[i] == wantSide) found = i;
    if (found < 0) return false;
    taken[found] = true;
    target.slot[s] = found;
  }
  return true;
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
  if (!target.table) return 0;
  const GenTable& table = *target.table;
  GenPosition pos;
  int flip = target.reversed ? 56 : 0;
  pos.men = table.info.men;
  pos.toMove = child.toMove ^ (target.reversed ? 1 : 0);
  pos.epSquare = child.epSquare < 0 ? -1 : child.epSquare ^ flip;
  for (int s = 0; s < pos.men; s++) {
    pos.square[s] = child.square[target.slot[s]] ^ flip;
    pos.type[s] = table.info.type[s];
    pos.side[s] = table.info.side[s];
  }
  return table.value[pos.toMove][GenNodeOf(table, pos)];
}
