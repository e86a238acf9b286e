#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "engine/PhasedSprite.h"
#include "model/Actions.h"
#include "platform/FileNames.h"
#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"

namespace fcatool {

namespace {

// Walks a title for what would go wrong when it plays, collecting one line per problem.
class TitleChecker {
  public:
    TitleChecker(CFichaDoc& doc) : doc_(doc), folder_(doc.GetBaseDirectory()) {
        for (CSprite* s : doc.GetSpriteList()) numbers_.insert(s->GetNumber());
        for (const auto& card : doc.GetCards())
            for (const auto& text : card->texts) identifiers_.insert(text->identifier);
    }

    std::vector<std::string> Run() {
        if (!doc_.backgroundMusic.empty()) File("background music", doc_.backgroundMusic);
        for (size_t i = 0; i < doc_.GetCards().GetSize(); ++i) CheckCard(i, *doc_.GetCards().GetAt(i));
        for (CSprite* s : doc_.GetSpriteList()) CheckSprite(*s);
        return problems_;
    }

  private:
    void Report(const std::string& line) { problems_.push_back(line); }

    bool File(const std::string& what, const std::string& name) {
        if (platform::ResolveWindowsPath(name, folder_)) return true;
        Report(what + " \"" + Utf8(name) + "\" not found");
        return false;
    }

    void Numbers(const std::string& what, const std::string& list) {
        for (int32_t n : CSpriteList::ParseNumberList(list))
            if (!numbers_.count(n))
                Report(what + " names sprite " + std::to_string(n) + ", which no sprite has");
    }

    void CheckCard(size_t i, const CFicha& card) {
        const std::string where = "card " + std::to_string(i);
        for (const auto& picture : card.pictures)
            if (!picture->fileName.empty()) File(where + ": picture", picture->fileName);
        if (card.video.HasVideo()) File(where + ": video", card.video.file);
        Numbers(where + ": activation list", card.activationList);
        Numbers(where + ": deactivation list", card.deactivationList);
        Numbers(where + ": video", card.video.activateOnClose);
        // A text widget that the card shows explicitly works only when the card has its text.
        for (int32_t n : CSpriteList::ParseNumberList(card.activationList)) {
            CSprite* s = doc_.GetSpriteList().FindByNumber(n);
            if (s && IsTextScrollAction(s->GetClickAction()) && !card.texts.FindExact(s->GetClickArgument(0)))
                Report(where + ": sprite " + std::to_string(n) + " scrolls text \"" +
                       Utf8(s->GetClickArgument(0)) + "\", which the card lacks");
        }
    }

    // The card count of another title, or nothing when it does not open.
    std::optional<size_t> TitleCards(const std::string& stem, const std::string& where) {
        const std::string name = stem + ".fca";
        std::optional<std::string> path = platform::ResolveWindowsPath(name, folder_);
        if (!path) {
            Report(where + ": title \"" + Utf8(name) + "\" not found");
            return std::nullopt;
        }
        auto known = titles_.find(*path);
        if (known != titles_.end()) return known->second;
        CFichaDoc other(Variant::player);
        std::string message;
        std::optional<size_t> cards;
        if (LoadTitle(*path, other, false, nullptr, message))
            cards = other.GetCards().GetSize();
        else
            Report(where + ": title \"" + Utf8(name) + "\" does not open: " + message);
        titles_[*path] = cards;
        return cards;
    }

    void CardIndex(const std::string& where, const std::string& stem, long index) {
        std::optional<size_t> cards = TitleCards(stem, where);
        if (cards && (index < 0 || static_cast<size_t>(index) >= *cards))
            Report(where + ": card index " + std::to_string(index) + " is out of range (\"" + Utf8(stem) +
                   ".fca\" has " + std::to_string(*cards) + " cards)");
    }

