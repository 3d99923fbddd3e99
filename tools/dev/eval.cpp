// obrantule-dev eval [--window ALPHA BETA] [FEN [MOVE...]]: the static
// evaluation of a position, set up the way an analysis sets it up, with a
// breakdown of its terms; with a window also what a search node with that
// window gets (the lazy exit may answer with the material alone).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "engine/engine.h"
#include "engine/eval.h"
#include "engine/root.h"
#include "position_args.h"

namespace {

const char* PhaseName(int32_t phase) {
  switch (phase) {
    case 0: return "middlegame";
    case 1: return "endgame";
    default: return "mating endgame";
  }
}

const char* MatingName(int32_t c) {
  switch (c) {
    case 1: return "king and queen or rook against king";
    case 2: return "king, bishop and knight against king";
    case 3: return "king and two bishops against king";
    default: return "none";
  }
}

void PrintBoard() {
  static const char Letters[] = "kqrbnp.PNBRQK";
  for (int32_t rank = 7; rank >= 0; --rank) {
    std::printf("  %d ", rank + 1);
    for (int32_t file = 0; file < 8; ++file) {
      const int32_t p = SearchBoard[21 + 10 * rank + file];
      std::printf(" %c", (p >= -6 && p <= 6) ? Letters[p + 6] : '?');
    }
    std::printf("\n");
  }
  std::printf("     a b c d e f g h\n");
}

void Row(const char* name, int32_t white, int32_t black) {
  std::printf("  %-26s %+6d %+6d\n", name, white, black);
}

bool ParseScore(const char* text, int32_t& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < -32000 || v > 32000) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int EvalCommand(int argc, char** argv) {
  if (argc >= 1 && (std::strcmp(argv[0], "-h") == 0 || std::strcmp(argv[0], "--help") == 0)) {
    std::printf("usage: obrantule-dev eval [--window ALPHA BETA] [FEN [MOVE...]]\n");
    return 0;
  }
  bool window = false;
  int32_t alpha = -32000;
  int32_t beta = 32000;
  if (argc >= 1 && std::strcmp(argv[0], "--window") == 0) {
    if (argc < 3 || !ParseScore(argv[1], alpha) || !ParseScore(argv[2], beta) || alpha >= beta) {
      std::fprintf(stderr, "obrantule-dev eval: --window needs ALPHA < BETA, each from -32000 to 32000\n");
      return 2;
    }
    window = true;
    argc -= 3;
    argv += 3;
  }
  if (!SetUpDevPosition(argc, argv, "eval")) return 1;

  ExplainEvaluation = 1;
  // The position as the root driver installs it before a search.
  InstallGamePosition();
  const int32_t checkProbe = RootCheckProbe();

  LastEvalTerms = EvalTerms{};
  const int32_t score = Evaluate(-32000, 32000);
  const EvalTerms t = LastEvalTerms;
  // The same position again: the pawn terms now come from the cache and
  // must give the same score.
  LastEvalTerms = EvalTerms{};
  const int32_t again = Evaluate(-32000, 32000);
  const EvalTerms cached = LastEvalTerms;

  PrintBoard();
  std::printf("Side to move: %s\n", SideToMove == White ? "white" : "black");
  std::printf("Piece material: %d\n", t.PieceMaterial);
  std::printf("Material balance (side to move): %+d\n", t.Material);
  std::printf("Game phase: %d (%s)\n", GamePhase, PhaseName(GamePhase));
  std::printf("Mating class: %d (%s)", MatingClass, MatingName(MatingClass));
  if (MatingClass != 0) {
    std::printf(", strong side %s", StrongSide == White ? "white" : "black");
    if (MatingClass == 2) std::printf(", %s-squared bishop", BishopColour == 1 ? "light" : "dark");
  }
  std::printf("\n");
  if (checkProbe != 0) std::printf("Note: the side not to move is in check (root probe %d)\n", checkProbe);

  if (t.Path == EvalPathDeadDraw) {
    std::printf("Neither side has mating material: dead draw\n");
  } else if (t.Path == EvalPathMating) {
    std::printf("Mating endgame terms (white's view):\n");
    std::printf("  white men                  %+6d\n", t.MatingWhiteMen);
    std::printf("  black men                  %+6d\n", t.MatingBlackMen);
    std::printf("  lone king                  %+6d\n", t.MatingLoneKing);
  } else if (t.Path == EvalPathMiddlegame || t.Path == EvalPathEndgame) {
    const bool middle = t.Path == EvalPathMiddlegame;
    std::printf("Pawn score (white's view): %+d (%s)\n", t.PawnScore,
                t.PawnCacheHit ? "pawn cache hit" : "computed on a pawn cache miss, then stored");
    if (!t.PawnCacheHit) {
      std::printf("  %-26s %6s %6s\n", "pawn terms", "white", "black");
      Row(middle ? "king placement" : "king centralisation", t.PawnKingWhite, t.PawnKingBlack);
      if (middle) Row("pawn shelter", t.ShelterWhite, t.ShelterBlack);
      Row("pawns", t.PawnsWhite, t.PawnsBlack);
      if (!middle) {
        Row("weak pawns near the king", t.WeakNearKingWhite, t.WeakNearKingBlack);
        std::printf("  %-26s %+6d\n", "pawn race", t.Race);
      }
    }
    std::printf("  %-26s %6s %6s\n", middle ? "middlegame terms" : "endgame terms", "white", "black");
    if (middle) Row("castling and king cover", t.KingWhite, t.KingBlack);
    if (!middle) Row("passed-pawn extras", t.PassedWhite, t.PassedBlack);
    Row("knights", t.KnightsWhite, t.KnightsBlack);
    Row("bishops and pair", t.BishopsWhite, t.BishopsBlack);
    Row("rooks and seventh rank", t.RooksWhite, t.RooksBlack);
    Row("queens", t.QueensWhite, t.QueensBlack);
  }
  if (t.Path != EvalPathDeadDraw) {
    std::printf("Positional score (white's view): %+d\n", t.Positional);
    std::printf("Side to move's score before correction: %+d\n", t.BeforeCorrection);
    if (t.WhiteInsufficient || t.BlackInsufficient) {
      std::printf("Insufficient material: %s cannot win; ", t.WhiteInsufficient ? "white" : "black");
      if (score != t.BeforeCorrection) {
        std::printf("its lead is cut by 170: %+d\n", score - t.BeforeCorrection);
      } else {
        std::printf("it does not lead, no correction\n");
      }
    }
  }
  if (t.Path == EvalPathMiddlegame || t.Path == EvalPathEndgame) {
    if (again != score || !cached.PawnCacheHit) {
      std::printf("Warning: re-evaluation gave %d (%s)\n", again, cached.PawnCacheHit ? "cache hit" : "cache miss");
    } else {
      std::printf("Pawn cache: re-evaluation hits the cache and gives the same score\n");
    }
  }
  if (window) {
    LastEvalTerms = EvalTerms{};
    const int32_t windowed = Evaluate(alpha, beta);
    if (LastEvalTerms.Path == EvalPathLazy) {
      std::printf("Window (%d, %d): lazy exit, the material balance %+d is returned\n", alpha, beta, windowed);
    } else {
      std::printf("Window (%d, %d): full evaluation %+d\n", alpha, beta, windowed);
    }
  }
  std::printf("Evaluation: %d\n", score);
  return 0;
}

}  // namespace

OBRANTULE_DEV_COMMAND(eval, "eval [--window ALPHA BETA] [FEN [MOVE...]]", EvalCommand);
