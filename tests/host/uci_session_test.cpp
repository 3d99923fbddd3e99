// Scripted UCI sessions of the obrantule program. The plug-in runs beside a
// fake engine library that pretends to search (one report per depth with a
// fixed line), so the protocol is checked exactly, without the real search.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../common/test_support.h"

namespace {

namespace fs = std::filesystem;

class UciProcess {
 public:
  explicit UciProcess(const std::string& line, const std::vector<std::string>& arguments = {},
                      const char* engine = FAKE_ENGINE, const char* nodeStep = "1000",
                      const std::string& settings = "") {
    char pattern[] = "/tmp/obrantule-uci-XXXXXX";
    directory_ = mkdtemp(pattern);
    // Written before the host starts: it may read its settings at once.
    if (!settings.empty()) std::ofstream(directory_ + "/ChssBase.ini") << settings;
    fs::copy_file(ADAPTER_MODULE, directory_ + "/Obrantule.eng");
    fs::copy_file(engine, directory_ + "/Obrantule.dll");
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) abort();
    pid_ = fork();
    if (pid_ == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, 2);
      close(toChild[1]);
      close(fromChild[0]);
      std::string plugin = directory_ + "/Obrantule.eng";
      setenv("OBRANTULE_PLUGIN", plugin.c_str(), 1);
      setenv("FAKE_ENGINE_LINE", line.c_str(), 1);
      setenv("FAKE_ENGINE_NODE_STEP", nodeStep, 1);
      setenv("OBRANTULE_SETTINGS", (directory_ + "/ChssBase.ini").c_str(), 1);
      // The host's own settings file goes with the directory too, also when
      // the test has to kill the host.
      setenv("TMPDIR", directory_.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(HOST_PROGRAM)};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(HOST_PROGRAM, argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
  }

  ~UciProcess() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(output_);
    fs::remove_all(directory_);
  }

  void Send(const std::string& line) {
    std::string text = line + "\n";
    ASSERT_EQ(write(input_, text.data(), text.size()), ssize_t(text.size()));
  }

  // Reads lines until one starts with prefix (returned last); a generous
  // bound guards against a hang.
  std::vector<std::string> ReadUntil(const std::string& prefix) {
    std::vector<std::string> lines;
    for (;;) {
      std::string line;
      if (!ReadLine(&line)) {
        ADD_FAILURE() << "no line starting with '" << prefix << "'";
        return lines;
      }
      lines.push_back(line);
      if (line.rfind(prefix, 0) == 0) return lines;
    }
  }

  void Interrupt() { kill(pid_, SIGINT); }
  void Signal(int signalNumber) { kill(pid_, signalNumber); }
  pid_t Pid() const { return pid_; }

  // Closes the input and waits for the exit status.
  int Finish() {
    close(input_);
    input_ = -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Directory() const { return directory_; }

 private:
  bool ReadLine(std::string* line) {
    for (;;) {
      size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        *line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return true;
      }
      struct pollfd descriptor = {output_, POLLIN, 0};
      if (poll(&descriptor, 1, 20000) <= 0) return false;
      char chunk[4096];
      ssize_t got = read(output_, chunk, sizeof(chunk));
      if (got <= 0) return false;
      buffer_.append(chunk, size_t(got));
    }
  }

  std::string directory_;
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffer_;
};

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(UciSession, HandshakeOptionsAndReady) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("uci");
  std::vector<std::string> lines = uci.ReadUntil("uciok");
  EXPECT_EQ(lines[0], "id name Fake 1.0");
  EXPECT_EQ(lines[1], "id author Fake Author");
  EXPECT_TRUE(Contains(lines, "option name Hash type spin default 64 min 1 max 4096"));
  EXPECT_TRUE(Contains(lines, "option name Ponder type check"));
  EXPECT_TRUE(Contains(lines, "option name Clear Hash type button"));
  EXPECT_TRUE(Contains(lines, "option name TablebasePath type string"));
  EXPECT_TRUE(Contains(lines, "option name TablebaseCacheKB type spin"));
  // The engine's own parameters, from the plug-in's table.
  EXPECT_TRUE(Contains(lines, "option name Contempt type spin default 10 min -50 max 50"));
  uci.Send("isready");
  EXPECT_EQ(uci.ReadUntil("readyok").size(), 1u);
  uci.Send("quit");
  EXPECT_EQ(uci.Finish(), 0);
}

