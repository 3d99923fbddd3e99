// Generation in the work layout: known longest mates, one-ply consistency,
// and the values of a few hand-checked positions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gen_check.h"
#include "gen_moves.h"
#include "generate.h"

namespace {

GenTable* Generated(const std::string& name) {
  if (GenTable* held = FindGenTable(name)) return held;
  InitGenBoard();
  GenClassInfo info;
  if (!ParseGenClass(name.c_str(), &info)) return nullptr;
  for (const std::string& sub : GenExitClassNames(info))
    if (!Generated(sub)) return nullptr;
  GenOptions options;
  options.threads = 2;
  std::string error;
  std::unique_ptr<GenTable> table = GenerateClass(name, options, &error);
  EXPECT_TRUE(table) << error;
  return table ? AddGenTable(std::move(table)) : nullptr;
}

// Longest win of the side to move, in moves.
int LongestWin(const GenTable& table, int side) {
  int longest = 0;
  for (int8_t v : table.value[side])
    if (GenIsWin(v) && 127 - v > longest) longest = 127 - v;
  return longest;
}

int LongestLoss(const GenTable& table, int side) {
  int longest = -1;
  for (int8_t v : table.value[side])
    if (GenIsLoss(v) && v + 126 > longest) longest = v + 126;
  return longest;
}

// Value of a position given as (letter, square) pairs, white first.
int ValueOf(const std::string& name, const std::vector<int>& squares, int toMove, int epSquare = -1) {
  GenTable* table = Generated(name);
  if (!table) return 1000;
  GenPosition pos;
  pos.men = table->info.men;
  pos.toMove = toMove;
  pos.epSquare = epSquare;
  for (int i = 0; i < pos.men; i++) {
    pos.square[i] = squares[i];
    pos.type[i] = table->info.type[i];
    pos.side[i] = table->info.side[i];
  }
  return table->value[toMove][GenNodeOf(*table, pos)];
}

int Sq(const char* text) { return (text[0] - 'a') + 8 * (text[1] - '1'); }

}  // namespace

TEST(TbGenerate, ThreePieceClassesHaveTheKnownLongestMatesAndAreConsistent) {
  const struct {
    const char* name;
    int longest;
  } known[] = {{"kqk", 10}, {"krk", 16}, {"kpk", 28}, {"kbk", 0}, {"knk", 0}};
  for (const auto& k : known) {
    GenTable* table = Generated(k.name);
    ASSERT_TRUE(table) << k.name;
    EXPECT_EQ(LongestWin(*table, 0), k.longest) << k.name;
    EXPECT_EQ(LongestWin(*table, 1), 0) << k.name;
    EXPECT_EQ(LongestLoss(*table, 1), k.longest ? k.longest : -1) << k.name;
    EXPECT_EQ(GenCountInconsistencies(*table, 2), 0u) << k.name;
  }
}

TEST(TbGenerate, HandCheckedThreePiecePositions) {
  // Mate in one: Kb6 Qh7 / Ka8, Qh8 or Qb7.
  EXPECT_EQ(ValueOf("kqk", {Sq("b6"), Sq("a8"), Sq("h7")}, 0), 126);
  // The queen on h1 already checks along the long diagonal: no position.
  EXPECT_EQ(ValueOf("kqk", {Sq("b6"), Sq("a8"), Sq("h1")}, 0), GenBroken);
  // Black to move, already mated: Kb6 Qb7 / Ka8.
  EXPECT_EQ(ValueOf("kqk", {Sq("b6"), Sq("a8"), Sq("b7")}, 1), -126);
  // Stalemate: Kb6 Qc7 / Ka8 black to move.
  EXPECT_EQ(ValueOf("kqk", {Sq("b6"), Sq("a8"), Sq("c7")}, 1), 0);
  // Black takes the undefended queen: draw.
  EXPECT_EQ(ValueOf("kqk", {Sq("h1"), Sq("a8"), Sq("b7")}, 1), 0);
  // The side not to move in check: no position.
  EXPECT_EQ(ValueOf("krk", {Sq("e1"), Sq("e8"), Sq("a8")}, 0), GenBroken);
  // kpk: the pawn runs home; Kh1 Pa5 / Kh8 white to move: a6, a7, a8=Q and
  // mate follows; black king on h8 is far. Not a draw.
  EXPECT_TRUE(GenIsWin(ValueOf("kpk", {Sq("h1"), Sq("h8"), Sq("a5")}, 0)));
  // The rook pawn with the defending king in front: draw.
  EXPECT_EQ(ValueOf("kpk", {Sq("a4"), Sq("a8"), Sq("a5")}, 0), 0);
  // Symmetric positions agree (mirror of the kpk win).
  EXPECT_EQ(ValueOf("kpk", {Sq("a1"), Sq("a8"), Sq("h5")}, 0), ValueOf("kpk", {Sq("h1"), Sq("h8"), Sq("a5")}, 0));
}

