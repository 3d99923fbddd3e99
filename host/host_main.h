// The host program's subcommands.
#pragma once

#include <string>

int RunUci();
// RunUci in steps: loading and connecting the plug-in (false when it cannot
// be loaded), one input line (false after "quit"), the end of the session.
bool UciStart();
bool UciCommand(const std::string& line);
void UciEnd();
int RunAnalyse(int argc, char** argv);
int RunBench(int argc, char** argv);
int RunProbe(int argc, char** argv);