TEST(UciSession, FixedDepthReportsAndAnswers) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  uci.Send("go depth 3");
  std::vector<std::string> lines = uci.ReadUntil("bestmove");
  EXPECT_EQ(lines.back(), "bestmove e7e5 ponder g1f3");
  EXPECT_TRUE(Contains(lines, "info depth 3 score cp 13 nodes 3000 nps"));
  EXPECT_TRUE(Contains(lines, "tbhits 0 time"));
  EXPECT_TRUE(Contains(lines, "pv e7e5 g1f3"));
  EXPECT_FALSE(Contains(lines, "depth 4"));
}

// The settings file is the user's: an overlong number must neither overflow
// nor put the option's default outside its own range.
TEST(UciSession, CacheSizeFromTheSettingsFileIsKeptInRange) {
  for (const char* written : {"99999999999999999999999", "-5", "2048"}) {
    UciProcess uci("e7e5 g1f3", {}, FAKE_ENGINE, "1000", "[Tablebase]\nCacheSizeKB=" + std::string(written) + "\n");
    uci.Send("uci");
    std::vector<std::string> lines = uci.ReadUntil("uciok");
    const std::string expected = std::string(written) == "2048" ? "2048" : written[0] == '-' ? "1024" : "1048576";
    EXPECT_TRUE(Contains(lines, "option name TablebaseCacheKB type spin default " + expected + " min 1024"))
        << written;
    uci.Send("quit");
    EXPECT_EQ(uci.Finish(), 0);
  }
}

// A changed setting lives in a file of the host's own until the host ends,
// by "quit" or by a signal from a GUI or a terminal.
TEST(UciSession, HostSettingsFileGoesWithTheHost) {
  for (int ending : {0, SIGTERM, SIGHUP, SIGINT}) {
    UciProcess uci("e7e5 g1f3");
    const std::string file = uci.Directory() + "/obrantule-" + std::to_string(uci.Pid()) + "-ChssBase.ini";
    uci.Send("setoption name TablebaseCacheKB value 2048");
    uci.Send("isready");
    uci.ReadUntil("readyok");
    EXPECT_TRUE(fs::exists(file)) << ending;
    if (ending == 0) {
      uci.Send("quit");
      EXPECT_EQ(uci.Finish(), 0);
    } else {
      uci.Signal(ending);
      uci.Finish();
    }
    EXPECT_FALSE(fs::exists(file)) << ending;
  }
}

// The engine's count is 32 bits and wraps after about 25 minutes; the host's
// totals must keep growing past it.
TEST(UciSession, NodeTotalsGoPastThe32BitWrap) {
  UciProcess uci("e7e5 g1f3", {}, FAKE_ENGINE, "0x30000000");
  uci.Send("position startpos moves e2e4");
  uci.Send("go depth 12");
  std::vector<std::string> lines = uci.ReadUntil("bestmove");
  uint64_t last = 0;
  int32_t reports = 0;
  for (const std::string& line : lines) {
    size_t at = line.find(" nodes ");
    if (line.rfind("info depth", 0) != 0 || at == std::string::npos) continue;
    uint64_t nodes = std::stoull(line.substr(at + 7));
    EXPECT_GE(nodes, last) << line;
    last = nodes;
    ++reports;
  }
  EXPECT_GE(reports, 12);
  EXPECT_EQ(last, 12ull * 0x30000000ull);  // past 2^32 twice
}

