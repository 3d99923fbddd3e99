// The plug-in exports exactly the host's names, unmangled.
#include <gtest/gtest.h>

#include "../common/test_support.h"

TEST(AdapterExports, ExactlyTheHostsNames) {
  std::set<std::string> expected = {"ShowNodes", "ShowDepth", "ShowMove", "ShowMainline", "ShowText",
                                    "TBProbeBoard", "TBProbeList", "Eng19"};
  for (int i = 1; i <= 15; ++i) expected.insert("Eng" + std::to_string(i));
  EXPECT_EQ(ExportedNames(ADAPTER_MODULE, "TDB"), expected);
}
