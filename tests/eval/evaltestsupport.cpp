#include "evaltestsupport.h"

#include "engine/perft.h"
#include "engine/root.h"

void EngineReady() {
  static bool ready = false;
  if (ready) return;
  ready = ObrantuleInit(8, nullptr, "", 0) >= 0;
  // The tests read the breakdown of every evaluation.
  ExplainEvaluation = 1;
}

void SetPosition(const char* text) {
  EngineReady();
  SetUpFromText(text);
  InstallGamePosition();
}

int32_t EvaluateRoot() {
  LastEvalTerms = EvalTerms{};
  return Evaluate(-32000, 32000);
}

PawnCacheEntry& CurrentPawnSlot() {
  return PawnCache[(PawnKingKey.Index ^ SideKeyOf(SideToMove)) & PawnCacheMask];
}

void ExpectTerms(const std::vector<TermCase>& cases, void (*setUp)(const char*)) {
  for (const TermCase& c : cases) {
    SCOPED_TRACE(c.Text);
    setUp(c.Text);
    EXPECT_EQ(LastEvalTerms.*c.Term, c.Expected);
  }
}

namespace {

void Walk(std::mt19937& rng, int32_t depth, const std::function<void()>& visit) {
  visit();
  if (depth == 0) return;
  const int32_t start = MoveListTop;
  ListStart[Ply] = start;
  GenerateMoves();
  const int32_t end = start + GeneratedCount;
  MoveListTop = end;
  ListStart[Ply + 1] = end;
  // Try the moves from a random starting point until a legal one is found.
  const int32_t n = end - start;
  if (n > 0) {
    const int32_t first = static_cast<int32_t>(rng() % static_cast<uint32_t>(n));
    for (int32_t k = 0; k < n; ++k) {
      const int32_t m = start + (first + k) % n;
      MakeMove(m);
      if (!MoverKingAttacked()) {
        Walk(rng, depth - 1, visit);
        UnmakeMove(m);
        break;
      }
      UnmakeMove(m);
    }
  }
  MoveListTop = start;
}

}  // namespace

void RandomWalks(std::mt19937& rng, int32_t walks, int32_t depth, const std::function<void()>& visit) {
  if (depth > 40) depth = 40;
  for (int32_t w = 0; w < walks; ++w) Walk(rng, depth, visit);
}
