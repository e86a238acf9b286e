#include "editor/ActionArguments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "engine/SpriteList.h"
#include "model/Actions.h"

namespace {

using K = ArgumentKind;
constexpr ArgumentMeaning kUnused{};

constexpr ArgumentMeaning kTextOfCard{K::textIdentifier, "Identifier of a text of the card shown"};
constexpr ArgumentMeaning kSpritesOf{K::numberList, "Sprite numbers separated by commas, at most 10"};

const std::array<ActionArgumentMeanings, kClickActionCount>& ClickTable() {
    static const std::array<ActionArgumentMeanings, kClickActionCount> table = [] {
        std::array<ActionArgumentMeanings, kClickActionCount> t{};
        t[kActionOpenCard] = {{{K::titleStem, "Title to open: its file name without .fca"},
                               {K::cardNumber,
                                "Card to start at, counted from 1; * the place of this title's last card; "
                                "empty: the first"}}};
        t[kActionNextCard] = {{{K::titleStem, "Title opened after the last card, without .fca (optional)"}}};
        t[kActionPreviousCard] = {
            {{K::titleStem, "Title opened before the first card, without .fca (optional)"},
             {K::cardIndex, "Card of that title, counted from 0; * its last card"}}};
        for (int32_t code = kActionTextLineUp; code <= kActionTextScrollBar; ++code)
            t[code] = {{kTextOfCard}};
        t[kActionPlaySound] = {{{K::soundFile, "Sound to play (.wav)"}}};
        t[kActionPlayVideoTitle] = {
            {{K::videoStem, "Beginning of the video titles' names: on card 3, clip opens clip03.fca"}}};
        for (int32_t code = kActionShowSprites; code <= kActionDisableSprites; ++code)
            t[code] = {{kSpritesOf}};
        t[kActionSlideShow] = {{{K::slideBackground, "Picture behind the slides (JPEG or BMP; empty: black)"},
                                {K::slidePrefix, "Beginning of the slides' file names (empty: every .jpg)"},
                                {K::slideFolder, "Folder of the slides (empty: the title's folder)"},
                                {K::soundFile, "Sound played during the show (.wav, optional)"}}};
        t[kActionShowBitmap] = {{{K::pictureFile, "Picture to show (JPEG)"},
                                 {K::soundFile, "Sound played with it (.wav, optional)"}}};
        t[kActionLinkToUrl] = {{{K::address, "Web address or document to open"}}};
        t[kActionSendEmail] = {{{K::mailAddress, "E-mail address to write to"}}};
        return t;
    }();
    return table;
}

const std::array<ActionArgumentMeanings, kMoveActionCount>& MoveTable() {
    static const std::array<ActionArgumentMeanings, kMoveActionCount> table = [] {
        std::array<ActionArgumentMeanings, kMoveActionCount> t{};
        t[kMoveActionChangeFrame] = {
            {{K::frameNumber, "Frame shown while the pointer is on the sprite (0 is the first)"}}};
        t[kMoveActionAnimate] = {{{K::spriteNumber, "Number of the sprite to animate (empty: this one)"}}};
        t[kMoveActionShowSprites] = {
            {{K::numberList,
              "Sprites shown while the pointer is on this one: numbers separated by commas, "
              "at most 10"}}};
        t[kMoveActionHideSprites] = {
            {{K::numberList,
              "Sprites hidden while the pointer is on this one: numbers separated by commas, "
              "at most 10"}}};
        t[kMoveActionPlaySound] = {
            {{K::soundFile, "Sound played when the pointer comes onto the sprite (.wav)"}}};
        return t;
    }();
    return table;
}

bool EndsWithNoCase(const std::string& text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    return std::equal(ending.begin(), ending.end(), text.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); });
}

