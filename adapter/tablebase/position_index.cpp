#include "position_index.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "index_tables.h"
#include "tablebase_classes.h"

namespace {

// A group of like men numbered together: `kind` is the placement kind for
// men of the side to move, numbered beside the other king; the other side's
// men are appended as plain squares (pawns among the 48 pawn squares).
struct IndexGroup {
  int32_t Type;   // 1 pawn .. 5 queen: the list slots 4 * Type ...
  int32_t Kind;   // placement kind
  int32_t Size;   // 1..3 like men
  int32_t Owner;  // 0 the side to move, 1 the other side
};

// How a class and side to move enumerate their positions. Ordinary
// positions: the king pair and the numbered groups (lowest piece type as the
// lowest digit) through the offset table, then each appended group as a
// further mixed-radix digit. Positions with an en-passant capture follow all
// ordinary ones: king pair (with the side to move's other piece, if any),
// capture code 0..13, then the remaining man.
struct IndexLayout {
  int32_t Ready;
  int32_t Side;
  int32_t Pawns;  // file mirror and the pawn king pairs
  int32_t Flip;   // 56 when the kings and the side to move's men are numbered on the flipped board
  int32_t AppendFlip;  // 56 when the appended men are numbered on the flipped board too
  int32_t Pairs;
  int32_t MainGroups;
  IndexGroup Main[3];
  int32_t AppendGroups;
  IndexGroup Append[3];
  uint32_t AppendRadix[3];
  const uint32_t* Offsets;  // per pair, and the total at [Pairs]
  uint32_t OrdinaryRange;
  int32_t OwnPawns, OtherPawns;
  int32_t EnPassant;
  int32_t EpPieceType;     // the side to move's non-pawn piece numbered with the pair; 0 none
  const uint32_t* EpOffsets;
  uint32_t EpPairRange;    // pair part of capture positions
  int32_t EpPawnDigit;     // 1: the pawn that neither captures nor is captured is appended
  int32_t EpAppendType;    // the other side's non-pawn piece appended; 0 none
  uint32_t EpRadix;        // product of the radices after the capture code
  uint32_t Range;
};

IndexLayout Layouts[TablebaseClassCount][2];

// Offset tables, shared by every layout that numbers the same groups on the
// same king pairs: a key of the pair table and the groups' kinds and sizes.
struct OffsetTable {
  uint32_t Key;
  std::vector<uint32_t> Offsets;
};
std::vector<OffsetTable> OffsetTables;
int32_t TablesBuilt = 0;

constexpr uint32_t EpCodes = 14;
constexpr uint32_t EpPawnRadix = 44;   // pawn squares less capturer, captured, passed and start squares
constexpr uint32_t EpPieceRadix = 58;  // squares less kings and those four

inline uint32_t Pairs2(uint32_t n) { return n * (n - 1) / 2; }
inline uint32_t Triples3(uint32_t n) { return n < 2 ? 0 : (n - 2) * (n - 1) * n / 6; }

uint32_t Combinations(uint32_t n, int32_t size) {
  if (size == 1) return n;
  if (size == 2) return n < 2 ? 0 : Pairs2(n);
  return n < 3 ? 0 : Triples3(n);
}

// Radix of a numbered group for a pair: its open squares beside the other
// king, less the side to move's king when it stands on one of them.
inline uint32_t GroupRadix(const IndexGroup& group, int32_t ownKing, int32_t otherKing) {
  uint32_t open = PlacementCount[group.Kind][otherKing] -
                  (PlacementTable[group.Kind][otherKing][ownKing] != NotPlaced);
  return Combinations(open, group.Size);
}

// Digit of up to three distinct sorted numbers a < b < c as a combination.
inline uint32_t CombinationDigit(const int32_t* v, int32_t size) {
  if (size == 1) return static_cast<uint32_t>(v[0]);
  if (size == 2) return Pairs2(static_cast<uint32_t>(v[1])) + static_cast<uint32_t>(v[0]);
  return Triples3(static_cast<uint32_t>(v[2])) + Pairs2(static_cast<uint32_t>(v[1])) +
         static_cast<uint32_t>(v[0]);
}

// Sorts up to three values; answers 0 when two are equal.
inline int32_t SortDistinct(int32_t* v, int32_t size) {
  if (size >= 2 && v[0] > v[1]) std::swap(v[0], v[1]);
  if (size == 3) {
    if (v[1] > v[2]) std::swap(v[1], v[2]);
    if (v[0] > v[1]) std::swap(v[0], v[1]);
  }
  for (int32_t i = 1; i < size; i++)
    if (v[i] == v[i - 1]) return 0;
  return 1;
}

// The inverse of CombinationDigit.
void DecodeCombination(uint32_t digit, int32_t size, int32_t* v) {
  if (size == 1) {
    v[0] = static_cast<int32_t>(digit);
    return;
  }
  if (size == 3) {
    uint32_t z = 2;
    while (Triples3(z + 1) <= digit) z++;
    v[2] = static_cast<int32_t>(z);
    digit -= Triples3(z);
  }
  uint32_t y = 1;
  while (Pairs2(y + 1) <= digit) y++;
  v[1] = static_cast<int32_t>(y);
  v[0] = static_cast<int32_t>(digit - Pairs2(y));
}

inline int32_t CountBelow(const int32_t* squares, int32_t count, int32_t square) {
  int32_t below = 0;
  for (int32_t i = 0; i < count; i++) below += squares[i] < square;
  return below;
}

// The square whose value is `value` once the given squares are skipped.
int32_t SkipSquares(int32_t value, const int32_t* squares, int32_t count) {
  // Raising past one skipped square can bring a higher one into reach, so
  // repeat until no further square is passed.
  int32_t square = value, passed = 0;
  for (;;) {
    int32_t below = 0;
    for (int32_t i = 0; i < count; i++) below += squares[i] <= square;
    if (below == passed) return square;
    square += below - passed;
    passed = below;
  }
}

// The offset table of a group list on a king-pair table: each pair's first
// index, the running sum of the product of the groups' radices.
const uint32_t* SharedOffsets(int32_t pawns, const IndexGroup* groups, int32_t count) {
  uint32_t key = static_cast<uint32_t>(pawns);
  for (int32_t g = 0; g < count; g++)
    key = key * 64 + static_cast<uint32_t>(groups[g].Kind * 8 + groups[g].Size);
  key = key * 4 + static_cast<uint32_t>(count);
  for (const OffsetTable& table : OffsetTables)
    if (table.Key == key) return table.Offsets.data();
  const int32_t pairs = pawns ? PawnKingPairs : PawnlessKingPairs;
  const uint8_t(*kings)[2] = pawns ? PawnPairKings : PawnlessPairKings;
  OffsetTable table;
  table.Key = key;
  table.Offsets.assign(pairs + 1, 0);
  uint32_t sum = 0;
  for (int32_t pair = 0; pair < pairs; pair++) {
    table.Offsets[pair] = sum;
    uint32_t product = 1;
    for (int32_t g = 0; g < count; g++)
      product *= GroupRadix(groups[g], kings[pair][0], kings[pair][1]);
    sum += product;
  }
  table.Offsets[pairs] = sum;
  // The vector's buffer stays put when the table list grows.
  OffsetTables.push_back(std::move(table));
  return OffsetTables.back().Offsets.data();
}

void BuildLayout(int32_t tableClass, int32_t side) {
  IndexLayout& L = Layouts[tableClass][side];
  int32_t counts[10];
  if (!ClassMaterial(tableClass, counts)) return;
  const int32_t* own = counts + (side ? 5 : 0) - 1;  // own[t], t = 1..5
  const int32_t* other = counts + (side ? 0 : 5) - 1;
  L.Side = side;
  L.Pawns = counts[0] + counts[5] > 0;
  L.Flip = L.Pawns && side ? 56 : 0;
  L.Pairs = L.Pawns ? PawnKingPairs : PawnlessKingPairs;
  L.MainGroups = 0;
  L.AppendGroups = 0;
  int32_t ownMen = 0;
  for (int32_t t = 1; t <= 5; t++) {
    ownMen += own[t];
    if (own[t]) L.Main[L.MainGroups++] = {t, t, own[t], 0};
  }
  // Single men are the low digits (by type), a like pair the high one.
  std::stable_sort(L.Main, L.Main + L.MainGroups,
                   [](const IndexGroup& a, const IndexGroup& b) { return a.Size < b.Size; });
  // Black to move: the whole board is flipped, except that with a black pawn
  // the appended white men keep their own squares.
  L.AppendFlip = own[1] ? 0 : L.Flip;
  int32_t otherPawnsNumbered = 0;
  if (ownMen == 0 && other[1]) {
    L.Main[L.MainGroups++] = {1, 0, other[1], 1};
    otherPawnsNumbered = 1;
  }
  int32_t placed = 2 + ownMen + (otherPawnsNumbered ? other[1] : 0);
  if (other[1] && !otherPawnsNumbered) {
    L.AppendRadix[L.AppendGroups] = Combinations(48 - own[1], other[1]);
    L.Append[L.AppendGroups++] = {1, 1, other[1], 1};
    placed += other[1];
  }
  for (int32_t t = 5; t >= 2; t--) {
    if (!other[t]) continue;
    L.AppendRadix[L.AppendGroups] = Combinations(64 - placed, other[t]);
    L.Append[L.AppendGroups++] = {t, t, other[t], 1};
    placed += other[t];
  }

  L.Offsets = SharedOffsets(L.Pawns, L.Main, L.MainGroups);
  const uint32_t sum = L.Offsets[L.Pairs];
  L.OrdinaryRange = sum;
  for (int32_t g = 0; g < L.AppendGroups; g++) L.OrdinaryRange *= L.AppendRadix[g];
  L.Range = L.OrdinaryRange;

  L.OwnPawns = own[1];
  L.OtherPawns = other[1];
  L.EnPassant = counts[0] > 0 && counts[5] > 0;
  L.EpPieceType = 0;
  L.EpAppendType = 0;
  L.EpPawnDigit = 0;
  L.EpRadix = 1;
  L.EpPairRange = 0;
  if (L.EnPassant) {
    for (int32_t t = 2; t <= 5; t++) {
      if (own[t]) L.EpPieceType = t;
      if (other[t]) L.EpAppendType = t;
    }
    L.EpPawnDigit = own[1] + other[1] == 3;
    if (L.EpPawnDigit) L.EpRadix *= EpPawnRadix;
    if (L.EpAppendType) L.EpRadix *= EpPieceRadix;
    if (L.EpPieceType) {
      IndexGroup piece = {L.EpPieceType, L.EpPieceType, 1, 0};
      L.EpOffsets = SharedOffsets(L.Pawns, &piece, 1);
      const uint32_t total = L.EpOffsets[L.Pairs];
      L.EpPairRange = total;
    } else {
      L.EpPairRange = static_cast<uint32_t>(L.Pairs);
    }
    L.Range += L.EpPairRange * EpCodes * L.EpRadix;
  }
  L.Ready = 1;
}

// Reduced number of a man of the side to move: its number beside the other
// king, less one when the own king holds a lower open square. -1 when the
// square is closed to it.
inline int32_t NumberBesideKing(int32_t kind, int32_t otherKing, int32_t ownKing, int32_t square) {
  int32_t number = PlacementTable[kind][otherKing][square];
  if (number == NotPlaced) return -1;
  return number - (PlacementTable[kind][otherKing][ownKing] < number);
}

inline int32_t Holds(const int32_t* squares, int32_t count, int32_t square) {
  for (int32_t i = 0; i < count; i++)
    if (squares[i] == square) return 1;
  return 0;
}

// Index of a position with an en-passant capture: `e` is the capture square
// on the numbering board, `plain` maps list squares to the plain board.
// TablebaseBadIndex when the lists hold no such capture (no capturing pawn,
// no pawn that just made its double step, or a man on the squares the step
// crossed); the caller then indexes the position as an ordinary one.
template <typename PlainMap>
uint32_t CaptureIndex(const IndexLayout& L, const int32_t* own, const int32_t* other, int32_t e,
                      int32_t pair, int32_t ownKing, int32_t otherKing, PlainMap plain) {
  const int32_t flip = L.Flip;
  if ((e >> 3) != 5) return TablebaseBadIndex;
  int32_t ownPawns[2], otherPawns[2];
  for (int32_t i = 0; i < L.OwnPawns; i++) ownPawns[i] = plain(own[4 + i]) ^ flip;
  for (int32_t i = 0; i < L.OtherPawns; i++) otherPawns[i] = plain(other[4 + i]) ^ flip;
  // With two pawns able to capture, the one capturing towards the a-file counts.
  int32_t pawn = -1, code = 0;
  if ((e & 7) != 7 && Holds(ownPawns, L.OwnPawns, e - 7)) {
    pawn = e - 7;
    code = (pawn & 7) - 1;
  } else if ((e & 7) != 0 && Holds(ownPawns, L.OwnPawns, e - 9)) {
    pawn = e - 9;
    code = (pawn & 7) + 7;
  }
  const int32_t captured = e - 8, start = e + 8;
  if (pawn < 0 || !Holds(otherPawns, L.OtherPawns, captured)) return TablebaseBadIndex;
  const int32_t crossed[4] = {pawn, captured, e, start};
  if (Holds(crossed, 4, ownKing) || Holds(crossed, 4, otherKing)) return TablebaseBadIndex;

  uint32_t x = static_cast<uint32_t>(pair);
  if (L.EpPieceType) {
    int32_t square = plain(own[4 * L.EpPieceType]) ^ flip;
    int32_t number = NumberBesideKing(L.EpPieceType, otherKing, ownKing, square);
    if (number < 0 || square == ownKing || Holds(crossed + 2, 2, square)) return TablebaseBadIndex;
    x = L.EpOffsets[pair] + static_cast<uint32_t>(number);
  }
  uint32_t index = x * EpCodes + static_cast<uint32_t>(code);  // within the capture range

  int32_t plainCrossed[6] = {pawn ^ flip, captured ^ flip, e ^ flip, start ^ flip,
                             ownKing ^ flip, otherKing ^ flip};
  if (L.EpPawnDigit) {
    // The pawn that neither captures nor was captured.
    int32_t rest;
    if (L.OwnPawns == 2)
      rest = ownPawns[0] == pawn ? ownPawns[1] : ownPawns[0];
    else
      rest = otherPawns[0] == captured ? otherPawns[1] : otherPawns[0];
    rest ^= flip;
    if (rest < 8 || rest > 55 || Holds(plainCrossed, 4, rest)) return TablebaseBadIndex;
    index = index * EpPawnRadix + static_cast<uint32_t>(rest - 8 - CountBelow(plainCrossed, 4, rest));
  }
  if (L.EpAppendType) {
    int32_t square = plain(other[4 * L.EpAppendType]);
    if (Holds(plainCrossed, 6, square)) return TablebaseBadIndex;
    index = index * EpPieceRadix + static_cast<uint32_t>(square - CountBelow(plainCrossed, 6, square));
  }
  return L.OrdinaryRange + index;
}

// The square of a reduced number beside the other king (inverse of
// NumberBesideKing); NotPlaced when out of range.
inline int32_t SquareBesideKing(int32_t kind, int32_t otherKing, int32_t ownKing, int32_t value) {
  int32_t kingNumber = PlacementTable[kind][otherKing][ownKing];
  int32_t number = value + (kingNumber != NotPlaced && kingNumber <= value);
  if (number >= 64) return NotPlaced;
  return PlacementSquare[kind][otherKing][number];
}

}  // namespace

