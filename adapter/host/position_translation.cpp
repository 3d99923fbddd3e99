// Start of thinking: the host's game record turned into the engine's
// position text and game moves, the time control, and the move code
// conversions between the host's 16-bit codes and coordinate text.
#include <cstring>

#include "../platform/platform.h"
#include "adapter_state.h"
#include "../tablebase/tablebase_probe.h"

namespace {

const char PieceLetters[] = "XPNBRQKYxpnbrqky";
const char PromotionLetters[] = "QRBN";

int32_t FileOf(int32_t square) { return square & 7; }

// En passant: the engine learns the right only from a replayed double step,
// so the position before that step is rebuilt when the step can really have
// been played: the target square on the third or sixth rank, the enemy pawn
// on the square beyond it, the square it passed and its start square empty,
// a pawn of the side to move beside it, and the position before the step
// playable. Otherwise the square is dropped.
int32_t RebuildDoubleStep(GameRecord* game, char* replay) {
  int32_t e = game->EpSquare;
  game->EpSquare = 0;
  const int32_t white = game->WhiteToMove != 0 ? 1 : 0;
  // Rank 6 when white takes, rank 3 when black does.
  if (e >> 3 != (white ? 5 : 2)) return 0;
  const int32_t forward = white ? 8 : -8;  // the side to move's direction
  const int32_t pawn = e - forward;
  const int32_t start = e + forward;
  const uint8_t ours = uint8_t(white ? HostPawn : HostBlack + HostPawn);
  const uint8_t theirs = uint8_t(white ? HostBlack + HostPawn : HostPawn);
  uint8_t* board = game->Board;
  if (board[pawn] != theirs || board[e] != 0 || board[start] != 0) return 0;
  bool capturer = (FileOf(pawn) != 0 && board[pawn - 1] == ours) || (FileOf(pawn) != 7 && board[pawn + 1] == ours);
  if (!capturer) return 0;
  uint8_t before[64];
  memcpy(before, board, sizeof before);
  before[start] = theirs;
  before[pawn] = 0;
  if (!BoardIsPlayable(before, !white)) return 0;
  memcpy(board, before, sizeof before);
  game->WhiteToMove = uint8_t(!white);
  MoveCodeToText(uint32_t(start | pawn << 6), replay);
  return 1;
}

void CheckCastlingRights(GameRecord* game) {
  uint8_t rights = game->CastlingRights;
  if (rights == 0) return;
  const uint8_t* board = game->Board;
  if (board[4] != HostKing) {
    rights &= uint8_t(~(CastleWhiteShort | CastleWhiteLong));
  } else {
    if (board[0] != HostRook) rights &= uint8_t(~CastleWhiteLong);
    if (board[7] != HostRook) rights &= uint8_t(~CastleWhiteShort);
  }
  if (board[60] != HostBlack + HostKing) {
    rights &= uint8_t(~(CastleBlackShort | CastleBlackLong));
  } else {
    if (board[56] != HostBlack + HostRook) rights &= uint8_t(~CastleBlackLong);
    if (board[63] != HostBlack + HostRook) rights &= uint8_t(~CastleBlackShort);
  }
  game->CastlingRights = rights;
}

}  // namespace

// Writes the record's position as text; text needs room for 96 characters.
void BuildPositionText(const GameRecord* game, char* text) {
  char* out = text;
  for (int32_t rank = 7; rank >= 0; --rank) {
    int32_t empty = 0;
    for (int32_t file = 0; file < 8; ++file) {
      uint8_t piece = game->Board[rank * 8 + file];
      if (piece == 0) {
        ++empty;
        continue;
      }
      if (empty > 0) *out++ = char('0' + empty);
      empty = 0;
      *out++ = PieceLetters[piece & 15];
    }
    if (empty > 0) *out++ = char('0' + empty);
    if (rank > 0) *out++ = '/';
  }
  *out++ = ' ';
  *out++ = game->WhiteToMove != 0 ? 'w' : 'b';
  *out++ = ' ';
  uint8_t rights = game->CastlingRights;
  if ((rights & (CastleWhiteShort | CastleWhiteLong | CastleBlackShort | CastleBlackLong)) == 0) *out++ = '-';
  if (rights & CastleWhiteShort) *out++ = 'K';
  if (rights & CastleWhiteLong) *out++ = 'Q';
  if (rights & CastleBlackShort) *out++ = 'k';
  if (rights & CastleBlackLong) *out++ = 'q';
  strcpy(out, " - 0 0");
}

