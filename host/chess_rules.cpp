#include "chess_rules.h"

#include <cstring>
#include <sstream>

const char StartFen[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

namespace {

enum { Pawn = 1, Knight, Bishop, Rook, Queen, King };
const uint8_t BlackBit = 8;

int TypeOf(uint8_t piece) { return piece & 7; }
bool IsWhite(uint8_t piece) { return piece != 0 && (piece & BlackBit) == 0; }
bool IsBlack(uint8_t piece) { return piece != 0 && (piece & BlackBit) != 0; }
int FileOf(int square) { return square & 7; }
int RankOf(int square) { return square >> 3; }

const int KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
const int KingSteps[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
const int RookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
const int BishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

int Offset(int square, int df, int dr) {
  int f = FileOf(square) + df;
  int r = RankOf(square) + dr;
  if (f < 0 || f > 7 || r < 0 || r > 7) return -1;
  return r * 8 + f;
}

// Is the square attacked by the given side?
bool Attacked(const ChessPosition& p, int square, bool byWhite) {
  uint8_t colour = byWhite ? 0 : BlackBit;
  int pawnRank = byWhite ? -1 : 1;  // attackers stand one rank behind
  for (int df : {-1, 1}) {
    int from = Offset(square, df, pawnRank);
    if (from >= 0 && p.Board[from] == (Pawn | colour)) return true;
  }
  for (const auto& s : KnightSteps) {
    int from = Offset(square, s[0], s[1]);
    if (from >= 0 && p.Board[from] == (Knight | colour)) return true;
  }
  for (const auto& s : KingSteps) {
    int from = Offset(square, s[0], s[1]);
    if (from >= 0 && p.Board[from] == (King | colour)) return true;
  }
  for (int kind = 0; kind < 2; ++kind) {
    const int(*dirs)[2] = kind == 0 ? RookDirs : BishopDirs;
    int slider = kind == 0 ? Rook : Bishop;
    for (int d = 0; d < 4; ++d) {
      for (int to = Offset(square, dirs[d][0], dirs[d][1]); to >= 0; to = Offset(to, dirs[d][0], dirs[d][1])) {
        uint8_t piece = p.Board[to];
        if (piece == 0) continue;
        if ((piece & BlackBit) == colour && (TypeOf(piece) == slider || TypeOf(piece) == Queen)) return true;
        break;
      }
    }
  }
  return false;
}

int KingSquare(const ChessPosition& p, bool white) {
  uint8_t king = uint8_t(King | (white ? 0 : BlackBit));
  for (int s = 0; s < 64; ++s)
    if (p.Board[s] == king) return s;
  return -1;
}

bool Own(const ChessPosition& p, uint8_t piece) { return p.WhiteToMove ? IsWhite(piece) : IsBlack(piece); }
bool Enemy(const ChessPosition& p, uint8_t piece) { return p.WhiteToMove ? IsBlack(piece) : IsWhite(piece); }

void AddPawnMove(std::vector<ChessMove>* moves, int from, int to) {
  if (RankOf(to) == 0 || RankOf(to) == 7) {
    for (uint8_t promotion : {Queen, Rook, Bishop, Knight}) moves->push_back(ChessMove{uint8_t(from), uint8_t(to), promotion});
  } else {
    moves->push_back(ChessMove{uint8_t(from), uint8_t(to), 0});
  }
}

void PseudoLegalMoves(const ChessPosition& p, std::vector<ChessMove>* moves) {
  bool white = p.WhiteToMove != 0;
  int forward = white ? 1 : -1;
  for (int from = 0; from < 64; ++from) {
    uint8_t piece = p.Board[from];
    if (!Own(p, piece)) continue;
    int type = TypeOf(piece);
    if (type == Pawn) {
      int one = Offset(from, 0, forward);
      if (one >= 0 && p.Board[one] == 0) {
        AddPawnMove(moves, from, one);
        int two = Offset(one, 0, forward);
        if (RankOf(from) == (white ? 1 : 6) && p.Board[two] == 0) moves->push_back(ChessMove{uint8_t(from), uint8_t(two), 0});
      }
      for (int df : {-1, 1}) {
        int to = Offset(from, df, forward);
        if (to < 0) continue;
        if (Enemy(p, p.Board[to])) AddPawnMove(moves, from, to);
        else if (to == p.EpSquare && p.Board[to] == 0) moves->push_back(ChessMove{uint8_t(from), uint8_t(to), 0});
      }
    } else if (type == Knight || type == King) {
      const int(*steps)[2] = type == Knight ? KnightSteps : KingSteps;
      for (int s = 0; s < 8; ++s) {
        int to = Offset(from, steps[s][0], steps[s][1]);
        if (to >= 0 && !Own(p, p.Board[to])) moves->push_back(ChessMove{uint8_t(from), uint8_t(to), 0});
      }
    } else {
      for (int kind = 0; kind < 2; ++kind) {
        if ((kind == 0 && type == Bishop) || (kind == 1 && type == Rook)) continue;
        const int(*dirs)[2] = kind == 0 ? RookDirs : BishopDirs;
        for (int d = 0; d < 4; ++d) {
          for (int to = Offset(from, dirs[d][0], dirs[d][1]); to >= 0; to = Offset(to, dirs[d][0], dirs[d][1])) {
            if (Own(p, p.Board[to])) break;
            moves->push_back(ChessMove{uint8_t(from), uint8_t(to), 0});
            if (p.Board[to] != 0) break;
          }
        }
      }
    }
  }
  // Castling: king and rook at home, squares between empty, the king's path
  // not attacked.
  int home = white ? 4 : 60;
  uint8_t colour = white ? 0 : BlackBit;
  if (p.Board[home] != (King | colour) || Attacked(p, home, !white)) return;
  int shortRight = white ? 1 : 4;
  int longRight = white ? 2 : 8;
  if ((p.Castling & shortRight) && p.Board[home + 3] == (Rook | colour) && p.Board[home + 1] == 0 &&
      p.Board[home + 2] == 0 && !Attacked(p, home + 1, !white) && !Attacked(p, home + 2, !white))
    moves->push_back(ChessMove{uint8_t(home), uint8_t(home + 2), 0});
  if ((p.Castling & longRight) && p.Board[home - 4] == (Rook | colour) && p.Board[home - 1] == 0 &&
      p.Board[home - 2] == 0 && p.Board[home - 3] == 0 && !Attacked(p, home - 1, !white) &&
      !Attacked(p, home - 2, !white))
    moves->push_back(ChessMove{uint8_t(home), uint8_t(home - 2), 0});
}

// Rights lost when a piece leaves or arrives at a corner or king square.
int RightsKept(int square) {
  switch (square) {
    case 0: return ~2;
    case 7: return ~1;
    case 4: return ~3;
    case 56: return ~8;
    case 63: return ~4;
    case 60: return ~12;
    default: return ~0;
  }
}

void Note(std::string* notes, const std::string& text) {
  if (notes != nullptr) *notes += (notes->empty() ? "" : "; ") + text;
}

// A double step of the side not to move can have opened the square: the
// pawn stands just past it, its start square and the square itself are
// empty, and a pawn of the side to move stands beside it to capture.
bool DoubleStepPossible(const ChessPosition& p, int square) {
  bool white = p.WhiteToMove != 0;
  if (RankOf(square) != (white ? 5 : 2)) return false;
  int pawn = white ? square - 8 : square + 8;
  int start = white ? square + 8 : square - 8;
  uint8_t enemy = white ? (Pawn | BlackBit) : Pawn;
  uint8_t own = white ? Pawn : (Pawn | BlackBit);
  if (p.Board[pawn] != enemy || p.Board[square] != 0 || p.Board[start] != 0) return false;
  return (FileOf(pawn) > 0 && p.Board[pawn - 1] == own) || (FileOf(pawn) < 7 && p.Board[pawn + 1] == own);
}

}  // namespace

const char* UnplayableReason(const ChessPosition& p) {
  int count[2][7] = {};
  for (int s = 0; s < 64; ++s) {
    uint8_t piece = p.Board[s];
    if (piece == 0) continue;
    ++count[IsBlack(piece) ? 1 : 0][TypeOf(piece)];
    if (TypeOf(piece) == Pawn && (RankOf(s) == 0 || RankOf(s) == 7)) return "pawn on the first or last rank";
  }
  for (int side = 0; side < 2; ++side) {
    const int* c = count[side];
    if (c[King] != 1) return "each side needs exactly one king";
    int men = c[Pawn] + c[Knight] + c[Bishop] + c[Rook] + c[Queen] + c[King];
    if (c[Pawn] > 8 || men > 16) return "more than 8 pawns or 16 men on one side";
    auto extra = [](int n, int normal) { return n > normal ? n - normal : 0; };
    if (c[Pawn] + extra(c[Queen], 1) + extra(c[Rook], 2) + extra(c[Bishop], 2) + extra(c[Knight], 2) > 8)
      return "more promoted pieces than missing pawns on one side";
  }
  return nullptr;
}


bool InCheck(const ChessPosition& position) {
  int king = KingSquare(position, position.WhiteToMove != 0);
  return king >= 0 && Attacked(position, king, position.WhiteToMove == 0);
}

void PlayMove(ChessPosition* p, const ChessMove& move) {
  uint8_t piece = p->Board[move.From];
  uint8_t captured = p->Board[move.To];
  int type = TypeOf(piece);
  p->HalfMoveClock = (type == Pawn || captured != 0) ? 0 : p->HalfMoveClock + 1;
  if (type == Pawn && move.To == p->EpSquare && captured == 0 && FileOf(move.From) != FileOf(move.To))
    p->Board[move.To + (p->WhiteToMove ? -8 : 8)] = 0;
  p->Board[move.To] = move.Promotion != 0 ? uint8_t(move.Promotion | (piece & BlackBit)) : piece;
  p->Board[move.From] = 0;
  if (type == King && move.To == move.From + 2) {
    p->Board[move.From + 1] = p->Board[move.From + 3];
    p->Board[move.From + 3] = 0;
  } else if (type == King && move.From == move.To + 2) {
    p->Board[move.From - 1] = p->Board[move.From - 4];
    p->Board[move.From - 4] = 0;
  }
  p->Castling &= RightsKept(move.From) & RightsKept(move.To);
  p->EpSquare = -1;
  if (type == Pawn && (move.To == move.From + 16 || move.From == move.To + 16))
    p->EpSquare = (move.From + move.To) / 2;
  if (!p->WhiteToMove) ++p->FullMoveNumber;
  p->WhiteToMove = !p->WhiteToMove;
}

std::vector<ChessMove> LegalMoves(const ChessPosition& position) {
  std::vector<ChessMove> pseudo;
  PseudoLegalMoves(position, &pseudo);
  std::vector<ChessMove> legal;
  bool white = position.WhiteToMove != 0;
  for (const ChessMove& move : pseudo) {
    ChessPosition next = position;
    PlayMove(&next, move);
    int king = KingSquare(next, white);
    if (king >= 0 && !Attacked(next, king, !white)) legal.push_back(move);
  }
  return legal;
}

std::string MoveToText(const ChessMove& move) {
  std::string text;
  text += char('a' + FileOf(move.From));
  text += char('1' + RankOf(move.From));
  text += char('a' + FileOf(move.To));
  text += char('1' + RankOf(move.To));
  if (move.Promotion != 0) text += " pnbrq"[move.Promotion];
  return text;
}

bool FindLegalMove(const ChessPosition& position, const std::string& text, ChessMove* move) {
  if (text.size() != 4 && text.size() != 5) return false;
  std::string lower = text;
  for (char& c : lower) c = char(tolower(static_cast<unsigned char>(c)));
  for (const ChessMove& candidate : LegalMoves(position)) {
    if (MoveToText(candidate) == lower) {
      *move = candidate;
      return true;
    }
  }
  return false;
}

uint16_t MoveToCode(const ChessMove& move) {
  static const int PromotionCodes[6] = {0, 0, 7, 6, 5, 4};  // by type: N 7, B 6, R 5, Q 4
  return uint16_t(move.From | move.To << 6 | (move.Promotion <= 5 ? PromotionCodes[move.Promotion] : 0) << 12);
}

ChessMove CodeToMove(uint16_t code) {
  static const uint8_t PromotionTypes[8] = {0, 0, 0, 0, Queen, Rook, Bishop, Knight};
  return ChessMove{uint8_t(code & 63), uint8_t((code >> 6) & 63), PromotionTypes[(code >> 12) & 7]};
}

bool ParseFen(const std::string& text, ChessPosition* position, std::string* error, std::string* notes) {
  if (notes != nullptr) notes->clear();
  std::istringstream in(text);
  std::string placement, side, castling = "-", ep = "-";
  in >> placement >> side;
  if (placement.empty()) { *error = "empty position"; return false; }
  if (!(in >> castling)) castling = "-";
  if (!(in >> ep)) ep = "-";
  ChessPosition p{};
  p.HalfMoveClock = 0;
  p.FullMoveNumber = 1;
  std::string number;
  if (in >> number) {
    char* end = nullptr;
    long value = strtol(number.c_str(), &end, 10);
    if (*end != '\0' || value < 0 || value > 10000) { *error = "bad half-move clock"; return false; }
    p.HalfMoveClock = int32_t(value);
    if (in >> number) {
      value = strtol(number.c_str(), &end, 10);
      if (*end != '\0' || value < 1 || value > 100000) { *error = "bad move number"; return false; }
      p.FullMoveNumber = int32_t(value);
    }
  }
  std::string extra;
  if (in >> extra) { *error = "unexpected text after the position"; return false; }
  int rank = 7, file = 0;
  for (char c : placement) {
    if (c == '/') {
      if (file != 8 || rank == 0) { *error = "bad rank in placement"; return false; }
      --rank;
      file = 0;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) { *error = "rank too long"; return false; }
    } else {
      const char* letters = "PNBRQK";
      const char* found = strchr(letters, toupper(static_cast<unsigned char>(c)));
      if (found == nullptr || c == '\0') { *error = std::string("bad piece letter '") + c + "'"; return false; }
      if (file > 7) { *error = "rank too long"; return false; }
      uint8_t piece = uint8_t(1 + (found - letters));
      if (islower(static_cast<unsigned char>(c))) piece |= BlackBit;
      p.Board[rank * 8 + file++] = piece;
    }
  }
  if (rank != 0 || file != 8) { *error = "placement must have eight ranks of eight squares"; return false; }
  if (side == "w") p.WhiteToMove = 1;
  else if (side == "b") p.WhiteToMove = 0;
  else { *error = "side to move must be w or b"; return false; }
  const char* unplayable = UnplayableReason(p);
  if (unplayable != nullptr) { *error = unplayable; return false; }
  if (castling != "-") {
    for (char c : castling) {
      const char* found = strchr("KQkq", c);
      if (found == nullptr || c == '\0') { *error = "bad castling field"; return false; }
      p.Castling |= 1 << (found - "KQkq");
    }
  }
  // Rights the board contradicts are dropped, as a GUI would.
  static const struct { int Right; int King; int Rook; uint8_t Colour; const char* Name; } Homes[4] = {
      {1, 4, 7, 0, "K"}, {2, 4, 0, 0, "Q"}, {4, 60, 63, BlackBit, "k"}, {8, 60, 56, BlackBit, "q"}};
  for (const auto& home : Homes) {
    if (!(p.Castling & home.Right)) continue;
    if (p.Board[home.King] == (King | home.Colour) && p.Board[home.Rook] == (Rook | home.Colour)) continue;
    p.Castling &= ~home.Right;
    Note(notes, std::string("castling right ") + home.Name + " dropped: king or rook is not at home");
  }
  p.EpSquare = -1;
  if (ep != "-") {
    if (ep.size() != 2 || ep[0] < 'a' || ep[0] > 'h' || (ep[1] != '3' && ep[1] != '6')) {
      *error = "bad en passant square";
      return false;
    }
    int square = (ep[1] - '1') * 8 + (ep[0] - 'a');
    if (DoubleStepPossible(p, square)) p.EpSquare = square;
    else Note(notes, "en passant square " + ep + " dropped: no double step with a capture behind it");
  }
  ChessPosition other = p;
  other.WhiteToMove = !p.WhiteToMove;
  if (InCheck(other)) { *error = "the side not to move is in check"; return false; }
  *position = p;
  return true;
}

std::string PositionToFen(const ChessPosition& p) {
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      uint8_t piece = p.Board[rank * 8 + file];
      if (piece == 0) { ++empty; continue; }
      if (empty) fen += char('0' + empty);
      empty = 0;
      char letter = " PNBRQK"[TypeOf(piece)];
      fen += IsBlack(piece) ? char(tolower(letter)) : letter;
    }
    if (empty) fen += char('0' + empty);
    if (rank) fen += '/';
  }
  fen += p.WhiteToMove ? " w " : " b ";
  std::string rights;
  for (int i = 0; i < 4; ++i)
    if (p.Castling & (1 << i)) rights += "KQkq"[i];
  fen += rights.empty() ? "-" : rights;
  fen += ' ';
  if (p.EpSquare >= 0) {
    fen += char('a' + FileOf(p.EpSquare));
    fen += char('1' + RankOf(p.EpSquare));
  } else {
    fen += '-';
  }
  fen += " " + std::to_string(p.HalfMoveClock) + " " + std::to_string(p.FullMoveNumber);
  return fen;
}