void BuildIndexTables() {
  if (TablesBuilt) return;
  BuildBoardIndexTables();
  for (int32_t c = 1; c < TablebaseClassCount; c++) {
    BuildLayout(c, 0);
    BuildLayout(c, 1);
  }
  TablesBuilt = 1;
}

void FreeIndexTables() {
  for (int32_t c = 0; c < TablebaseClassCount; c++) {
    for (int32_t s = 0; s < 2; s++) {
      IndexLayout& L = Layouts[c][s];
      L.Ready = 0;
      L.Offsets = nullptr;
      L.EpOffsets = nullptr;
    }
  }
  std::vector<OffsetTable>().swap(OffsetTables);
  TablesBuilt = 0;
}

uint32_t IndexRange(int32_t tableClass, int32_t side) {
  if (tableClass < 1 || tableClass >= TablebaseClassCount || side < 0 || side > 1) return 0;
  return Layouts[tableClass][side].Ready ? Layouts[tableClass][side].Range : 0;
}

uint32_t ComputeIndex(int32_t tableClass, int32_t side, const int32_t* firstList,
                      const int32_t* secondList, int32_t epSquare, int32_t reversed) {
  if (tableClass < 1 || tableClass >= TablebaseClassCount || side < 0 || side > 1)
    return TablebaseBadIndex;
  const IndexLayout& L = Layouts[tableClass][side];
  if (!L.Ready) return TablebaseBadIndex;
  const int32_t* own = side ? secondList : firstList;
  const int32_t* other = side ? firstList : secondList;

  // Orientation: colours, then the mirror (pawns) or quadrant fold and
  // diagonal reflection (pawnless) that bring the side to move's king home.
  int32_t mask = ColourFlip[reversed != 0];
  const int32_t ownKingSquare = own[0] & 63, otherKingSquare = other[0] & 63;
  int32_t transpose = 0;
  if (L.Pawns) {
    mask ^= FileMirror[ownKingSquare];
  } else {
    mask ^= QuadrantFold[ownKingSquare ^ mask];
    int32_t k1 = ownKingSquare ^ mask, k2 = otherKingSquare ^ mask;
    transpose = !InTriangle[k1] || (OnDiagonal[k1] && AboveDiagonal[k2]);
  }
  auto plain = [mask, transpose](int32_t square) -> int32_t {
    square = (square & 63) ^ mask;
    return transpose ? TransposeSquare[square] : square;
  };
  const int32_t flip = L.Flip;
  const int32_t ownKing = plain(ownKingSquare) ^ flip, otherKing = plain(otherKingSquare) ^ flip;
  const int32_t pair = (L.Pawns ? KingPairPawn : KingPairPawnless)[ownKing * 64 + otherKing];
  if (pair == NoKingPair) return TablebaseBadIndex;

  if (L.EnPassant && epSquare >= 0 && epSquare < 64) {
    uint32_t index =
        CaptureIndex(L, own, other, plain(epSquare) ^ flip, pair, ownKing, otherKing, plain);
    if (index != TablebaseBadIndex) return index;
  }

  // Squares of the men placed so far, on the board the appended men are
  // numbered on.
  const int32_t appendFlip = L.AppendFlip;
  int32_t placed[8], ownPawns[3];
  int32_t placedCount = 0, ownPawnCount = 0;
  placed[placedCount++] = ownKing ^ flip ^ appendFlip;
  placed[placedCount++] = otherKing ^ flip ^ appendFlip;

  uint32_t index = L.Offsets[pair], scale = 1;
  for (int32_t g = 0; g < L.MainGroups; g++) {
    const IndexGroup& group = L.Main[g];
    const int32_t* list = group.Owner ? other : own;
    int32_t v[3] = {0, 0, 0};
    for (int32_t i = 0; i < group.Size; i++) {
      int32_t square = plain(list[4 * group.Type + i]);
      placed[placedCount++] = square ^ appendFlip;
      if (group.Type == 1 && group.Owner == 0) ownPawns[ownPawnCount++] = square ^ appendFlip;
      square ^= flip;
      if (square == ownKing) return TablebaseBadIndex;
      v[i] = NumberBesideKing(group.Kind, otherKing, ownKing, square);
      if (v[i] < 0) return TablebaseBadIndex;
    }
    if (!SortDistinct(v, group.Size)) return TablebaseBadIndex;
    index += CombinationDigit(v, group.Size) * scale;
    scale *= GroupRadix(group, ownKing, otherKing);
  }
  for (int32_t g = 0; g < L.AppendGroups; g++) {
    const IndexGroup& group = L.Append[g];
    int32_t v[3] = {0, 0, 0}, squares[3] = {0, 0, 0};
    for (int32_t i = 0; i < group.Size; i++) {
      int32_t square = plain(other[4 * group.Type + i]) ^ appendFlip;
      squares[i] = square;
      if (group.Type == 1) {
        if (square < 8 || square > 55 || Holds(ownPawns, ownPawnCount, square))
          return TablebaseBadIndex;
        v[i] = square - 8 - CountBelow(ownPawns, ownPawnCount, square);
      } else {
        if (Holds(placed, placedCount, square)) return TablebaseBadIndex;
        v[i] = square - CountBelow(placed, placedCount, square);
      }
    }
    if (!SortDistinct(v, group.Size)) return TablebaseBadIndex;
    index = index * L.AppendRadix[g] + CombinationDigit(v, group.Size);
    for (int32_t i = 0; i < group.Size; i++) placed[placedCount++] = squares[i];
  }
  return index;
}

