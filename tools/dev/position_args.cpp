// Position arguments of the obrantule-dev subcommands.
#include "position_args.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/engine.h"

namespace {

bool IsSideField(const char* s) { return std::strcmp(s, "w") == 0 || std::strcmp(s, "b") == 0; }

bool IsCastlingField(const char* s) {
  if (std::strcmp(s, "-") == 0) return true;
  for (const char* c = s; *c; ++c)
    if (!std::strchr("KQkq", *c)) return false;
  return *s != '\0';
}

bool IsEpField(const char* s) {
  return std::strcmp(s, "-") == 0 ||
         (std::strlen(s) == 2 && s[0] >= 'a' && s[0] <= 'h' && (s[1] == '3' || s[1] == '6'));
}

bool IsNumberField(const char* s) {
  if (*s == '\0') return false;
  for (const char* c = s; *c; ++c)
    if (!std::isdigit(static_cast<unsigned char>(*c))) return false;
  return true;
}

}  // namespace

bool SetUpDevPosition(int argc, char** argv, const char* tool) {
  if (ObrantuleInit(8, nullptr, "", 0) < 0) {
    std::fprintf(stderr, "obrantule-dev %s: cannot allocate the engine's tables\n", tool);
    return false;
  }
  int next = 0;
  if (argc == 0 || std::strcmp(argv[0], "startpos") == 0) {
    SetUpStart();
    next = argc == 0 ? 0 : 1;
  } else {
    std::string text = argv[0];
    next = 1;
    // Fields given as separate arguments are joined back into one text.
    if (text.find(' ') == std::string::npos && next < argc && IsSideField(argv[next])) {
      text += ' ';
      text += argv[next++];
      if (next < argc && IsCastlingField(argv[next])) {
        text += ' ';
        text += argv[next++];
        if (next < argc && IsEpField(argv[next])) {
          text += ' ';
          text += argv[next++];
          for (int k = 0; k < 2 && next < argc && IsNumberField(argv[next]); ++k) {
            text += ' ';
            text += argv[next++];
          }
        }
      }
    }
    if (text.find('/') == std::string::npos) {
      std::fprintf(stderr, "obrantule-dev %s: \"%s\" is not a position text\n", tool, text.c_str());
      return false;
    }
    if (SetUpFromText(text.c_str()) != 0) {
      std::fprintf(stderr, "obrantule-dev %s: \"%s\" is no playable position\n", tool, text.c_str());
      return false;
    }
  }
  for (; next < argc; ++next) {
    char move[8];
    if (std::strlen(argv[next]) >= sizeof move) {
      std::fprintf(stderr, "obrantule-dev %s: \"%s\" is not a move\n", tool, argv[next]);
      return false;
    }
    std::strcpy(move, argv[next]);
    // The engine reads promotion letters in upper case only.
    if (std::strlen(move) == 5) move[4] = char(std::toupper(static_cast<unsigned char>(move[4])));
    if (EnterGameMove(move) != 0) {
      std::fprintf(stderr, "obrantule-dev %s: \"%s\" is not a legal move of the position\n", tool, argv[next]);
      return false;
    }
  }
  return true;
}
