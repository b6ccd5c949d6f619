#pragma once
// An INI file held in memory with the rules of Windows private-profile files:
// sections and keys matched without regard to (ASCII) case, the first of
// duplicates wins, values trimmed of surrounding white space, and every line
// the caller does not change kept exactly as it was (comments, blank lines,
// foreign text, line ends). CR LF and LF line ends read alike; lines that are
// added use the file's own line end.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

class IniDocument {
public:
    IniDocument() = default;
    static IniDocument parse(std::string_view text);
    std::string text() const;

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    // Replaces the key's line or adds it at the end of its section, creating the section.
    void set(std::string_view section, std::string_view key, std::string_view value);
    bool remove(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Line {
        std::string raw; // without its line end
        bool crlf = false;
    };
    // Index of the section's header line, or npos.
    std::size_t findSection(std::string_view section) const;
    // One past the last line belonging to the section that starts at header.
    std::size_t sectionEnd(std::size_t header) const;
    std::size_t findKey(std::size_t header, std::string_view key) const;

    std::string bom_;
    std::vector<Line> lines_;
    bool finalNewline_ = true;
    bool crlf_ = false; // line end used for added lines
};

} // namespace profile
