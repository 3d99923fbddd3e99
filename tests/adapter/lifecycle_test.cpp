// Connection lifecycle, engine binding and identity queries of the adapter.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "test_host.h"

TEST(AdapterLifecycle, ConnectsInitialisesAndCloses) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  EXPECT_EQ(host.Eng.Eng5(), 0);
  ASSERT_EQ(host.Connect(64), 0);
  EXPECT_EQ(host.Eng.Eng5(), 1);
  EXPECT_EQ(host.Eng.Eng4(), 0);
  // The Init result lands in both records.
  EXPECT_EQ(host.Info.InitResult, 30720);
  EXPECT_EQ(host.Analysis.InitResult, 30720);
  std::vector<std::string> log = Lines(host.EngineLog());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Init 64 " + std::to_string(sizeof(EngineCallbacks)) + " [" + host.Directory() + "/] 0");
  host.ClearEngineLog();
  host.Eng.Eng2();
  EXPECT_EQ(Lines(host.EngineLog()), std::vector<std::string>{"Quit"});
  EXPECT_EQ(host.Eng.Eng5(), 0);
  // Closing twice does nothing; a new connection opens again.
  host.Eng.Eng2();
  EXPECT_EQ(Lines(host.EngineLog()).size(), 1u);
  EXPECT_EQ(host.Connect(16), 0);
}

TEST(AdapterLifecycle, SecondConnectAnswersOneAndKeepsTheFirstRecords) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  AnalysisRecord other{};
  StatsRecord otherStats{};
  InfoRecord otherInfo{};
  EXPECT_EQ(host.Eng.Eng1(&other, 0, 0, &otherStats, &otherInfo, 32, 0, 0, 0), 1);
  EXPECT_EQ(otherInfo.InitResult, 0);
  EXPECT_EQ(Lines(host.EngineLog()).size(), 1u);  // Init ran once
  host.Eng.ShowDepth(3, 0);
  EXPECT_EQ(host.Analysis.Depth, 3);
  EXPECT_EQ(other.Depth, 0);
}

TEST(AdapterLifecycle, MissingEngineLibraryAnswersNineAndStaysClosed) {
  TestInstallation host("");
  ASSERT_TRUE(host.Load());
  EXPECT_EQ(host.Connect(), 9);
  EXPECT_EQ(host.Eng.Eng5(), 0);
  // Identity queries fall back when no library can be read.
  EXPECT_STREQ(host.Eng.Eng6(), "Orvel Tamstra");
  EXPECT_STREQ(host.Eng.Eng7(), "Obrantule");
  EXPECT_EQ(host.Eng.Eng8(), 2300);
  // The failed attempt released the connection: with the library in place
  // the next one succeeds.
  host.AddEngine("full");
  EXPECT_EQ(host.Connect(), 0);
}

TEST(AdapterLifecycle, MissingRequiredEntryPointAnswersNine) {
  TestInstallation host("without_enter_move");
  ASSERT_TRUE(host.Load());
  EXPECT_EQ(host.Connect(), 9);
  EXPECT_EQ(host.Eng.Eng5(), 0);
  EXPECT_EQ(host.EngineLog(), "");  // Init was never called
}

TEST(AdapterLifecycle, FailedInitQuitsAndAnswersTwo) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  host.SetInitResult(-1);
  EXPECT_EQ(host.Connect(), 2);
  EXPECT_EQ(host.Eng.Eng5(), 0);
  std::vector<std::string> log = Lines(host.EngineLog());
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1], "Quit");
  EXPECT_EQ(host.Info.InitResult, 0);
  host.SetInitResult(6144);
  EXPECT_EQ(host.Connect(8), 0);
  EXPECT_EQ(host.Info.InitResult, 6144);
}

TEST(AdapterLifecycle, EngineDirectoryFollowsTheEnginesFolderRule) {
  // Below an "engines" folder the directory ends at that folder, whatever
  // lies under it.
  TestInstallation nested("full", "engines/obrantule");
  ASSERT_TRUE(nested.Load());
  ASSERT_EQ(nested.Connect(), 0);
  std::string root = nested.Directory().substr(0, nested.Directory().size() - std::string("obrantule").size());
  EXPECT_EQ(Lines(nested.EngineLog())[0],
            "Init 64 " + std::to_string(sizeof(EngineCallbacks)) + " [" + root + "] 0");
}

TEST(AdapterLifecycle, OptionalEntryPointsMayBeMissing) {
  TestInstallation host("required_only");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  EXPECT_EQ(host.Eng.Eng8(), 2300);
  host.Eng.Eng15();
  host.SetAnalyseHook([](const EngineCallbacks*) {});
  GameRecord game{};
  game.StartsFromInitial = 1;
  host.Eng.Eng9(&game);
  host.Eng.Eng11();
  for (const std::string& line : Lines(host.EngineLog())) {
    EXPECT_NE(line, "NextBest");
    EXPECT_NE(line, "ClearHashtable");
  }
  EXPECT_EQ(host.Eng.Eng13(), nullptr);
  host.Eng.Eng14(5);
  EXPECT_TRUE(Edits.empty());
}

TEST(AdapterLifecycle, FullEngineAnswersEloAndClears) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  EXPECT_EQ(host.Eng.Eng8(), 2550);
  host.ClearEngineLog();
  host.Eng.Eng15();
  EXPECT_EQ(Lines(host.EngineLog()), std::vector<std::string>{"ClearHashtable"});
  EXPECT_EQ(host.Eng.Eng12(), 0x04002010);
  EXPECT_EQ(host.Eng.Eng19(1), nullptr);
  EXPECT_EQ(host.Eng.Eng19(2), nullptr);
  EXPECT_EQ(host.Eng.Eng19(3), nullptr);
}

