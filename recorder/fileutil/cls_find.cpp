#include "recorder/fileutil/cls_find.h"

#include "recorder/fileutil/wildcard_match.h"

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace recorder {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

struct Entry {
    std::string name;
    std::u32string sortKey;
    bool folder = false;
    FolderId id{};
};

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

// The folder's entries in a stable order; none when it cannot be listed.
// Entries whose type cannot be read (broken links) are left out.
std::vector<Entry> listFolder(const std::string& folder)
{
    std::vector<Entry> entries;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return entries;
    while (const dirent* d = ::readdir(dir.get())) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::stat((folder + name).c_str(), &st) != 0) continue;
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) continue;
        entries.push_back({name, caseFolded(name), S_ISDIR(st.st_mode), {st.st_dev, st.st_ino}});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.sortKey != b.sortKey ? a.sortKey < b.sortKey : a.name < b.name;
    });
    return entries;
}

std::vector<std::string_view> splitPatterns(std::string_view list)
{
    std::vector<std::string_view> patterns;
    for (;;) {
        const std::size_t semicolon = list.find(';');
        patterns.push_back(list.substr(0, semicolon));
        if (semicolon == std::string_view::npos) return patterns;
        list.remove_prefix(semicolon + 1);
    }
}

class Search {
public:
    Search(const std::vector<std::string_view>& patterns, bool recursive, std::vector<clsFile>& out)
        : patterns_(patterns), recursive_(recursive), out_(out)
    {
    }

    void folder(const std::string& path) // ends with "/"
    {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
        if (visited_.insert({st.st_dev, st.st_ino}).second) searchEntries(path);
    }

private:
    void searchEntries(const std::string& path)
    {
        const std::vector<Entry> entries = listFolder(path);
        if (recursive_) {
            for (const Entry& e : entries)
                if (e.folder && visited_.insert(e.id).second) searchEntries(path + e.name + "/");
        }
        for (const std::string_view pattern : patterns_) {
            for (const Entry& e : entries)
                if (!e.folder && MatchesWildcard(e.name, pattern)) out_.emplace_back(path + e.name);
        }
    }

    const std::vector<std::string_view>& patterns_;
    const bool recursive_;
    std::vector<clsFile>& out_;
    std::set<FolderId> visited_;
};

} // namespace

std::size_t clsFind::Find(std::string sFindPath, std::string_view sFindSpec, bool bRecursive)
{
    if (sFindPath.empty() || sFindPath.back() != '/') sFindPath += '/';
    const std::vector<std::string_view> patterns = splitPatterns(sFindSpec);
    Search(patterns, bRecursive, items_).folder(sFindPath);
    return items_.size();
}

void clsFind::Remove(std::size_t index)
{
    if (index >= items_.size()) throw std::out_of_range("clsFind::Remove: no item at this index");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace recorder
