#include "model/TitleCheck.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "engine/PhasedSprite.h"
#include "model/Actions.h"
#include "model/ArchiveErrors.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/FileNames.h"

namespace {

std::string Utf8(const std::string& cp1252) {
    return platform::Cp1252ToUtf8(cp1252);
}

// The file name of the title an action of code 16 opens on card `index` (zero-based): the stem followed
// by the card's number, two digits below ten.
std::string VideoTitleName(const std::string& stem, size_t index) {
    const size_t k = index + 1;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, k < 10 ? "0%1zu" : "%2zu", k);
    return stem + suffix + ".fca";
}

// The other titles an action names, each looked for beside the title and opened once.
class OtherTitles {
  public:
    explicit OtherTitles(const CFichaDoc& doc) : folder_(doc.GetBaseDirectory()), own_(doc.GetPathName()) {}

    struct Found {
        std::optional<std::string> path;  // none: not beside the title
        std::optional<size_t> cards;      // none: it does not open
        std::string message;              // why it does not open
    };

    const Found& Look(const std::string& name) {
        auto known = byName_.find(name);
        if (known != byName_.end()) return known->second;
        Found found;
        found.path = platform::ResolveWindowsPath(name, folder_);
        if (found.path) {
            auto opened = byPath_.find(*found.path);
            if (opened == byPath_.end()) opened = byPath_.emplace(*found.path, Open(*found.path)).first;
            found.cards = opened->second.first;
            found.message = opened->second.second;
        }
        return byName_.emplace(name, std::move(found)).first->second;
    }

    // Whether the action's stem names the title itself.
    bool IsOwn(const std::string& stem) {
        if (own_.empty()) return false;
        const Found& found = Look(stem + ".fca");
        std::error_code error;
        return found.path && std::filesystem::equivalent(*found.path, own_, error);
    }

  private:
    static std::pair<std::optional<size_t>, std::string> Open(const std::string& path) {
        platform::DiskFile file;
        if (platform::FileError error = file.Open(path, platform::DiskFile::Mode::read);
            error != platform::FileError::none)
            return {std::nullopt, FileErrorMessage(error, path, DocumentOperation::open)};
        RegisterTitleClasses();
        CFichaDoc other(Variant::player);
        std::string message;
        if (!other.Load(file, &message)) return {std::nullopt, message};
        return {other.GetCards().GetSize(), std::string()};
    }

    std::string folder_;
    std::string own_;
    std::map<std::string, Found> byName_;
    std::map<std::string, std::pair<std::optional<size_t>, std::string>> byPath_;
};

// Walks a title for what would go wrong when it plays, collecting one finding per problem.
class TitleChecker {
  public:
    explicit TitleChecker(CFichaDoc& doc) : doc_(doc), folder_(doc.GetBaseDirectory()), titles_(doc) {
        for (CSprite* s : doc.GetSpriteList()) numbers_.insert(s->GetNumber());
        for (const auto& card : doc.GetCards())
            for (const auto& text : card->texts) identifiers_.insert(text->identifier);
    }

    std::vector<TitleFinding> Run() {
        if (!doc_.backgroundMusic.empty()) File("background music", doc_.backgroundMusic);
        for (size_t i = 0; i < doc_.GetCards().GetSize(); ++i) {
            card_ = static_cast<int>(i);
            CheckCard(i, *doc_.GetCards().GetAt(i));
        }
        card_ = -1;
        for (CSprite* s : doc_.GetSpriteList()) {
            sprite_ = s->GetNumber();
            CheckSprite(*s);
        }
        return findings_;
    }

