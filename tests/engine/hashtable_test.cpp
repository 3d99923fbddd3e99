// Transposition tables: replacement between the two tables, probing rules,
// mate-score adjustment by ply, clearing.
#include <gtest/gtest.h>

#include "engine/root.h"
#include "engine_test_util.h"

namespace {

// A move entry to store (from and to only matter).
int32_t StoredMove(uint8_t from, uint8_t to) {
  MoveList[0] = MoveEntry{0, from, to, 0, 0, 0};
  return 0;
}

void FreshTables() {
  SearchPosition(nullptr);
  ClearTables(-100);
  TableAge = 0;
  Ply = 0;
}

// Switches to another position whose key lands in the same main slot.
KeyPair SameSlotKey(KeyPair key, uint32_t salt) {
  return KeyPair{key.Index + ((MainHashMask + 1) * salt), key.Check ^ (0x1234u * salt)};
}

}  // namespace

TEST(TranspositionTables, SmallerDepthKeepsTheDeeperEntry) {
  FreshTables();
  StoreEntry(StoredMove(35, 55), 40, 6, BoundExact);
  StoreEntry(StoredMove(34, 54), 10, 5, BoundExact);
  EXPECT_EQ(ProbeEntry(-100, 100, 6), 40);
  StoreEntry(StoredMove(34, 54), 12, 6, BoundExact);
  EXPECT_EQ(ProbeEntry(-100, 100, 6), 12);
  EXPECT_EQ(ProbeEntry(-100, 100, 7), NoCutoff);
}

TEST(TranspositionTables, CollisionMovesTheOldEntryToTheSecondTable) {
  FreshTables();
  const KeyPair first = HashKey;
  StoreEntry(StoredMove(35, 55), 40, 6, BoundExact);
  HashKey = SameSlotKey(first, 1);
  StoreEntry(StoredMove(34, 54), 20, 3, BoundExact);
  EXPECT_EQ(ProbeEntry(-100, 100, 3), 20);
  HashKey = first;
  // The main slot now holds the other position: the probe finds the old
  // entry in the second table.
  EXPECT_EQ(ProbeEntry(-100, 100, 6), 40);
  FetchHashMove();
  EXPECT_EQ(HashMoveValid, 1);
  EXPECT_EQ(HashMove.From, 35);
  EXPECT_EQ(HashMove.To, 55);
  // Storing the old position again at a smaller depth changes nothing there.
  StoreEntry(StoredMove(31, 41), 99, 2, BoundExact);
  EXPECT_EQ(ProbeEntry(-100, 100, 6), 40);
}

// Which of two other positions' entries a third position overwrites. Ages
// compare as plain numbers 0..255: at table age 0 no entry is of the
// previous age (255 is not "one before 0"), and an age of 255 against 0 is
// simply older by 255. Then upper bounds, then the older, then the shallower.
TEST(TranspositionTables, ReplacementAtTheAgeEdges) {
  struct Case {
    int32_t MainAge, SecondAge, SecondBound, Age;
    bool MainReplaced;
  };
  const Case cases[] = {
      {10, 5, BoundExact, 11, true},    // main of the previous age
      {5, 10, BoundExact, 11, false},   // second of the previous age
      {254, 250, BoundExact, 255, true},  // the age stays 255 from move 255 on
      {255, 0, BoundExact, 0, false},   // not the previous age; 255 >= 0 + 3
      {0, 255, BoundExact, 0, true},    // 0 <= 255 - 3
      {5, 8, BoundExact, 20, true},     // main three older
      {8, 5, BoundExact, 20, false},    // second three older
      {6, 7, BoundUpper, 20, false},    // an upper bound in second goes first
      {6, 7, BoundExact, 20, true},     // then the older
      {7, 6, BoundExact, 20, false},
      {7, 7, BoundExact, 20, true},     // equal ages: the shallower (main, depth 4)
  };
  for (const Case& c : cases) {
    FreshTables();
    const KeyPair base = HashKey;
    TableAge = uint8_t(c.SecondAge);
    HashKey = SameSlotKey(base, 1);
    StoreEntry(StoredMove(35, 55), 1, 8, c.SecondBound);
    TableAge = uint8_t(c.MainAge);
    HashKey = SameSlotKey(base, 2);
    StoreEntry(StoredMove(35, 55), 2, 4, BoundExact);  // the first moves to the second table
    TableAge = uint8_t(c.Age);
    HashKey = SameSlotKey(base, 3);
    StoreEntry(StoredMove(35, 55), 3, 1, BoundExact);
    const HashEntry& main = MainHashTable[(SideKeyOf(SideToMove) ^ HashKey.Index) & MainHashMask];
    EXPECT_EQ(main.Check == HashKey.Check, c.MainReplaced)
        << "ages main " << c.MainAge << " second " << c.SecondAge << " table " << c.Age;
  }
  TableAge = 0;
}