TEST(AdapterLifecycle, VersionBeforeConnectingLoadsTheLibraryOnceThenCaches) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  EXPECT_STREQ(host.Eng.Eng7(), "Fake 1.0");
  EXPECT_STREQ(host.Eng.Eng7(), "Fake 1.0");
  EXPECT_STREQ(host.Eng.Eng6(), "Fake Author");
  EXPECT_EQ(Lines(host.EngineLog()), (std::vector<std::string>{"GetVersion", "GetAuthor"}));
}

TEST(AdapterLifecycle, BoundEngineAnswersIdentityDirectly) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  host.ClearEngineLog();
  EXPECT_STREQ(host.Eng.Eng7(), "Fake 1.0");
  EXPECT_STREQ(host.Eng.Eng7(), "Fake 1.0");
  EXPECT_EQ(Lines(host.EngineLog()), (std::vector<std::string>{"GetVersion", "GetVersion"}));
}

TEST(AdapterLifecycle, NextBestAndPonderOffOnlyWhileThinking) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  host.Eng.Eng11();
  host.Eng.Eng10();
  EXPECT_EQ(Lines(host.EngineLog()).size(), 1u);
  static AdapterEntries* entries;
  entries = &host.Eng;
  host.SetAnalyseHook([](const EngineCallbacks* engine) {
    // The engine reports at once when it begins, as the real one does.
    engine->ShowDepth(1, 0);
    EXPECT_EQ(entries->Eng4(), 1);
    entries->Eng11();
    entries->Eng10();
  });
  GameRecord game{};
  game.StartsFromInitial = 1;
  game.AnalyseValue = 1;
  host.Eng.Eng9(&game);
  std::vector<std::string> log = Lines(host.EngineLog());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 2], "NextBest");
  EXPECT_EQ(log[log.size() - 1], "PonderingOff");
  EXPECT_EQ(host.Eng.Eng4(), 0);
}

TEST(AdapterLifecycle, LoadedByARelativePathItFindsTheEngineAfterAChangeOfDirectory) {
  TestInstallation host("full");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(host.Directory());
  const bool loaded = host.Load("./Obrantule.eng");
  std::filesystem::current_path("/");
  const int32_t connected = loaded ? host.Connect() : -1;
  std::filesystem::current_path(previous);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(connected, 0);
  EXPECT_EQ(Lines(host.EngineLog())[0],
            "Init 64 " + std::to_string(sizeof(EngineCallbacks)) + " [" + host.Directory() + "/] 0");
}

TEST(AdapterLifecycle, CloseFromInsideTheAnalysisIsRefused) {
  // Eng2 from a report on the analysing thread would wait for itself.
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  static AdapterEntries* entries;
  entries = &host.Eng;
  host.SetAnalyseHook([](const EngineCallbacks* engine) {
    engine->ShowDepth(1, 0);
    entries->Eng2();
    EXPECT_EQ(entries->Eng5(), 1);
  });
  GameRecord game{};
  game.StartsFromInitial = 1;
  host.Eng.Eng9(&game);
  EXPECT_EQ(host.Eng.Eng5(), 1);
  host.ClearEngineLog();
  host.Eng.Eng2();
  EXPECT_EQ(Lines(host.EngineLog()), std::vector<std::string>{"Quit"});
}

TEST(AdapterLifecycle, IdentityTextsOutliveTheEngineLibrary) {
  // A host may keep the pointer and read it after the engine is unloaded:
  // the text must not live in the engine's module.
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  const char* version = host.Eng.Eng7();
  const char* author = host.Eng.Eng6();
  for (const char* text : {version, author}) {
    Dl_info where{};
    ASSERT_NE(dladdr(text, &where), 0);
    EXPECT_EQ(std::string(where.dli_fname).find("Obrantule.dll"), std::string::npos) << where.dli_fname;
  }
  host.Eng.Eng2();
  EXPECT_STREQ(version, "Fake 1.0");
  EXPECT_STREQ(author, "Fake Author");
}

TEST(AdapterLifecycle, HashClearDuringAnAnalysisWaitsForItsEnd) {
  // Clearing the tables under a running search would race with it.
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  ASSERT_EQ(host.Connect(), 0);
  static AdapterEntries* entries;
  static TestInstallation* installation;
  entries = &host.Eng;
  installation = &host;
  host.SetAnalyseHook([](const EngineCallbacks* engine) {
    engine->ShowDepth(1, 0);
    std::thread other([] { entries->Eng15(); });
    other.join();
    entries->Eng15();  // from the analysing thread itself
    const std::vector<std::string> log = Lines(installation->EngineLog());
    EXPECT_EQ(std::count(log.begin(), log.end(), "ClearHashtable"), 0);
  });
  GameRecord game{};
  game.StartsFromInitial = 1;
  host.ClearEngineLog();
  host.Eng.Eng9(&game);
  std::vector<std::string> log = Lines(host.EngineLog());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "ClearHashtable");
  EXPECT_EQ(std::count(log.begin(), log.end(), "ClearHashtable"), 1);
  // Without an analysis the clear is made at once, and only once.
  host.SetAnalyseHook(nullptr);
  host.ClearEngineLog();
  host.Eng.Eng15();
  host.Eng.Eng9(&game);
  log = Lines(host.EngineLog());
  EXPECT_EQ(std::count(log.begin(), log.end(), "ClearHashtable"), 1);
  EXPECT_EQ(log.front(), "ClearHashtable");
}