TEST(TbGenerate, FourPieceKnownLongestMatesNoSanitizer) {
  const struct {
    const char* name;
    int longest;
  } known[] = {{"kbbk", 19}, {"kbnk", 33}, {"kqkr", 35}};
  for (const auto& k : known) {
    GenTable* table = Generated(k.name);
    ASSERT_TRUE(table) << k.name;
    EXPECT_EQ(LongestWin(*table, 0), k.longest) << k.name;
    EXPECT_EQ(LongestLoss(*table, 1), k.longest) << k.name;
    EXPECT_EQ(GenCountInconsistencies(*table, 2), 0u) << k.name;
  }
}

// Five men: the longest mates of the standard distance-to-mate tables, as
// quoted in the endgame literature (for example the Wikipedia article
// "Pawnless chess endgame"): two bishops against a knight, mate in 78.
TEST(TbGenerate, FiveManKnownLongestMateNoSanitizer) {
  GenTable* table = Generated("kbbkn");
  ASSERT_TRUE(table);
  EXPECT_EQ(LongestWin(*table, 0), 78);
  EXPECT_EQ(LongestLoss(*table, 1), 78);
}

// Two knights against a pawn, mate in 115 (for example the Wikipedia article
// "Two knights endgame"). Slow: the pawn's four promotions are five-man
// classes too: about six CPU minutes and 3.5 GB in all.
TEST(TbGenerate, FiveManWithAPawnKnownLongestMateSlow) {
  GenTable* table = Generated("knnkp");
  ASSERT_TRUE(table);
  EXPECT_EQ(LongestWin(*table, 0), 115);
}

TEST(TbGenerate, PromotionsNeedOnlyTheSlicesTheyReach) {
  // kpk reaches its four targets only by promotions: black to move, the new
  // piece on the eighth rank, which the folded board puts on any edge.
  GenClassInfo info;
  ASSERT_TRUE(ParseGenClass("kpk", &info));
  GenExitNeeds needs = GenNeedsOfExits(info);
  EXPECT_TRUE(needs.whole.empty());
  ASSERT_EQ(needs.slices.size(), 4u);
  for (const GenSliceKey& key : needs.slices) {
    EXPECT_EQ(key.side, 1);
    EXPECT_EQ(key.man, 2);
    EXPECT_EQ(key.rank, 7);
  }
  // Generated again with the targets held only as those slices, kpk comes
  // out the same.
  const std::vector<int8_t> whole[2] = {Generated("kpk")->value[0], Generated("kpk")->value[1]};
  std::vector<std::unique_ptr<GenSlice>> slices;
  for (const GenSliceKey& key : needs.slices) {
    slices.push_back(GenCutSlice(*Generated(key.name), key, 2));
    ASSERT_TRUE(slices.back());
    EXPECT_EQ(slices.back()->value.size(), 10u * 64 * 28);  // white king, black king, the edges
  }
  DropGenTable("kpk");
  for (std::unique_ptr<GenSlice>& slice : slices) {
    DropGenTable(slice->key.name);
    AddGenSlice(std::move(slice));
  }
  GenOptions options;
  options.threads = 2;
  std::string error;
  std::unique_ptr<GenTable> again = GenerateClass("kpk", options, &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->value[0], whole[0]);
  EXPECT_EQ(again->value[1], whole[1]);
  for (const GenSliceKey& key : needs.slices) DropGenTable(key.name);
}

TEST(TbGenerate, RejectsBadNamesAndMissingSubclasses) {
  GenOptions options;
  std::string error;
  EXPECT_FALSE(GenerateClass("kxk", options, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(GenerateClass("kkq", options, &error));
  EXPECT_FALSE(GenerateClass("kqqqqk", options, &error));
  DropGenTable("kqk");
  EXPECT_FALSE(GenerateClass("kqkp", options, &error));
  EXPECT_NE(error.find("kqk"), std::string::npos);
}
