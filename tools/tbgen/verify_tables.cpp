#include "verify_tables.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "gen_moves.h"
#include "generate.h"
#include "material_trie.h"
#include "position_index.h"
#include "table_files.h"
#include "tablebase_classes.h"

namespace {

struct HeldImages {
  std::string dir;
  std::vector<uint8_t> image[2];
};

std::map<int, HeldImages>& Held() {
  static std::map<int, HeldImages> held;
  return held;
}

bool TrieReady = false;

bool Hold(const std::string& dir, int c, std::string* error) {
  auto it = Held().find(c);
  if (it != Held().end() && it->second.dir == dir) return true;
  HeldImages images;
  images.dir = dir;
  for (int side = 0; side < TbTableSides(c); side++) {
    std::string path = TbFindFile(dir, TablebaseClasses[c].Name, side);
    if (path.empty()) {
      *error = std::string("no table file for ") + TablebaseClasses[c].Name + (side ? " black" : " white") +
               " to move in " + dir;
      return false;
    }
    if (!TbReadFile(path, &images.image[side], error)) return false;
    if (images.image[side].size() != TablebaseClasses[c].ExpectedSize[side]) {
      *error = path + " has the wrong size";
      return false;
    }
  }
  Held()[c] = std::move(images);
  return true;
}

// The byte the prober would read for a position (from its mover's view),
// or 1000 when its class's files are not held.
int ReadLikeProbe(const GenPosition& pos) {
  int32_t white[TablebaseListSlots], black[TablebaseListSlots], counts[10];
  TbPositionToLists(pos, white, black, counts);
  int32_t found = FindClass(counts);
  if (!found) {
    for (int i = 0; i < 10; i++)
      if (counts[i]) return 1000;
    return 0;  // bare kings
  }
  int c = found < 0 ? -found : found;
  int reversed = found < 0;
  int tableSide = pos.toMove ^ reversed;
  auto it = Held().find(c);
  if (it == Held().end()) return 1000;
  const std::vector<uint8_t>& image = it->second.image[TbTableSides(c) == 1 ? 0 : tableSide];
  TablebaseIndexFunction function = tableSide ? TablebaseClasses[c].BlackIndex : TablebaseClasses[c].WhiteIndex;
  uint32_t index = function(reversed ? black : white, reversed ? white : black,
                            pos.epSquare < 0 ? TablebaseNoEnPassant : pos.epSquare, reversed);
  return index < image.size() ? int8_t(image[index]) : GenBroken;
}

}  // namespace

void TbVerifyForget() { Held().clear(); }

bool TbVerifyClass(const std::string& dir, const std::string& name, int threads, const TbVerifyReport& report,
                   TbVerifyResult* result, std::string* error) {
  InitGenBoard();
  BuildIndexTables();
  if (!TrieReady) {
    ResetMaterialTrie();
    for (int c = 1; c < TablebaseClassCount; c++) InsertClass(c);
    TrieReady = true;
  }
  int c = TbClassNumber(name);
  GenClassInfo info;
  if (!c || !ParseGenClass(name.c_str(), &info)) {
    *error = "not a class name: " + name;
    return false;
  }
  if (!Hold(dir, c, error)) return false;
  for (const std::string& sub : GenExitClassNames(info))
    if (!Hold(dir, TbClassNumber(sub), error)) return false;
  *result = TbVerifyResult();
  std::mutex reportLock;
  int reported = 0;
  for (int side = 0; side < TbTableSides(c); side++) {
    const std::vector<uint8_t>& image = Held()[c].image[side];
    TablebaseIndexFunction function = side ? TablebaseClasses[c].BlackIndex : TablebaseClasses[c].WhiteIndex;
    std::atomic<uint64_t> positions{0}, bad{0}, layout{0};
    std::atomic<int> longest{0};
    GenParallelFor(image.size(), threads, [&](uint64_t begin, uint64_t end) {
      int32_t white[TablebaseListSlots], black[TablebaseListSlots], counts[10], ep;
      GenPosition pos;
      uint64_t localPositions = 0, localBad = 0, localLayout = 0;
      int localLongest = 0;
      for (uint64_t index = begin; index < end; index++) {
        int stored = int8_t(image[index]);
        int expected = GenBroken;
        if (IndexToPosition(c, side, uint32_t(index), white, black, &ep) &&
            TbListsToPosition(info, white, black, side, ep == TablebaseNoEnPassant ? -1 : ep, &pos)) {
          int32_t w2[TablebaseListSlots], b2[TablebaseListSlots];
          TbPositionToLists(pos, w2, b2, counts);
          if (function(w2, b2, ep, 0) != index) localLayout++;
          bool legal = !GenInCheck(pos, 1 - side) && (pos.epSquare < 0 || GenEnPassantEligible(pos, pos.epSquare));
          if (legal) {
            localPositions++;
            int best = -128;
            bool any = false;
            GenForEachMove(pos, [&](const GenPosition& child, int, int) {
              int v = ReadLikeProbe(child);
              any = true;
              int mine = v == 1000 || v == GenBroken ? -128 : GenFromChild(v);
              if (mine > best) best = mine;
              return true;
            });
            expected = any ? best : GenInCheck(pos, side) ? -126 : 0;
            if (GenIsWin(stored) && 127 - stored > localLongest) localLongest = 127 - stored;
          }
        }
        if (stored != expected) {
          localBad++;
          std::lock_guard<std::mutex> guard(reportLock);
          if (report && reported < 10) {
            reported++;
            report(name, side, uint32_t(index), stored, expected);
          }
        }
      }
      positions += localPositions;
      bad += localBad;
      layout += localLayout;
      int seen = longest.load();
      while (localLongest > seen && !longest.compare_exchange_weak(seen, localLongest)) {
      }
    });
    result->indices += image.size();
    result->positions += positions.load();
    result->inconsistencies += bad.load();
    result->layoutFaults += layout.load();
    result->longestWin[side] = longest.load();
  }
  return true;
}