std::string MoveToSan(const ChessPosition& position, const ChessMove& move) {
  uint8_t piece = position.Board[move.From];
  int type = TypeOf(piece);
  std::string san;
  if (type == King && (move.To == move.From + 2 || move.From == move.To + 2)) {
    san = move.To > move.From ? "O-O" : "O-O-O";
  } else {
    bool capture = position.Board[move.To] != 0 || (type == Pawn && FileOf(move.From) != FileOf(move.To));
    if (type == Pawn) {
      if (capture) san += char('a' + FileOf(move.From));
    } else {
      san += " PNBRQK"[type];
      // Name the file, else the rank, else both when another piece of the
      // same kind can reach the square too.
      bool sameFile = false, sameRank = false, other = false;
      for (const ChessMove& rival : LegalMoves(position)) {
        if (rival.To != move.To || rival.From == move.From || position.Board[rival.From] != piece) continue;
        other = true;
        sameFile = sameFile || FileOf(rival.From) == FileOf(move.From);
        sameRank = sameRank || RankOf(rival.From) == RankOf(move.From);
      }
      if (other && (!sameFile || sameRank)) san += char('a' + FileOf(move.From));
      if (other && sameFile) san += char('1' + RankOf(move.From));
    }
    if (capture) san += 'x';
    san += char('a' + FileOf(move.To));
    san += char('1' + RankOf(move.To));
    if (move.Promotion != 0) {
      san += '=';
      san += " PNBRQK"[move.Promotion];
    }
  }
  ChessPosition next = position;
  PlayMove(&next, move);
  if (InCheck(next)) san += LegalMoves(next).empty() ? '#' : '+';
  return san;
}

std::string LineToSan(const ChessPosition& position, const std::vector<ChessMove>& line) {
  std::string text;
  ChessPosition p = position;
  for (size_t i = 0; i < line.size(); ++i) {
    if (p.WhiteToMove) text += (i > 0 ? " " : "") + std::to_string(p.FullMoveNumber) + ". ";
    else if (i == 0) text += std::to_string(p.FullMoveNumber) + "... ";
    else text += " ";
    text += MoveToSan(p, line[i]);
    PlayMove(&p, line[i]);
  }
  return text;
}
