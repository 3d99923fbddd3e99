// Hand-worked indices: the layouts of kpk, knk, krkn, kqqk, kbnk, kbnkp,
// kppkp and kpkp written out from their rules, and the orientation cases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "position_index.h"
#include "tablebase_classes.h"
#include "tb_test_board.h"

namespace {

enum Square : int32_t {
  A1 = 0, B1, C1, D1, E1, F1, G1, H1,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A8, B8, C8, D8, E8, F8, G8, H8,
};

int32_t Distance(int32_t a, int32_t b) {
  return std::max(std::abs((a & 7) - (b & 7)), std::abs((a >> 3) - (b >> 3)));
}

// Pair numbers counted out square by square.
int32_t PawnlessPair(int32_t k1, int32_t k2) {
  static const int32_t triangle[10] = {A1, B1, C1, D1, B2, C2, D2, C3, D3, D4};
  int32_t n = 0;
  for (int32_t a : triangle)
    for (int32_t b = 0; b < 64; b++) {
      if (Distance(a, b) <= 1) continue;
      if ((a & 7) == (a >> 3) && (b >> 3) > (b & 7)) continue;
      if (a == k1 && b == k2) return n;
      n++;
    }
  return -1;
}

int32_t PawnPair(int32_t k1, int32_t k2) {
  int32_t n = 0;
  for (int32_t a = 0; a < 64; a++)
    for (int32_t b = 0; b < 64; b++) {
      if ((a & 7) > 3 || Distance(a, b) <= 1) continue;
      if (a == k1 && b == k2) return n;
      n++;
    }
  return -1;
}

// Squares open to a piece beside king k, in rising order.
std::vector<int32_t> OpenSquares(int32_t kind, int32_t k) {
  std::vector<int32_t> open;
  for (int32_t s = 0; s < 64; s++) {
    if (s == k) continue;
    int32_t df = std::abs((s & 7) - (k & 7)), dr = std::abs((s >> 3) - (k >> 3));
    if (kind == 1 && (s < 8 || s > 55 || (k == s + 7 && (s & 7) != 0) || (k == s + 9 && (s & 7) != 7)))
      continue;
    if (kind == 2 && df * dr == 2) continue;
    if (kind == 5 && df <= 1 && dr <= 1) continue;
    if (kind == 4 && df + dr == 1) continue;
    if (kind == 3 && df == 1 && dr == 1) continue;
    open.push_back(s);
  }
  return open;
}

int32_t NumberOf(int32_t kind, int32_t k, int32_t s) {
  std::vector<int32_t> open = OpenSquares(kind, k);
  for (size_t i = 0; i < open.size(); i++)
    if (open[i] == s) return static_cast<int32_t>(i);
  return -1;
}

int32_t OpenHolds(int32_t kind, int32_t k, int32_t s) { return NumberOf(kind, k, s) >= 0; }

// The kbnk digits of white king k1, black king k2, bishop and knight over the
// king pairs before (k1, k2): knight the low digit, bishop the high one, both
// numbered beside the king not to move.
uint32_t BishopKnightDigits(bool pawnPairs, int32_t k1, int32_t k2, int32_t bishop, int32_t knight) {
  const int32_t limit = pawnPairs ? PawnPair(k1, k2) : PawnlessPair(k1, k2);
  uint32_t offset = 0;
  for (int32_t a = 0; a < 64; a++)
    for (int32_t b = 0; b < 64; b++) {
      const int32_t pair = pawnPairs ? PawnPair(a, b) : PawnlessPair(a, b);
      if (pair < 0 || pair >= limit) continue;
      offset += (OpenSquares(2, b).size() - OpenHolds(2, b, a)) * (OpenSquares(3, b).size() - OpenHolds(3, b, a));
    }
  const uint32_t radix = OpenSquares(2, k2).size() - OpenHolds(2, k2, k1);
  const uint32_t low = NumberOf(2, k2, knight) - (OpenHolds(2, k2, k1) && k1 < knight);
  const uint32_t high = NumberOf(3, k2, bishop) - (k1 < bishop);
  return offset + low + radix * high;
}

struct Lists {
  int32_t White[TablebaseListSlots];
  int32_t Black[TablebaseListSlots];
  Lists(int32_t whiteKing, int32_t blackKing) {
    for (int32_t i = 0; i < TablebaseListSlots; i++) White[i] = Black[i] = -1;
    White[0] = whiteKing;
    Black[0] = blackKing;
  }
  uint32_t Index(int32_t tableClass, int32_t side, int32_t ep = TablebaseNoEnPassant) const {
    return IndexFunction[tableClass][side](White, Black, ep, 0);
  }
};

class TbIndexExamples : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildIndexTables(); }
};