// The path relative to the title's folder when it lies inside it, else the path as it was given.
std::string NameForTitle(const std::string& chosen, const std::string& titlePath) {
    namespace fs = std::filesystem;
    if (titlePath.empty()) return chosen;
    const fs::path folder = fs::path(titlePath).parent_path().lexically_normal();
    const fs::path relative = fs::path(chosen).lexically_normal().lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") return chosen;
    std::string name = relative.generic_string();
    if (name == ".") return {};
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

platform::FileDialogRequest OpenRequest(const char* filter, const char* extension) {
    platform::FileDialogRequest request;
    request.filter = filter;
    request.defaultExtension = extension;
    request.fileMustExist = true;
    return request;
}

}  // namespace

const ActionArgumentMeanings& ClickArgumentMeanings(int32_t code) {
    static const ActionArgumentMeanings none{};
    return code >= 0 && code < kClickActionCount ? ClickTable()[static_cast<size_t>(code)] : none;
}

const ActionArgumentMeanings& MoveArgumentMeanings(int32_t code) {
    static const ActionArgumentMeanings none{};
    return code >= 0 && code < kMoveActionCount ? MoveTable()[static_cast<size_t>(code)] : none;
}

ArgumentHelp HelpFor(ArgumentKind kind) {
    switch (kind) {
        case K::titleStem:
        case K::videoStem:
        case K::soundFile:
        case K::pictureFile:
        case K::slideBackground:
        case K::slideFolder:
            return ArgumentHelp::browse;
        case K::cardNumber:
        case K::cardIndex:
            return ArgumentHelp::chooseCard;
        case K::numberList:
        case K::spriteNumber:
            return ArgumentHelp::chooseSprites;
        case K::textIdentifier:
            return ArgumentHelp::chooseText;
        default:
            return ArgumentHelp::none;
    }
}

std::optional<platform::FileDialogRequest> BrowseRequest(ArgumentKind kind) {
    switch (kind) {
        case K::titleStem:
        case K::videoStem:
            return OpenRequest("Titles (*.FCA)|*.FCA|All files (*.*)|*.*||", "fca");
        case K::soundFile:
            return OpenRequest("Sounds (*.WAV)|*.WAV|All files (*.*)|*.*||", "wav");
        case K::pictureFile:
            return OpenRequest("JPEG files (*.JPG)|*.JPG;*.JPEG|All files (*.*)|*.*||", "jpg");
        case K::slideBackground:
            return OpenRequest("Pictures (*.JPG;*.BMP)|*.JPG;*.BMP|All files (*.*)|*.*||", "jpg");
        case K::slideFolder:
            // The file dialog chooses files: the author picks one of the slides and its folder is kept.
            return OpenRequest("Slides (*.JPG)|*.JPG|All files (*.*)|*.*||", "jpg");
        default:
            return std::nullopt;
    }
}

std::string ArgumentForChosenFile(ArgumentKind kind, const std::string& chosen,
                                  const std::string& titlePath) {
    if (kind == K::slideFolder) {
        const std::string folder = std::filesystem::path(chosen).parent_path().string();
        return NameForTitle(folder, titlePath);
    }
    std::string name = NameForTitle(chosen, titlePath);
    const bool stem = kind == K::titleStem || kind == K::videoStem;
    if (stem && EndsWithNoCase(name, ".fca")) name.resize(name.size() - 4);
    // The player puts the card's number after the stem in two digits ("clip" on card 1 opens clip01.fca).
    auto digit = [&name](size_t fromEnd) {
        return std::isdigit(static_cast<unsigned char>(name[name.size() - fromEnd]));
    };
    if (kind == K::videoStem && name.size() >= 2 && digit(1) && digit(2)) name.resize(name.size() - 2);
    return name;
}

size_t CountListNumbers(std::string_view list) {
    if (list.empty()) return 0;
    return static_cast<size_t>(std::count(list.begin(), list.end(), ',')) + 1;
}

std::string TooManyNumbersMessage(const std::string& what, size_t count) {
    return what + " holds " + std::to_string(count) + " sprite numbers, but a list holds at most " +
           std::to_string(CSpriteList::kMaxNumbers) + ". Remove some of them.";
}
