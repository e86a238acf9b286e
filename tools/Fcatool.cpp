#include "tools/Fcatool.h"

#include <cstdio>
#include <exception>

#include "platform/MessageBox.h"

namespace fcatool {

namespace {

const std::vector<Subcommand> kSubcommands = {
    {"convert", "Convert an image between JPG, PNG, BMP, PCX and TIF (read) and BMP, PCX, JPG, PNG (write).",
     "usage: fcatool convert IN OUT\n"
     "  Reads IN by its extension (.JPG, .PNG, .BMP, .PCX, .TIF) and writes OUT by its extension\n"
     "  (.BMP, .PCX, .JPG, .PNG) with the system's own writers. OUT is replaced only on success.\n",
     RunConvert},
};

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "usage: fcatool SUBCOMMAND [ARGS...]\n       fcatool SUBCOMMAND --help\n\nSubcommands:\n");
    for (const Subcommand& s : Subcommands()) std::fprintf(out, "  %-10s %s\n", s.name, s.summary);
}

bool IsHelp(const std::string& word) {
    return word == "--help" || word == "-h";
}

platform::ConsoleMessageBox consoleBox;

}  // namespace

const std::vector<Subcommand>& Subcommands() {
    return kSubcommands;
}

const Subcommand* FindSubcommand(const std::string& name) {
    for (const Subcommand& s : Subcommands())
        if (name == s.name) return &s;
    return nullptr;
}

int UsageError(const std::string& command, const std::string& problem) {
    std::fprintf(stderr, "fcatool %s: %s\n", command.c_str(), problem.c_str());
    if (const Subcommand* s = FindSubcommand(command)) std::fputs(s->usage, stderr);
    return kUsage;
}

int Main(int argc, char** argv) {
    platform::SetMessageBox(&consoleBox);
    Arguments words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty()) {
        PrintHelp(stderr);
        return kUsage;
    }
    if (IsHelp(words[0])) {
        PrintHelp(stdout);
        return kSuccess;
    }
    const Subcommand* command = FindSubcommand(words[0]);
    if (!command) {
        std::fprintf(stderr, "fcatool: unknown subcommand '%s'\n", words[0].c_str());
        PrintHelp(stderr);
        return kUsage;
    }
    Arguments args(words.begin() + 1, words.end());
    for (const std::string& a : args)
        if (IsHelp(a)) {
            std::printf("%s\n%s", command->summary, command->usage);
            return kSuccess;
        }
    try {
        return command->run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fcatool %s: %s\n", command->name, e.what());
    } catch (...) {
        std::fprintf(stderr, "fcatool %s: unexpected failure\n", command->name);
    }
    return kFailure;
}

}  // namespace fcatool