int32_t IndexToPosition(int32_t tableClass, int32_t side, uint32_t index, int32_t* firstList,
                        int32_t* secondList, int32_t* epSquare) {
  if (tableClass < 1 || tableClass >= TablebaseClassCount || side < 0 || side > 1) return 0;
  const IndexLayout& L = Layouts[tableClass][side];
  if (!L.Ready || index >= L.Range) return 0;
  for (int32_t i = 0; i < TablebaseListSlots; i++) firstList[i] = secondList[i] = -1;
  *epSquare = TablebaseNoEnPassant;
  int32_t* own = side ? secondList : firstList;
  int32_t* other = side ? firstList : secondList;
  const int32_t flip = L.Flip;
  const uint8_t(*kings)[2] = L.Pawns ? PawnPairKings : PawnlessPairKings;

  if (index >= L.OrdinaryRange) {
    uint32_t rest = index - L.OrdinaryRange;
    uint32_t pieceDigit = 0, pawnDigit = 0;
    if (L.EpAppendType) {
      pieceDigit = rest % EpPieceRadix;
      rest /= EpPieceRadix;
    }
    if (L.EpPawnDigit) {
      pawnDigit = rest % EpPawnRadix;
      rest /= EpPawnRadix;
    }
    const int32_t code = static_cast<int32_t>(rest % EpCodes);
    const uint32_t x = rest / EpCodes;
    int32_t pair = static_cast<int32_t>(x);
    uint32_t number = 0;
    if (L.EpPieceType) {
      pair = static_cast<int32_t>(
          std::upper_bound(L.EpOffsets, L.EpOffsets + L.Pairs + 1, x) - L.EpOffsets - 1);
      number = x - L.EpOffsets[pair];
    }
    const int32_t ownKing = kings[pair][0], otherKing = kings[pair][1];
    own[0] = ownKing ^ flip;
    other[0] = otherKing ^ flip;
    if (L.EpPieceType) {
      int32_t square = SquareBesideKing(L.EpPieceType, otherKing, ownKing, static_cast<int32_t>(number));
      if (square == NotPlaced) return 0;
      own[4 * L.EpPieceType] = square ^ flip;
    }
    const int32_t pawn = code < 7 ? 32 + code + 1 : 32 + code - 7;
    const int32_t e = code < 7 ? pawn + 7 : pawn + 9;
    own[4] = pawn ^ flip;
    other[4] = (e - 8) ^ flip;
    *epSquare = e ^ flip;
    int32_t crossed[6] = {pawn ^ flip, (e - 8) ^ flip, e ^ flip, (e + 8) ^ flip, ownKing ^ flip,
                          otherKing ^ flip};
    if (L.EpPawnDigit) {
      int32_t square = SkipSquares(static_cast<int32_t>(pawnDigit) + 8, crossed, 4);
      (L.OwnPawns == 2 ? own : other)[5] = square;
    }
    if (L.EpAppendType)
      other[4 * L.EpAppendType] = SkipSquares(static_cast<int32_t>(pieceDigit), crossed, 6);
  } else {
    uint32_t digits[3];
    uint32_t rest = index;
    for (int32_t g = L.AppendGroups - 1; g >= 0; g--) {
      digits[g] = rest % L.AppendRadix[g];
      rest /= L.AppendRadix[g];
    }
    const int32_t pair = static_cast<int32_t>(
        std::upper_bound(L.Offsets, L.Offsets + L.Pairs + 1, rest) - L.Offsets - 1);
    rest -= L.Offsets[pair];
    const int32_t ownKing = kings[pair][0], otherKing = kings[pair][1];
    const int32_t appendFlip = L.AppendFlip;
    own[0] = ownKing ^ flip;
    other[0] = otherKing ^ flip;
    int32_t placed[8], ownPawns[3];
    int32_t placedCount = 0, ownPawnCount = 0;
    placed[placedCount++] = ownKing ^ flip ^ appendFlip;
    placed[placedCount++] = otherKing ^ flip ^ appendFlip;
    for (int32_t g = 0; g < L.MainGroups; g++) {
      const IndexGroup& group = L.Main[g];
      uint32_t radix = GroupRadix(group, ownKing, otherKing);
      int32_t v[3];
      DecodeCombination(rest % radix, group.Size, v);
      rest /= radix;
      int32_t* list = group.Owner ? other : own;
      for (int32_t i = 0; i < group.Size; i++) {
        int32_t square = SquareBesideKing(group.Kind, otherKing, ownKing, v[i]);
        if (square == NotPlaced) return 0;
        square ^= flip;
        list[4 * group.Type + i] = square;
        placed[placedCount++] = square ^ appendFlip;
        if (group.Type == 1 && group.Owner == 0) ownPawns[ownPawnCount++] = square ^ appendFlip;
      }
    }
    for (int32_t g = 0; g < L.AppendGroups; g++) {
      const IndexGroup& group = L.Append[g];
      int32_t v[3], squares[3];
      DecodeCombination(digits[g], group.Size, v);
      for (int32_t i = 0; i < group.Size; i++) {
        squares[i] = group.Type == 1 ? SkipSquares(v[i] + 8, ownPawns, ownPawnCount)
                                     : SkipSquares(v[i], placed, placedCount);
        other[4 * group.Type + i] = squares[i] ^ appendFlip;
      }
      for (int32_t i = 0; i < group.Size; i++) placed[placedCount++] = squares[i];
    }
  }

  // Men on one square, or an encoding the forward mapping would not choose.
  int32_t men[8], menCount = 0;
  const int32_t* lists[2] = {firstList, secondList};
  for (const int32_t* list : lists) {
    for (int32_t i = 0; i < TablebaseListSlots; i++) {
      if (list[i] < 0) continue;
      if (list[i] > 63 || Holds(men, menCount, list[i]) || menCount == 8) return 0;
      men[menCount++] = list[i];
    }
  }
  for (const int32_t* list : lists)
    for (int32_t i = 4; i < 8; i++)
      if (list[i] >= 0 && (list[i] < 8 || list[i] > 55)) return 0;
  if (*epSquare != TablebaseNoEnPassant && (Holds(men, menCount, *epSquare) ||
                                            Holds(men, menCount, side ? *epSquare - 8 : *epSquare + 8)))
    return 0;
  return ComputeIndex(tableClass, side, firstList, secondList, *epSquare, 0) == index;
}

