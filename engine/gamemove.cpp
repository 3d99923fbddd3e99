// Game moves entered as text: matched against the generated moves of
// GameBoard and played there, with the game state the text cannot carry.
#include "gamemove.h"

#include <cstring>

#include "board.h"
#include "evasions.h"
#include "movegen.h"
#include "movelist.h"
#include "playable.h"
#include "root.h"
#include "searchstate.h"

int32_t SquareFromText(const char* text) {
  const char letter = text[0];
  if (letter < 'A' || letter > 'H') return -1;
  const char digit = text[1];
  if (digit < '1' || digit > '8') return -1;
  return 21 + 10 * (digit - '1') + (letter - 'A');
}

int32_t EnterGameMove(char* text) {
  // Only four or five characters can name a move; anything else is refused
  // before the game state is touched.
  if (text == nullptr) return -1;
  size_t length = 0;
  while (length < 6 && text[length] != '\0') ++length;
  if (length < 4 || length > 5) return -1;
  if (PositionUnusable) return -1;

  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  MoveListTop = 0;
  RootReSearch = 0;
  Ply = 0;
  RecomputeSets();
  RecomputeKeys();
  GenerateMoves();
  const int32_t n = GeneratedCount;

  for (size_t i = 0; i < length; ++i)
    if (text[i] >= 'a' && text[i] <= 'h') text[i] = char(text[i] - 'a' + 'A');
  const int32_t from = SquareFromText(text);
  const int32_t to = SquareFromText(text + 2);
  const char promotion = length == 5 ? text[4] : ' ';

  int32_t taken = -1;
  for (int32_t i = 0; i < n; ++i)
    if (MoveList[i].From == from && MoveList[i].To == to) taken = i;
  if (taken < 0) return -1;  // names no move of this position: refused
  // A move that leaves the own king attacked would give a position where the
  // king can be taken, which no search is made for: refused as well.
  const MoveEntry& move = MoveList[taken];
  const int32_t victimSquare = move.Captured == Pawn && move.Extra != 0 ? move.Extra : 0;
  if (!LeavesKingSafe(move.From, move.To, victimSquare)) return -1;

  MoveList[GameMoveSlot] = MoveList[taken];
  MoveEntry& e = MoveList[GameMoveSlot];
  if (IsPromotionFlag(e.Flag)) {
    switch (promotion) {
      case 'B': e.Flag = Bishop; break;
      case 'N': e.Flag = Knight; break;
      case 'R': e.Flag = Rook; break;
      default: e.Flag = Queen; break;
    }
  }
  PlayGameMove(GameMoveSlot);
  return 0;
}

void PlayGameMove(int32_t m) {
  MoveEntry& e = MoveList[m];
  const int32_t from = e.From, to = e.To, extra = e.Extra;
  const int32_t p = GameBoard[from];
  const int32_t s = p > 0 ? White : Black;

  if (p == King && from == SqE1) {
    if (to == SqG1) e.Flag = CastleKingSide;
    if (to == SqC1) e.Flag = CastleQueenSide;
  }
  if (p == -King && from == SqE8) {
    if (to == SqG8) e.Flag = CastleKingSide;
    if (to == SqC8) e.Flag = CastleQueenSide;
  }
  // Saturates well below 255 so that a long game can never wrap a counter
  // back to zero (which would bring castling back); the search adds at most
  // one per ply on top.
  if (MoveCount[from] < 200) ++MoveCount[from];
  if (IsRookHome(to) && GameBoard[to] != Empty && MoveCount[to] < 200)
    ++MoveCount[to];

  EpSquare[0] = 0;
  if (extra != 0) {
    if (GameBoard[extra] == Empty) EpSquare[0] = uint8_t(extra);
    else GameBoard[extra] = Empty;
  }
  GameBoard[to] = GameBoard[from];
  GameBoard[from] = Empty;
  const int32_t flag = e.Flag;
  if (IsPromotionFlag(flag)) {
    GameBoard[to] = Piece(s * flag);
  } else if (flag == CastleKingSide) {
    GameBoard[to + 1] = Empty;
    GameBoard[to - 1] = Piece(s * Rook);
    CastledFlags[0][SideIndex(s)] = 1;
  } else if (flag == CastleQueenSide) {
    GameBoard[to - 2] = Empty;
    GameBoard[to + 1] = Piece(s * Rook);
    CastledFlags[0][SideIndex(s)] = 1;
  }
  SideToMove = -SideToMove;

  // Keep the newest positions when the game outgrows the key list.
  if (GameMoveCount >= GameKeyLimit) {
    std::memmove(RepetitionKeys, RepetitionKeys + 1, (GameKeyLimit - 1) * sizeof(uint32_t));
    GameMoveCount = GameKeyLimit - 1;
  }
  RepetitionKeys[GameMoveCount] = BoardIndexKey(GameBoard);
  ++GameMoveCount;
}