TEST(UciSession, HostEndsDeepDepthNodesAndMovetimeSearches) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  // Deeper than the plug-in's depth mode allows: the host stops after it.
  uci.Send("go depth 22");
  std::vector<std::string> lines = uci.ReadUntil("bestmove");
  EXPECT_TRUE(Contains(lines, "info depth 22 score cp 32"));
  EXPECT_FALSE(Contains(lines, "info depth 23 score"));
  EXPECT_EQ(lines.back(), "bestmove e7e5 ponder g1f3");
  // The node report of depth 5 reaches the limit: that depth's line is cut.
  uci.Send("go nodes 5000");
  lines = uci.ReadUntil("bestmove");
  EXPECT_TRUE(Contains(lines, "nodes 4000"));
  EXPECT_FALSE(Contains(lines, "nodes 6000"));
  uci.Send("go movetime 30");
  lines = uci.ReadUntil("bestmove");
  EXPECT_EQ(lines.back(), "bestmove e7e5 ponder g1f3");
}

TEST(UciSession, InfiniteWaitsForStop) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  uci.Send("go infinite");
  // The fake finishes its last depth by itself; the move must still wait.
  uci.ReadUntil("info depth 29 score");
  uci.Send("isready");
  std::vector<std::string> lines = uci.ReadUntil("readyok");
  EXPECT_FALSE(Contains(lines, "bestmove"));
  uci.Send("stop");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove e7e5 ponder g1f3");
  // A "go" while thinking ends the running search first: two answers.
  uci.Send("go infinite");
  uci.Send("go depth 2");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove e7e5 ponder g1f3");
  std::vector<std::string> second = uci.ReadUntil("bestmove");
  EXPECT_TRUE(Contains(second, "info depth 2 score"));
  EXPECT_FALSE(Contains(second, "info depth 3 score"));
}

TEST(UciSession, PonderWaitsForPonderHit) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  uci.Send("go ponder wtime 60000 btime 60000 winc 1000 binc 1000");
  uci.ReadUntil("info depth 29 score");
  uci.Send("isready");
  EXPECT_FALSE(Contains(uci.ReadUntil("readyok"), "bestmove"));
  uci.Send("ponderhit");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove e7e5 ponder g1f3");
  // A ponder search that is stopped answers as well.
  uci.Send("go ponder wtime 60000 btime 60000");
  uci.Send("stop");
  EXPECT_EQ(uci.ReadUntil("bestmove").back().rfind("bestmove ", 0), 0u);
}

TEST(UciSession, BadInputIsReportedAndTheStateKept) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  uci.Send("flurb");
  EXPECT_TRUE(Contains(uci.ReadUntil("info string error"), "unknown command: flurb"));
  // An overlong bad command is echoed only in part.
  uci.Send(std::string(5000, 'x'));
  std::vector<std::string> lines = uci.ReadUntil("info string error");
  EXPECT_LT(lines.back().size(), 100u);
  uci.Send("setoption name Hash value 0");
  EXPECT_TRUE(Contains(uci.ReadUntil("info string error"), "Hash must be"));
  uci.Send("setoption name Contempt value 99");
  EXPECT_TRUE(Contains(uci.ReadUntil("info string error"), "Contempt must be"));
  uci.Send("setoption name Nonsense value 1");
  EXPECT_TRUE(Contains(uci.ReadUntil("info string error"), "no such option"));
  uci.Send(std::string("\x01\xff garbage \x7f", 13));
  uci.ReadUntil("info string error");
  // The position after e2e4 still stands: the fake's line is legal there.
  uci.Send("setoption name Contempt value 20");
  uci.Send("setoption name Hash value 16");
  uci.Send("go depth 2");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove e7e5 ponder g1f3");
  // End of input ends the program cleanly.
  EXPECT_EQ(uci.Finish(), 0);
}

