#include "tablebase_probe.h"

#include "block_cache.h"
#include "material_trie.h"
#include "position_index.h"
#include "tablebase_registry.h"

std::atomic<int32_t> TablebaseProbeCount{0};

enum : int32_t {
  KingSlot = 0,
  ClassKppkp = 36,
  MaxPiecesOnBoard = 5,
  MaxMenOfAType = 4,
};

// Entries of the kppkp black-to-move table that read as a loss in 127
// whatever the file holds.
static const uint32_t KppkpOverrides[] = {56802428, 56811076, 56849992, 56858640, 59592489, 67775659, 71071628};

int32_t ProbeScore(int32_t value) {
  if (value == 0 || value == TableValueUnknown) return 0;
  if (value > 0) return 32767 - value;
  if (value >= -32766) return -32767 - value;
  if (value == -32767) return -32767;
  return 32767;
}

int32_t ReadTableValue(int32_t tableClass, int32_t side, uint32_t index) {
  if (ClassIsSymmetric(tableClass)) side = 0;
  if (tableClass == ClassKppkp && side == 1)
    for (uint32_t overridden : KppkpOverrides)
      if (index == overridden) return -32639;
  const TableSide& table = TableSides[tableClass][side];
  // Past the table's end lie only positions that cannot occur; they are not
  // read, so no block beyond the file is ever asked for.
  if (CacheEntryCount() == 0 || !table.Buckets || index >= table.Length) return TableValueUnknown;
  int32_t t = CacheReadByte(tableClass, side, static_cast<int32_t>(index / TableBlockSize),
                            static_cast<int32_t>(index % TableBlockSize));
  if (t == CacheReadFailed || t == 127) return TableValueUnknown;
  if (t == 0) return 0;
  if (t == -128) return 32640;
  if (t == -127) return -32640;
  return t > 0 ? t + 32640 : t - 32640;
}

// Keeps the en-passant square only when a pawn of the side to move stands
// beside the passed pawn to take it; pawnOn answers for a square.
template <typename PawnTest>
static int32_t CheckedEnPassant(int32_t side, int32_t epSquare, PawnTest pawnOn) {
  if (epSquare == 0) return NoEnPassant;
  if (side == 1) {
    // Black takes towards rank 3.
    if (epSquare < 16 || epSquare > 23) return NoEnPassant;
    if (epSquare > 16 && pawnOn(epSquare + 7)) return epSquare;
    if (epSquare <= 22 && pawnOn(epSquare + 9)) return epSquare;
  } else {
    // White takes towards rank 6.
    if (epSquare < 40 || epSquare > 47) return NoEnPassant;
    if (epSquare > 40 && pawnOn(epSquare - 9)) return epSquare;
    if (epSquare <= 46 && pawnOn(epSquare - 7)) return epSquare;
  }
  return NoEnPassant;
}

// Steps shared by both probes once the lists are built; epSquare already
// checked against the position.
static int32_t ProbeLists(const int32_t* counts, const int32_t* whiteList, const int32_t* blackList, int32_t side,
                          int32_t epSquare, int32_t* out) {
  // Without cache entries nothing can be read: no answer, never a draw.
  if (CacheEntryCount() == 0) return 0;
  int32_t found = FindClass(counts);
  if (found == 0) return 0;
  int32_t tableClass = found > 0 ? found : -found;
  bool reversed = found < 0;
  int32_t tableSide = reversed ? 1 - side : side;
  if (!TableSideOf(tableClass, tableSide).Registered.load(std::memory_order_relaxed)) return 0;
  const int32_t* first = reversed ? blackList : whiteList;
  const int32_t* second = reversed ? whiteList : blackList;
  uint32_t index = IndexFunction[tableClass][tableSide](first, second, epSquare, reversed ? 1 : 0);
  int32_t value = ReadTableValue(tableClass, tableSide, index);
  // A table that could not be read was dropped: no answer, never a draw.
  if (value == TableValueUnknown && !TableSideOf(tableClass, tableSide).Registered.load(std::memory_order_relaxed))
    return 0;
  *out = ProbeScore(value);
  TablebaseProbeCount.fetch_add(1, std::memory_order_relaxed);
  return 1;
}

static bool ValidSquare(int32_t square) { return square >= 0 && square < 64; }

// The lists come from outside the prober: every square that will be read
// must be a square, and every count a count the lists can hold.
static bool ValidLists(const int32_t* counts, const int32_t* whiteList, const int32_t* blackList) {
  int32_t pieces = 2;
  for (int32_t i = 0; i < 10; ++i) {
    if (counts[i] < 0 || counts[i] > MaxMenOfAType) return false;
    pieces += counts[i];
  }
  if (pieces > MaxPiecesOnBoard) return false;
  const int32_t* lists[2] = {whiteList, blackList};
  for (int32_t s = 0; s < 2; ++s) {
    if (!ValidSquare(lists[s][KingSlot])) return false;
    for (int32_t type = 1; type <= 5; ++type)
      for (int32_t k = 0; k < counts[s * 5 + type - 1]; ++k)
        if (!ValidSquare(lists[s][4 * type + k])) return false;
  }
  return true;
}

int32_t OBRANTULE_CALL TBProbeList(const int32_t* counts, const int32_t* whiteList, const int32_t* blackList,
                                   int32_t side, int32_t epSquare, int32_t* out) {
  if (!counts || !whiteList || !blackList || !out || (side != 0 && side != 1)) return 0;
  if (!ValidLists(counts, whiteList, blackList)) return 0;
  const int32_t* pawns = side == 0 ? whiteList : blackList;
  int32_t pawnCount = counts[side * 5];
  epSquare = CheckedEnPassant(side, epSquare, [&](int32_t square) {
    for (int32_t k = 0; k < pawnCount; ++k)
      if (pawns[4 + k] == square) return true;
    return false;
  });
  return ProbeLists(counts, whiteList, blackList, side, epSquare, out);
}

int32_t OBRANTULE_CALL TBProbeBoard(const uint8_t* board, int32_t side, int32_t epSquare, int32_t* out) {
  if (!board || !out || (side != 0 && side != 1)) return 0;
  int32_t lists[2][PieceListSlots] = {};
  int32_t counts[10] = {};
  int32_t kings[2] = {0, 0};
  int32_t seen = 0;
  for (int32_t square = 0; square < 64; ++square) {
    int32_t code = board[square];
    if (code == 0) continue;
    if (++seen > MaxPiecesOnBoard) return 0;
    int32_t colour = code >> 3;
    int32_t type = code & 7;
    // Only 1..6 and 9..14 are pieces; anything else is no board.
    if (code > 14 || type == 0 || type == 7) return 0;
    if (type == 6) {
      if (kings[colour]++) return 0;
      lists[colour][KingSlot] = square;
      continue;
    }
    int32_t& count = counts[colour * 5 + type - 1];
    if (count == MaxMenOfAType) return 0;
    lists[colour][4 * type + count] = square;
    ++count;
  }
  if (kings[0] != 1 || kings[1] != 1) return 0;
  uint8_t pawn = static_cast<uint8_t>(side == 0 ? 1 : 9);
  epSquare = CheckedEnPassant(side, epSquare, [&](int32_t square) { return board[square] == pawn; });
  return ProbeLists(counts, lists[0], lists[1], side, epSquare, out);
}
