#include "recorder/fileutil/wildcard_match.h"

#include "recorder/fileutil/utf8_code_points.h"

#include <QChar>

namespace recorder {

namespace {

// Greedy matching with a single backtrack point: the last "*" seen takes one
// more character whenever the rest fails, which is linear in practice and
// never recursive, whatever the pattern.
bool matches(std::u32string_view name, std::u32string_view pattern)
{
    std::size_t n = 0, p = 0;
    std::size_t starP = std::u32string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

} // namespace

std::u32string caseFolded(std::string_view text)
{
    std::u32string s = utf8::decode(text);
    for (char32_t& c : s) c = QChar::toCaseFolded(c);
    return s;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern)
{
    const std::u32string n = caseFolded(name);
    const std::u32string p = caseFolded(pattern);
    if (matches(n, p)) return true;
    const bool endsInDotStar = p.size() >= 2 && p.compare(p.size() - 2, 2, U".*") == 0;
    return endsInDotStar && n.find(U'.') == std::u32string::npos && matches(n + U'.', p);
}

} // namespace recorder
