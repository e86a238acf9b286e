#include "player/SlideShow.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/CodePage.h"
#include "platform/Cursor.h"
#include "platform/FileNames.h"
#include "platform/Sound.h"
#include "player/Wipes.h"

namespace {

constexpr uint32_t kOpaque = 0xFFFFFFFF;
constexpr int kBytesPerPixel24 = 3;

// The comparison key of a name: letters folded to one case, the way the system's case-insensitive
// comparison folds them, so that punctuation such as '_' sorts before the letters.
std::string SortKey(const std::string& name) {
    std::string key = platform::Cp1252ToUpper(platform::Utf8ToCp1252(name));
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return key;
}

void FillBlack(CDIB& image) {
    if (image.GetBits())
        std::memset(
            image.GetBits(), 0,
            static_cast<size_t>(image.GetStorageWidth()) * static_cast<size_t>(image.CDIB::GetHeight()));
}

}  // namespace

std::string SlidePattern(const std::string& directory, const std::string& prefix) {
    return directory.empty() ? prefix + "*.jpg" : directory + "\\" + prefix + "*.jpg";
}

bool MatchesWindowsPattern(std::string_view name, std::string_view pattern) {
    const std::string n = platform::Cp1252ToUpper(name);
    const std::string p = platform::Cp1252ToUpper(pattern);
    // Greedy matching with one remembered star: on a mismatch the last star takes one more character.
    size_t ni = 0, pi = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++ni;
            ++pi;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool SlideNameLess(const std::string& a, const std::string& b) {
    const std::string ka = SortKey(a), kb = SortKey(b);
    return ka != kb ? ka < kb : a < b;
}

SlideListing ListSlides(const std::string& directory, const std::string& prefix,
                        const std::string& baseDirectory) {
    namespace fs = std::filesystem;
    platform::WaitCursor wait;
    SlideListing listing;
    if (directory.empty()) {
        listing.folder = baseDirectory;
    } else {
        std::optional<std::string> folder = platform::ResolveWindowsDirectory(directory, baseDirectory);
        if (!folder) return listing;
        listing.folder = *folder;
    }
    const std::string pattern = prefix + "*.jpg";
    std::error_code ec;
    fs::directory_iterator it(listing.folder.empty() ? fs::path(".") : fs::path(listing.folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (MatchesWindowsPattern(platform::Utf8ToCp1252(name), pattern))
            listing.names.push_back(std::move(name));
    }
    std::sort(listing.names.begin(), listing.names.end(), SlideNameLess);
    return listing;
}

std::string SlidePath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

void ComposeSlide(CDIB& background, CDIB& picture, CDIB& composition) {
    if (!composition.HasImage()) return;
    const int32_t width = composition.CDIB::GetWidth();
    const int32_t height = composition.CDIB::GetHeight();
    const bool covers = background.HasImage() && background.GetBitCount() == composition.GetBitCount() &&
                        background.CDIB::GetWidth() >= width && background.CDIB::GetHeight() >= height;
    // A background that does not fill the composition would leave the last slide showing around it.
    if (!covers) FillBlack(composition);
    background.CopyBits(&composition, 0, 0, width, height, 0, 0, kOpaque);
    if (!picture.HasImage()) return;
    const int32_t pw = picture.CDIB::GetWidth();
    const int32_t ph = picture.CDIB::GetHeight();
    picture.CopyBits(&composition, (width - pw) / 2, (height - ph) / 2, pw, ph, 0, 0, kOpaque);
}

platform::Point CentredWindowOrigin(int32_t screenWidth, int32_t screenHeight, int32_t width,
                                    int32_t height) {
    return {std::max((screenWidth - width) / 2, 0), std::max((screenHeight - height) / 2, 0)};
}

CSlideShow::CSlideShow(const CSprite::Arguments& args, std::string baseDirectory)
    : backgroundFile_(args[0]),
      namePrefix_(args[1]),
      directory_(args[2]),
      soundFile_(args[3]),
      baseDirectory_(std::move(baseDirectory)) {}

CSlideShow::~CSlideShow() {
    Stop();
}

bool CSlideShow::Start() {
    picture_ = std::make_unique<CDibJpeg>();
    background_ = std::make_unique<CDibJpeg>();
    composition_ = std::make_unique<CDibJpeg>();
    LoadBackground();
    composition_->Create(kSlideShowWidth, kSlideShowHeight, kBytesPerPixel24);
    StartSound();
    listing_ = ListSlides(directory_, namePrefix_, baseDirectory_);
    nextIndex_ = 0;
    if (listing_.names.empty()) return false;
    ComposePath(TakeNextPath());
    return true;
}

bool CSlideShow::Advance() {
    if (!composition_ || nextIndex_ >= FileCount()) return false;
    ComposePath(TakeNextPath());
    effectIndex_ = NextEffect(effectIndex_);
    return true;
}

void CSlideShow::Stop() {
    if (soundStarted_) {
        platform::Sounds().Stop();
        soundStarted_ = false;
    }
    background_.reset();
    composition_.reset();
    picture_.reset();
}

std::string CSlideShow::TakeNextPath() {
    return SlidePath(listing_.folder, listing_.names[static_cast<size_t>(nextIndex_++)]);
}

void CSlideShow::ComposePath(const std::string& path) {
    platform::WaitCursor wait;
    picture_->Load(path);
    ComposeSlide(*background_, *picture_, *composition_);
}

void CSlideShow::LoadBackground() {
    if (!backgroundFile_.empty() && background_->Load(RealPath(backgroundFile_))) return;
    background_->Create(kSlideShowWidth, kSlideShowHeight, kBytesPerPixel24);
}

void CSlideShow::StartSound() {
    if (soundFile_.empty()) return;
    // A sound that cannot be played leaves the show silent; nothing is reported.
    platform::Sounds().PlayFile(RealPath(soundFile_), false);
    soundStarted_ = true;
}

std::string CSlideShow::RealPath(const std::string& storedName) const {
    std::optional<std::string> resolved = platform::ResolveWindowsPath(storedName, baseDirectory_);
    return resolved ? *resolved : platform::Cp1252ToUtf8(storedName);
}