#define TB_INDEX_ROW(c) {&ClassIndex<c, 0>, &ClassIndex<c, 1>}
const TablebaseIndexFunction IndexFunction[146][2] = {
    {nullptr, nullptr},
    TB_INDEX_ROW(1), TB_INDEX_ROW(2), TB_INDEX_ROW(3), TB_INDEX_ROW(4), TB_INDEX_ROW(5), TB_INDEX_ROW(6),
    TB_INDEX_ROW(7), TB_INDEX_ROW(8), TB_INDEX_ROW(9), TB_INDEX_ROW(10), TB_INDEX_ROW(11), TB_INDEX_ROW(12),
    TB_INDEX_ROW(13), TB_INDEX_ROW(14), TB_INDEX_ROW(15), TB_INDEX_ROW(16), TB_INDEX_ROW(17), TB_INDEX_ROW(18),
    TB_INDEX_ROW(19), TB_INDEX_ROW(20), TB_INDEX_ROW(21), TB_INDEX_ROW(22), TB_INDEX_ROW(23), TB_INDEX_ROW(24),
    TB_INDEX_ROW(25), TB_INDEX_ROW(26), TB_INDEX_ROW(27), TB_INDEX_ROW(28), TB_INDEX_ROW(29), TB_INDEX_ROW(30),
    TB_INDEX_ROW(31), TB_INDEX_ROW(32), TB_INDEX_ROW(33), TB_INDEX_ROW(34), TB_INDEX_ROW(35), TB_INDEX_ROW(36),
    TB_INDEX_ROW(37), TB_INDEX_ROW(38), TB_INDEX_ROW(39), TB_INDEX_ROW(40), TB_INDEX_ROW(41), TB_INDEX_ROW(42),
    TB_INDEX_ROW(43), TB_INDEX_ROW(44), TB_INDEX_ROW(45), TB_INDEX_ROW(46), TB_INDEX_ROW(47), TB_INDEX_ROW(48),
    TB_INDEX_ROW(49), TB_INDEX_ROW(50), TB_INDEX_ROW(51), TB_INDEX_ROW(52), TB_INDEX_ROW(53), TB_INDEX_ROW(54),
    TB_INDEX_ROW(55), TB_INDEX_ROW(56), TB_INDEX_ROW(57), TB_INDEX_ROW(58), TB_INDEX_ROW(59), TB_INDEX_ROW(60),
    TB_INDEX_ROW(61), TB_INDEX_ROW(62), TB_INDEX_ROW(63), TB_INDEX_ROW(64), TB_INDEX_ROW(65), TB_INDEX_ROW(66),
    TB_INDEX_ROW(67), TB_INDEX_ROW(68), TB_INDEX_ROW(69), TB_INDEX_ROW(70), TB_INDEX_ROW(71), TB_INDEX_ROW(72),
    TB_INDEX_ROW(73), TB_INDEX_ROW(74), TB_INDEX_ROW(75), TB_INDEX_ROW(76), TB_INDEX_ROW(77), TB_INDEX_ROW(78),
    TB_INDEX_ROW(79), TB_INDEX_ROW(80), TB_INDEX_ROW(81), TB_INDEX_ROW(82), TB_INDEX_ROW(83), TB_INDEX_ROW(84),
    TB_INDEX_ROW(85), TB_INDEX_ROW(86), TB_INDEX_ROW(87), TB_INDEX_ROW(88), TB_INDEX_ROW(89), TB_INDEX_ROW(90),
    TB_INDEX_ROW(91), TB_INDEX_ROW(92), TB_INDEX_ROW(93), TB_INDEX_ROW(94), TB_INDEX_ROW(95), TB_INDEX_ROW(96),
    TB_INDEX_ROW(97), TB_INDEX_ROW(98), TB_INDEX_ROW(99), TB_INDEX_ROW(100), TB_INDEX_ROW(101), TB_INDEX_ROW(102),
    TB_INDEX_ROW(103), TB_INDEX_ROW(104), TB_INDEX_ROW(105), TB_INDEX_ROW(106), TB_INDEX_ROW(107), TB_INDEX_ROW(108),
    TB_INDEX_ROW(109), TB_INDEX_ROW(110), TB_INDEX_ROW(111), TB_INDEX_ROW(112), TB_INDEX_ROW(113), TB_INDEX_ROW(114),
    TB_INDEX_ROW(115), TB_INDEX_ROW(116), TB_INDEX_ROW(117), TB_INDEX_ROW(118), TB_INDEX_ROW(119), TB_INDEX_ROW(120),
    TB_INDEX_ROW(121), TB_INDEX_ROW(122), TB_INDEX_ROW(123), TB_INDEX_ROW(124), TB_INDEX_ROW(125), TB_INDEX_ROW(126),
    TB_INDEX_ROW(127), TB_INDEX_ROW(128), TB_INDEX_ROW(129), TB_INDEX_ROW(130), TB_INDEX_ROW(131), TB_INDEX_ROW(132),
    TB_INDEX_ROW(133), TB_INDEX_ROW(134), TB_INDEX_ROW(135), TB_INDEX_ROW(136), TB_INDEX_ROW(137), TB_INDEX_ROW(138),
    TB_INDEX_ROW(139), TB_INDEX_ROW(140), TB_INDEX_ROW(141), TB_INDEX_ROW(142), TB_INDEX_ROW(143), TB_INDEX_ROW(144),
    TB_INDEX_ROW(145)
};
#undef TB_INDEX_ROW
