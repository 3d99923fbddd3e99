// Everything of the engine core in one include.
#pragma once

#include "api.h"
#include "attacks.h"
#include "board.h"
#include "gamemove.h"
#include "hashtable.h"
#include "makemove.h"
#include "movegen.h"
#include "movelist.h"
#include "movetext.h"
#include "playable.h"
#include "searchstate.h"
#include "tables.h"
#include "types.h"
