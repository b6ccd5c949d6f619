#pragma once
// The library's failures: the message table and RaiseError. Inside the
// library a failure travels as a TagError exception; the automation layer
// turns it into an HRESULT with error information, so no exception leaves the
// library.

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tagmora {

inline constexpr std::int32_t kErrorBase = static_cast<std::int32_t>(0x80040000u); // vbObjectError

class TagError : public std::exception {
public:
    TagError(std::int32_t code, std::string source, std::string description)
        : code_(code), source_(std::move(source)), description_(std::move(description))
    {
    }
    std::int32_t code() const { return code_; } // the HRESULT
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    std::int32_t code_;
    std::string source_;
    std::string description_;
};

// The message of string resource id ("" for an id outside the table).
std::string_view messageText(int id);

// Raises kErrorBase + id with the message of id, each find entry replaced by
// the matching replace entry. Lists of different lengths raise
// kErrorBase + 1000 from "RaiseError" instead.
[[noreturn]] void RaiseError(int id, std::string_view source, std::initializer_list<std::string_view> find = {},
                             std::initializer_list<std::string_view> replace = {});

// Raises the run-time error that stands for errno value err, naming path.
[[noreturn]] void raiseFileSystemError(int err, std::string_view source, std::string_view path);

} // namespace tagmora
