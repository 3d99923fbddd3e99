// Position state, set-up from the start position or from text, and rebuilding
// of the derived state from SearchBoard.
#include "board.h"

#include <cstring>

#include "hashtable.h"
#include "movelist.h"
#include "playable.h"
#include "searchstate.h"
#include "tables.h"

Board GameBoard;
Board SearchBoard;
Side SideToMove = White;
int32_t WhiteKingSquare = SqE1;
int32_t BlackKingSquare = SqE8;

SquareSet WhitePawns, WhiteKnights, WhiteBishops, WhiteRooks, WhiteQueens, WhiteKing;
SquareSet BlackPawns, BlackKnights, BlackBishops, BlackRooks, BlackQueens, BlackKing;
SquareSet WhiteOccupied, BlackOccupied, AllOccupied;
SquareSet* const PieceSetOf[13] = {&BlackKing,   &BlackQueens, &BlackRooks,   &BlackBishops, &BlackKnights,
                                   &BlackPawns,  nullptr,      &WhitePawns,   &WhiteKnights, &WhiteBishops,
                                   &WhiteRooks,  &WhiteQueens, &WhiteKing};

int32_t PieceCount[2];
int32_t PawnCount[2];
KeyPair HashKey;
KeyPair PawnKingKey;
int32_t PieceMaterial[PlyLimit];
int32_t MaterialBalance[PlyLimit];
int32_t CastledFlags[PlyLimit][2];
uint8_t EpSquare[PlyLimit];
int32_t BothSidesHavePieces = 1;
uint8_t MoveCount[128];
int32_t FilePawnCount[10][2];
int32_t GameMoveCount;
uint32_t RepetitionKeys[RepetitionKeyCapacity];
int32_t RepetitionCount;

namespace {

void ResetGame() {
  GameMoveCount = 0;
  for (int32_t s = 0; s < 120; ++s) {
    int32_t row = s / 10, column = s % 10;
    GameBoard[s] = (row < 2 || row > 9 || column < 1 || column > 8) ? Piece(OffBoard) : Piece(Empty);
  }
  for (int32_t p = 0; p < PlyLimit; ++p) CastledFlags[p][WhiteIndex] = CastledFlags[p][BlackIndex] = 0;
  for (int32_t s = 21; s <= 98; ++s) MoveCount[s] = 0;
  EpSquare[0] = 0;
  MaterialBalance[0] = 0;
  PieceMaterial[0] = StartPieceMaterial;
}

// Castling rights named by a position text: for each letter that is absent,
// the rook's home square counts as moved, so that castling is never offered.
void ApplyCastlingField(const char* field) {
  bool whiteShort = false, whiteLong = false, blackShort = false, blackLong = false;
  for (const char* c = field; *c && *c != ' '; ++c) {
    if (*c == 'K') whiteShort = true;
    if (*c == 'Q') whiteLong = true;
    if (*c == 'k') blackShort = true;
    if (*c == 'q') blackLong = true;
  }
  if (!whiteShort) MoveCount[SqH1] = 1;
  if (!whiteLong) MoveCount[SqA1] = 1;
  if (!blackShort) MoveCount[SqH8] = 1;
  if (!blackLong) MoveCount[SqA8] = 1;
}

// A castling needs the unmoved king and rook on their home squares: a right
// whose king or rook is missing at set-up is gone, also when a king or rook
// arrives there later. The rook's corner is marked as moved (the king's square
// keeps saying whether the king itself has moved, which the evaluation reads).
void DropMissingCastlings() {
  const bool whiteKing = GameBoard[SqE1] == King, blackKing = GameBoard[SqE8] == -King;
  if (!whiteKing || GameBoard[SqA1] != Rook) MoveCount[SqA1] = 1;
  if (!whiteKing || GameBoard[SqH1] != Rook) MoveCount[SqH1] = 1;
  if (!blackKing || GameBoard[SqA8] != -Rook) MoveCount[SqA8] = 1;
  if (!blackKing || GameBoard[SqH8] != -Rook) MoveCount[SqH8] = 1;
}

}  // namespace

void SetUpStart() {
  ResetGame();
  static const Piece backRank[8] = {Rook, Knight, Bishop, Queen, King, Bishop, Knight, Rook};
  for (int32_t f = 0; f < 8; ++f) {
    GameBoard[31 + f] = Pawn;
    GameBoard[81 + f] = -Pawn;
    GameBoard[21 + f] = backRank[f];
    GameBoard[91 + f] = Piece(-backRank[f]);
  }
  WhiteKingSquare = SqE1;
  BlackKingSquare = SqE8;
  SideToMove = White;
  PositionUnusable = 0;
}

