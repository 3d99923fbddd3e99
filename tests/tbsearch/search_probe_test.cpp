// End to end: tables made by the generator, registered by the tablebase
// set-up, probed by the engine's search through the TBProbeList callback.
// In tablebase positions the search must report the mate scores of the
// tables' distances, exactly as it scores mates it sees on the board (the
// reported line shows mate scores 2000 nearer to zero).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../common/test_support.h"
#include "engine/engine.h"
#include "generate.h"
#include "table_files.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

int32_t LastScore = 0;
int32_t Lines = 0;

int32_t OBRANTULE_CALL Mainline(const char*, int32_t score) {
  LastScore = score;
  Lines++;
  return 0;
}
int32_t OBRANTULE_CALL Quiet2(int32_t, int32_t) { return 0; }
int32_t OBRANTULE_CALL QuietMove(const char*, int32_t, int32_t) { return 0; }
int32_t OBRANTULE_CALL QuietText(const char*) { return 0; }
int32_t OBRANTULE_CALL Probe(int32_t* counts, int32_t* white, int32_t* black, int32_t side, int32_t ep,
                             int32_t* out) {
  return TBProbeList(counts, white, black, side, ep, out);
}

std::string Fen(const GenPosition& pos) {
  char board[64];
  for (char& c : board) c = 0;
  for (int i = 0; i < pos.men; i++) {
    char letter = GenTypeLetter(pos.type[i]);
    board[pos.square[i]] = char(pos.side[i] ? letter : letter - 'a' + 'A');
  }
  std::string text;
  for (int rank = 7; rank >= 0; rank--) {
    int empty = 0;
    for (int file = 0; file < 8; file++) {
      char c = board[rank * 8 + file];
      if (!c) {
        empty++;
        continue;
      }
      if (empty) text += char('0' + empty);
      empty = 0;
      text += c;
    }
    if (empty) text += char('0' + empty);
    if (rank) text += '/';
  }
  return text + (pos.toMove ? " b - - 0 1" : " w - - 0 1");
}

// Makes kqk and krk (and what they need) in a fresh directory, registers
// them and starts the engine with the probe callback.
std::string MakeTables() {
  static std::string dir;
  if (!dir.empty()) return dir;
  // Removed with its tables when the test process ends.
  static ScratchDirectory scratch;
  const char* name = scratch.Path().c_str();
  std::vector<std::string> order;
  std::string error;
  EXPECT_TRUE(GenClassesInOrder({"kqk", "krk", "kpk"}, &order, &error));
  for (const std::string& c : order) {
    GenOptions options;
    options.threads = 2;
    std::unique_ptr<GenTable> table = GenerateClass(c, options, &error);
    if (!table) {
      ADD_FAILURE() << error;
      return dir;
    }
    for (int side = 0; side < TbTableSides(TbClassNumber(c)); side++) {
      std::vector<uint8_t> image;
      TbImageStats stats;
      uint64_t written;
      EXPECT_TRUE(TbBuildImage(*table, side, 2, &image, &stats, &error) &&
                  TbWriteFile(TbFileName(name, c, side, false), image, false, &written, &error))
          << error;
    }
    AddGenTable(std::move(table));
  }
  std::string settings = std::string(name) + "/ChssBase.ini";
  FILE* file = std::fopen(settings.c_str(), "w");
  if (!file) return dir;
  std::fprintf(file, "[Tablebase]\nPath = %s\n", name);
  std::fclose(file);
  setenv("OBRANTULE_SETTINGS", settings.c_str(), 1);
  int32_t limit = TablebaseInit("");
  EXPECT_EQ(limit, 3);
  EngineCallbacks callbacks;
  callbacks.Size = int32_t(sizeof callbacks);
  callbacks.ShowNodes = Quiet2;
  callbacks.ShowDepth = Quiet2;
  callbacks.ShowMove = QuietMove;
  callbacks.ShowMainline = Mainline;
  callbacks.ShowText = QuietText;
  callbacks.TBProbeList = Probe;
  EXPECT_GT(ObrantuleInit(8, &callbacks, "", limit), 0);
  dir = name;
  return dir;
}

int32_t SearchScore(const std::string& fen, int depth) {
  ObrantuleClearHashtable();
  ObrantuleSetPosition(fen.c_str());
  ObrantuleSetDepth(depth);
  Lines = 0;
  EXPECT_EQ(ObrantuleAnalyse(0), 0);
  EXPECT_GT(Lines, 0) << fen;
  return LastScore;
}

}  // namespace

TEST(TbSearch, SearchReportsTheTablesMateDistances) {
  ASSERT_FALSE(MakeTables().empty());
  // For each distance a position of each table, the winner and the loser to
  // move: a win in n scores 32000 - 2n, a loss after k moves 2k - 31999,
  // reported as 30000 - 2n and 2k - 29999.
  for (const char* name : {"kqk", "krk"}) {
    const GenTable* table = FindGenTable(name);
    ASSERT_TRUE(table);
    for (int side = 0; side < 2; side++) {
      std::vector<bool> seen(127, false);
      int checked = 0;
      GenPosition pos;
      for (uint32_t node = 0; node < table->value[side].size() && checked < 12; node += 7) {
        int v = table->value[side][node];
        int moves = GenIsWin(v) ? 127 - v : GenIsLoss(v) ? v + 126 : -1;
        if (moves < 1 || seen[moves] || !GenNodeToPosition(*table, node, side, &pos)) continue;
        seen[moves] = true;
        checked++;
        int32_t expected = GenIsWin(v) ? 30000 - 2 * moves : 2 * moves - 29999;
        int32_t probed = 0;
        std::string fen = Fen(pos);
        // The probe entry point itself.
        uint8_t board[64] = {};
        for (int i = 0; i < pos.men; i++) board[pos.square[i]] = uint8_t(pos.type[i] + 8 * pos.side[i]);
        ASSERT_EQ(TBProbeBoard(board, side, 0, &probed), 1) << fen;
        EXPECT_EQ(probed, GenIsWin(v) ? moves : -(moves + 1)) << fen;
        EXPECT_EQ(SearchScore(fen, 3), expected) << fen;
      }
      EXPECT_GT(checked, 5);
    }
  }
}

TEST(TbSearch, CheckmateAndDrawsThroughTheProbe) {
  ASSERT_FALSE(MakeTables().empty());
  // Mate in one: the search finds the mate, the table agrees.
  EXPECT_EQ(SearchScore("k7/7Q/1K6/8/8/8/8/8 w - - 0 1", 3), 30000 - 2);
  // Drawn kpk positions, white to move: every child is a table draw, so the
  // first root move scores 0 and the root reports it with its raised window
  // (+2); a mate score or an evaluation would show here instead.
  const GenTable* kpk = FindGenTable("kpk");
  ASSERT_TRUE(kpk);
  int checked = 0;
  GenPosition pos;
  for (uint32_t node = 0; node < kpk->value[0].size() && checked < 5; node += 101) {
    if (kpk->value[0][node] != 0 || !GenNodeToPosition(*kpk, node, 0, &pos)) continue;
    checked++;
    int32_t score = SearchScore(Fen(pos), 3);
    EXPECT_EQ(score, 2) << Fen(pos);
  }
  EXPECT_EQ(checked, 5);
}
