#include "index_tables.h"

#include <cstdlib>

uint8_t TransposeSquare[64];
uint8_t FileMirror[64];
uint8_t QuadrantFold[64];
const uint8_t ColourFlip[2] = {0, 56};
uint8_t InTriangle[64];
uint8_t OnDiagonal[64];
uint8_t AboveDiagonal[64];

int16_t KingPairPawnless[64 * 64];
int16_t KingPairPawn[64 * 64];
uint8_t PawnlessPairKings[PawnlessKingPairs][2];
uint8_t PawnPairKings[PawnKingPairs][2];

uint8_t PlacementTable[PlacementKinds][64][64];
uint8_t PlacementCount[PlacementKinds][64];
uint8_t PlacementSquare[PlacementKinds][64][64];

static int32_t FileOf(int32_t square) { return square & 7; }
static int32_t RankOf(int32_t square) { return square >> 3; }

static int32_t KingsTouch(int32_t a, int32_t b) {
  return std::abs(FileOf(a) - FileOf(b)) <= 1 && std::abs(RankOf(a) - RankOf(b)) <= 1;
}

// Whether a piece of the kind on square s is kept off s for king k: the
// king's own square, squares outside the pawn ranks for pawns, and the
// squares from which the piece would touch the king with an attack.
static int32_t ClosedSquare(int32_t kind, int32_t king, int32_t s) {
  if (s == king) return 1;
  int32_t df = std::abs(FileOf(king) - FileOf(s));
  int32_t dr = std::abs(RankOf(king) - RankOf(s));
  switch (kind) {
    case 0: return s < 8 || s > 55;
    case 1:
      if (s < 8 || s > 55) return 1;
      return (king == s + 7 && FileOf(s) != 0) || (king == s + 9 && FileOf(s) != 7);
    case 2: return (df == 1 && dr == 2) || (df == 2 && dr == 1);
    case 3: return df == 1 && dr == 1;
    case 4: return df + dr == 1;
    default: return df <= 1 && dr <= 1;
  }
}

void BuildBoardIndexTables() {
  static const uint8_t triangle[10] = {0, 1, 2, 3, 9, 10, 11, 18, 19, 27};
  for (int32_t s = 0; s < 64; s++) {
    TransposeSquare[s] = static_cast<uint8_t>(8 * FileOf(s) + RankOf(s));
    FileMirror[s] = FileOf(s) >= 4 ? 7 : 0;
    QuadrantFold[s] = static_cast<uint8_t>((FileOf(s) >= 4 ? 7 : 0) + (RankOf(s) >= 4 ? 56 : 0));
    InTriangle[s] = 0;
    OnDiagonal[s] = FileOf(s) == RankOf(s);
    AboveDiagonal[s] = RankOf(s) > FileOf(s);
  }
  for (uint8_t s : triangle) InTriangle[s] = 1;

  int32_t pawnless = 0, pawn = 0;
  for (int32_t first = 0; first < 64; first++) {
    for (int32_t second = 0; second < 64; second++) {
      int32_t at = first * 64 + second;
      KingPairPawnless[at] = NoKingPair;
      KingPairPawn[at] = NoKingPair;
      if (KingsTouch(first, second)) continue;
      if (InTriangle[first] && !(OnDiagonal[first] && AboveDiagonal[second])) {
        PawnlessPairKings[pawnless][0] = static_cast<uint8_t>(first);
        PawnlessPairKings[pawnless][1] = static_cast<uint8_t>(second);
        KingPairPawnless[at] = static_cast<int16_t>(pawnless++);
      }
      if (FileOf(first) < 4) {
        PawnPairKings[pawn][0] = static_cast<uint8_t>(first);
        PawnPairKings[pawn][1] = static_cast<uint8_t>(second);
        KingPairPawn[at] = static_cast<int16_t>(pawn++);
      }
    }
  }

  for (int32_t kind = 0; kind < PlacementKinds; kind++) {
    for (int32_t king = 0; king < 64; king++) {
      int32_t count = 0;
      for (int32_t s = 0; s < 64; s++) {
        PlacementSquare[kind][king][s] = NotPlaced;
        if (ClosedSquare(kind, king, s)) {
          PlacementTable[kind][king][s] = NotPlaced;
        } else {
          PlacementSquare[kind][king][count] = static_cast<uint8_t>(s);
          PlacementTable[kind][king][s] = static_cast<uint8_t>(count++);
        }
      }
      PlacementCount[kind][king] = static_cast<uint8_t>(count);
    }
  }
}
