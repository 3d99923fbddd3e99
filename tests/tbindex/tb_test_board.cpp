#include "tb_test_board.h"

#include <algorithm>
#include <cstdlib>

#include "position_index.h"
#include "tablebase_classes.h"

static int32_t FileOf(int32_t s) { return s & 7; }
static int32_t RankOf(int32_t s) { return s >> 3; }

TestMaterial MaterialOf(int32_t tableClass) {
  TestMaterial material{};
  material.Class = tableClass;
  int32_t counts[10];
  ClassMaterial(tableClass, counts);
  material.Men[material.Count++] = {0, TestKing};
  material.Men[material.Count++] = {1, TestKing};
  for (int32_t colour = 0; colour < 2; colour++)
    for (int32_t type = 1; type <= 5; type++)
      for (int32_t i = 0; i < counts[colour * 5 + type - 1]; i++)
        material.Men[material.Count++] = {colour, type};
  material.Pawns = counts[0] + counts[5] > 0;
  return material;
}

void BuildLists(const TestMaterial& material, const TestPosition& position, int32_t* white,
                int32_t* black) {
  int32_t used[2][6] = {};
  for (int32_t i = 0; i < TablebaseListSlots; i++) white[i] = black[i] = -1;
  for (int32_t i = 0; i < material.Count; i++) {
    const TestMan& man = material.Men[i];
    int32_t* list = man.Colour ? black : white;
    if (man.Type == TestKing)
      list[0] = position.Squares[i];
    else
      list[4 * man.Type + used[man.Colour][man.Type]++] = position.Squares[i];
  }
}

static int32_t OccupiedBy(const TestMaterial& material, const TestPosition& position,
                          int32_t square) {
  for (int32_t i = 0; i < material.Count; i++)
    if (position.Squares[i] == square) return i;
  return -1;
}

// Whether the man on `from` attacks `target` (rays stop at any man).
static int32_t ManAttacks(const TestMaterial& material, const TestPosition& position,
                          const TestMan& man, int32_t from, int32_t target) {
  int32_t df = FileOf(target) - FileOf(from), dr = RankOf(target) - RankOf(from);
  int32_t adf = std::abs(df), adr = std::abs(dr);
  switch (man.Type) {
    case 1: return adf == 1 && dr == (man.Colour ? -1 : 1);
    case 2: return (adf == 1 && adr == 2) || (adf == 2 && adr == 1);
    case TestKing: return adf <= 1 && adr <= 1 && (adf | adr) != 0;
    default: break;
  }
  int32_t diagonal = adf == adr && adf != 0, straight = (df == 0) != (dr == 0);
  if (!(man.Type == 3 && diagonal) && !(man.Type == 4 && straight) &&
      !(man.Type == 5 && (diagonal || straight)))
    return 0;
  int32_t step = (dr > 0 ? 8 : dr < 0 ? -8 : 0) + (df > 0 ? 1 : df < 0 ? -1 : 0);
  for (int32_t s = from + step; s != target; s += step)
    if (OccupiedBy(material, position, s) >= 0) return 0;
  return 1;
}

int32_t KingInCheck(const TestMaterial& material, const TestPosition& position, int32_t colour) {
  int32_t king = position.Squares[colour];  // slots 0 and 1 hold the kings
  for (int32_t i = 0; i < material.Count; i++)
    if (material.Men[i].Colour != colour &&
        ManAttacks(material, position, material.Men[i], position.Squares[i], king))
      return 1;
  return 0;
}

int32_t TransformSquare(int32_t square, int32_t g) {
  int32_t f = FileOf(square), r = RankOf(square);
  if (g & 1) f = 7 - f;
  if (g & 2) r = 7 - r;
  if (g & 4) std::swap(f, r);
  return 8 * r + f;
}

TestPosition TransformPosition(const TestPosition& position, int32_t count, int32_t g) {
  TestPosition image = position;
  for (int32_t i = 0; i < count; i++) image.Squares[i] = TransformSquare(position.Squares[i], g);
  if (position.EpSquare != TablebaseNoEnPassant)
    image.EpSquare = TransformSquare(position.EpSquare, g);
  return image;
}

int32_t SymmetryCount(const TestMaterial& material) { return material.Pawns ? 2 : 8; }
int32_t SymmetryOf(const TestMaterial&, int32_t i) { return i; }

static uint8_t TransformTable[8][64];
static int32_t TransformTableReady = 0;

