#include "tags/errors.h"

#include <cerrno>
#include <cstring>

namespace tagmora {

namespace {

struct Message {
    int id;
    const char* text;
};

constexpr Message kMessages[] = {
    {102, "The frame ID, %ID%, supplied is invalid."},
    {103, "The frame object supplied is invalid."},
    {104, "The data supplied does not make a valid comment frame."},
    {105, "The data supplied does not make a valid text frame"},
    {106, "The data supplied does not make a valid web frame."},
    {107, "The flag data supplied is either invalid or out of an acceptable range."},
    {108, "An unknown frame ID (%FRAMEID%)  was supplied."},
    {109, "The file, %FILE%, was not found."},
    {110, "The frame header data is of an incorrect size."},
    {111, "The file %FILE%, is read only"},
    {112, "The file %FILE% has an invalid file size."},
    {113, "The source array and destination array are not the same size"},
};

void replaceAll(std::string& text, std::string_view find, std::string_view with)
{
    if (find.empty()) return;
    for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + with.size()))
        text.replace(at, find.size(), with);
}

} // namespace

std::string_view messageText(int id)
{
    for (const auto& m : kMessages)
        if (m.id == id) return m.text;
    return {};
}

void RaiseError(int id, std::string_view source, std::initializer_list<std::string_view> find,
                std::initializer_list<std::string_view> replace)
{
    if (find.size() != 0 && replace.size() != 0 && find.size() != replace.size())
        throw TagError(kErrorBase + 1000, "RaiseError", "The replace array size does not match the with array");
    std::string text(messageText(id));
    if (find.size() == replace.size()) {
        auto with = replace.begin();
        for (auto f = find.begin(); f != find.end(); ++f, ++with) replaceAll(text, *f, *with);
    }
    throw TagError(kErrorBase + id, std::string(source), std::move(text));
}

void raiseFileSystemError(int err, std::string_view source, std::string_view path)
{
    // Visual Basic's run-time error numbers, as a library of its kind reports them.
    int number = 75;
    const char* text = "Path/File access error";
    switch (err) {
    case ENOENT: number = 53, text = "File not found"; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: number = 70, text = "Permission denied"; break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: number = 61, text = "Disk full"; break;
    case EIO: number = 57, text = "Device I/O error"; break;
    default: break;
    }
    std::string description = std::string(text) + ": " + std::string(path) + " (" + std::strerror(err) + ")";
    throw TagError(static_cast<std::int32_t>(0x800A0000u) + number, std::string(source), std::move(description));
}

} // namespace tagmora
