// Helpers shared by the engine tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/perft.h"
#include "engine/root.h"

// Initialises the engine once per test program (small tables).
inline void EnsureEngine() {
  static bool initialised = false;
  if (!initialised) {
    ObrantuleInit(8, nullptr, "", 0);
    initialised = true;
  }
}

// Sets up a position text (nullptr: the start position) and installs it as
// the search position at ply 0.
inline void SearchPosition(const char* text) {
  EnsureEngine();
  if (text == nullptr) SetUpStart();
  else SetUpFromText(text);
  InstallGamePosition();
}

// Generates the moves of the current ply into [ListStart[Ply], ListStart[Ply+1]).
inline int32_t GenerateAtPly() {
  MoveListTop = ListStart[Ply];
  GenerateMoves();
  ListStart[Ply + 1] = ListStart[Ply] + GeneratedCount;
  MoveListTop = ListStart[Ply + 1];
  return GeneratedCount;
}

// Index of the generated move of the current ply whose text is TEXT, or -1.
inline int32_t FindMove(const char* text) {
  for (int32_t i = ListStart[Ply]; i < ListStart[Ply + 1]; ++i)
    if (std::strcmp(MoveText(i), text) == 0) return i;
  return -1;
}

// Plays a game move given as text (the buffer is changed by the engine).
inline int32_t Enter(const char* text) {
  char buffer[16];
  std::strncpy(buffer, text, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  return EnterGameMove(buffer);
}

// A part of the engine's state, compared byte for byte.
struct StatePart {
  const char* Name;
  const void* At;
  size_t Size;
};
typedef std::vector<std::vector<uint8_t>> StateCopy;

inline StateCopy CopyState(const std::vector<StatePart>& parts) {
  StateCopy copy;
  for (const StatePart& part : parts)
    copy.emplace_back(static_cast<const uint8_t*>(part.At), static_cast<const uint8_t*>(part.At) + part.Size);
  return copy;
}

// The names of the parts that differ from the copy; empty when none does.
inline std::string ChangedParts(const StateCopy& copy, const std::vector<StatePart>& parts) {
  std::string changed;
  for (size_t i = 0; i < parts.size(); ++i)
    if (std::memcmp(copy[i].data(), parts[i].At, parts[i].Size) != 0) changed += std::string(parts[i].Name) + " ";
  return changed;
}
