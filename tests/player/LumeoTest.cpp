#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "player/Lumeo.h"
#include "player/TraceLog.h"

namespace {

TEST(LumeoCommandLine, ReadsEveryOptionAndRefusesWhatItCannotUse) {
    PlayerOptions o = ParsePlayerOptions({"--windowed", "--scale", "3", "--card", "7", "--trace", "a b.fca"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_TRUE(o.windowed);
    EXPECT_TRUE(o.trace);
    EXPECT_EQ(o.scale, 3);
    EXPECT_EQ(o.startCard, 7);
    EXPECT_EQ(o.title, "a b.fca");
    EXPECT_TRUE(ParsePlayerOptions({"--scale", "fit"}).fit);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--scale", "0"},
                                                {"--scale", "17"},
                                                {"--scale", "2x"},
                                                {"--card", "-1"},
                                                {"--card"},
                                                {"--bogus"},
                                                {"a.fca", "b.fca"}})
        EXPECT_FALSE(ParsePlayerOptions(bad).error.empty()) << bad[0];
    const std::string help = PlayerHelpText();
    for (const char* option : {"--windowed", "--scale", "--card", "--trace", "--help", "F11"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(LumeoTrace, AScreenshotNamesItsFileOrSaysItWasNotSaved) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        JsonTraceLog log(out);
        log.Screenshot(
            "/t/d\xC3\xAD"
            "a \"1\"-card0-1.png");  // a path of the file system, UTF-8 already
        log.Screenshot("");
    }
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);
    EXPECT_NE(text.find(",\"event\":\"screenshot\",\"file\":\"/t/d\xC3\xAD"
                        "a \\\"1\\\"-card0-1.png\",\"saved\":1}\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(",\"event\":\"screenshot\",\"file\":\"\",\"saved\":0}\n"), std::string::npos) << text;
}

TEST(LumeoCommandLine, TheDefaultScaleIsTheLargestWholeFactorThatFits) {
    EXPECT_EQ(WholeScaleForScreen(1024, 768), 1);  // the original's layout exactly
    EXPECT_EQ(WholeScaleForScreen(1920, 1080), 2);
    EXPECT_EQ(WholeScaleForScreen(3840, 2160), 4);
    EXPECT_EQ(WholeScaleForScreen(600, 400), 1);
}

TEST(LumeoTrace, EachEventIsOneJsonLineWithItsKeys) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        JsonTraceLog log(out);
        log.CardEntered("/t/demo.fca", 2, 5);
        log.Click(7, 11, {"sonidos\\campana.wav", "", "\"x\"", "\xF1"});
        log.Enter(3, 5, "a");
        log.Volume(100, 200, true);
        log.Dialog("credits", true);
        log.Shell("mailto:a@b", false);
        log.Exit();
    }
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);
    std::vector<std::string> lines;
    for (size_t at = 0, next; (next = text.find('\n', at)) != std::string::npos; at = next + 1)
        lines.push_back(text.substr(at, next - at));
    ASSERT_EQ(lines.size(), 7u);
    auto body = [](const std::string& line) { return line.substr(line.find(",\"event\"")); };
    EXPECT_EQ(lines[0].rfind("{\"t\":", 0), 0u);
    EXPECT_EQ(body(lines[0]), ",\"event\":\"card\",\"title\":\"/t/demo.fca\",\"card\":2,\"cards\":5}");
    EXPECT_EQ(body(lines[1]),
              ",\"event\":\"click\",\"sprite\":7,\"action\":11,"
              "\"args\":[\"sonidos\\\\campana.wav\",\"\",\"\\\"x\\\"\",\"\xC3\xB1\"]}");
    EXPECT_EQ(body(lines[2]), ",\"event\":\"enter\",\"sprite\":3,\"action\":5,\"arg\":\"a\"}");
    EXPECT_EQ(body(lines[3]), ",\"event\":\"volume\",\"left\":100,\"right\":200,\"muted\":1}");
    EXPECT_EQ(body(lines[4]), ",\"event\":\"dialog\",\"name\":\"credits\",\"open\":1}");
    EXPECT_EQ(body(lines[5]), ",\"event\":\"shell\",\"target\":\"mailto:a@b\",\"opened\":0}");
    EXPECT_EQ(body(lines[6]), ",\"event\":\"exit\"}");
    EXPECT_EQ(JsonTraceLog::Quote("a\nb"), "\"a\\u000ab\"");
}

}  // namespace
