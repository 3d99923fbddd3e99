// The evaluation's piece-square tables, as diagrams: rank 8 on the first line,
// rank 1 on the last, files a to h.
#include "evaltables.h"

namespace {

constexpr int32_t KingPlacementDiagram[64] = {
    4,  0,  4,  12, 12, 8,  0,  4,   //
    4,  8,  12, 16, 16, 12, 8,  4,   //
    8,  12, 16, 20, 20, 16, 12, 8,   //
    12, 16, 20, 24, 24, 20, 16, 12,  //
    12, 16, 20, 24, 24, 20, 16, 12,  //
    8,  12, 16, 20, 20, 16, 12, 8,   //
    4,  8,  12, 16, 16, 12, 8,  4,   //
    4,  0,  4,  12, 12, 8,  0,  4,   //
};

// Ranks 8 and 1 hold no pawns; they read 0.
constexpr int32_t PawnDiagram[64] = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    18, 18, 28, 32, 32, 20, 20, 20,  //
    12, 12, 22, 30, 30, 14, 14, 14,  //
    10, 10, 20, 28, 28, 10, 10, 10,  //
    8,  8,  16, 24, 24, 6,  6,  6,   //
    6,  6,  8,  8,  8,  6,  6,  6,   //
    4,  4,  0,  0,  0,  6,  6,  6,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
};

constexpr int32_t KnightDiagram[64] = {
    1, 1,  1,  1,  1,  1,  1,  1,  //
    1, 4,  4,  5,  5,  4,  4,  1,  //
    1, 7,  9,  10, 10, 9,  7,  1,  //
    1, 8,  10, 12, 12, 10, 8,  1,  //
    1, 8,  10, 12, 12, 10, 8,  1,  //
    1, 7,  9,  10, 10, 9,  7,  1,  //
    1, 4,  4,  5,  5,  4,  4,  1,  //
    1, -5, 1,  1,  1,  1,  -5, 1,  //
};

constexpr int32_t BishopDiagram[64] = {
    2, 2,  2,  2,  2,  2,  2,  2,  //
    2, 8,  8,  10, 10, 8,  8,  2,  //
    2, 14, 18, 20, 20, 18, 14, 2,  //
    2, 16, 20, 24, 24, 20, 16, 2,  //
    2, 16, 20, 24, 24, 20, 16, 2,  //
    2, 14, 18, 20, 20, 18, 14, 2,  //
    2, 8,  8,  10, 10, 8,  8,  2,  //
    2, 2,  2,  2,  2,  2,  2,  2,  //
};

constexpr int32_t OutpostDiagram[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 1, 4, 4, 4, 4, 1, 0,  //
    0, 1, 3, 4, 4, 3, 1, 0,  //
    0, 0, 1, 2, 2, 1, 0, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,  //
    0, 0, 0, 0, 0, 0, 0, 0,  //
};

constexpr int32_t EndgameRookDiagram[64] = {
    2, 0, 0, 6, 6, 0, 0, 2,  //
    1, 1, 1, 5, 5, 1, 1, 1,  //
    2, 2, 1, 4, 4, 1, 1, 2,  //
    0, 1, 3, 3, 3, 3, 2, 0,  //
    0, 1, 3, 3, 3, 3, 2, 0,  //
    2, 2, 1, 4, 4, 1, 1, 2,  //
    1, 1, 1, 5, 5, 1, 1, 1,  //
    2, 0, 0, 6, 6, 0, 0, 2,  //
};

constexpr int32_t KingMateDiagram[64] = {
    -20, -10, 0,  0,  0,  0,  -10, -20,  //
    -10, 8,   8,  8,  8,  8,  8,   -10,  //
    0,   8,   32, 32, 32, 32, 8,   0,    //
    0,   8,   32, 24, 24, 32, 8,   0,    //
    0,   8,   32, 24, 24, 32, 8,   0,    //
    0,   8,   32, 32, 32, 32, 8,   0,    //
    -10, 8,   8,  8,  8,  8,  8,   -10,  //
    -20, -10, 0,  0,  0,  0,  -10, -20,  //
};

