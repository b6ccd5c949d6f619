#pragma once
// Test helpers for code that works on files: a scratch folder, whole-file
// reads and writes, and environment variables set for one test.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <unistd.h>

namespace scratch {

// A fresh folder under /tmp, removed with everything in it on destruction.
class Folder {
public:
    Folder()
    {
        char tmpl[] = "/tmp/velmor-scratch-XXXXXX";
        if (::mkdtemp(tmpl)) path_ = tmpl;
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Sets (or unsets, with nullopt) a variable until the end of the scope; the
// one-argument form only restores it, for a test that sets it later.
class Env {
public:
    explicit Env(const char* name) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
    }
    Env(const char* name, const std::optional<std::string>& value) : Env(name) { set(value); }
    ~Env() { set(old_); }
    Env(const Env&) = delete;
    Env& operator=(const Env&) = delete;
    void set(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace scratch
