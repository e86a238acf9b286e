#pragma once

#include <string>
#include <vector>

// fcatool, the command-line title tool: one dispatcher and a table of subcommands, each in its own file.
// A new subcommand declares its entry point below and adds one row to the table in Fcatool.cpp.
namespace fcatool {

// Exit statuses: success, bad input or failed work, wrong command line.
enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

using Arguments = std::vector<std::string>;  // the words after the subcommand's name

struct Subcommand {
    const char* name;
    const char* summary;  // one line for `fcatool --help`
    const char* usage;    // the synopsis and option list for `fcatool NAME --help`
    int (*run)(const Arguments& args);
};

// Entry points of the subcommands.
int RunConvert(const Arguments& args);
int RunDump(const Arguments& args);
int RunRender(const Arguments& args);
int RunCheck(const Arguments& args);
int RunExtract(const Arguments& args);
int RunBuild(const Arguments& args);

// The table of subcommands, in the order `fcatool --help` lists them.
const std::vector<Subcommand>& Subcommands();
const Subcommand* FindSubcommand(const std::string& name);

// Reports a wrong command line for `command` on stderr, with its usage, and returns kUsage.
int UsageError(const std::string& command, const std::string& problem);

// The whole program: installs the console message box, dispatches, and turns escaped exceptions into
// exit status 1.
int Main(int argc, char** argv);

}  // namespace fcatool
