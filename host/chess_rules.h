// The host's own knowledge of chess: positions from FEN text, legal moves,
// playing them, and move text. The host checks everything a user sends
// before it reaches the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Squares 0..63, a1 = 0; pieces as the host records hold them (type 1..6,
// bit 3 for black).
struct ChessPosition {
  uint8_t Board[64];
  int32_t WhiteToMove;
  int32_t Castling;   // bits: 1 K, 2 Q, 4 k, 8 q
  int32_t EpSquare;   // target square of a possible en passant capture, -1 none
  int32_t HalfMoveClock;
  int32_t FullMoveNumber;
};

struct ChessMove {
  uint8_t From;
  uint8_t To;
  uint8_t Promotion;  // 0, or the piece type 2..5
};

extern const char StartFen[];

// Reads FEN text; on failure returns false with a reason and leaves
// *position untouched. Castling rights and an en passant square that the
// board contradicts are dropped, and notes (when given) says which.
bool ParseFen(const std::string& text, ChessPosition* position, std::string* error,
              std::string* notes = nullptr);
// Why the board is no position the engine can play, or null when it is: one
// king each, no pawn on the first or last rank, at most 8 pawns and 16 men a
// side, and no more promoted pieces than missing pawns.
const char* UnplayableReason(const ChessPosition& position);
std::string PositionToFen(const ChessPosition& position);

std::vector<ChessMove> LegalMoves(const ChessPosition& position);
void PlayMove(ChessPosition* position, const ChessMove& move);
bool InCheck(const ChessPosition& position);

// Coordinate text with a lower-case promotion letter: e2e4, e7e8q.
std::string MoveToText(const ChessMove& move);
// Finds the legal move that the text names (promotion letter in either
// case); false when it is malformed or not legal here.
bool FindLegalMove(const ChessPosition& position, const std::string& text, ChessMove* move);

// Standard algebraic notation (Nbd7, exd6, O-O, e8=Q+, Qh7#) of a legal
// move, and of a line with move numbers ("12. Nf3 Nc6", "12... Nc6 13. d4").
std::string MoveToSan(const ChessPosition& position, const ChessMove& move);
std::string LineToSan(const ChessPosition& position, const std::vector<ChessMove>& line);

// Host move code: from | to << 6 | promotion code << 12 (4 Q, 5 R, 6 B, 7 N).
uint16_t MoveToCode(const ChessMove& move);
ChessMove CodeToMove(uint16_t code);