int32_t SetUpFromText(const char* text) {
  ResetGame();
  Side side = White;
  if (text != nullptr && text[0] != '\0') {
    int32_t rank = 7, file = 0;
    const char* c = text;
    for (; *c != '\0'; ++c) {
      char ch = *c;
      if (ch == ' ') {
        side = c[1] == 'w' ? White : Black;
        // The castling field, when present, limits the castling rights.
        if (c[1] != '\0' && c[2] == ' ' && c[3] != '\0' && c[3] != ' ') ApplyCastlingField(c + 3);
        break;
      }
      if (ch == '/') {
        if (rank == 0) break;  // a ninth rank: stop, white to move
        --rank;
        file = 0;
        continue;
      }
      if (ch >= '1' && ch <= '8') {
        file += ch - '0';
        continue;
      }
      int32_t piece = 0;
      switch (ch) {
        case 'P': piece = Pawn; break;
        case 'N': piece = Knight; break;
        case 'B': piece = Bishop; break;
        case 'R': piece = Rook; break;
        case 'Q': piece = Queen; break;
        case 'K': piece = King; break;
        case 'p': piece = -Pawn; break;
        case 'n': piece = -Knight; break;
        case 'b': piece = -Bishop; break;
        case 'r': piece = -Rook; break;
        case 'q': piece = -Queen; break;
        case 'k': piece = -King; break;
        default: break;
      }
      if (piece == 0) continue;
      // Placements beyond the eighth file of a rank do not fit and are dropped.
      if (file < 8) GameBoard[MakeSquare(rank, file)] = Piece(piece);
      ++file;
    }
  }
  ClearTables(-100);
  CastledFlags[0][WhiteIndex] = CastledFlags[0][BlackIndex] = 0;
  EpSquare[0] = 0;
  for (int32_t s = 0; s < 100; ++s) {
    if (GameBoard[s] == King) WhiteKingSquare = s;
    if (GameBoard[s] == -King) BlackKingSquare = s;
  }
  SideToMove = side;
  DropMissingCastlings();
  PositionUnusable = PositionIsPlayable() ? 0 : 1;
  return PositionUnusable ? -1 : 0;
}

void RecomputeSets() {
  for (int32_t p = -6; p <= 6; ++p)
    if (p != 0) PieceSet(p) = SquareSet{0, 0};
  PieceCount[WhiteIndex] = PieceCount[BlackIndex] = 0;
  for (int32_t s = 21; s < 120; ++s) {
    int32_t p = SearchBoard[s];
    if (p == 0 || p == OffBoard) continue;
    PieceSet(p) |= SquareBit[s];
    if (p == King) WhiteKingSquare = s;
    if (p == -King) BlackKingSquare = s;
    if (p >= Knight && p <= Queen) ++PieceCount[WhiteIndex];
    if (p <= -Knight && p >= -Queen) ++PieceCount[BlackIndex];
  }
  WhiteOccupied = WhitePawns | WhiteKnights | WhiteBishops | WhiteRooks | WhiteQueens | WhiteKing;
  BlackOccupied = BlackPawns | BlackKnights | BlackBishops | BlackRooks | BlackQueens | BlackKing;
  AllOccupied = WhiteOccupied | BlackOccupied;
}

void RecomputeKeys() {
  HashKey = KeyPair{0, 0};
  PawnKingKey = KeyPair{0, 0};
  for (int32_t s = 21; s <= 98; ++s) {
    int32_t p = SearchBoard[s];
    if (p == 0 || p == OffBoard) continue;
    uint32_t index = ZobristIndexTable[13 * s + p];
    uint32_t check = ZobristCheckTable[13 * s + p];
    HashKey.Index ^= index;
    HashKey.Check ^= check;
    if (p == Pawn || p == -Pawn || p == King || p == -King) {
      PawnKingKey.Index ^= index;
      PawnKingKey.Check ^= check;
    }
  }
}

uint32_t BoardIndexKey(const Board board) {
  uint32_t key = 0;
  for (int32_t s = 21; s <= 98; ++s) {
    int32_t p = board[s];
    if (p != 0 && p != OffBoard) key ^= ZobristIndexTable[13 * s + p];
  }
  return key;
}