TEST_F(TbIndexExamples, KpkWhiteToMove) {
  // First pair (a1, c1): 48 pawn squares, the king on a1 holds none of them.
  Lists a(A1, C1);
  a.White[4] = A2;
  EXPECT_EQ(a.Index(1, 0), 0u);
  a.White[4] = H7;
  EXPECT_EQ(a.Index(1, 0), 47u);
  Lists b(A1, D1);
  b.White[4] = A2;
  EXPECT_EQ(b.Index(1, 0), 48u);
  // Every pair: number beside the black king, less the white king's own square.
  uint32_t offset = 0;
  for (int32_t k1 = 0; k1 < 64; k1++)
    for (int32_t k2 = 0; k2 < 64; k2++) {
      if ((k1 & 7) > 3 || Distance(k1, k2) <= 1) continue;
      std::vector<int32_t> open = OpenSquares(1, k2);
      for (int32_t p : open) {
        if (p == k1) continue;
        Lists l(k1, k2);
        l.White[4] = p;
        uint32_t expected = offset + NumberOf(1, k2, p) - (OpenHolds(1, k2, k1) && k1 < p);
        ASSERT_EQ(l.Index(1, 0), expected);
      }
      offset += open.size() - OpenHolds(1, k2, k1);
    }
  EXPECT_EQ(offset, 81664u);
  EXPECT_EQ(IndexRange(1, 0), 81664u);
}

TEST_F(TbIndexExamples, KnkBlackToMove) {
  for (int32_t k1 : {A1, B1, C2, D4, D3})
    for (int32_t k2 = 0; k2 < 64; k2++) {
      int32_t pair = PawnlessPair(k1, k2);
      if (pair < 0) continue;
      for (int32_t n = 0; n < 64; n++) {
        if (n == k1 || n == k2) continue;
        Lists l(k2, k1);
        l.White[8] = n;
        uint32_t expected = pair * 62 + n - (k1 < n) - (k2 < n);
        ASSERT_EQ(l.Index(2, 1), expected);
      }
    }
  EXPECT_EQ(IndexRange(2, 1), 462u * 62u);
}

TEST_F(TbIndexExamples, KrknIsKrkTimesKnightSquares) {
  uint64_t seed = 7;
  for (int32_t i = 0; i < 20000; i++) {
    seed = seed * 6364136223846793005ull + 1;
    int32_t squares[4];
    int32_t kings[6] = {B1, C1, D1, C2, D2, D3};  // off the diagonal: no reflection
    squares[0] = kings[(seed >> 20) % 6];
    squares[1] = (seed >> 30) % 64;
    squares[2] = (seed >> 40) % 64;
    squares[3] = (seed >> 50) % 64;
    if (Distance(squares[0], squares[1]) <= 1 || squares[2] == squares[0] ||
        squares[2] == squares[1] || squares[3] == squares[0] || squares[3] == squares[1] ||
        squares[3] == squares[2] || !OpenHolds(4, squares[1], squares[2]))
      continue;
    Lists l(squares[0], squares[1]);
    l.White[16] = squares[2];
    uint32_t krk = l.Index(4, 0);
    l.Black[8] = squares[3];
    int32_t n = squares[3];
    uint32_t expected = krk * 61 + n - (squares[1] < n) - (squares[2] < n) - (squares[0] < n);
    ASSERT_EQ(l.Index(13, 0), expected);
  }
  EXPECT_EQ(IndexRange(4, 0), 27036u);
  EXPECT_EQ(IndexRange(13, 0), 27036u * 61u);
  EXPECT_EQ(TablebaseClasses[13].ExpectedSize[0], 1649196u);
}

TEST_F(TbIndexExamples, KqqkWhiteToMove) {
  uint32_t offset = 0;
  for (int32_t k1 : {A1, B1, C1, D1, B2, C2, D2, C3, D3, D4})
    for (int32_t k2 = 0; k2 < 64; k2++) {
      if (PawnlessPair(k1, k2) < 0) continue;
      uint32_t open = OpenSquares(5, k2).size() - OpenHolds(5, k2, k1);
      if (k1 == C2 && k2 == F6) {
        for (int32_t d = 0; d < 64; d++)
          for (int32_t b = d + 1; b < 64; b++) {
            if (!OpenHolds(5, k2, d) || !OpenHolds(5, k2, b) || d == k1 || b == k1) continue;
            Lists l(k1, k2);
            l.White[20] = b;  // list order does not matter
            l.White[21] = d;
            uint32_t e = NumberOf(5, k2, b) - (k1 < b);
            uint32_t expected = NumberOf(5, k2, d) - (k1 < d) + offset + e * (e - 1) / 2;
            ASSERT_EQ(l.Index(35, 0), expected);
          }
      }
      offset += open * (open - 1) / 2;
    }
  EXPECT_EQ(offset, 699072u);
  EXPECT_EQ(IndexRange(35, 0), 699072u);
}

