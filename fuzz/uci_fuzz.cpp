// libFuzzer target for the Linux host's UCI input: the input's lines are fed
// one by one to the UCI front end, with the plug-in, the engine and small
// tablebases (kqk plain, krk compressed) linked into this program. Searches
// run on the host's own thread, as they do in the program; after the last
// line the harness sends "stop" and waits for the move, so every input ends
// with no search running. The UCI output is discarded.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_tables.h"
#include "host/host_main.h"
#include "host/search_session.h"
#include "host/tablebase_settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) dup2(null, STDOUT_FILENO);
  UseFuzzTableSettings();
  if (!UciStart()) abort();
  // "setoption name Tablebase..." makes the host write its own settings file.
  atexit([] { RemoveHostSettingsFile(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start < input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    if (!UciCommand(input.substr(start, end - start))) break;
    start = end + 1;
  }
  StopSearch();
  WaitForSearch();
  return 0;
}
