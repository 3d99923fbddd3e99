// Stop, ponder-off and close requests sent from a second thread at random
// moments around an analysis (run under ThreadSanitizer too): each is
// honoured exactly once, or the analysis never began; the engine is never
// closed under a running analysis. Parameter edits and hash clears from a
// second thread are handed over without a race.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "test_host.h"

namespace {

void Spin(uint32_t rounds) {
  std::atomic<uint32_t> counter{0};
  for (uint32_t i = 0; i < rounds; ++i) counter.fetch_add(1, std::memory_order_relaxed);
}

enum Kind { Stop, PonderOffThenStop, Close };

}  // namespace

TEST(AdapterRaces, RequestsFromAnotherThreadAtAnyMoment) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  host.SetWaitForStop(1);
  std::mt19937 random(20261208);
  // The analysis was announced to the host: the engine is called next,
  // after a pause of random length.
  static std::atomic<int32_t> announced;
  static std::atomic<uint32_t> pause;
  OnPost = [](int32_t message) {
    if (message != MessageAnalysisStart) return;
    announced.store(1);
    // On a busy machine the other thread may run only when this one yields.
    for (uint32_t i = pause.load() % 3; i > 0; --i) std::this_thread::yield();
    Spin(pause.load());
  };
  for (int32_t round = 0; round < 300; ++round) {
    if (host.Eng.Eng5() == 0) {
      ASSERT_EQ(host.Connect(), 0);
    }
    host.ClearEngineLog();
    Posts.clear();
    announced.store(0);
    pause.store(random() % 4000);
    const Kind kind = Kind(round % 3);
    // Mostly short delays, some long, after one of two moments: the narrow
    // windows count most.
    const bool afterAnnouncement = random() % 2 == 0;
    const uint32_t delay = random() % (2u << (random() % 14));
    const uint32_t secondDelay = random() % (2u << (random() % 12));
    GameRecord game{};
    game.StartsFromInitial = 1;
    game.TimeMode = TimeModeInfinite;
    game.AnalyseValue = 1;
    std::thread thinker([&] { host.Eng.Eng9(&game); });
    std::thread requester([&] {
      // A stop or ponder-off before Eng9 began belongs to no analysis; a
      // close may come at any moment.
      for (uint32_t i = 1; afterAnnouncement ? announced.load() == 0 : kind != Close && host.Eng.Eng4() == 0; ++i)
        if (i % 4096 == 0) std::this_thread::yield();
      Spin(delay);
      if (kind == Close) {
        host.Eng.Eng2();
        return;
      }
      if (kind == PonderOffThenStop) {
        host.Eng.Eng10();
        while (host.EngineSearching() == 0 && host.Eng.Eng4() != 0) std::this_thread::yield();
        Spin(secondDelay);
      }
      host.Eng.Eng3();
    });
    thinker.join();
    requester.join();

    const std::vector<std::string> log = Lines(host.EngineLog());
    int32_t mode = -1;
    std::string end;
    size_t endAt = 0;
    for (size_t i = 0; i < log.size(); ++i) {
      if (log[i].rfind("Analyse ", 0) == 0) mode = std::stoi(log[i].substr(8));
      if (log[i].rfind("AnalyseEnd ", 0) == 0) {
        end = log[i].substr(11);
        endAt = i;
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + " kind " + std::to_string(kind) + " delay " +
                 std::to_string(delay));
    // Every analysis that began was stopped by the request.
    if (mode >= 0) {
      ASSERT_NE(end, "") << host.EngineLog();
      EXPECT_EQ(end.substr(end.size() - 8), " stopped") << end;
    }
    if (kind == PonderOffThenStop && mode >= 0) {
      // Either the analysis began without pondering, or the engine saw the
      // ponder-off exactly once.
      const int32_t hits = std::stoi(end);
      EXPECT_TRUE((mode == 0 && hits == 0) || (mode == 1 && hits == 1)) << host.EngineLog();
    }
    if (kind == Close) {
      EXPECT_EQ(host.Eng.Eng5(), 0);
      ASSERT_FALSE(log.empty());
      EXPECT_EQ(log.back(), "Quit");
      if (mode >= 0) {
        EXPECT_LT(endAt, log.size() - 1) << host.EngineLog();
      }
    }
    EXPECT_EQ(host.Eng.Eng4(), 0);
    if (HasFatalFailure() || HasNonfatalFailure()) break;
  }
}

// Parameter edits (Eng14) and hash clears (Eng15) from a second thread while
// analyses start and end: the change flags are handed over under a lock and a
// clear never runs inside an analysis. Meaningful under ThreadSanitizer.
TEST(AdapterRaces, ParameterEditsAndHashClearsBesideAnalyses) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  static TestInstallation* installation;
  static std::atomic<int32_t> clearsInside;
  installation = &host;
  clearsInside.store(0);
  host.SetAnalyseHook([](const EngineCallbacks* engine) {
    const int32_t before = installation->EngineClearCount();
    engine->ShowDepth(1, 0);
    Spin(2000);
    if (installation->EngineClearCount() != before) clearsInside.store(1);
  });
  std::atomic<int32_t> edits{0};
  std::atomic<int32_t> done{0};
  std::thread editor([&] {
    while (done.load() == 0) {
      host.Eng.Eng14(1);
      host.Eng.Eng15();
      edits.fetch_add(1);
    }
  });
  GameRecord game{};
  game.StartsFromInitial = 1;
  for (int32_t round = 0; round < 300 || (edits.load() < 300 && round < 1000000); ++round) host.Eng.Eng9(&game);
  done.store(1);
  editor.join();
  EXPECT_GE(edits.load(), 300);
  EXPECT_GT(host.EngineClearCount(), 0);
  EXPECT_EQ(clearsInside.load(), 0);
  EXPECT_EQ(host.Eng.Eng4(), 0);
}
