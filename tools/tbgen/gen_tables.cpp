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

std::vector<std::string> GenExitClassNames(const GenClassInfo& info) {
  std::vector<std::string> names;
  for (int c = -1; c < info.men; c++)
    for (int p = -1; p < info.men; p++) {
      if (!ValidExit(info, c, p)) continue;
      for (int t = GenKnight; t <= (p >= 0 ? GenQueen : GenKnight); t++) {
        int type[GenMaxMen];
        bool alive[GenMaxMen], reversed;
        ChildMaterial(info, c, p, t, type, alive);
        std::string name = TargetName(info, type, alive, &reversed);
        if (name != "kk" && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
      }
    }
  return names;
}

bool GenPrepareExits(const GenClassInfo& info, GenExits* exits, std::string* missing) {
  *exits = GenExits();
  for (int c = -1; c < info.men; c++)
    for (int p = -1; p < info.men; p++) {
      if (!ValidExit(info, c, p)) continue;
      for (int t = GenKnight; t <= (p >= 0 ? GenQueen : GenKnight); t++) {
        int type[GenMaxMen];
        bool alive[GenMaxMen], reversed;
        ChildMaterial(info, c, p, t, type, alive);
        std::string name = TargetName(info, type, alive, &reversed);
        GenExitTarget& target = exits->target[c + 1][p + 1][p >= 0 ? t : 0];
        exits->used[c + 1][p + 1][p >= 0 ? t : 0] = true;
        target.reversed = reversed;
        target.table = nullptr;
        if (name == "kk") {
          target.slot[0] = reversed ? 1 : 0;
          target.slot[1] = reversed ? 0 : 1;
          continue;
        }
        const GenTable* table = FindGenTable(name);
        if (!table) {
          *missing = name;
          return false;
        }
        target.table = table;
        // Each man of the target class takes a distinct child man of the
        // same type and (after any colour exchange) the same side.
        bool taken[GenMaxMen] = {};
        for (int s = 0; s < table->info.men; s++) {
          int wantSide = table->info.side[s] ^ (reversed ? 1 : 0);
          int found = -1;
          for (int i = 0; i < info.men && found < 0; i++)
            if (alive[i] && !taken[i] && type[i] == table->info.type[s] && info.side[i] == wantSide) found = i;
          if (found < 0) {
            *missing = name;
            return false;
          }
          taken[found] = true;
          target.slot[s] = found;
        }
      }
    }
  return true;
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
