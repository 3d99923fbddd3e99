// The host's records as the adapter reads and writes them, byte for byte.
//
// The host owns these records; the adapter touches only the fields named
// here. GameRecord, AnalysisRecord, StatsRecord and the information record
// hold no pointers, so their offsets are the same on every target. The two
// parameter records hold one pointer each: on a 32-bit target every field
// sits at its classic offset (checked below); on a 64-bit target the pointer
// takes eight bytes, so HostParamTable grows to 32 bytes and HostParamEntry
// to 48, with the fields after the name pointer four bytes further on. The
// size words written into them are the records' real sizes, so a host can
// always step through the entries by the size it is told.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../../engine/call_convention.h"

// Entry points and callbacks share the one calling convention of every
// function that crosses a library boundary.
#define HOSTCALL OBRANTULE_CALL

// Host move code: bits 0-5 from, 6-11 to, 12-14 promotion (4 Q, 5 R, 6 B, 7 N).
typedef uint16_t HostMoveCode;

enum : int32_t {
  GameMoveCapacity = 512,
  MainlineCapacity = 31,
};

// Time-control modes of GameRecord::TimeMode; anything else is infinite.
enum : int32_t {
  TimeModeDepth = 1,
  TimeModeBlitz = 2,
  TimeModeMovesInTime = 3,
  TimeModeInfinite = 4,
};

// Castling bits of GameRecord::CastlingRights.
enum : int32_t {
  CastleWhiteShort = 1,
  CastleWhiteLong = 2,
  CastleBlackShort = 4,
  CastleBlackLong = 8,
};

// Host piece bytes: type in the low three bits, bit 3 for black.
enum : int32_t {
  HostPawn = 1,
  HostKnight = 2,
  HostBishop = 3,
  HostRook = 4,
  HostQueen = 5,
  HostKing = 6,
  HostBlack = 8,
};

struct GameRecord {
  uint8_t HostFields[28];
  uint8_t Board[64];            // 28: a1 = 0 ... h8 = 63
  uint8_t StartsFromInitial;    // 92
  uint8_t WhiteToMove;          // 93
  uint8_t EpSquare;             // 94: 0 = none
  uint8_t CastlingRights;       // 95
  HostMoveCode Moves[GameMoveCapacity];  // 96
  uint16_t MoveCount;           // 1120
  uint16_t TimeMode;            // 1122
  int32_t TimeBase;             // 1124: blitz base time, or time for the moves
  int32_t Increment;            // 1128
  uint8_t HostFields2[4];       // 1132
  uint16_t MovesToGo;           // 1136
  uint8_t HostFields3[2];       // 1138
  uint16_t Depth;               // 1140
  uint16_t AnalyseValue;        // 1142: handed to the engine when pondering is allowed
};

struct AnalysisRecord {
  uint8_t HostFields[8];
  int32_t HostValue8;           // 8: third argument of Func3
  int32_t HostValue12;          // 12
  int32_t HostValue16;          // 16: second argument of Func3
  int32_t MainlineMark;         // 20: 2 after a principal variation
  int16_t Score;                // 24
  uint16_t MainlineLength;      // 26
  HostMoveCode Mainline[MainlineCapacity];  // 28
  uint8_t Padding90[2];         // 90
  uint32_t Seconds;             // 92
  uint16_t Depth;               // 96
  int16_t DepthValue;           // 98
  int16_t MoveNumber;           // 100
  int16_t MoveTotal;            // 102
  HostMoveCode CurrentMove;     // 104
  uint8_t Padding106[2];        // 106
  int32_t InitResult;           // 108
  uint8_t HostFields4[10];      // 112
  uint16_t Field122;            // 122: cleared with every principal variation
};

struct StatsRecord {
  uint8_t HostFields[8];
  int32_t HostValue8;           // 8
  int32_t HostValue12;          // 12
  int32_t HostValue16;          // 16
  int32_t Nodes;                // 20
  int32_t NodesValue2;          // 24
  int32_t TablebaseHits;        // 28
};

struct InfoRecord {
  uint8_t HostFields[20];
  int32_t InitResult;           // 20
};

struct HostParamEntry {
  int32_t Size;                 // 0: the entry's size (40 on 32-bit)
  int32_t Changed;              // 4
  int32_t Two;                  // 8
  int32_t NameLength;           // 12: including the NUL
  char* Name;                   // 16
  int32_t Four;                 // 20 (24 on 64-bit)
  int32_t ValueSent;            // 24 (28)
  int32_t Value;                // 28 (32): the host edits this one
  int32_t Minimum;              // 32 (36)
  int32_t Maximum;              // 36 (40)
};

