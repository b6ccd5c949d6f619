#pragma once
// Private-profile reads and writes on a file: the stand-in for the Windows
// GetPrivateProfileString / WritePrivateProfileString pair.
//
// A write replaces the file atomically: the new content goes to a sibling
// file, is flushed to disk and renamed over the old one, keeping its
// permissions, so a failed or interrupted write never leaves a truncated file.

#include "platform/profile/ini_document.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace profile {

// The trimmed value, or nullopt when the file, section or key is missing.
std::optional<std::string> readProfileString(const std::filesystem::path& file, std::string_view section,
                                             std::string_view key);

// Creates the file and the section as needed. Returns the failure (empty on success).
std::error_code writeProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                                   std::string_view value);
std::error_code deleteProfileKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
std::error_code deleteProfileSection(const std::filesystem::path& file, std::string_view section);

// Whole-document access for callers that change several keys in one write.
std::error_code loadDocument(const std::filesystem::path& file, IniDocument& doc); // a missing file is an empty document
std::error_code saveDocument(const std::filesystem::path& file, const IniDocument& doc);

// Writes bytes to path by way of a flushed sibling file and a rename.
std::error_code replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace profile
