#pragma once
// The command line: kolvo FORMAT INPUT OUTPUT OPTION.

namespace kolvo {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // a file could not be read or written
inline constexpr int kExitUsage = 2;    // the command line is wrong

// Runs the program for the given arguments and returns its exit status.
// Messages go to standard error, the document to OUTPUT.
int runCommandLine(int argc, const char* const* argv);

}  // namespace kolvo