void RecountMaterial() {
  int32_t pieces = 0, balance = 0;
  int32_t whitePieces = 0, blackPieces = 0;
  PawnCount[WhiteIndex] = PawnCount[BlackIndex] = 0;
  for (int32_t s = 21; s <= 98; ++s) {
    int32_t p = SearchBoard[s];
    if (p == 0 || p == OffBoard || p == King || p == -King) continue;
    int32_t type = p > 0 ? p : -p;
    if (type >= Knight && type <= Queen) {
      pieces += PieceValue[type];
      if (p > 0) ++whitePieces; else ++blackPieces;
    }
    balance += p > 0 ? PieceValue[type] : -PieceValue[type];
    if (p == Pawn) ++PawnCount[WhiteIndex];
    if (p == -Pawn) ++PawnCount[BlackIndex];
  }
  PieceMaterial[0] = pieces;
  MaterialBalance[0] = SideToMove == White ? balance : -balance;
  if (whitePieces > 0 && blackPieces > 0) BothSidesHavePieces = 1;
}

void CountFilePawns() {
  std::memset(FilePawnCount, 0, sizeof FilePawnCount);
  for (int32_t s = 21; s <= 98; ++s) {
    if (SearchBoard[s] == Pawn) ++FilePawnCount[s % 10][WhiteIndex];
    if (SearchBoard[s] == -Pawn) ++FilePawnCount[s % 10][BlackIndex];
  }
}

int32_t PositionIsConsistent() {
  SquareSet sets[13] = {};
  int32_t pieceCount[2] = {0, 0}, pawnCount[2] = {0, 0}, files[10][2] = {};
  int32_t whiteKing = -1, blackKing = -1, pieceMaterial = 0, balance = 0;
  KeyPair key{0, 0}, pawnKey{0, 0};
  for (int32_t s = 0; s < 120; ++s) {
    const int32_t p = SearchBoard[s];
    const int32_t row = s / 10, column = s % 10;
    const bool playable = row >= 2 && row <= 9 && column >= 1 && column <= 8;
    if (!playable) {
      if (p != OffBoard) return 0;
      continue;
    }
    if (p == Empty) continue;
    if (p < -King || p > King) return 0;
    const int32_t type = p > 0 ? p : -p;
    const int32_t side = p > 0 ? WhiteIndex : BlackIndex;
    sets[p + 6] |= SquareBit[s];
    key.Index ^= ZobristIndexTable[13 * s + p];
    key.Check ^= ZobristCheckTable[13 * s + p];
    if (type == Pawn || type == King) {
      pawnKey.Index ^= ZobristIndexTable[13 * s + p];
      pawnKey.Check ^= ZobristCheckTable[13 * s + p];
    }
    if (type == Pawn) {
      ++pawnCount[side];
      ++files[column][side];
    }
    if (type >= Knight && type <= Queen) {
      ++pieceCount[side];
      pieceMaterial += PieceValue[type];
    }
    if (type != King) balance += p > 0 ? PieceValue[type] : -PieceValue[type];
    if (p == King) whiteKing = s;
    if (p == -King) blackKing = s;
  }
  for (int32_t p = -6; p <= 6; ++p)
    if (p != 0 && sets[p + 6] != PieceSet(p)) return 0;
  SquareSet white = sets[7] | sets[8] | sets[9] | sets[10] | sets[11] | sets[12];
  SquareSet black = sets[0] | sets[1] | sets[2] | sets[3] | sets[4] | sets[5];
  if (white != WhiteOccupied || black != BlackOccupied || (white | black) != AllOccupied) return 0;
  // With a king on the board the king square must hold one (texts may put
  // more than one king of a side on the board; any of them will do).
  if (whiteKing >= 0 && (WhiteKingSquare < 0 || WhiteKingSquare >= 120 || SearchBoard[WhiteKingSquare] != King))
    return 0;
  if (blackKing >= 0 && (BlackKingSquare < 0 || BlackKingSquare >= 120 || SearchBoard[BlackKingSquare] != -King))
    return 0;
  for (int32_t side = 0; side < 2; ++side) {
    if (pieceCount[side] != PieceCount[side] || pawnCount[side] != PawnCount[side]) return 0;
    for (int32_t f = 0; f < 10; ++f)
      if (files[f][side] != FilePawnCount[f][side]) return 0;
  }
  // Every pass of black on the path from the root is folded into the key.
  for (int32_t p = 1; p <= Ply && p < PlyLimit; ++p) {
    const int32_t mover = (Ply - p) % 2 == 0 ? -SideToMove : SideToMove;
    if (PlyMove[p] == NullMove && mover == Black) {
      key.Index ^= ZobristIndexTable[22];
      key.Check ^= ZobristCheckTable[22];
    }
  }
  if (key != HashKey || pawnKey != PawnKingKey) return 0;
  if (pieceMaterial != PieceMaterial[Ply]) return 0;
  if ((SideToMove == White ? balance : -balance) != MaterialBalance[Ply]) return 0;
  return 1;
}
