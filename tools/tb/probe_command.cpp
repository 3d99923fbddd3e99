// obrantule-tb probe: the probe entry point's answer for positions given as
// FEN, through the same set-up, registry and cache the engine uses.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "gen_board.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"
#include "tb_commands.h"

namespace {

struct FenPosition {
  uint8_t board[64];
  int side;
  int epSquare;  // 0 when none
};

// Placement, side to move, castling (ignored), en-passant square.
bool ParseFen(const std::string& fen, FenPosition* pos) {
  std::memset(pos->board, 0, sizeof pos->board);
  size_t at = 0;
  int rank = 7, file = 0;
  for (; at < fen.size() && fen[at] != ' '; at++) {
    char c = fen[at];
    if (c == '/') {
      if (file != 8 || rank == 0) return false;
      rank--;
      file = 0;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) return false;
    } else {
      const char* letters = "pnbrqk";
      const char* p = std::strchr(letters, std::tolower(static_cast<unsigned char>(c)));
      if (!p || !*p || file > 7) return false;
      int type = int(p - letters) + 1;
      pos->board[rank * 8 + file] = uint8_t(std::isupper(static_cast<unsigned char>(c)) ? type : 8 + type);
      file++;
    }
  }
  if (rank != 0 || file != 8) return false;
  while (at < fen.size() && fen[at] == ' ') at++;
  if (at >= fen.size() || (fen[at] != 'w' && fen[at] != 'b')) return false;
  pos->side = fen[at] == 'b';
  at++;
  if (at < fen.size() && fen[at] != ' ') return false;
  while (at < fen.size() && fen[at] == ' ') at++;
  while (at < fen.size() && fen[at] != ' ') at++;  // castling rights
  while (at < fen.size() && fen[at] == ' ') at++;
  pos->epSquare = 0;
  if (at < fen.size() && fen[at] != '-') {
    if (at + 1 >= fen.size() || fen[at] < 'a' || fen[at] > 'h' || (fen[at + 1] != '3' && fen[at + 1] != '6'))
      return false;
    pos->epSquare = (fen[at] - 'a') + 8 * (fen[at + 1] - '1');
  }
  int kings[2] = {0, 0};
  for (int sq = 0; sq < 64; sq++) {
    if (pos->board[sq] == 6) kings[0]++;
    if (pos->board[sq] == 14) kings[1]++;
    if ((pos->board[sq] & 7) == 1 && (sq < 8 || sq >= 56)) return false;
  }
  return kings[0] == 1 && kings[1] == 1;
}

// Whether the side not to move stands in check (no real position).
bool OtherSideInCheck(const FenPosition& fen) {
  InitGenBoard();
  GenPosition pos;
  pos.men = 0;
  pos.toMove = fen.side;
  pos.epSquare = -1;
  int king = -1;
  for (int sq = 0; sq < 64; sq++) {
    int code = fen.board[sq];
    if (!code) continue;
    int side = code >= 8, type = code & 7;
    if (type == GenKing && side != fen.side) king = sq;
    if (side == fen.side && pos.men < GenMaxMen) {
      pos.square[pos.men] = sq;
      pos.type[pos.men] = type;
      pos.side[pos.men] = side;
      pos.men++;
    }
  }
  uint64_t occupied = 0;
  for (int sq = 0; sq < 64; sq++)
    if (fen.board[sq]) occupied |= GenBit(sq);
  return king >= 0 && GenSquareAttacked(pos, king, fen.side, occupied);
}

std::string InWords(int side, int32_t score) {
  const char* mover = side ? "black" : "white";
  const char* other = side ? "white" : "black";
  if (score == 0) return "draw";
  if (score > 0) return std::string(mover) + " mates in " + std::to_string(score);
  if (score == -1) return std::string(mover) + " is checkmated";
  return std::string(other) + " mates in " + std::to_string(-score - 1);
}

}  // namespace

int RunProbe(int argc, char** argv) {
  if (argc < 1 || argv[0][0] == '-') return CommandUsage("probe");
  std::string dir = argv[0];
  // The set-up reads its directories from the settings; a private settings
  // file points it at DIR alone.
  char settings[] = "/tmp/obrantule-tb-probe-XXXXXX";
  int fd = mkstemp(settings);
  if (fd < 0) {
    std::fprintf(stderr, "obrantule-tb probe: cannot create a settings file\n");
    return 1;
  }
  std::string text = "[Tablebase]\nPath = " + dir + "\n";
  bool wrote = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  if (!wrote) {
    unlink(settings);
    std::fprintf(stderr, "obrantule-tb probe: cannot write %s\n", settings);
    return 1;
  }
  setenv("OBRANTULE_SETTINGS", settings, 1);
  int32_t largest = TablebaseInit("");
  unlink(settings);
  if (largest == 0) std::fprintf(stderr, "obrantule-tb probe: no table files in %s\n", dir.c_str());

  std::vector<std::string> fens(argv + 1, argv + argc);
  bool fromInput = fens.empty();
  int status = 0;
  std::string line;
  for (size_t i = 0;; i++) {
    std::string fen;
    if (fromInput) {
      if (!std::getline(std::cin, line)) break;
      fen = line;
      while (!fen.empty() && (fen.back() == '\r' || fen.back() == ' ')) fen.pop_back();
      if (fen.empty()) continue;
    } else {
      if (i >= fens.size()) break;
      fen = fens[i];
    }
    FenPosition pos;
    if (!ParseFen(fen, &pos)) {
      std::printf("%s\tnone\tnot a position\n", fen.c_str());
      status = 1;
      continue;
    }
    int32_t score = 0;
    if (!TBProbeBoard(pos.board, pos.side, pos.epSquare, &score)) {
      std::printf("%s\tnone\tno table\n", fen.c_str());
      continue;
    }
    if (OtherSideInCheck(pos)) {
      std::printf("%s\t%d\tnot a position (the side not to move is in check)\n", fen.c_str(), score);
      continue;
    }
    std::printf("%s\t%d\t%s\n", fen.c_str(), score, InWords(pos.side, score).c_str());
  }
  std::fflush(stdout);
  TablebaseShutdown();
  return status;
}
