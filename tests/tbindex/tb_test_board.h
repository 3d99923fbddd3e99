// Test-side model of a tablebase position: men of one class on squares,
// with its own attack test and board symmetries, independent of the code
// under test.
#pragma once

#include <cstdint>
#include <functional>

enum : int32_t { TestKing = 6 };

struct TestMan {
  int32_t Colour;  // 0 white, 1 black
  int32_t Type;    // 1 pawn .. 5 queen, TestKing
};

// The men of a class in a fixed order: white king, black king, white's
// pieces by type, black's pieces by type.
struct TestMaterial {
  int32_t Class;
  int32_t Count;
  TestMan Men[5];
  int32_t Pawns;  // any pawn on the board
};

struct TestPosition {
  int32_t Squares[5];
  int32_t Side;      // to move
  int32_t EpSquare;  // 127 when no en-passant capture
};

TestMaterial MaterialOf(int32_t tableClass);

// Index lists as the probe builds them (white's and black's).
void BuildLists(const TestMaterial& material, const TestPosition& position, int32_t* white,
                int32_t* black);

// Whether the king of `colour` is attacked.
int32_t KingInCheck(const TestMaterial& material, const TestPosition& position, int32_t colour);

// Board symmetry g (0..7): bit 0 mirrors files, bit 1 mirrors ranks, bit 2
// reflects in the a1-h8 diagonal (applied last).
int32_t TransformSquare(int32_t square, int32_t g);
TestPosition TransformPosition(const TestPosition& position, int32_t count, int32_t g);

// The symmetries a class's index respects: {0, 1} with pawns, 0..7 without.
int32_t SymmetryCount(const TestMaterial& material);
int32_t SymmetryOf(const TestMaterial& material, int32_t i);

// Smallest encoding over the class's symmetries (like men sorted): equal for
// two positions exactly when one is a symmetry image of the other.
uint64_t OrbitKey(const TestMaterial& material, const TestPosition& position);

// Both kings on one long diagonal: the index keeps two diagonal images apart.
int32_t KingsShareLongDiagonal(const TestPosition& position);

// Index of the position through its class function, as given and with the
// colours exchanged (board flipped, lists swapped, reversed flag set).
uint32_t IndexOf(const TestMaterial& material, const TestPosition& position);
uint32_t ReversedIndexOf(const TestMaterial& material, const TestPosition& position);

// Every placement of the men (distinct squares, pawns on ranks 2..7, kings
// apart, like men in rising square order) with the side to move's king on
// files a..d (pawns) or in a1-d1-d4 (pawnless), unless `ownKing`/`otherKing`
// fix the kings' squares (-1 = free). Ordinary positions only.
void EnumeratePositions(const TestMaterial& material, int32_t side, int32_t ownKing,
                        int32_t otherKing, const std::function<void(const TestPosition&)>& visit);

// Every position of a class with pawns on both sides in which the side to
// move can capture en passant (kings restricted as above).
void EnumerateCapturePositions(const TestMaterial& material, int32_t side, int32_t ownKing,
                               int32_t otherKing,
                               const std::function<void(const TestPosition&)>& visit);

// A random placement (as EnumeratePositions, any king squares); `capture`
// asks for an en-passant position (classes with pawns on both sides).
TestPosition RandomPosition(const TestMaterial& material, int32_t side, uint64_t& seed,
                            int32_t capture);

// The position an index decodes to, in the test model. 0 when it holds none.
int32_t DecodeIndex(const TestMaterial& material, int32_t side, uint32_t index,
                    TestPosition* position);
