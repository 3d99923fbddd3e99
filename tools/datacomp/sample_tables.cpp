// Table-like sample data for tests and benchmarks, until generated tables
// exist: a four-piece pawnless class laid out like the real index (king pair
// of 462, then two pieces among the free squares), with values in the stored
// byte convention (127 invalid, 0 draw, 127 - n a win in n, n - 127 a loss
// in n) that follow the geometry, plus a little noise.
#include <cstdlib>

#include "datacomp_writer.h"

namespace {

struct KingPair {
  int First;
  int Second;
};

std::vector<KingPair> PawnlessKingPairs() {
  static const int kTriangle[10] = {0, 1, 2, 3, 9, 10, 11, 18, 19, 27};
  std::vector<KingPair> pairs;
  for (int first : kTriangle) {
    for (int second = 0; second < 64; second++) {
      int df = std::abs(first % 8 - second % 8);
      int dr = std::abs(first / 8 - second / 8);
      if (df <= 1 && dr <= 1) continue;
      bool onDiagonal = first % 8 == first / 8;
      if (onDiagonal && second % 8 < second / 8) continue;
      pairs.push_back({first, second});
    }
  }
  return pairs;
}

int Distance(int a, int b) {
  int df = std::abs(a % 8 - b % 8);
  int dr = std::abs(a / 8 - b / 8);
  return df > dr ? df : dr;
}

int EdgeDistance(int s) {
  int f = s % 8;
  int r = s / 8;
  int df = f < 7 - f ? f : 7 - f;
  int dr = r < 7 - r ? r : 7 - r;
  return df < dr ? df : dr;
}

}  // namespace

void SynthesiseTable(uint32_t variant, std::vector<uint8_t>* data) {
  std::vector<KingPair> pairs = PawnlessKingPairs();  // 462 pairs
  data->clear();
  data->reserve(pairs.size() * 62 * 61);
  uint32_t noise = 0x9E3779B9u * (variant + 1);
  bool whiteToMove = (variant & 1) == 0;
  for (const KingPair& pair : pairs) {
    int wk = pair.First;
    int bk = pair.Second;
    int free[62];
    int count = 0;
    for (int s = 0; s < 64; s++)
      if (s != wk && s != bk) free[count++] = s;
    for (int n1 = 0; n1 < 62; n1++) {
      int rook = free[n1];
      for (int n2 = 0; n2 < 61; n2++) {
        int bishop = free[n2 + (n2 >= n1)];
        noise = noise * 1664525u + 1013904223u;
        bool rookChecks = rook % 8 == bk % 8 || rook / 8 == bk / 8;
        bool bishopChecks = std::abs(bishop % 8 - bk % 8) == std::abs(bishop / 8 - bk / 8);
        uint8_t value;
        if (whiteToMove && (rookChecks || bishopChecks)) {
          value = 127;  // the side not to move is in check
        } else if ((Distance(rook, bk) == 1 && Distance(rook, wk) > 1) ||
                   (Distance(bishop, bk) == 1 && Distance(bishop, wk) > 1 && (variant & 2))) {
          value = 0;  // a piece hangs: the weaker side holds
        } else {
          int n = 4 + 3 * EdgeDistance(bk) + 2 * Distance(wk, bk) + Distance(rook, bk) / 3;
          if ((noise >> 28) == 0) n += static_cast<int>((noise >> 20) & 7);
          if (!whiteToMove) n += 1;
          value = whiteToMove ? static_cast<uint8_t>(127 - n) : static_cast<uint8_t>(n - 127);
        }
        data->push_back(value);
      }
    }
  }
}
