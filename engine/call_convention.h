// Calling convention of every function that crosses a library boundary: the
// engine's exports and callbacks, the adapter's entry points and report
// functions, and the host library's Func3 and Func13. All of them are C calls
// (cdecl on 32-bit Windows): the caller removes the arguments, and the
// exported names stay plain ("Eng1", not "_Eng1@36"), so lookups by name
// find them. Changing the convention means changing this one macro.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define OBRANTULE_CALL __cdecl
#else
#define OBRANTULE_CALL
#endif