uint64_t OrbitKey(const TestMaterial& material, const TestPosition& position) {
  if (!TransformTableReady) {
    for (int32_t g = 0; g < 8; g++)
      for (int32_t s = 0; s < 64; s++) TransformTable[g][s] = static_cast<uint8_t>(TransformSquare(s, g));
    TransformTableReady = 1;
  }
  uint64_t best = ~0ull;
  const int32_t images = SymmetryCount(material);
  for (int32_t g = 0; g < images; g++) {
    const uint8_t* map = TransformTable[SymmetryOf(material, g)];
    int32_t squares[5];
    for (int32_t m = 0; m < material.Count; m++) {
      // Insertion into the run of like men before it keeps each run sorted.
      int32_t s = map[position.Squares[m]], at = m;
      while (at > 0 && material.Men[at - 1].Colour == material.Men[m].Colour &&
             material.Men[at - 1].Type == material.Men[m].Type && material.Men[m].Type != TestKing &&
             squares[at - 1] > s) {
        squares[at] = squares[at - 1];
        at--;
      }
      squares[at] = s;
    }
    int32_t ep = position.EpSquare;
    uint64_t key = static_cast<uint64_t>(ep == TablebaseNoEnPassant ? ep : map[ep]);
    for (int32_t m = 0; m < material.Count; m++) key = (key << 6) | static_cast<uint64_t>(squares[m]);
    best = std::min(best, key);
  }
  return best;
}

int32_t KingsShareLongDiagonal(const TestPosition& p) {
  int32_t a = p.Squares[0], b = p.Squares[1];
  return (FileOf(a) == RankOf(a) && FileOf(b) == RankOf(b)) ||
         (FileOf(a) + RankOf(a) == 7 && FileOf(b) + RankOf(b) == 7);
}

uint32_t IndexOf(const TestMaterial& material, const TestPosition& position) {
  int32_t white[TablebaseListSlots], black[TablebaseListSlots];
  BuildLists(material, position, white, black);
  return IndexFunction[material.Class][position.Side](white, black, position.EpSquare, 0);
}

uint32_t ReversedIndexOf(const TestMaterial& material, const TestPosition& position) {
  int32_t white[TablebaseListSlots], black[TablebaseListSlots];
  BuildLists(material, position, white, black);
  for (int32_t i = 0; i < TablebaseListSlots; i++) {
    if (white[i] >= 0) white[i] ^= 56;
    if (black[i] >= 0) black[i] ^= 56;
  }
  int32_t ep = position.EpSquare == TablebaseNoEnPassant ? position.EpSquare : position.EpSquare ^ 56;
  return IndexFunction[material.Class][position.Side](white, black, ep, 1);
}

namespace {

struct Enumerator {
  const TestMaterial* Material;
  int32_t Side;
  int32_t OwnKing, OtherKing;
  const std::function<void(const TestPosition&)>* Visit;
  TestPosition Position;
  int32_t Forbidden[2];  // squares kept empty (en-passant square and start square)

  int32_t KingSquareAllowed(int32_t slot, int32_t s) const {
    int32_t fixed = slot == Side ? OwnKing : OtherKing;
    if (fixed >= 0) return s == fixed;
    if (slot != Side) return 1;
    if (Material->Pawns) return FileOf(s) < 4;
    return FileOf(s) < 4 && RankOf(s) <= FileOf(s);
  }

  void Place(int32_t slot) {
    if (slot >= Material->Count || slot >= 5) {
      (*Visit)(Position);
      return;
    }
    const TestMan& man = Material->Men[slot];
    int32_t from = 0;
    if (slot > 0 && Material->Men[slot - 1].Colour == man.Colour &&
        Material->Men[slot - 1].Type == man.Type && man.Type != TestKing)
      from = Position.Squares[slot - 1] + 1;
    for (int32_t s = from; s < 64; s++) {
      if (man.Type == 1 && (s < 8 || s > 55)) continue;
      if (s == Forbidden[0] || s == Forbidden[1]) continue;
      if (man.Type == TestKing && !KingSquareAllowed(slot, s)) continue;
      if (slot == 1 && std::abs(FileOf(s) - FileOf(Position.Squares[0])) <= 1 &&
          std::abs(RankOf(s) - RankOf(Position.Squares[0])) <= 1)
        continue;
      int32_t taken = 0;
      for (int32_t i = 0; i < slot; i++) taken |= Position.Squares[i] == s;
      if (taken) continue;
      Position.Squares[slot] = s;
      Place(slot + 1);
    }
  }
};

}  // namespace

void EnumeratePositions(const TestMaterial& material, int32_t side, int32_t ownKing,
                        int32_t otherKing, const std::function<void(const TestPosition&)>& visit) {
  Enumerator e{&material, side, ownKing, otherKing, &visit, {}, {-1, -1}};
  e.Position.Side = side;
  e.Position.EpSquare = TablebaseNoEnPassant;
  e.Place(0);
}

