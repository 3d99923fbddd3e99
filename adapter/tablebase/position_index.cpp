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

// Pawns stand on squares 8..55 only.
constexpr int32_t FirstPawnSquare = 8, LastPawnSquare = 55;
constexpr int32_t PawnSquares = LastPawnSquare - FirstPawnSquare + 1;

// Positions with an en-passant capture. The capture code says which pawn
// captures which way (see DecodeCaptureIndex). A capture fixes four squares:
// the capturing pawn, the captured pawn, the square that pawn passed and the
// square it started from. A third pawn is appended among the pawn squares
// these leave free, a piece among all squares they and the two kings leave
// free.
constexpr uint32_t EpCodes = 14;
constexpr int32_t CaptureSquares = 4;
constexpr int32_t FixedSquares = CaptureSquares + 2;  // and the two kings
constexpr uint32_t EpPawnRadix = PawnSquares - CaptureSquares;  // 44
constexpr uint32_t EpPieceRadix = 64 - FixedSquares;            // 58

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

// The capture range after the ordinary one: king pair (with the side to
// move's piece, if any), capture code, then the third pawn and the other
// side's piece. Only classes with pawns on both sides have it, so the side
// to move has a pawn and the appended men keep their unflipped squares.
void BuildCaptureLayout(IndexLayout& L, const int32_t* own, const int32_t* other) {
  for (int32_t t = 2; t <= 5; t++) {
    if (own[t]) L.EpPieceType = t;
    if (other[t]) L.EpAppendType = t;
  }
  L.EpPawnDigit = own[1] + other[1] == 3;
  L.EpRadix = 1;
  if (L.EpPawnDigit) L.EpRadix *= EpPawnRadix;
  if (L.EpAppendType) L.EpRadix *= EpPieceRadix;
  if (L.EpPieceType) {
    IndexGroup piece = {L.EpPieceType, L.EpPieceType, 1, 0};
    L.EpOffsets = SharedOffsets(L.Pawns, &piece, 1);
    L.EpPairRange = L.EpOffsets[L.Pairs];
  } else {
    L.EpPairRange = static_cast<uint32_t>(L.Pairs);
  }
  L.Range += L.EpPairRange * EpCodes * L.EpRadix;
}