    void CheckSprite(CSprite& s) {
        const std::string where = "sprite " + std::to_string(s.GetNumber());
        const std::string& a1 = s.GetClickArgument(0);
        const std::string& a2 = s.GetClickArgument(1);
        switch (s.GetClickAction()) {
            case kActionOpenCard:
                if (a2 != "*" && !a2.empty())
                    CardIndex(where + ": open a card", a1, std::atol(a2.c_str()) - 1);
                else
                    TitleCards(a1, where + ": open a card");
                break;
            case kActionNextCard:
                if (!a1.empty()) TitleCards(a1, where + ": next card");
                break;
            case kActionPreviousCard:
                if (!a1.empty() && a2 != "*" && std::atol(a2.c_str()) > 0)
                    CardIndex(where + ": previous card", a1, std::atol(a2.c_str()));
                else if (!a1.empty())
                    TitleCards(a1, where + ": previous card");
                break;
            case kActionTextLineUp:
            case kActionTextLineDown:
            case kActionTextPageUp:
            case kActionTextPageDown:
            case kActionTextScrollKnob:
            case kActionTextScrollBar:
                if (!identifiers_.count(a1)) Report(where + ": text \"" + Utf8(a1) + "\" is on no card");
                break;
            case kActionPlaySound:
                File(where + ": sound", a1);
                break;
            case kActionPlayVideoTitle:
                for (size_t k = 1; k <= doc_.GetCards().GetSize(); ++k) {
                    char suffix[16];
                    std::snprintf(suffix, sizeof suffix, k < 10 ? "0%1zu" : "%2zu", k);
                    const std::string stem = a1 + suffix;
                    if (!platform::ResolveWindowsPath(stem + ".fca", folder_))
                        Report(where + ": video title \"" + Utf8(stem) + ".fca\" for card " +
                               std::to_string(k - 1) + " not found");
                }
                break;
            case kActionShowSprites:
            case kActionHideSprites:
            case kActionAbleSprites:
            case kActionDisableSprites:
                Numbers(where + ": sprite list", a1);
                break;
            case kActionSlideShow:
                CheckSlideShow(s, where);
                break;
            case kActionShowMenu:
                if (s.GetNumber() == kSoundMenuNumber)
                    if (CSprite* music = doc_.GetSpriteList().FindByNumber(kMenuSoundSpriteNumber);
                        music && !music->GetClickArgument(0).empty())
                        File(where + ": menu sound", music->GetClickArgument(0));
                break;
            case kActionShowBitmap:
                File(where + ": picture", a1);
                if (!a2.empty()) File(where + ": sound", a2);
                break;
            default:
                break;
        }
        CheckMoveAction(s, where);
    }

    void CheckSlideShow(CSprite& s, const std::string& where) {
        if (!s.GetClickArgument(0).empty()) File(where + ": slide-show background", s.GetClickArgument(0));
        const std::string& dir = s.GetClickArgument(2);
        if (!dir.empty() && !platform::ResolveWindowsDirectory(dir, folder_))
            Report(where + ": slide-show folder \"" + Utf8(dir) + "\" not found");
        if (!s.GetClickArgument(3).empty()) File(where + ": slide-show sound", s.GetClickArgument(3));
    }

    void CheckMoveAction(CSprite& s, const std::string& where) {
        const std::string& a1 = s.GetMoveArgument(0);
        switch (s.GetMoveAction()) {
            case kMoveActionAnimate:
                if (!a1.empty() && !numbers_.count(std::atoi(a1.c_str())))
                    Report(where + ": animate names sprite " + std::to_string(std::atoi(a1.c_str())) +
                           ", which no sprite has");
                break;
            case kMoveActionShowSprites:
            case kMoveActionHideSprites:
                Numbers(where + ": move sprite list", a1);
                break;
            case kMoveActionPlaySound:
                File(where + ": move sound", a1);
                break;
            default:
                break;
        }
    }

    CFichaDoc& doc_;
    std::string folder_;
    std::set<int32_t> numbers_;
    std::set<std::string> identifiers_;
    std::map<std::string, std::optional<size_t>> titles_;
    std::vector<std::string> problems_;
};

}  // namespace

int RunCheck(const Arguments& args) {
    if (args.size() != 1) return UsageError("check", "expected one title file");
    CFichaDoc doc(Variant::player);
    std::string message;
    if (!LoadTitle(args[0], doc, false, nullptr, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return kFailure;
    }
    std::vector<std::string> problems = TitleChecker(doc).Run();
    for (const std::string& line : problems) std::printf("%s\n", line.c_str());
    return problems.empty() ? kSuccess : kFailure;
}

}  // namespace fcatool
