#include "recorder/recording/output_naming.h"

#include "recorder/recording/settings_number.h"
#include "recorder/recording/time_and_size_text.h"
#include "recorder/settings/settings_store.h"

#include <filesystem>

namespace recorder {

namespace {

std::string folderOf(const NamingSettings& s, const std::string& defaultFolder)
{
    std::string folder = usesDefaultFolder(s) ? defaultFolder : s.outputfolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool isBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// An unset base name is the one the "Output Files" dialog shows for it, so a
// fresh installation never records into a hidden file named only ".WAV".
std::string baseNameOf(const NamingSettings& s) { return countsAs(s.filename, 0) ? "Recorded" : s.filename; }

} // namespace

NamingSettings readNamingSettings(const std::string& path)
{
    return {ReadIniValue(path, "set", "outputfolder"), ReadIniValue(path, "set", "filename"),
            ReadIniValue(path, "set", "datetime"), ReadIniValue(path, "set", "existedfile")};
}

std::string outputPath(const NamingSettings& s, const NamingContext& c)
{
    const std::string folder = folderOf(s, c.defaultFolder) + "/";
    const std::string name = baseNameOf(s);
    if (countsAs(s.datetime, 1)) return folder + name + dateTimeStamp(c.now) + "." + c.extension;
    std::string path = folder + name + "." + c.extension;
    auto exists = c.exists ? c.exists : [](const std::string& p) {
        std::error_code ec;
        return std::filesystem::exists(p, ec);
    };
    if (countsAs(s.existedfile, 0) && exists(path)) {
        for (long long n = c.rowCount + 1;; ++n) {
            path = folder + name + "_" + std::to_string(n) + "." + c.extension;
            if (!exists(path)) break;
        }
    }
    return path;
}

bool usesDefaultFolder(const NamingSettings& s) { return countsAs(s.outputfolder, 0); }

OutputFilesForm loadOutputFilesForm(const NamingSettings& s, const std::string& defaultFolder)
{
    OutputFilesForm f;
    f.folder = usesDefaultFolder(s) ? defaultFolder : s.outputfolder;
    f.baseName = baseNameOf(s);
    f.dateTime = countsAs(s.datetime, 1);
    f.addNumber = countsAs(s.existedfile, 0);
    return f;
}

bool validateOutputFilesForm(const OutputFilesForm& f) { return !isBlank(f.baseName); }

NamingSettings namingSettingsFrom(const OutputFilesForm& f)
{
    return {f.folder, f.baseName, f.dateTime ? "1" : "0", f.addNumber ? "0" : "1"};
}

bool storeNamingSettings(const std::string& path, const NamingSettings& s)
{
    bool ok = WriteIniValue(path, "set", "outputfolder", s.outputfolder);
    ok = WriteIniValue(path, "set", "filename", s.filename) && ok;
    ok = WriteIniValue(path, "set", "datetime", s.datetime) && ok;
    ok = WriteIniValue(path, "set", "existedfile", s.existedfile) && ok;
    return ok;
}

} // namespace recorder