void BuildLayout(int32_t tableClass, int32_t side) {
  IndexLayout& L = Layouts[tableClass][side];
  L = IndexLayout();
  // material[1..10]: the ten counts, so that own[t] and other[t] are the
  // counts of piece type t = 1..5 without pointing before the array.
  int32_t material[11] = {0};
  const int32_t* counts = material + 1;
  if (!ClassMaterial(tableClass, material + 1)) return;
  const int32_t* own = material + (side ? 5 : 0);
  const int32_t* other = material + (side ? 0 : 5);
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
    L.AppendRadix[L.AppendGroups] = Combinations(PawnSquares - own[1], other[1]);
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
  if (L.EnPassant) BuildCaptureLayout(L, own, other);
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

// The boards of one index computation. A list square comes to the plain
// board by the colour flip, then the file mirror (pawn classes) or the
// quadrant fold and, where needed, the reflection in the a1-h8 diagonal
// (pawnless classes), all chosen by the side to move's king. The kings and
// the side to move's men are numbered on the plain board XOR Flip (pawn
// classes with black to move are numbered upside down, so that the side to
// move always moves up), the appended men on the plain board XOR AppendFlip.
struct Orientation {
  int32_t Mask;
  int32_t Transpose;
  int32_t Flip;
  int32_t AppendFlip;

  int32_t Plain(int32_t square) const {
    square = (square & 63) ^ Mask;
    return Transpose ? TransposeSquare[square] : square;
  }
  int32_t Numbered(int32_t square) const { return Plain(square) ^ Flip; }
  int32_t Appended(int32_t square) const { return Plain(square) ^ AppendFlip; }
  int32_t NumberedToAppended(int32_t square) const { return square ^ Flip ^ AppendFlip; }
};

Orientation Orient(const IndexLayout& L, int32_t ownKingSquare, int32_t otherKingSquare, int32_t reversed) {
  Orientation o = {ColourFlip[reversed != 0], 0, L.Flip, L.AppendFlip};
  ownKingSquare &= 63;
  otherKingSquare &= 63;
  if (L.Pawns) {
    o.Mask ^= FileMirror[ownKingSquare];
  } else {
    o.Mask ^= QuadrantFold[ownKingSquare ^ o.Mask];
    const int32_t k1 = ownKingSquare ^ o.Mask, k2 = otherKingSquare ^ o.Mask;
    o.Transpose = !InTriangle[k1] || (OnDiagonal[k1] && AboveDiagonal[k2]);
  }
  return o;
}

// The men placed so far, on the board the appended men are numbered on, and
// among them the side to move's pawns (an appended pawn skips only those).
struct PlacedMen {
  int32_t Squares[8];
  int32_t Count;
  int32_t OwnPawns[3];
  int32_t OwnPawnCount;
};

// Index of a position with an en-passant capture: `e` is the capture square
// on the numbering board. TablebaseBadIndex when the lists hold no such
// capture (no capturing pawn, no pawn that just made its double step, or a
// man on the squares the step crossed); the caller then indexes the position
// as an ordinary one.
uint32_t CaptureIndex(const IndexLayout& L, const Orientation& o, const int32_t* own, const int32_t* other,
                      int32_t e, int32_t pair, int32_t ownKing, int32_t otherKing) {
  if ((e >> 3) != 5) return TablebaseBadIndex;  // not on the sixth rank
  int32_t ownPawns[2], otherPawns[2];
  for (int32_t i = 0; i < L.OwnPawns; i++) ownPawns[i] = o.Numbered(own[4 + i]);
  for (int32_t i = 0; i < L.OtherPawns; i++) otherPawns[i] = o.Numbered(other[4 + i]);
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
  const int32_t crossed[CaptureSquares] = {pawn, captured, e, start};
  if (Holds(crossed, CaptureSquares, ownKing) || Holds(crossed, CaptureSquares, otherKing))
    return TablebaseBadIndex;

  // King pair, with the side to move's piece numbered beside the other king.
  uint32_t x = static_cast<uint32_t>(pair);
  if (L.EpPieceType) {
    const int32_t square = o.Numbered(own[4 * L.EpPieceType]);
    const int32_t number = NumberBesideKing(L.EpPieceType, otherKing, ownKing, square);
    if (number < 0 || square == ownKing || Holds(crossed + 2, 2, square)) return TablebaseBadIndex;
    x = L.EpOffsets[pair] + static_cast<uint32_t>(number);
  }
  uint32_t index = x * EpCodes + static_cast<uint32_t>(code);

  // The remaining men, among the squares the capture and the kings leave free.
  int32_t fixed[FixedSquares];
  for (int32_t i = 0; i < CaptureSquares; i++) fixed[i] = o.NumberedToAppended(crossed[i]);
  fixed[CaptureSquares] = o.NumberedToAppended(ownKing);
  fixed[CaptureSquares + 1] = o.NumberedToAppended(otherKing);
  if (L.EpPawnDigit) {
    // The pawn that neither captures nor was captured.
    int32_t rest;
    if (L.OwnPawns == 2)
      rest = ownPawns[0] == pawn ? ownPawns[1] : ownPawns[0];
    else
      rest = otherPawns[0] == captured ? otherPawns[1] : otherPawns[0];
    rest = o.NumberedToAppended(rest);
    if (rest < FirstPawnSquare || rest > LastPawnSquare || Holds(fixed, CaptureSquares, rest))
      return TablebaseBadIndex;
    index = index * EpPawnRadix +
            static_cast<uint32_t>(rest - FirstPawnSquare - CountBelow(fixed, CaptureSquares, rest));
  }
  if (L.EpAppendType) {
    const int32_t square = o.Appended(other[4 * L.EpAppendType]);
    if (Holds(fixed, FixedSquares, square)) return TablebaseBadIndex;
    index = index * EpPieceRadix + static_cast<uint32_t>(square - CountBelow(fixed, FixedSquares, square));
  }
  return L.OrdinaryRange + index;
}

// The king pair and the numbered groups: the pair's offset plus the groups'
// combination digits, lowest group lowest. Places the men it numbers.
uint32_t NumberedGroupsIndex(const IndexLayout& L, const Orientation& o, const int32_t* own,
                             const int32_t* other, int32_t pair, int32_t ownKing, int32_t otherKing,
                             PlacedMen& placed) {
  uint32_t index = L.Offsets[pair], scale = 1;
  for (int32_t g = 0; g < L.MainGroups; g++) {
    const IndexGroup& group = L.Main[g];
    const int32_t* list = group.Owner ? other : own;
    int32_t v[3] = {0, 0, 0};
    for (int32_t i = 0; i < group.Size; i++) {
      const int32_t plain = o.Plain(list[4 * group.Type + i]);
      placed.Squares[placed.Count++] = plain ^ o.AppendFlip;
      if (group.Type == 1 && group.Owner == 0) placed.OwnPawns[placed.OwnPawnCount++] = plain ^ o.AppendFlip;
      const int32_t square = plain ^ o.Flip;
      if (square == ownKing) return TablebaseBadIndex;
      v[i] = NumberBesideKing(group.Kind, otherKing, ownKing, square);
      if (v[i] < 0) return TablebaseBadIndex;
    }
    if (!SortDistinct(v, group.Size)) return TablebaseBadIndex;
    index += CombinationDigit(v, group.Size) * scale;
    scale *= GroupRadix(group, ownKing, otherKing);
  }
  return index;
}

// Each appended group as a further mixed-radix digit: pawns among the pawn
// squares the side to move's pawns leave free, pieces among all squares the
// men placed before them leave free.
uint32_t AppendedGroupsIndex(const IndexLayout& L, const Orientation& o, const int32_t* other,
                             uint32_t index, PlacedMen& placed) {
  for (int32_t g = 0; g < L.AppendGroups; g++) {
    const IndexGroup& group = L.Append[g];
    int32_t v[3] = {0, 0, 0}, squares[3] = {0, 0, 0};
    for (int32_t i = 0; i < group.Size; i++) {
      const int32_t square = o.Appended(other[4 * group.Type + i]);
      squares[i] = square;
      if (group.Type == 1) {
        if (square < FirstPawnSquare || square > LastPawnSquare ||
            Holds(placed.OwnPawns, placed.OwnPawnCount, square))
          return TablebaseBadIndex;
        v[i] = square - FirstPawnSquare - CountBelow(placed.OwnPawns, placed.OwnPawnCount, square);
      } else {
        if (Holds(placed.Squares, placed.Count, square)) return TablebaseBadIndex;
        v[i] = square - CountBelow(placed.Squares, placed.Count, square);
      }
    }
    if (!SortDistinct(v, group.Size)) return TablebaseBadIndex;
    index = index * L.AppendRadix[g] + CombinationDigit(v, group.Size);
    for (int32_t i = 0; i < group.Size; i++) placed.Squares[placed.Count++] = squares[i];
  }
  return index;
}

// The square of a reduced number beside the other king (inverse of
// NumberBesideKing); NotPlaced when out of range.
inline int32_t SquareBesideKing(int32_t kind, int32_t otherKing, int32_t ownKing, int32_t value) {
  int32_t kingNumber = PlacementTable[kind][otherKing][ownKing];
  int32_t number = value + (kingNumber != NotPlaced && kingNumber <= value);
  if (number >= 64) return NotPlaced;
  return PlacementSquare[kind][otherKing][number];
}

// The decoders write the position in the layout's own orientation, where the
// plain board is the list board: a numbered square k stands on k ^ Flip, an
// appended square a on a ^ AppendFlip. Both answer 0 when the digits name a
// square that does not exist.

// Inverse of CaptureIndex; `rest` counts from the start of the capture range.
int32_t DecodeCaptureIndex(const IndexLayout& L, uint32_t rest, int32_t* own, int32_t* other,
                           int32_t* epSquare) {
  const int32_t flip = L.Flip;
  const uint8_t(*kings)[2] = L.Pawns ? PawnPairKings : PawnlessPairKings;
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
    pair = static_cast<int32_t>(std::upper_bound(L.EpOffsets, L.EpOffsets + L.Pairs + 1, x) - L.EpOffsets - 1);
    number = x - L.EpOffsets[pair];
  }
  const int32_t ownKing = kings[pair][0], otherKing = kings[pair][1];
  own[0] = ownKing ^ flip;
  other[0] = otherKing ^ flip;
  if (L.EpPieceType) {
    const int32_t square = SquareBesideKing(L.EpPieceType, otherKing, ownKing, static_cast<int32_t>(number));
    if (square == NotPlaced) return 0;
    own[4 * L.EpPieceType] = square ^ flip;
  }
  // Codes 0..6: a pawn on files b..h (fifth rank) capturing towards the
  // a-file; 7..13: a pawn on files a..g capturing towards the h-file.
  const int32_t fifthRank = 32;
  const int32_t pawn = code < 7 ? fifthRank + code + 1 : fifthRank + code - 7;
  const int32_t e = code < 7 ? pawn + 7 : pawn + 9;
  own[4] = pawn ^ flip;
  other[4] = (e - 8) ^ flip;
  *epSquare = e ^ flip;
  const int32_t fixed[FixedSquares] = {pawn ^ flip, (e - 8) ^ flip, e ^ flip, (e + 8) ^ flip,
                                       ownKing ^ flip, otherKing ^ flip};
  if (L.EpPawnDigit) {
    const int32_t square = SkipSquares(static_cast<int32_t>(pawnDigit) + FirstPawnSquare, fixed, CaptureSquares);
    (L.OwnPawns == 2 ? own : other)[5] = square;
  }
  if (L.EpAppendType)
    other[4 * L.EpAppendType] = SkipSquares(static_cast<int32_t>(pieceDigit), fixed, FixedSquares);
  return 1;
}