constexpr int32_t LoneKingDiagram[64] = {
    -2, 0, 0,  0,  0,  0,  0, -2,  //
    0,  8, 8,  8,  8,  8,  8, 0,   //
    0,  8, 70, 70, 70, 70, 8, 0,   //
    0,  8, 70, 90, 90, 70, 8, 0,   //
    0,  8, 70, 90, 90, 70, 8, 0,   //
    0,  8, 70, 70, 70, 70, 8, 0,   //
    0,  8, 8,  8,  8,  8,  8, 0,   //
    -2, 0, 0,  0,  0,  0,  0, -2,  //
};

constexpr int32_t StrongKingDiagram[64] = {
    0, 0, 0,  0,  0,  0,  0, -2,  //
    0, 8, 8,  8,  8,  8,  8, 0,   //
    0, 8, 40, 40, 40, 40, 8, 0,   //
    0, 8, 40, 36, 36, 40, 8, 0,   //
    0, 8, 40, 36, 36, 40, 8, 0,   //
    0, 8, 40, 40, 40, 40, 8, 0,   //
    0, 8, 8,  8,  8,  8,  8, 0,   //
    0, 0, 0,  0,  0,  0,  0, -2,  //
};

constexpr MailboxTable BuildSquareColour() {
  MailboxTable t{};
  for (int32_t s = 0; s < 128; ++s) {
    if (DiagramIndex(s) < 0) continue;
    t.Value[s] = ((s / 10 + s % 10) % 2 == 0) ? 1 : -1;  // a1 = 21: row 2 + column 1 is odd, dark
  }
  return t;
}

}  // namespace

constexpr MailboxTable KingPlacementTable = FromDiagram(KingPlacementDiagram, false);
constexpr MailboxTable WhitePawnTable = FromDiagram(PawnDiagram, false);
constexpr MailboxTable BlackPawnTable = FromDiagram(PawnDiagram, true);
constexpr MailboxTable WhiteKnightTable = FromDiagram(KnightDiagram, false);
constexpr MailboxTable BlackKnightTable = FromDiagram(KnightDiagram, true);
constexpr MailboxTable BishopTable = FromDiagram(BishopDiagram, false);
constexpr MailboxTable WhiteOutpostTable = FromDiagram(OutpostDiagram, false);
constexpr MailboxTable BlackOutpostTable = FromDiagram(OutpostDiagram, true);
constexpr MailboxTable EndgameRookTable = FromDiagram(EndgameRookDiagram, false);
constexpr int32_t HalfOpenNear[8] = {6, 6, 0, 0, 0, 0, 0, 0};
constexpr int32_t OpenNear[8] = {8, 8, 0, 0, 0, 0, 0, 0};
constexpr MailboxTable KingMateTable = FromDiagram(KingMateDiagram, false);
constexpr MailboxTable LoneKingTable = FromDiagram(LoneKingDiagram, false);
constexpr MailboxTable StrongKingTable = FromDiagram(StrongKingDiagram, false);
constexpr MailboxTable SquareColour = BuildSquareColour();

// Spot checks of the layout: a1 = 21, h1 = 28, a8 = 91, h8 = 98.
static_assert(KnightDiagram[56 + 1] == -5 && WhiteKnightTable[22] == -5 && BlackKnightTable[92] == -5, "knight b1/b8");
static_assert(WhitePawnTable[35] == 0 && WhitePawnTable[36] == 6 && BlackPawnTable[85] == 0 && BlackPawnTable[86] == 6,
              "pawn table e2/f2 and its mirror e7/f7");
static_assert(WhiteOutpostTable[75] == 4 && BlackOutpostTable[45] == 4 && WhiteOutpostTable[45] == 0, "outposts");
static_assert(StrongKingTable[28] == -2 && StrongKingTable[98] == -2 && StrongKingTable[21] == 0, "strong king corners");
static_assert(SquareColour[21] == -1 && SquareColour[22] == 1 && SquareColour[98] == -1 && SquareColour[91] == 1,
              "square colours");
static_assert(KingPlacementTable[22] == 0 && KingPlacementTable[64] == 24, "king placement b1, d4");
