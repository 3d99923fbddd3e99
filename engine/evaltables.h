// Piece-square tables of the evaluation, laid out by mailbox square so that
// the evaluators read them with the square they already hold. Each table is
// written out below as a chess diagram (rank 8 first, files a to h) and
// converted at compile time; black's mirrored versions are derived the same
// way.
#pragma once

#include <cstdint>

struct MailboxTable {
  int32_t Value[128];
  constexpr int32_t operator[](int32_t s) const { return Value[s]; }
};

// Diagram index (rank 8 first) of a playable mailbox square, or -1.
constexpr int32_t DiagramIndex(int32_t s) {
  int32_t row = s / 10, column = s % 10;
  if (row < 2 || row > 9 || column < 1 || column > 8) return -1;
  return (9 - row) * 8 + (column - 1);
}

// mirrored = true reflects the diagram top to bottom (black reads its rank 8
// where white reads rank 1).
constexpr MailboxTable FromDiagram(const int32_t (&diagram)[64], bool mirrored) {
  MailboxTable t{};
  for (int32_t s = 0; s < 128; ++s) {
    int32_t i = DiagramIndex(s);
    if (i < 0) continue;
    if (mirrored) i = (7 - i / 8) * 8 + i % 8;
    t.Value[s] = diagram[i];
  }
  return t;
}

// Pawn-structure tables.
extern const MailboxTable KingPlacementTable;  // middlegame penalty, endgame bonus
extern const MailboxTable WhitePawnTable;
extern const MailboxTable BlackPawnTable;

// Middlegame piece tables (the endgame uses the knight and bishop tables too).
extern const MailboxTable WhiteKnightTable;
extern const MailboxTable BlackKnightTable;
extern const MailboxTable BishopTable;
extern const MailboxTable WhiteOutpostTable;
extern const MailboxTable BlackOutpostTable;

// Endgame rook-and-queen table and the rook's bonus near the enemy king by
// king distance (only distances 0 and 1 count).
extern const MailboxTable EndgameRookTable;
extern const int32_t HalfOpenNear[8];
extern const int32_t OpenNear[8];

// Mating endgames.
extern const MailboxTable KingMateTable;
extern const MailboxTable LoneKingTable;
extern const MailboxTable StrongKingTable;
extern const MailboxTable SquareColour;  // +1 light, -1 dark (a1 dark)
