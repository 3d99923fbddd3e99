#include "gen_check.h"

#include <atomic>
#include <string>

#include "gen_moves.h"
#include "generate.h"

uint64_t GenCountInconsistencies(const GenTable& table, int threads) {
  GenExits exits;
  std::string missing;
  if (!GenPrepareExits(table.info, &exits, &missing)) return UINT64_MAX;
  std::atomic<uint64_t> bad{0};
  for (int side = 0; side < 2; side++) {
    const std::vector<int8_t>& values = table.value[side];
    const std::vector<int8_t>& childValues = table.value[1 - side];
    GenParallelFor(values.size(), threads, [&](uint64_t begin, uint64_t end) {
      GenPosition pos;
      uint64_t local = 0;
      for (uint64_t node = begin; node < end; node++) {
        bool valid = GenNodeToPosition(table, uint32_t(node), side, &pos) && !GenInCheck(pos, 1 - side);
        if (!valid) {
          if (values[node] != GenBroken) local++;
          continue;
        }
        int best = -128;
        bool any = false;
        GenForEachMove(pos, [&](const GenPosition& child, int captured, int promoted) {
          int v;
          if (captured < 0 && promoted < 0) {
            v = childValues[GenNodeOf(table, child)];
          } else {
            v = GenExitValue(exits, child, captured, promoted);
          }
          any = true;
          int mine = v == GenBroken ? -128 : GenFromChild(v);
          if (mine > best) best = mine;
          return true;
        });
        if (!any) best = GenInCheck(pos, side) ? -126 : 0;
        if (best != values[node]) local++;
      }
      bad.fetch_add(local);
    });
  }
  return bad.load();
}
