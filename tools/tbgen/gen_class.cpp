#include "gen_class.h"

#include <algorithm>
#include <cstring>

static int TypeOfLetter(char c) {
  switch (c) {
    case 'p': return GenPawn;
    case 'n': return GenKnight;
    case 'b': return GenBishop;
    case 'r': return GenRook;
    case 'q': return GenQueen;
  }
  return 0;
}

char GenTypeLetter(int type) { return " pnbrqk"[type]; }

bool ParseGenClass(const char* name, GenClassInfo* info) {
  size_t len = std::strlen(name);
  if (len < 2 || len > 7 || name[0] != 'k') return false;
  const char* second = std::strchr(name + 1, 'k');
  if (!second) return false;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->name, name, len);
  info->type[0] = info->type[1] = GenKing;
  info->side[0] = 0;
  info->side[1] = 1;
  int men = 2;
  int pawnSides = 0;
  for (const char* c = name + 1; *c; c++) {
    if (c == second) continue;
    int type = TypeOfLetter(*c);
    if (!type || men == GenMaxMen) return false;
    int side = c < second ? 0 : 1;
    info->type[men] = type;
    info->side[men] = side;
    (side ? info->blackCount : info->whiteCount)++;
    if (type == GenPawn) pawnSides |= 1 << side;
    men++;
  }
  // Men of one side must be listed strongest first, as class names are.
  for (int i = 3; i < men; i++)
    if (info->side[i] == info->side[i - 1] && info->type[i] > info->type[i - 1]) return false;
  info->men = men;
  // Only the canonical name of the material (stronger side first) is a class.
  int white[GenMaxMen], black[GenMaxMen];
  bool reversed;
  int wc = 0, bc = 0;
  for (int i = 2; i < men; i++) {
    if (info->side[i]) black[bc++] = info->type[i];
    else white[wc++] = info->type[i];
  }
  if (GenMaterialName(white, wc, black, bc, &reversed) != name) return false;
  info->pawns = pawnSides != 0;
  info->enPassant = pawnSides == 3;
  uint64_t size = info->pawns ? 32 : 10;
  for (int i = 1; i < men; i++) size *= 64;
  info->normalSize = uint32_t(size);
  return true;
}

static void SortDescending(int* v, int n) {
  for (int i = 1; i < n; i++)
    for (int j = i; j > 0 && v[j] > v[j - 1]; j--) std::swap(v[j], v[j - 1]);
}

std::string GenMaterialName(const int* whiteTypes, int whiteCount, const int* blackTypes, int blackCount,
                            bool* reversed) {
  int w[GenMaxMen], b[GenMaxMen];
  std::copy(whiteTypes, whiteTypes + whiteCount, w);
  std::copy(blackTypes, blackTypes + blackCount, b);
  SortDescending(w, whiteCount);
  SortDescending(b, blackCount);
  // The stronger side is named first: more men, then the higher men.
  bool swap = false;
  if (blackCount != whiteCount) swap = blackCount > whiteCount;
  else swap = std::lexicographical_compare(w, w + whiteCount, b, b + blackCount);
  std::string name = "k";
  const int* first = swap ? b : w;
  const int* second = swap ? w : b;
  int firstCount = swap ? blackCount : whiteCount, secondCount = swap ? whiteCount : blackCount;
  for (int i = 0; i < firstCount; i++) name += GenTypeLetter(first[i]);
  name += 'k';
  for (int i = 0; i < secondCount; i++) name += GenTypeLetter(second[i]);
  *reversed = swap;
  return name;
}

const int GenTriangleSquares[10] = {0, 1, 2, 3, 9, 10, 11, 18, 19, 27};

static int TransformSquare(int sq, int t) {
  int f = sq & 7, r = sq >> 3;
  if (t & 4) std::swap(f, r);
  if (t & 1) f = 7 - f;
  if (t & 2) r = 7 - r;
  return f + 8 * r;
}

GenFoldTables::GenFoldTables() {
  for (int t = 0; t < 8; t++)
    for (int sq = 0; sq < 64; sq++) image[t][sq] = int8_t(TransformSquare(sq, t));
  for (int t = 0; t < 8; t++)
    for (int u = 0; u < 8; u++) {
      bool same = true;
      for (int sq = 0; sq < 64; sq++) same &= image[u][sq] == image[4][image[t][sq]];
      if (same) thenDiagonal[t] = int8_t(u);
    }
  std::memset(triangleCode, -1, sizeof triangleCode);
  for (int i = 0; i < 10; i++) triangleCode[GenTriangleSquares[i]] = int8_t(i);
  for (int sq = 0; sq < 64; sq++)
    for (int t = 0; t < 8; t++)
      if (triangleCode[TransformSquare(sq, t)] >= 0) {
        toTriangle[sq] = int8_t(t);
        break;
      }
}
const GenFoldTables GenFold;

bool GenMovesMayFold(const GenClassInfo& info, const GenPosition& pos) {
  if (info.pawns) return false;
  const uint64_t diagonal = 0x8040201008040201ull, antiDiagonal = 0x0102040810204080ull;
  uint64_t occupied = GenOccupied(pos);
  int fixedNeeded = pos.men - 2;
  return __builtin_popcountll(occupied & diagonal) >= fixedNeeded ||
         __builtin_popcountll(occupied & antiDiagonal) >= fixedNeeded;
}

bool GenDecodeIndex(const GenClassInfo& info, uint32_t index, int toMove, GenPosition* pos) {
  int men = info.men;
  pos->men = men;
  pos->toMove = toMove;
  pos->epSquare = -1;
  for (int i = men - 1; i >= 1; i--) {
    pos->square[i] = int(index & 63);
    index >>= 6;
  }
  if (info.pawns) pos->square[0] = int((index >> 2) * 8 + (index & 3));
  else pos->square[0] = GenTriangleSquares[index];
  uint64_t seen = 0;
  for (int i = 0; i < men; i++) {
    pos->type[i] = info.type[i];
    pos->side[i] = info.side[i];
    uint64_t bit = GenBit(pos->square[i]);
    if (seen & bit) return false;
    seen |= bit;
    if (info.type[i] == GenPawn && (pos->square[i] < 8 || pos->square[i] >= 56)) return false;
  }
  if (!info.pawns) {
    int k = pos->square[0];
    if ((k & 7) == (k >> 3))
      for (int i = 1; i < men; i++) {
        int s = pos->square[i];
        if ((s & 7) == (s >> 3)) continue;
        if ((s >> 3) > (s & 7)) return false;
        break;
      }
  }
  return true;
}

bool GenEnPassantEligible(const GenPosition& pos, int epSquare) {
  int mover = pos.toMove;  // the side that would capture
  int pushed = mover == 0 ? epSquare - 8 : epSquare + 8;
  int origin = mover == 0 ? epSquare + 8 : epSquare - 8;
  if (mover == 0 ? (epSquare < 40 || epSquare >= 48) : (epSquare < 16 || epSquare >= 24)) return false;
  uint64_t occ = GenOccupied(pos);
  if (occ & (GenBit(epSquare) | GenBit(origin))) return false;
  bool pushedPawn = false, capturer = false;
  for (int i = 0; i < pos.men; i++) {
    int s = pos.square[i];
    if (s < 0 || pos.type[i] != GenPawn) continue;
    if (pos.side[i] != mover && s == pushed) pushedPawn = true;
    if (pos.side[i] == mover && (s >> 3) == (pushed >> 3) && (s == pushed - 1 || s == pushed + 1)) capturer = true;
  }
  return pushedPawn && capturer;
}
