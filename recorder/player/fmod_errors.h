#pragma once
// The stream player's error codes and the text shown for each, numbered as
// the FMOD 3 library numbers its errors, which callers and messages use.

#include <string_view>

namespace recorder {

enum FmodError : int {
    kFmodErrNone = 0,
    kFmodErrBusy = 1,
    kFmodErrUninitialized = 2,
    kFmodErrInit = 3,
    kFmodErrAllocated = 4,
    kFmodErrPlay = 5,
    kFmodErrOutputFormat = 6,
    kFmodErrCooperativeLevel = 7,
    kFmodErrCreateBuffer = 8,
    kFmodErrFileNotFound = 9,
    kFmodErrFileFormat = 10,
    kFmodErrFileBad = 11,
    kFmodErrMemory = 12,
    kFmodErrVersion = 13,
    kFmodErrInvalidParam = 14,
    kFmodErrNoEax = 15,
    kFmodErrChannelAlloc = 16,
    kFmodErrRecord = 17,
    kFmodErrMediaPlayer = 18,
    kFmodErrCdDevice = 19,
};

// The text of an error code; "Unknown error" for a code outside the table.
std::string_view fmodErrorText(int code);

} // namespace recorder
