#include "player/TraceLog.h"

#include "platform/CodePage.h"

std::string JsonTraceLog::Quote(const std::string& cp1252) {
    const std::string utf8 = platform::Cp1252ToUtf8(cp1252);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void JsonTraceLog::Line(const char* event, const std::string& rest) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    std::fprintf(out_, "{\"t\":%lld,\"event\":\"%s\"%s%s}\n", static_cast<long long>(ms), event,
                 rest.empty() ? "" : ",", rest.c_str());
    std::fflush(out_);
}

void JsonTraceLog::Click(int32_t sprite, int32_t action, const std::array<std::string, 4>& arguments) {
    std::string args;
    for (const std::string& a : arguments) args += (args.empty() ? "" : ",") + Quote(a);
    Line("click", "\"sprite\":" + std::to_string(sprite) + ",\"action\":" + std::to_string(action) +
                      ",\"args\":[" + args + "]");
}

void JsonTraceLog::Enter(int32_t sprite, int32_t action, const std::string& argument) {
    Line("enter", "\"sprite\":" + std::to_string(sprite) + ",\"action\":" + std::to_string(action) +
                      ",\"arg\":" + Quote(argument));
}

void JsonTraceLog::Leave(int32_t sprite, int32_t action, const std::string& argument) {
    Line("leave", "\"sprite\":" + std::to_string(sprite) + ",\"action\":" + std::to_string(action) +
                      ",\"arg\":" + Quote(argument));
}

void JsonTraceLog::Sound(const std::string& file, bool loop) {
    Line("sound", "\"file\":" + Quote(file) + ",\"loop\":" + (loop ? "1" : "0"));
}

void JsonTraceLog::SoundStop() {
    Line("sound-stop", "");
}

void JsonTraceLog::Volume(uint16_t left, uint16_t right, bool muted) {
    Line("volume", "\"left\":" + std::to_string(left) + ",\"right\":" + std::to_string(right) +
                       ",\"muted\":" + (muted ? "1" : "0"));
}

void JsonTraceLog::VideoState(const std::string& file, const std::string& state) {
    Line("video", "\"file\":" + Quote(file) + ",\"state\":" + Quote(state));
}

void JsonTraceLog::Dialog(const std::string& name, bool open) {
    Line("dialog", "\"name\":" + Quote(name) + ",\"open\":" + (open ? "1" : "0"));
}

void JsonTraceLog::Shell(const std::string& target, bool opened) {
    Line("shell", "\"target\":" + Quote(target) + ",\"opened\":" + (opened ? "1" : "0"));
}

void JsonTraceLog::CardEntered(const std::string& title, int card, int count) {
    // The title's path is already a path of this file system (UTF-8); the others are the title's bytes.
    Line("card", "\"title\":" + QuotePath(title) + ",\"card\":" + std::to_string(card) +
                     ",\"cards\":" + std::to_string(count));
}

std::string JsonTraceLog::QuotePath(const std::string& utf8) {
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (static_cast<unsigned char>(c) >= 0x20) quoted += c;
    }
    return quoted + "\"";
}

void JsonTraceLog::Screenshot(const std::string& file) {
    Line("screenshot", "\"file\":" + QuotePath(file) + ",\"saved\":" + (file.empty() ? "0" : "1"));
}

void JsonTraceLog::Exit() {
    Line("exit", "");
}