void EnumerateCapturePositions(const TestMaterial& material, int32_t side, int32_t ownKing,
                               int32_t otherKing,
                               const std::function<void(const TestPosition&)>& visit) {
  // The pawn that just made its double step stands beside a pawn of the
  // side to move; the squares it crossed are empty.
  const int32_t ahead = side == 0 ? 8 : -8;
  for (int32_t file = 0; file < 8; file++) {
    int32_t captured = (side == 0 ? 32 : 24) + file;
    int32_t ep = captured + ahead, start = captured + 2 * ahead;
    std::function<void(const TestPosition&)> filter = [&](const TestPosition& p) {
      int32_t hasCaptured = 0, hasCapturer = 0;
      for (int32_t i = 0; i < material.Count; i++) {
        if (material.Men[i].Type != 1) continue;
        int32_t s = p.Squares[i];
        if (material.Men[i].Colour != side && s == captured) hasCaptured = 1;
        if (material.Men[i].Colour == side && RankOf(s) == RankOf(captured) &&
            std::abs(FileOf(s) - file) == 1)
          hasCapturer = 1;
      }
      if (!hasCaptured || !hasCapturer) return;
      TestPosition q = p;
      q.EpSquare = ep;
      visit(q);
    };
    Enumerator e{&material, side, ownKing, otherKing, &filter, {}, {ep, start}};
    e.Position.Side = side;
    e.Position.EpSquare = TablebaseNoEnPassant;
    e.Place(0);
  }
}

static uint32_t NextRandom(uint64_t& seed) {
  seed = seed * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<uint32_t>(seed >> 33);
}

TestPosition RandomPosition(const TestMaterial& material, int32_t side, uint64_t& seed,
                            int32_t capture) {
  for (;;) {
    TestPosition p;
    p.Side = side;
    p.EpSquare = TablebaseNoEnPassant;
    int32_t fixedSlots = 0, forbidden[2] = {-1, -1};
    int32_t done[5] = {};
    if (capture) {
      int32_t file = static_cast<int32_t>(NextRandom(seed) % 8);
      int32_t towards = NextRandom(seed) % 2 ? 1 : -1;
      if (file + towards < 0 || file + towards > 7) towards = -towards;
      int32_t captured = (side == 0 ? 32 : 24) + file;
      int32_t ahead = side == 0 ? 8 : -8;
      p.EpSquare = captured + ahead;
      forbidden[0] = captured + ahead;
      forbidden[1] = captured + 2 * ahead;
      for (int32_t i = 0; i < material.Count; i++) {
        if (material.Men[i].Type != 1 || done[i]) continue;
        if (material.Men[i].Colour != side && !(fixedSlots & 1)) {
          p.Squares[i] = captured;
          done[i] = 1;
          fixedSlots |= 1;
        } else if (material.Men[i].Colour == side && !(fixedSlots & 2)) {
          p.Squares[i] = captured + towards;
          done[i] = 1;
          fixedSlots |= 2;
        }
      }
    }
    int32_t ok = 1;
    for (int32_t i = 0; i < material.Count && ok; i++) {
      if (done[i]) continue;
      int32_t s = static_cast<int32_t>(NextRandom(seed) % 64);
      if (material.Men[i].Type == 1) s = 8 + static_cast<int32_t>(NextRandom(seed) % 48);
      p.Squares[i] = s;
      done[i] = 1;
      if (s == forbidden[0] || s == forbidden[1]) ok = 0;
    }
    for (int32_t i = 0; i < material.Count && ok; i++)
      for (int32_t j = 0; j < i; j++)
        if (p.Squares[i] == p.Squares[j]) ok = 0;
    if (!ok) continue;
    if (std::abs(FileOf(p.Squares[0]) - FileOf(p.Squares[1])) <= 1 &&
        std::abs(RankOf(p.Squares[0]) - RankOf(p.Squares[1])) <= 1)
      continue;
    return p;
  }
}

int32_t DecodeIndex(const TestMaterial& material, int32_t side, uint32_t index,
                    TestPosition* position) {
  int32_t white[TablebaseListSlots], black[TablebaseListSlots], ep = 0;
  if (!IndexToPosition(material.Class, side, index, white, black, &ep)) return 0;
  int32_t used[2][6] = {};
  position->Side = side;
  position->EpSquare = ep;
  for (int32_t i = 0; i < material.Count; i++) {
    const TestMan& man = material.Men[i];
    const int32_t* list = man.Colour ? black : white;
    position->Squares[i] =
        man.Type == TestKing ? list[0] : list[4 * man.Type + used[man.Colour][man.Type]++];
  }
  return 1;
}
