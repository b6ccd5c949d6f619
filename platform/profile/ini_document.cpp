#include "platform/profile/ini_document.h"

#include <algorithm>

namespace profile {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool iequal(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// "[name]" → name; anything else → nullopt.
std::optional<std::string_view> sectionName(std::string_view raw)
{
    auto s = trim(raw);
    if (s.empty() || s.front() != '[') return std::nullopt;
    auto close = s.find(']');
    if (close == npos) return std::nullopt;
    return trim(s.substr(1, close - 1));
}

bool isComment(std::string_view s) { return !s.empty() && (s.front() == ';' || s.front() == '#'); }

// "key = value" → key; comments and lines without '=' have none.
std::optional<std::string_view> keyName(std::string_view raw)
{
    auto s = trim(raw);
    if (s.empty() || isComment(s) || s.front() == '[') return std::nullopt;
    auto eq = s.find('=');
    if (eq == npos) return std::nullopt;
    return trim(s.substr(0, eq));
}

std::string_view valueOf(std::string_view raw)
{
    auto eq = raw.find('=');
    return trim(raw.substr(eq + 1));
}

} // namespace

IniDocument IniDocument::parse(std::string_view text)
{
    IniDocument doc;
    if (text.starts_with("\xEF\xBB\xBF")) {
        doc.bom_ = text.substr(0, 3);
        text.remove_prefix(3);
    }
    bool sawLineEnd = false;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        Line l;
        if (nl != npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            l.crlf = true;
        }
        if (!sawLineEnd && nl != npos) {
            doc.crlf_ = l.crlf;
            sawLineEnd = true;
        }
        l.raw = std::string(line);
        if (nl == npos) l.crlf = doc.crlf_; // the line end it gets if lines are added after it
        doc.lines_.push_back(std::move(l));
        if (nl == npos) {
            doc.finalNewline_ = false;
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return doc;
}

std::string IniDocument::text() const
{
    std::string out = bom_;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].raw;
        if (i + 1 < lines_.size() || finalNewline_) out += lines_[i].crlf ? "\r\n" : "\n";
    }
    return out;
}

std::size_t IniDocument::findSection(std::string_view section) const
{
    auto wanted = trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = sectionName(lines_[i].raw);
        if (name && iequal(*name, wanted)) return i;
    }
    return npos;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines_.size() && !sectionName(lines_[i].raw)) ++i;
    return i;
}

std::size_t IniDocument::findKey(std::size_t header, std::string_view key) const
{
    auto wanted = trim(key);
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        auto name = keyName(lines_[i].raw);
        if (name && iequal(*name, wanted)) return i;
    }
    return npos;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const
{
    const std::size_t header = findSection(section);
    if (header == npos) return std::nullopt;
    const std::size_t line = findKey(header, key);
    if (line == npos) return std::nullopt;
    return std::string(valueOf(lines_[line].raw));
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    std::size_t header = findSection(section);
    if (header == npos) {
        // A file without a final line end gets one before the new section.
        finalNewline_ = true;
        lines_.push_back({"[" + std::string(trim(section)) + "]", crlf_});
        header = lines_.size() - 1;
    }
    const std::size_t line = findKey(header, key);
    if (line != npos) {
        // Keep the spelling and indentation of the existing key.
        const std::string& raw = lines_[line].raw;
        lines_[line].raw = raw.substr(0, raw.find('=') + 1) + std::string(value);
        return;
    }
    // After the last non-blank line of the section.
    std::size_t at = sectionEnd(header);
    while (at > header + 1 && trim(lines_[at - 1].raw).empty()) --at;
    if (at == lines_.size()) finalNewline_ = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::string(trim(key)) + "=" + std::string(value), crlf_});
}

bool IniDocument::remove(std::string_view section, std::string_view key)
{
    const std::size_t header = findSection(section);
    if (header == npos) return false;
    const std::size_t line = findKey(header, key);
    if (line == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
    return true;
}

bool IniDocument::removeSection(std::string_view section)
{
    const std::size_t header = findSection(section);
    if (header == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header), lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
    return true;
}

std::vector<std::string> IniDocument::sections() const
{
    std::vector<std::string> out;
    for (auto& l : lines_)
        if (auto name = sectionName(l.raw)) {
            bool seen = std::any_of(out.begin(), out.end(), [&](const std::string& s) { return iequal(s, *name); });
            if (!seen) out.emplace_back(*name);
        }
    return out;
}

std::vector<std::string> IniDocument::keys(std::string_view section) const
{
    std::vector<std::string> out;
    const std::size_t header = findSection(section);
    if (header == npos) return out;
    const std::size_t end = sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (auto name = keyName(lines_[i].raw)) out.emplace_back(*name);
    return out;
}

} // namespace profile
