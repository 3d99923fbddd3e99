// The plug-in exports exactly the host's names, unmangled.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

TEST(AdapterExports, ExactlyTheHostsNames) {
  std::string command = std::string("nm -D --defined-only ") + ADAPTER_MODULE + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (fgets(line, sizeof(line), pipe) != nullptr) {
    char type = 0;
    char name[400];
    unsigned long long address = 0;
    if (sscanf(line, "%llx %c %399s", &address, &type, name) == 3 && (type == 'T' || type == 'D' || type == 'B'))
      names.insert(name);
  }
  pclose(pipe);
  std::set<std::string> expected = {"ShowNodes", "ShowDepth", "ShowMove", "ShowMainline", "ShowText",
                                    "TBProbeBoard", "TBProbeList", "Eng19"};
  for (int i = 1; i <= 15; ++i) expected.insert("Eng" + std::to_string(i));
  EXPECT_EQ(names, expected);
}