TEST_F(TbIndexExamples, KbnkBothSides) {
  // White to move: knight the low digit, bishop the high one.
  for (int32_t k2 : {F6, H8, E3})
    for (int32_t bishop : {A8, C5, H2, D3})
      for (int32_t knight : {A3, C5, G8, H1}) {
        if (!OpenHolds(3, k2, bishop) || !OpenHolds(2, k2, knight) || bishop == B1 || knight == B1) continue;
        Lists l(B1, k2);
        l.White[12] = bishop;
        l.White[8] = knight;
        EXPECT_EQ(l.Index(25, 0), BishopKnightDigits(false, B1, k2, bishop, knight));
      }
  // Black to move: ((pair x 62) + B - [k1 < B] - [k2 < B]) x 61 + N - ...
  for (int32_t k1 : {A1, C2, D4})
    for (int32_t k2 : {C3, H8, E1, G7}) {
      int32_t pair = PawnlessPair(k1, k2);
      if (pair < 0) continue;
      for (int32_t bishop : {B2, E5, H1})
        for (int32_t knight : {A8, F3, B2}) {
          if (bishop == knight || bishop == k1 || bishop == k2 || knight == k1 || knight == k2)
            continue;
          Lists l(k2, k1);
          l.White[12] = bishop;
          l.White[8] = knight;
          uint32_t expected =
              ((pair * 62 + bishop - (k1 < bishop) - (k2 < bishop)) * 61) + knight -
              (k1 < knight) - (k2 < knight) - (bishop < knight);
          EXPECT_EQ(l.Index(25, 1), expected);
        }
    }
}

TEST_F(TbIndexExamples, KbnkpBothSides) {
  // White to move: the kbnk-style digits on the pawn king pairs, then the
  // black pawn among the 48 pawn squares.
  Lists l(C4, F7);
  l.White[12] = H1;
  l.White[8] = A3;
  l.Black[4] = B6;
  EXPECT_EQ(l.Index(56, 0), BishopKnightDigits(true, C4, F7, H1, A3) * 48 + (B6 - 8));
  // Black to move: the kpk index of black's king and pawn against the white
  // king on the flipped board, then bishop and knight on the plain board.
  for (int32_t k : {B8, D5, A3})
    for (int32_t p : {C7, B2, H4}) {
      int32_t K = E2, B = G5, N = A6;
      if (Distance(K, k) <= 1 || p == k) continue;
      Lists kpk(k ^ 56, K ^ 56);
      kpk.White[4] = p ^ 56;
      uint32_t x = kpk.Index(1, 0);
      if (x == TablebaseBadIndex) continue;
      Lists l(K, k);
      l.Black[4] = p;
      l.White[12] = B;
      l.White[8] = N;
      uint32_t expected = ((x * 61) + B - (k < B) - (p < B) - (K < B)) * 60 + N - (k < N) -
                          (p < N) - (K < N) - (B < N);
      EXPECT_EQ(l.Index(56, 1), expected);
    }
}

TEST_F(TbIndexExamples, KppkpWhiteToMove) {
  for (int32_t bp : {A3, C6, H5, D4})
    for (int32_t p1 : {B2, C5, H6}) {
      int32_t p2 = E4, K = A1, k = G8;
      if (bp == p1 || bp == p2) continue;
      Lists kppk(K, k);
      kppk.White[4] = p1;
      kppk.White[5] = p2;
      uint32_t pawns = kppk.Index(21, 0);
      Lists l(K, k);
      l.White[4] = p2;
      l.White[5] = p1;
      l.Black[4] = bp;
      uint32_t expected = pawns * 46 + (bp - 8 - (p1 < bp) - (p2 < bp));
      EXPECT_EQ(l.Index(36, 0), expected);
    }
  EXPECT_EQ(IndexRange(21, 0), 1806671u);
}

