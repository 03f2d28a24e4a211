// The subcommands of vostra-problems.  Each takes the arguments that follow
// its name (argv[0] is the subcommand's own name) and returns the exit status.
#pragma once

int runDecode(int argc, char** argv);
int runCompile(int argc, char** argv);
int runCheck(int argc, char** argv);
int runShow(int argc, char** argv);
int runSolve(int argc, char** argv);
