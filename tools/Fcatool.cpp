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
    {"dump", "Print a title as JSON.",
     "usage: fcatool dump TITLE\n  Prints the title as JSON (UTF-8). A file that is not a title prints the "
     "message opening it\n  shows and exits 1.\n",
     RunDump},
    {"render", "Compose a card as the player shows it on entering it, as PNG.",
     "usage: fcatool render TITLE --card N -o OUT.png\n  Composes card N (from 0): background, sprites back "
     "to front with the card's pictures, the\n  card's activation and deactivation lists applied, then its "
     "texts. Media names resolve against\n  the title's folder.\n",
     RunRender},
    {"check", "List what would go wrong when a title plays.",
     "usage: fcatool check TITLE\n  One line per missing media file or title, unknown sprite number, missing "
     "text or card index\n  out of range. Exits 0 when nothing was found, 1 otherwise.\n",
     RunCheck},
    {"extract", "Take a title apart into DIR/manifest.json and its embedded images.",
     "usage: fcatool extract TITLE DIR\n  Writes DIR/manifest.json, DIR/background.jpg and DIR/sprite-K.pcx, "
     "the images as the very bytes\n  that lie in the title.\n",
     RunExtract},
    {"build", "Build a title from a manifest (the inverse of extract).",
     "usage: fcatool build MANIFEST -o TITLE\n  Builds TITLE from MANIFEST and the image files beside it; "
     "extract then build gives the same\n  bytes. TITLE is replaced only when the whole title was written.\n",
     RunBuild},
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
