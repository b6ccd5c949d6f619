#pragma once
// The output file of a recording: folder, base name, date-time stamp or a
// running number, and the format's list text as extension.

#include <ctime>
#include <functional>
#include <string>

namespace recorder {

// The four naming values as stored in [set] of settings.dat.
struct NamingSettings {
    std::string outputfolder;
    std::string filename;
    std::string datetime;
    std::string existedfile;
};

NamingSettings readNamingSettings(const std::string& settingsPath);

struct NamingContext {
    std::string defaultFolder; // where an unset output folder means (the music folder)
    std::string extension; // "WAV" … "AAC"
    int rowCount = 0;      // rows in the recordings list
    std::time_t now = 0;
    std::function<bool(const std::string&)> exists; // file existence, injectable for tests
};

// The path of the next recording. With "add number" and the plain name taken,
// the number is the first free one from rowCount + 1, so no earlier recording
// is ever overwritten.
std::string outputPath(const NamingSettings& s, const NamingContext& c);

// What the "Output Files" dialog shows on load.
struct OutputFilesForm {
    std::string folder;       // Text2
    std::string baseName;     // Text1
    bool dateTime = false;    // Check1
    bool addNumber = true;    // Option1 (false: Option2, overwrite)
};

OutputFilesForm loadOutputFilesForm(const NamingSettings& s, const std::string& defaultFolder);

// Whether the settings leave the output folder to the default.
bool usesDefaultFolder(const NamingSettings& s);

// OK: nullopt-like failure when the base name is blank (the dialog shows
// "Please enter audio file name." and stays open); otherwise the values to store.
bool validateOutputFilesForm(const OutputFilesForm& f);
NamingSettings namingSettingsFrom(const OutputFilesForm& f);
// Writes the four keys; false when settings.dat could not be written.
bool storeNamingSettings(const std::string& settingsPath, const NamingSettings& s);

} // namespace recorder
