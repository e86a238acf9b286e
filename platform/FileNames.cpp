#include "platform/FileNames.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/CodePage.h"
#include "platform/File.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

enum class Want { file, directory };

// Windows never took longer names than this, and a bound keeps a hostile name from costing much.
constexpr size_t kMaxStoredName = 4096;

struct StoredName {
    bool absolute = false;
    std::vector<std::string> components;  // Windows-1252 bytes, without "." and empty parts
};

bool IsDriveLetter(const std::string& s) {
    return s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

std::optional<StoredName> Split(const std::string& stored) {
    if (stored.empty() || stored.size() > kMaxStoredName || stored.find('\0') != std::string::npos)
        return std::nullopt;
    StoredName name;
    size_t i = IsDriveLetter(stored) ? 2 : 0;
    name.absolute = i < stored.size() && (stored[i] == '\\' || stored[i] == '/');
    std::string part;
    for (; i <= stored.size(); ++i) {
        if (i == stored.size() || stored[i] == '\\' || stored[i] == '/') {
            if (!part.empty() && part != ".") name.components.push_back(part);
            part.clear();
        } else {
            part += stored[i];
        }
    }
    if (name.components.empty()) return std::nullopt;
    return name;
}

fs::path ForSystem(const fs::path& p) {
    return p.empty() ? fs::path(".") : p;
}

bool Is(const fs::path& p, Want want) {
    std::error_code ec;
    auto st = fs::status(ForSystem(p), ec);
    if (ec) return false;
    return want == Want::file ? fs::is_regular_file(st) : fs::is_directory(st);
}

// The names of a directory's entries, each with its Windows-1252 capitals (empty for a name the code
// page cannot spell, which cannot have been stored in a title).
// What an entry is, as the listing saw it; a link is only known by following it.
enum class Kind { file, directory, other, link };

struct Entry {
    std::string name;
    std::string key;
    Kind kind;
};
struct Listing {
    std::vector<Entry> entries;
    // False when the folder could not be read to its end: a folder one may pass through but not list.
    bool complete = true;
};

std::shared_ptr<const Listing> ReadListing(const fs::path& dir) {
    auto listing = std::make_shared<Listing>();
    std::error_code ec;
    fs::directory_iterator it(ForSystem(dir), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::string bytes = Utf8ToCp1252(name);
        std::string key = Cp1252ToUtf8(bytes) == name ? Cp1252ToUpper(bytes) : std::string();
        // The type comes with the listing, without a call of its own, for all but links.
        std::error_code typeError;
        Kind kind = Kind::link;
        if (!it->is_symlink(typeError) && !typeError) {
            kind = it->is_directory(typeError)      ? Kind::directory
                   : it->is_regular_file(typeError) ? Kind::file
                                                    : Kind::other;
            if (typeError) kind = Kind::link;
        }
        listing->entries.push_back({std::move(name), std::move(key), kind});
    }
    listing->complete = !ec;
    return listing;
}

// A title names the same few folders on every card it shows, and listing a folder costs several system
// calls and a conversion of every name in it. A listing is therefore kept, and used again while the
// folder's status change time stays as it was: every change to the folder's entries moves it, and unlike
// the modification time no program can set it back. The clock that stamps it is coarse, so a change made
// within the same tick as the listing could leave it unchanged: only a folder that had settled for a
// while before it was listed is kept.
class ListingCache {
  public:
    std::shared_ptr<const Listing> Get(const fs::path& dir) {
        const std::optional<FileStamp> stamp = StampOf(ForSystem(dir).string());
        if (!stamp) return ReadListing(dir);
        // The folder itself, whatever name it was reached by.
        const Key key{stamp->device, stamp->node};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = kept_.find(key);
            if (it != kept_.end() && it->second.stamp == *stamp) return it->second.listing;
        }
        std::shared_ptr<const Listing> listing = ReadListing(dir);
        if (stamp->Settled() && listing->complete) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (kept_.size() >= kMaxKept) kept_.clear();
            kept_[key] = {*stamp, listing};
        }
        return listing;
    }

  private:
    static constexpr size_t kMaxKept = 64;
    using Key = std::pair<uint64_t, uint64_t>;
    struct Kept {
        FileStamp stamp;
        std::shared_ptr<const Listing> listing;
    };
    std::mutex mutex_;
    std::map<Key, Kept> kept_;
};