  private:
    void Report(const std::string& line) { findings_.push_back({line, card_, sprite_}); }

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
            if (s && IsTextScrollAction(s->GetClickAction()) &&
                !card.texts.FindExact(s->GetClickArgument(0))) {
                sprite_ = n;
                Report(where + ": sprite " + std::to_string(n) + " scrolls text \"" +
                       Utf8(s->GetClickArgument(0)) + "\", which the card lacks");
                sprite_.reset();
            }
        }
    }

    // The card count of another title, or nothing when it is missing or does not open.
    std::optional<size_t> TitleCards(const std::string& stem, const std::string& where) {
        const std::string name = stem + ".fca";
        const OtherTitles::Found& found = titles_.Look(name);
        if (!found.path)
            Report(where + ": title \"" + Utf8(name) + "\" not found");
        else if (!found.cards && brokenReported_.insert(*found.path).second)
            Report(where + ": title \"" + Utf8(name) + "\" does not open: " + found.message);
        return found.cards;
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
                for (size_t k = 0; k < doc_.GetCards().GetSize(); ++k) {
                    const std::string name = VideoTitleName(a1, k);
                    if (!platform::ResolveWindowsPath(name, folder_)) {
                        card_ = static_cast<int>(k);
                        Report(where + ": video title \"" + Utf8(name) + "\" for card " + std::to_string(k) +
                               " not found");
                        card_ = -1;
                    }
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
    OtherTitles titles_;
    std::set<int32_t> numbers_;
    std::set<std::string> identifiers_;
    std::set<std::string> brokenReported_;  // a title that does not open is reported once
    std::vector<TitleFinding> findings_;
    int card_ = -1;
    std::optional<int32_t> sprite_;
};

// ---------------------------------------------------------------- card references after a move

// The card of this title an action reaches by its number: zero-based, or none.
std::optional<long> OwnCardReached(const CSprite& s, OtherTitles& titles, size_t cardCount) {
    const std::string& a1 = s.GetClickArgument(0);
    const std::string& a2 = s.GetClickArgument(1);
    switch (s.GetClickAction()) {
        case kActionOpenCard:
            // "*" starts at the index of the last card of the title being left: here this title's own.
            if (a2.empty() || !(a1.empty() || titles.IsOwn(a1))) return std::nullopt;
            if (a2 == "*") return cardCount == 0 ? std::nullopt : std::optional<long>(long(cardCount) - 1);
            return std::atol(a2.c_str()) - 1;
        case kActionPreviousCard:
            if (a1.empty() || !titles.IsOwn(a1)) return std::nullopt;
            if (a2 == "*") return cardCount == 0 ? std::nullopt : std::optional<long>(long(cardCount) - 1);
            if (std::atol(a2.c_str()) > 0) return std::atol(a2.c_str());
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::vector<TitleFinding> CheckTitle(CFichaDoc& doc) {
    return TitleChecker(doc).Run();
}

std::vector<std::set<int32_t>> SpritesShownByCards(CFichaDoc& doc) {
    std::vector<std::pair<CSprite*, bool>> loaded;
    for (CSprite* s : doc.GetSpriteList()) loaded.emplace_back(s, s->IsVisible());
    std::vector<std::set<int32_t>> shown(doc.GetCards().GetSize());
    for (size_t i = 0; i < shown.size(); ++i) {
        for (auto& [sprite, visible] : loaded) sprite->SetVisible(visible);
        doc.GoToCard(static_cast<int>(i));
        doc.ApplyCurrentCardToSprites();
        for (CSprite* s : doc.GetSpriteList())
            if (s->IsVisible() && !IsProxyNumber(s->GetNumber())) shown[i].insert(s->GetNumber());
    }
    for (auto& [sprite, visible] : loaded) sprite->SetVisible(visible);
    return shown;
}

std::vector<TitleFinding> CardReferencesAfterMove(const CFichaDoc& doc, const std::vector<size_t>& order) {
    std::vector<TitleFinding> findings;
    OtherTitles titles(doc);
    const size_t count = order.size();
    // Where each card of before lies now.
    std::vector<size_t> now(count);
    for (size_t i = 0; i < count; ++i)
        if (order[i] < count) now[order[i]] = i;
    bool anyMoved = false;
    for (size_t i = 0; i < count; ++i) anyMoved = anyMoved || order[i] != i;
    if (!anyMoved) return findings;
    for (CSprite* s : doc.GetSpriteList()) {
        if (IsProxyNumber(s->GetNumber())) continue;
        const std::string where = "sprite " + std::to_string(s->GetNumber());
        const int32_t code = s->GetClickAction();
        const char* label = kClickActionLabels[code >= 0 && code < kClickActionCount ? size_t(code) : 0];
        if (s->GetClickAction() == kActionPlayVideoTitle) {
            std::string moved;
            for (size_t i = 0; i < count; ++i)
                if (order[i] != i) moved += (moved.empty() ? "" : ", ") + std::to_string(i);
            findings.push_back({where + ": " + label +
                                    ": the titles numbered after the cards now open on "
                                    "other cards (cards " +
                                    moved + " moved)",
                                -1, s->GetNumber()});
            continue;
        }
        std::optional<long> index = OwnCardReached(*s, titles, count);
        if (!index || *index < 0 || static_cast<size_t>(*index) >= count) continue;
        const size_t at = static_cast<size_t>(*index);
        if (order[at] == at) continue;
        findings.push_back({where + ": " + label + ": card index " + std::to_string(at) +
                                " now reaches the card that was at " + std::to_string(order[at]) +
                                "; the card it reached is now at " + std::to_string(now[at]),
                            static_cast<int>(now[at]), s->GetNumber()});
    }
    return findings;
}

std::vector<TitleLink> TitleLinks(CFichaDoc& doc) {
    std::vector<TitleLink> links;
    OtherTitles titles(doc);
    const std::vector<std::set<int32_t>> shown = SpritesShownByCards(doc);
    const int count = static_cast<int>(doc.GetCards().GetSize());
    auto toTitle = [&](TitleLink link, const std::string& name, int card) {
        const OtherTitles::Found& found = titles.Look(name);
        link.kind = TitleLink::Kind::title;
        link.title = Utf8(name);
        link.card = card;
        link.missing = !found.cards || (card >= 0 && static_cast<size_t>(card) >= *found.cards);
        links.push_back(link);
    };
    auto toCard = [&](TitleLink link, int card) {
        link.kind = TitleLink::Kind::card;
        link.card = card;
        link.missing = card < 0 || card >= count;
        links.push_back(link);
    };
    for (int i = 0; i < count; ++i) {
        for (CSprite* s : doc.GetSpriteList()) {
            if (!shown[size_t(i)].count(s->GetNumber())) continue;
            TitleLink link;
            link.fromCard = i;
            link.sprite = s->GetNumber();
            link.action = s->GetClickAction();
            const std::string& a1 = s->GetClickArgument(0);
            const std::string& a2 = s->GetClickArgument(1);
            switch (s->GetClickAction()) {
                case kActionOpenCard: {
                    const int card = a2 == "*" ? count - 1 : a2.empty() ? 0 : std::atoi(a2.c_str()) - 1;
                    if (titles.IsOwn(a1))
                        toCard(link, card);
                    else
                        toTitle(link, a1 + ".fca", a2 == "*" ? -1 : card);
                    break;
                }
                case kActionNextCard:
                    if (i + 1 < count)
                        toCard(link, i + 1);
                    else if (!a1.empty())
                        toTitle(link, a1 + ".fca", -1);
                    break;
                case kActionPreviousCard:
                    if (i > 0) {
                        toCard(link, i - 1);
                    } else if (!a1.empty()) {
                        const int n = std::atoi(a2.c_str());
                        const int card = a2 == "*" ? -1 : n > 0 ? n : -1;
                        if (titles.IsOwn(a1))
                            toCard(link, card < 0 ? count - 1 : card);
                        else
                            toTitle(link, a1 + ".fca", card);
                    }
                    break;
                case kActionCardsList:
                    link.kind = TitleLink::Kind::cardsList;
                    links.push_back(link);
                    break;
                case kActionPlayVideoTitle:
                    toTitle(link, VideoTitleName(a1, size_t(i)), i);
                    break;
                default:
                    break;
            }
        }
    }
    return links;
}