// After a refused position no move may come for the position before it: the
// GUI would play it in the wrong game. Until a good position arrives every
// go answers bestmove 0000 with an error.
TEST(UciSession, RefusedPositionIsNeverSearched) {
  UciProcess uci("e7e5 g1f3");
  const char* refused[] = {
      "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",  // seven ranks
      "position startpos moves e2e4 e7e5 g1g3",                        // illegal move
      "position fen 4kk2/8/8/8/8/8/8/4K3 w - - 0 1",                  // two black kings
      "position fen P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                  // pawn on the last rank
      "position fen 4k3/8/8/8/8/8/PPPPPPPP/NNN1K3 w - - 0 1",          // a knight too many
      "position fen 4k3/8/8/8/8/8/4r3/4K3 b - - 0 1",                  // the side not to move is in check
      "position nonsense",
  };
  for (const char* command : refused) {
    uci.Send("position startpos moves e2e4");
    uci.Send(command);
    uci.Send("go depth 3");
    std::vector<std::string> lines = uci.ReadUntil("bestmove");
    EXPECT_TRUE(Contains(lines, "info string error")) << command;
    EXPECT_EQ(lines.back(), "bestmove 0000") << command;
  }
  uci.Send("position startpos moves e2e4");
  uci.Send("go depth 3");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove e7e5 ponder g1f3");
}

// Every go gets exactly one bestmove, whatever its words: limits below 1 give
// the smallest search, unusable words a bounded one, each with an info string.
TEST(UciSession, EveryGoIsAnsweredExactlyOnce) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos moves e2e4");
  struct { const char* Go; const char* Said; int DeepestDepth; } cases[] = {
      {"go depth 0", "depth 0 is below 1", 1},
      {"go movetime 0", "movetime 0 is below 1", 1},
      {"go movetime -100", "movetime -100 is below 1", 1},
      {"go nodes 0", "nodes 0 is below 1", 1},
      {"go nodes -1", "nodes -1 is below 1", 1},
      {"go go go", "searching to depth 10", 10},
      {"go depth x", "bad value 'x' for depth", 10},
      {"go mate 3", "mate in 3 or less", 9},
      {"go searchmoves e7e5 d7d5 depth 4", "searchmoves is not supported", 4},
      {"go wtime 1000 btime 1000 winc -5 binc -5", "negative increment counts as 0", 29},
      {"go wtime -20 btime -20", "", 29},
      {"go wtime 1999 btime 1999", "", 29},
      {"go wtime 1500 btime 1500 movestogo 1", "", 29},
      {"go btime 100 movestogo -3 depth 2", "negative movestogo", 2},
      {"go wtime 5000", "searching to depth 10", 10},  // Black to move: no clock of its own
  };
  for (const auto& c : cases) {
    uci.Send(c.Go);
    std::vector<std::string> lines = uci.ReadUntil("bestmove");
    EXPECT_EQ(lines.back(), "bestmove e7e5 ponder g1f3") << c.Go;
    if (c.Said[0] != '\0') {
      EXPECT_TRUE(Contains(lines, c.Said)) << c.Go;
    }
    EXPECT_FALSE(Contains(lines, "info depth " + std::to_string(c.DeepestDepth + 1) + " score")) << c.Go;
    // Nothing more follows: the next answer is the readyok.
    uci.Send("isready");
    EXPECT_EQ(uci.ReadUntil("readyok").size(), 1u) << c.Go;
  }
}