ListingCache& Listings() {
    static ListingCache cache;
    return cache;
}

// An entry that may be what is wanted: its path, and whether it is known to be that already.
struct Candidate {
    fs::path path;
    bool is;
};

// The entries of `dir` whose names equal `component` without regard to letter case and that are, or may
// be, what is wanted; the exact spelling first. Names that Windows-1252 cannot spell cannot have been
// stored in a title and are skipped. The listing is the folder as it is now (a kept one is used only
// while the folder's stamp is unchanged), so it tells both which names are there and, but for links,
// what they are.
std::vector<Candidate> Matches(const fs::path& dir, const std::string& component, Want want) {
    const std::string exact = Cp1252ToUtf8(component);
    const std::string key = Cp1252ToUpper(component);
    const Kind wanted = want == Want::file ? Kind::file : Kind::directory;
    std::vector<Candidate> found;
    std::vector<std::pair<std::string, bool>> others;
    const std::shared_ptr<const Listing> listing = Listings().Get(dir);
    // What cannot be listed may still be reached by its exact name.
    std::error_code ec;
    if (!listing->complete && fs::exists(ForSystem(dir) / exact, ec)) found.push_back({dir / exact, false});
    for (const Entry& entry : listing->entries) {
        if (entry.kind != wanted && entry.kind != Kind::link) continue;
        const bool known = entry.kind == wanted;
        if (entry.name == exact) {
            if (listing->complete) found.push_back({dir / entry.name, known});
        } else if (!entry.key.empty() && entry.key == key) {
            others.emplace_back(entry.name, known);
        }
    }
    std::sort(others.begin(), others.end());
    for (auto& [name, known] : others) found.push_back({dir / name, known});
    return found;
}

// Follows the components from `dir`; several entries may differ only in case, so each is tried. `dir` is
// known to be a directory, or what is wanted once the components are used up, unless `checked` is false.
std::optional<fs::path> Walk(const fs::path& dir, const std::vector<std::string>& parts, size_t index,
                             Want want, bool checked = false) {
    if (index == parts.size()) return checked || Is(dir, want) ? std::optional<fs::path>(dir) : std::nullopt;
    const Want here = index + 1 == parts.size() ? want : Want::directory;
    if (parts[index] == "..") {
        fs::path up = dir / "..";
        return Is(up, Want::directory) ? Walk(up, parts, index + 1, want) : std::nullopt;
    }
    for (const Candidate& candidate : Matches(dir, parts[index], here)) {
        if (!candidate.is && !Is(candidate.path, here)) continue;
        if (auto resolved = Walk(candidate.path, parts, index + 1, want, true)) return resolved;
    }
    return std::nullopt;
}

std::optional<std::string> Resolve(const std::string& stored, const std::string& base, Want want) {
    auto name = Split(stored);
    if (!name) return std::nullopt;
    const auto& parts = name->components;
    if (!name->absolute) {
        auto found = Walk(fs::path(base), parts, 0, want);
        return found ? std::optional<std::string>(found->string()) : std::nullopt;
    }
    if (auto found = Walk(fs::path("/"), parts, 0, want)) return found->string();
    // The path of another machine or of a CD: look for its tail under the base directory, dropping
    // one leading folder after another.
    for (size_t first = 0; first < parts.size(); ++first) {
        if (parts[first] == "..") continue;
        if (auto found = Walk(fs::path(base), parts, first, want)) return found->string();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ResolveWindowsPath(const std::string& storedName,
                                              const std::string& baseDirectory) {
    return Resolve(storedName, baseDirectory, Want::file);
}

std::optional<std::string> ResolveWindowsDirectory(const std::string& storedName,
                                                   const std::string& baseDirectory) {
    return Resolve(storedName, baseDirectory, Want::directory);
}

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOfPath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace platform