// Inverse of NumberedGroupsIndex and AppendedGroupsIndex.
int32_t DecodeOrdinaryIndex(const IndexLayout& L, uint32_t index, int32_t* own, int32_t* other) {
  const int32_t flip = L.Flip, appendFlip = L.AppendFlip;
  const uint8_t(*kings)[2] = L.Pawns ? PawnPairKings : PawnlessPairKings;
  uint32_t digits[3];
  uint32_t rest = index;
  for (int32_t g = L.AppendGroups - 1; g >= 0; g--) {
    digits[g] = rest % L.AppendRadix[g];
    rest /= L.AppendRadix[g];
  }
  const int32_t pair =
      static_cast<int32_t>(std::upper_bound(L.Offsets, L.Offsets + L.Pairs + 1, rest) - L.Offsets - 1);
  rest -= L.Offsets[pair];
  const int32_t ownKing = kings[pair][0], otherKing = kings[pair][1];
  own[0] = ownKing ^ flip;
  other[0] = otherKing ^ flip;
  PlacedMen placed;
  placed.Count = placed.OwnPawnCount = 0;
  placed.Squares[placed.Count++] = ownKing ^ flip ^ appendFlip;
  placed.Squares[placed.Count++] = otherKing ^ flip ^ appendFlip;
  for (int32_t g = 0; g < L.MainGroups; g++) {
    const IndexGroup& group = L.Main[g];
    const uint32_t radix = GroupRadix(group, ownKing, otherKing);
    int32_t v[3];
    DecodeCombination(rest % radix, group.Size, v);
    rest /= radix;
    int32_t* list = group.Owner ? other : own;
    for (int32_t i = 0; i < group.Size; i++) {
      int32_t square = SquareBesideKing(group.Kind, otherKing, ownKing, v[i]);
      if (square == NotPlaced) return 0;
      square ^= flip;
      list[4 * group.Type + i] = square;
      placed.Squares[placed.Count++] = square ^ appendFlip;
      if (group.Type == 1 && group.Owner == 0) placed.OwnPawns[placed.OwnPawnCount++] = square ^ appendFlip;
    }
  }
  for (int32_t g = 0; g < L.AppendGroups; g++) {
    const IndexGroup& group = L.Append[g];
    int32_t v[3], squares[3];
    DecodeCombination(digits[g], group.Size, v);
    for (int32_t i = 0; i < group.Size; i++) {
      squares[i] = group.Type == 1 ? SkipSquares(v[i] + FirstPawnSquare, placed.OwnPawns, placed.OwnPawnCount)
                                   : SkipSquares(v[i], placed.Squares, placed.Count);
      other[4 * group.Type + i] = squares[i] ^ appendFlip;
    }
    for (int32_t i = 0; i < group.Size; i++) placed.Squares[placed.Count++] = squares[i];
  }
  return 1;
}

