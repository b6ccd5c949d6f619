#pragma once
// The control's error vocabulary: internal codes, their HRESULTs and messages.

#include "platform/com/types.h"

namespace dxrecord {

enum ErrorCode : int {
    kNoError = 0,
    kBusy = -10,
    kOutOfMemory = -11,
    kFileFormat = -12,
    kFormatNotSupported = -13,
    kOutputDriver = -14,
    kInputDriver = -15,
    kMixerDriver = -16,
    kAcmDriver = -17,
    kFileAccess = -18,
    kInvalidOperation = -19,
    kInvalidParameter = -20,
    kAspiDriver = -21,
    kNotInstalled = -22,
    kIndexOutOfRange = -23,
    kStreamClosed = -24,
    kUnexpected = -1, // any code outside the table
};

HRESULT hresultForCode(int code);
const char* messageForCode(int code);

// Sets the thread's error information for a nonzero code and returns its
// HRESULT; S_OK for 0.
HRESULT raiseError(int code);

} // namespace dxrecord