struct HostParamTable {
  int32_t Size;                 // 0: the table's size (28 on 32-bit)
  int32_t Zero;                 // 4
  int32_t HostValue8;           // 8
  int32_t HostValue12;          // 12
  int32_t HostValue16;          // 16
  int32_t Count;                // 20
  HostParamEntry* Entries;      // 24
};

static_assert(offsetof(GameRecord, Board) == 28, "GameRecord layout");
static_assert(offsetof(GameRecord, StartsFromInitial) == 92, "GameRecord layout");
static_assert(offsetof(GameRecord, CastlingRights) == 95, "GameRecord layout");
static_assert(offsetof(GameRecord, Moves) == 96, "GameRecord layout");
static_assert(offsetof(GameRecord, MoveCount) == 1120, "GameRecord layout");
static_assert(offsetof(GameRecord, TimeMode) == 1122, "GameRecord layout");
static_assert(offsetof(GameRecord, TimeBase) == 1124, "GameRecord layout");
static_assert(offsetof(GameRecord, Increment) == 1128, "GameRecord layout");
static_assert(offsetof(GameRecord, MovesToGo) == 1136, "GameRecord layout");
static_assert(offsetof(GameRecord, Depth) == 1140, "GameRecord layout");
static_assert(offsetof(GameRecord, AnalyseValue) == 1142, "GameRecord layout");
static_assert(sizeof(GameRecord) == 1144, "GameRecord layout");

static_assert(offsetof(AnalysisRecord, HostValue8) == 8, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, HostValue12) == 12, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, HostValue16) == 16, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, MainlineMark) == 20, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, Score) == 24, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, MainlineLength) == 26, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, Mainline) == 28, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, Seconds) == 92, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, Depth) == 96, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, DepthValue) == 98, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, MoveNumber) == 100, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, MoveTotal) == 102, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, CurrentMove) == 104, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, InitResult) == 108, "AnalysisRecord layout");
static_assert(offsetof(AnalysisRecord, Field122) == 122, "AnalysisRecord layout");

static_assert(offsetof(StatsRecord, HostValue8) == 8, "StatsRecord layout");
static_assert(offsetof(StatsRecord, HostValue12) == 12, "StatsRecord layout");
static_assert(offsetof(StatsRecord, HostValue16) == 16, "StatsRecord layout");
static_assert(offsetof(StatsRecord, Nodes) == 20, "StatsRecord layout");
static_assert(offsetof(StatsRecord, NodesValue2) == 24, "StatsRecord layout");
static_assert(offsetof(StatsRecord, TablebaseHits) == 28, "StatsRecord layout");
static_assert(offsetof(InfoRecord, InitResult) == 20, "InfoRecord layout");

static_assert(offsetof(HostParamTable, Zero) == 4, "HostParamTable layout");
static_assert(offsetof(HostParamTable, HostValue8) == 8, "HostParamTable layout");
static_assert(offsetof(HostParamTable, HostValue12) == 12, "HostParamTable layout");
static_assert(offsetof(HostParamTable, HostValue16) == 16, "HostParamTable layout");
static_assert(offsetof(HostParamTable, Count) == 20, "HostParamTable layout");
static_assert(offsetof(HostParamTable, Entries) == 24, "HostParamTable layout");
static_assert(offsetof(HostParamEntry, Changed) == 4, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, Two) == 8, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, NameLength) == 12, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, Name) == 16, "HostParamEntry layout");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostParamTable) == 28, "HostParamTable layout");
static_assert(offsetof(HostParamEntry, Four) == 20, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, ValueSent) == 24, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, Value) == 28, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, Minimum) == 32, "HostParamEntry layout");
static_assert(offsetof(HostParamEntry, Maximum) == 36, "HostParamEntry layout");
static_assert(sizeof(HostParamEntry) == 40, "HostParamEntry layout");
#endif

// The host library's two functions.
typedef int32_t(HOSTCALL* HostPostFunction)(int32_t message, int32_t value16, int32_t value8, void* record);
typedef int32_t(HOSTCALL* HostEditParamsFunction)(HostParamTable* table, int32_t hostValue);

// Message numbers posted with Func3.
enum : int32_t {
  MessageMainline = 329,
  MessageAnalysisStart = 330,
  MessageCurrentMove = 331,
  MessageDepth = 332,
  MessageNodes = 343,
};
