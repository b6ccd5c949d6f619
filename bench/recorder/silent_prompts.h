#pragma once
// Prompts for the benchmarks: every question answered Cancel, every message
// printed to standard error, every file dialog answered from `nextFile`.

#include "recorder/widgets/user_prompts.h"

#include <cstdio>
#include <optional>
#include <string>

namespace bench {

class SilentPrompts final : public recorder::UserPrompts {
public:
    std::optional<std::string> nextFile;

    recorder::MessageAnswer message(QWidget*, const std::string& text, recorder::MessageIcon, recorder::MessageButtons) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return recorder::MessageAnswer::Cancel;
    }
    std::optional<std::string> input(QWidget*, const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> pickFolder(QWidget*, const std::string&) override { return std::nullopt; }
    std::optional<std::string> openFile(QWidget*, const std::string&, const std::string&) override { return nextFile; }
    std::optional<std::string> saveFile(QWidget*, const std::string&, const std::string&) override { return std::nullopt; }
};

} // namespace bench