TEST(TranspositionTables, MateScoresAreStoredRelativeToTheNode) {
  FreshTables();
  Ply = 5;
  StoreEntry(StoredMove(35, 55), 31990, 4, BoundExact);
  EXPECT_EQ(MainHashTable[(SideKeyOf(SideToMove) ^ HashKey.Index) & MainHashMask].Score, 31995);
  Ply = 3;
  EXPECT_EQ(ProbeEntry(-32000, 32000, 4), 31992);
  Ply = 5;
  StoreEntry(StoredMove(35, 55), -31990, 4, BoundExact);
  Ply = 3;
  EXPECT_EQ(ProbeEntry(-32000, 32000, 4), -31992);
  Ply = 0;
}

TEST(TranspositionTables, OtherSideToMoveIsAMiss) {
  FreshTables();
  StoreEntry(StoredMove(35, 55), 40, 6, BoundExact);
  SideToMove = Black;
  EXPECT_EQ(ProbeEntry(-100, 100, 1), NoCutoff);
  FetchHashMove();
  EXPECT_EQ(HashMoveValid, 0);
  SideToMove = White;
}

TEST(TranspositionTables, BoundsAndWindows) {
  FreshTables();
  StoreEntry(StoredMove(35, 55), 50, 6, BoundUpper);
  EXPECT_EQ(ProbeEntry(60, 100, 6), 50);  // below alpha
  EXPECT_EQ(ProbeEntry(40, 100, 6), NoCutoff);
  EXPECT_EQ(ProbeAlpha, 40);
  EXPECT_EQ(ProbeBeta, 50);
  EXPECT_EQ(ProbeEntry(50, 100, 6), NoCutoff);
  EXPECT_EQ(ProbeAlpha, 50);
  EXPECT_EQ(ProbeBeta, 50);  // empty window
  EXPECT_EQ(ProbeEntry(0, 40, 6), NoCutoff);
  EXPECT_EQ(ProbeBeta, 40);
  StoreEntry(StoredMove(35, 55), 50, 7, BoundLower);
  EXPECT_EQ(ProbeEntry(0, 40, 6), 50);
  EXPECT_EQ(ProbeEntry(0, 60, 6), NoCutoff);
  EXPECT_EQ(ProbeAlpha, 0);
  EXPECT_EQ(ProbeBeta, 60);
}

TEST(TranspositionTables, EmptyMainSlotMissesEvenWithASecondEntry) {
  FreshTables();
  const KeyPair first = HashKey;
  StoreEntry(StoredMove(35, 55), 40, 6, BoundExact);
  HashKey = SameSlotKey(first, 1);
  StoreEntry(StoredMove(34, 54), 20, 3, BoundExact);
  InvalidateEntry();  // main slot bound 0
  HashKey = first;
  EXPECT_EQ(ProbeEntry(-100, 100, 6), NoCutoff);
}

TEST(TranspositionTables, ClearEmptiesEverything) {
  FreshTables();
  StoreEntry(StoredMove(35, 55), 40, 6, BoundExact);
  PawnCache[5].Tag = 2;
  PreviousPhase = 2;
  ClearTables(-100);
  EXPECT_EQ(ProbeEntry(-100, 100, 0), NoCutoff);
  FetchHashMove();
  EXPECT_EQ(HashMoveValid, 0);
  EXPECT_EQ(PawnCache[5].Tag, 0);
  EXPECT_EQ(PreviousPhase, 0);
  for (uint32_t i = 0; i <= MainHashMask; i += 4097) {
    EXPECT_EQ(MainHashTable[i].Bound, -100);
    EXPECT_EQ(MainHashTable[i].Depth, -40);
  }
}