TEST(UciSession, IllegalEngineLineFallsBackToALegalMove) {
  UciProcess uci("e7e5 g1f3");
  uci.Send("position startpos");  // the fake's line is illegal for White
  uci.Send("go depth 3");
  std::vector<std::string> lines = uci.ReadUntil("bestmove");
  EXPECT_EQ(lines.back(), "bestmove b1c3");
  EXPECT_FALSE(Contains(lines, " pv "));
  // Checkmated: no legal move at all.
  uci.Send("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
  uci.Send("go depth 3");
  EXPECT_EQ(uci.ReadUntil("bestmove").back(), "bestmove 0000");
}

TEST(AnalyseCommand, CtrlCStopsAnInfiniteAnalysisAndPrintsTheMove) {
  UciProcess analyse("e7e5 g1f3", {"analyse", "--moves", "e2e4", "--infinite"});
  // The fake finishes its depths by itself; the analysis still waits.
  std::vector<std::string> lines = analyse.ReadUntil("   29");
  // One line per depth, in standard notation, from White's view.
  EXPECT_TRUE(Contains(lines, "   -0.39"));
  EXPECT_TRUE(Contains(lines, "1... e5 2. Nf3"));
  EXPECT_EQ(lines.back().find("   28"), std::string::npos);
  analyse.Interrupt();
  EXPECT_EQ(analyse.ReadUntil("Best move").back(), "Best move: e5 (e7e5), expected reply Nf3 (g1f3)");
  EXPECT_EQ(analyse.Finish(), 0);
}

TEST(AnalyseCommand, RefusesBadInput) {
  UciProcess badMove("e7e5", {"analyse", "--moves", "e2e5"});
  EXPECT_EQ(badMove.Finish(), 2);
  UciProcess badFen("e7e5", {"analyse", "--fen", "8/8/8 w - - 0 1"});
  EXPECT_EQ(badFen.Finish(), 2);
  UciProcess badDepth("e7e5", {"analyse", "--depth", "0"});
  EXPECT_EQ(badDepth.Finish(), 2);
}

// The same protocol with the real engine behind the plug-in: real reports,
// moves that are legal in the position, searches that end as the limits say.
TEST(UciSessionRealEngine, WholeChainAnswersEveryKindOfSearch) {
  UciProcess uci("", {}, REAL_ENGINE);
  uci.Send("uci");
  std::vector<std::string> lines = uci.ReadUntil("uciok");
  EXPECT_TRUE(Contains(lines, "id name Obrantule"));
  uci.Send("setoption name Hash value 16");
  uci.Send("isready");
  uci.ReadUntil("readyok");
  // Scholar's mate threat: Qxf7 is mate, found at any depth.
  uci.Send("position startpos moves e2e4 e7e5 d1h5 b8c6 f1c4 g8f6");
  uci.Send("go depth 3");
  lines = uci.ReadUntil("bestmove");
  EXPECT_EQ(lines.back(), "bestmove h5f7");
  EXPECT_TRUE(Contains(lines, "score mate 1"));
  // A fixed depth: reports up to that depth and no further.
  uci.Send("position startpos moves e2e4 e7e5");
  uci.Send("go depth 6");
  lines = uci.ReadUntil("bestmove");
  EXPECT_TRUE(Contains(lines, "info depth 6 "));
  EXPECT_FALSE(Contains(lines, "info depth 7 "));
  uci.Send("go infinite");
  uci.ReadUntil("info depth 2");
  uci.Send("stop");
  lines = uci.ReadUntil("bestmove");
  EXPECT_NE(lines.back(), "bestmove 0000");
  uci.Send("go ponder wtime 2000 btime 2000 winc 100 binc 100");
  uci.ReadUntil("info depth 2");
  uci.Send("ponderhit");
  lines = uci.ReadUntil("bestmove");
  EXPECT_NE(lines.back(), "bestmove 0000");
  uci.Send("go movetime 200");
  uci.ReadUntil("bestmove");
  uci.Send("quit");
  EXPECT_EQ(uci.Finish(), 0);
}

// obrantule bench goes through host, plug-in and engine; with tablebases off
// it must count exactly what obrantule-dev bench counts with the engine alone.
TEST(BenchCommand, WholeChainCountsTheEngineBenchNodes) {
  auto lastLines = [](const std::string& command) {
    int status = -1;
    std::string out = RunCommand(command + " 2>/dev/null", &status);
    EXPECT_EQ(status, 0) << command;
    size_t at = out.find("Nodes searched: ");
    return at == std::string::npos ? std::string() : out.substr(at, out.find('\n', at) - at);
  };
  std::string chain = lastLines(std::string(HOST_PROGRAM) + " bench 4");
  std::string alone = lastLines(std::string(DEV_PROGRAM) + " bench 4");
  EXPECT_FALSE(chain.empty());
  EXPECT_EQ(chain, alone);
}