TEST_F(TbIndexExamples, KpkpOrdinaryAndCapture) {
  // Ordinary: the kpk index of kings and white pawn, then the black pawn.
  Lists l(B1, F8);
  l.White[4] = C5;
  l.Black[4] = D7;
  Lists kpk(B1, F8);
  kpk.White[4] = C5;
  uint32_t base = kpk.Index(1, 0);
  EXPECT_EQ(l.Index(6, 0), base * 47 + (D7 - 8 - 1));
  // Black played d7-d5: white's c5 pawn takes on d6 (e = P + 9).
  l.Black[4] = D5;
  uint32_t pair = PawnPair(B1, F8);
  uint32_t capture = l.Index(6, 0, D6);
  EXPECT_EQ(capture, 81664u * 47 + pair * 14 + (2 + 7));
  EXPECT_GE(capture, 3838208u);
  // The same with no capture square is an ordinary position.
  EXPECT_LT(l.Index(6, 0), 3838208u);
  // Taking towards the a-file: pawn e5 takes on d6 (e = P + 7).
  l.White[4] = E5;
  EXPECT_EQ(l.Index(6, 0, D6), 81664u * 47 + pair * 14 + (4 - 1));
  EXPECT_EQ(IndexRange(6, 0), 81664u * 47 + 1806u * 14);
  EXPECT_EQ(IndexRange(6, 1), 3863492u);
}

TEST_F(TbIndexExamples, CaptureRangesOfTheFivePieceClasses) {
  // kppkp: capture code with the third pawn on 44 squares.
  EXPECT_EQ(IndexRange(36, 0), 1806671u * 46 + 1806u * 14 * 44);
  EXPECT_EQ(IndexRange(36, 1), 81664u * 1081 + 1806u * 14 * 44);
  // kxpkp, white to move: the piece numbered beside the pair, then the code.
  EXPECT_EQ(IndexRange(41, 0), 4648581u * 47 + 102748u * 14);
  // kxpkp, black to move: the white piece appended on 58 squares.
  for (int32_t c : {41, 51, 66, 86}) EXPECT_EQ(IndexRange(c, 1), 231758952u);
}

TEST_F(TbIndexExamples, PositionsOutsideTheLayout) {
  Lists touching(D4, E5);
  touching.White[20] = A1;
  EXPECT_EQ(touching.Index(5, 0), TablebaseBadIndex);
  Lists contact(A1, H8);
  contact.White[20] = G7;  // queen next to the king not to move
  EXPECT_EQ(contact.Index(5, 0), TablebaseBadIndex);
  Lists pawn(A1, H8);
  pawn.White[4] = C1;  // pawn on the first rank
  EXPECT_EQ(pawn.Index(1, 0), TablebaseBadIndex);
  Lists twins(A1, H8);
  twins.White[20] = C3;
  twins.White[21] = C3;
  EXPECT_EQ(twins.Index(35, 0), TablebaseBadIndex);
  // Squares are taken modulo the board: no list value reads outside a table.
  Lists wild(-1000, 1 << 20);
  wild.White[20] = 777;
  uint32_t index = wild.Index(5, 0);
  EXPECT_TRUE(index == TablebaseBadIndex || index < IndexRange(5, 0));
  EXPECT_EQ(IndexRange(0, 0), 0u);
  EXPECT_EQ(IndexRange(146, 0), 0u);
  int32_t w[TablebaseListSlots], b[TablebaseListSlots], ep;
  EXPECT_EQ(IndexToPosition(5, 0, IndexRange(5, 0), w, b, &ep), 0);
}

// A file may end before its index range does: the indices past the file
// hold only positions in which the side not to move is in check (the tails
// tests check each of them). 47 of the 290 ranges are longer than their
// files; none is shorter.
TEST_F(TbIndexExamples, RangesLongerThanTheirFiles) {
  BuildIndexTables();
  int32_t longer = 0;
  std::string which;
  for (int32_t c = 1; c < TablebaseClassCount; c++)
    for (int32_t side = 0; side < 2; side++) {
      const uint32_t range = IndexRange(c, side), size = TablebaseClasses[c].ExpectedSize[side];
      EXPECT_GE(range, size) << TablebaseClasses[c].Name << " side " << side;
      if (range <= size) continue;
      ++longer;
      which += std::string(TablebaseClasses[c].Name) + (side ? " b, " : " w, ");
    }
  EXPECT_EQ(longer, 47) << which;
  EXPECT_EQ(IndexRange(4, 0) - TablebaseClasses[4].ExpectedSize[0], 6u);  // krk: the last six
}

}  // namespace
