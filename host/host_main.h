// The host program's subcommands.
#pragma once

int RunUci();
int RunAnalyse(int argc, char** argv);
int RunBench(int argc, char** argv);
int RunProbe(int argc, char** argv);