void MoveCodeToText(uint32_t code, char* text) {
  text[0] = char('a' + (code & 7));
  text[1] = char('1' + ((code >> 3) & 7));
  text[2] = char('a' + ((code >> 6) & 7));
  text[3] = char('1' + ((code >> 9) & 7));
  text[4] = '\0';
  uint32_t promotion = (code >> 12) & 7;
  if ((code >> 12) != 0 && promotion >= 4) {
    text[4] = PromotionLetters[promotion - 4];
    text[5] = '\0';
  }
}

HostMoveCode TextToMoveCode(const char* text) {
  if (text[0] < 'a' || text[0] > 'h') return 0;
  uint32_t code = uint32_t(text[0] - 'a');
  if (text[1] < '1' || text[1] > '8') return HostMoveCode(code);
  code |= uint32_t(text[1] - '1') << 3;
  if (text[2] < 'a' || text[2] > 'h') return HostMoveCode(code);
  code |= uint32_t(text[2] - 'a') << 6;
  if (text[3] < '1' || text[3] > '8') return HostMoveCode(code);
  code |= uint32_t(text[3] - '1') << 9;
  const char* letter = text[4] != '\0' ? strchr(PromotionLetters, text[4]) : nullptr;
  if (letter != nullptr) code |= uint32_t(4 + (letter - PromotionLetters)) << 12;
  return HostMoveCode(code);
}

// Sends the record's position and game moves to the engine; 0 when the
// record cannot be sent: a board that is no playable position (the engine
// then sees nothing and the record is left as it was), too many game moves,
// or a move code 0.
int32_t SetEnginePosition(GameRecord* game) {
  const EngineEntryTable& engine = Adapter.Engine;
  const int32_t count = game->MoveCount;
  // A count beyond the record's move array cannot be replayed faithfully.
  if (count > GameMoveCapacity) return 0;
  if (game->StartsFromInitial != 0) {
    engine.SetStartPosition();
  } else {
    if (!BoardIsPlayable(game->Board, game->WhiteToMove)) return 0;
    char replay[8];
    int32_t hasReplay = RebuildDoubleStep(game, replay);
    CheckCastlingRights(game);
    char text[96];
    BuildPositionText(game, text);
    engine.SetPosition(text);
    if (hasReplay) engine.EnterMove(replay);
  }
  if (count == 0 || engine.EnterMove == nullptr) return 1;
  for (int32_t i = 0; i < count; ++i) {
    if (game->Moves[i] == 0) return 0;
    char text[8];
    MoveCodeToText(game->Moves[i], text);
    engine.EnterMove(text);
  }
  return 1;
}

void PassTimeControl(const GameRecord* game) {
  const EngineEntryTable& engine = Adapter.Engine;
  switch (game->TimeMode) {
    case TimeModeDepth:
      engine.SetDepth(game->Depth >= 1 && game->Depth <= 20 ? game->Depth : 5);
      break;
    case TimeModeBlitz:
      engine.SetBlitz(game->TimeBase, game->Increment);
      break;
    case TimeModeMovesInTime:
      engine.SetTime(game->MovesToGo, game->TimeBase);
      break;
    default:
      engine.SetInfinite();
      break;
  }
}

extern "C" int32_t HOSTCALL Eng9(void* gameRecord) {
  GameRecord* game = static_cast<GameRecord*>(gameRecord);
  // Thinking needs an open connection, and one analysis runs at a time.
  if (game == nullptr || !EnterConnection()) return 0;
  if (!BeginThinking()) {
    LeaveConnection();
    return 0;
  }
  AcquireEngineUse();
  ApplyPendingHashClear();
  int32_t result = 0;
  if (SetEnginePosition(game)) {
    PassTimeControl(game);
    PushEngineParameters();
    AnalysisRecord* analysis = Adapter.Analysis;
    if (analysis != nullptr) PostToHost(MessageAnalysisStart, analysis->HostValue16, analysis->HostValue8, analysis);
    TablebaseProbeCount.store(0, std::memory_order_relaxed);
    Adapter.StartTick = PlatformTickCount();
    // What arrives from here on is passed on once the engine has begun
    // (analysis_requests.cpp).
    int32_t requests = Adapter.Requests.load(std::memory_order_relaxed);
    Adapter.PonderOffAtStart = (requests & PonderOffBit) != 0 ? 1 : 0;
    if (Adapter.Engine.Analyse != nullptr && (requests & StopBit) == 0)
      result = Adapter.Engine.Analyse(Adapter.PonderOffAtStart ? 0 : game->AnalyseValue);
  }
  ApplyPendingHashClear();
  ReleaseEngineUse();
  EndThinking();
  LeaveConnection();
  return result;
}
