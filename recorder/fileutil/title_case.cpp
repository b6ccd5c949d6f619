#include "recorder/fileutil/title_case.h"

#include "recorder/fileutil/utf8_code_points.h"

#include <QChar>

namespace recorder {

namespace {

std::string spacesForUnderscoresAndEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out += ' ';
        } else if (text.substr(i, 3) == "%20") {
            out += ' ';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool separatesWords(char32_t c)
{
    return c == 0 || c == ' ' || (c >= '\t' && c <= '\r');
}

bool capitalizesNext(char32_t c)
{
    switch (c) {
    case '[': case '(': case '{': case '.': case '/': case '\\': case '-':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string TitleCase(std::string_view text)
{
    std::u32string s = utf8::decode(spacesForUnderscoresAndEscapes(text));
    bool wordStart = true;
    for (char32_t& c : s) {
        if (separatesWords(c)) {
            wordStart = true;
            continue;
        }
        c = wordStart ? QChar::toUpper(c) : QChar::toLower(c);
        wordStart = false;
    }
    for (std::size_t i = 1; i < s.size(); ++i)
        if (capitalizesNext(s[i - 1])) s[i] = QChar::toUpper(s[i]);
    return utf8::encode(s);
}

} // namespace recorder