// A decoded position the forward mapping could index: men on distinct real
// squares, pawns on pawn squares, the en-passant square and the square the
// captured pawn started from empty.
int32_t DecodedPositionIsSound(const int32_t* firstList, const int32_t* secondList, int32_t side,
                               int32_t epSquare) {
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
      if (list[i] >= 0 && (list[i] < FirstPawnSquare || list[i] > LastPawnSquare)) return 0;
  if (epSquare != TablebaseNoEnPassant &&
      (Holds(men, menCount, epSquare) || Holds(men, menCount, side ? epSquare - 8 : epSquare + 8)))
    return 0;
  return 1;
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

  const Orientation o = Orient(L, own[0], other[0], reversed);
  const int32_t ownKing = o.Numbered(own[0]), otherKing = o.Numbered(other[0]);
  const int32_t pair = (L.Pawns ? KingPairPawn : KingPairPawnless)[ownKing * 64 + otherKing];
  if (pair == NoKingPair) return TablebaseBadIndex;

  if (L.EnPassant && epSquare >= 0 && epSquare < 64) {
    const uint32_t index = CaptureIndex(L, o, own, other, o.Numbered(epSquare), pair, ownKing, otherKing);
    if (index != TablebaseBadIndex) return index;
  }

  PlacedMen placed;
  placed.Count = placed.OwnPawnCount = 0;
  placed.Squares[placed.Count++] = o.NumberedToAppended(ownKing);
  placed.Squares[placed.Count++] = o.NumberedToAppended(otherKing);
  const uint32_t index = NumberedGroupsIndex(L, o, own, other, pair, ownKing, otherKing, placed);
  if (index == TablebaseBadIndex) return index;
  return AppendedGroupsIndex(L, o, other, index, placed);
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
  const int32_t decoded = index >= L.OrdinaryRange
                              ? DecodeCaptureIndex(L, index - L.OrdinaryRange, own, other, epSquare)
                              : DecodeOrdinaryIndex(L, index, own, other);
  // Men on one square, or an encoding the forward mapping would not choose.
  if (!decoded || !DecodedPositionIsSound(firstList, secondList, side, *epSquare)) return 0;
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
