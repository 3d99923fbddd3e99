// Position indexing for the endgame tables: one index function per class
// and side to move maps a position to its entry in that table.
//
// Piece lists (TablebasePieceList): 24 signed 32-bit slots per side, the
// king's square in slot 0, the squares of the pieces of type t (1 pawn,
// 2 knight, 3 bishop, 4 rook, 5 queen) in slots 4t..4t+3. Squares are 0..63,
// a1 = 0, h1 = 7, a8 = 56, h8 = 63. Only as many slots of a type are read as
// the class holds pieces of it.
//
// Use:
//   BuildIndexTables();                           // once, before any index
//   uint32_t i = IndexFunction[c][side](first, second, ep, reversed);
// with `first` the list of the side that plays white in the table (black's
// list when the colours are exchanged, reversed = 1), `ep` the en-passant
// square (0..63) onto which a pawn of the side to move can capture, or
// TablebaseNoEnPassant. Positions that are mirror or rotation images of each
// other (files mirrored when pawns are on the board; the eight board
// symmetries otherwise) share one index, except that pawnless positions with
// both kings on the a1-h8 diagonal keep the two diagonal images apart.
//
// A table file may end before IndexRange: its trailing indices hold only
// positions in which the side not to move is in check. An index at or beyond
// the table's size (TablebaseBadIndex among them) has no entry. An en-passant
// square that is no real capture (no pawn beside the capturing one that has
// just made its double step over empty squares) is ignored.
//
// For building tables, IndexToPosition inverts the mapping: every index below
// IndexRange either decodes to a position whose index it is, or is reported
// as holding none (men on one square, or a second encoding of a position
// whose own index lies elsewhere).
#pragma once

#include <cstdint>

enum : int32_t {
  TablebaseNoEnPassant = 127,
  TablebaseListSlots = 24,
};

// Answered for positions outside any layout (adjacent or coinciding kings,
// a man where the class allows none): never a table entry.
constexpr uint32_t TablebaseBadIndex = 0xFFFFFFFFu;

typedef uint32_t (*TablebaseIndexFunction)(const int32_t* firstList, const int32_t* secondList,
                                           int32_t epSquare, int32_t reversed);

// Builds the placement, king-pair and offset tables and the per-class layouts.
// Safe to call again; the first call does the work. Not thread-safe against
// concurrent index computations of an earlier FreeIndexTables.
void BuildIndexTables();
// Releases the offset tables; BuildIndexTables must run again before use.
void FreeIndexTables();

// IndexFunction[c][s]: the index function of class c (1..145), side to move
// s (0 white, 1 black). Row 0 (the "kk" placeholder) holds null pointers.
extern const TablebaseIndexFunction IndexFunction[146][2];

// One past the largest index the class and side's function can answer for
// any position; 0 for a class out of range.
uint32_t IndexRange(int32_t tableClass, int32_t side);

// Decodes an index of a class and side into a position in the layout's own
// orientation (white = the class's first-named side, not reversed): fills
// both lists (unused slots set to -1) and *epSquare (TablebaseNoEnPassant
// when none). Answers 1 when the index belongs to that position, 0 when the
// index holds no position (lists then undefined).
int32_t IndexToPosition(int32_t tableClass, int32_t side, uint32_t index, int32_t* firstList,
                        int32_t* secondList, int32_t* epSquare);

// The generic index computation behind every IndexFunction entry.
uint32_t ComputeIndex(int32_t tableClass, int32_t side, const int32_t* firstList,
                      const int32_t* secondList, int32_t epSquare, int32_t reversed);

template <int32_t Class, int32_t Side>
uint32_t ClassIndex(const int32_t* firstList, const int32_t* secondList, int32_t epSquare,
                    int32_t reversed) {
  return ComputeIndex(Class, Side, firstList, secondList, epSquare, reversed);
}
