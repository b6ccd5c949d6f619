#include "capture/error_table.h"

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/errorinfo.h"

namespace dxrecord {

namespace {

struct Entry {
    int code;
    std::uint32_t hr;
    const char* message;
};

// -18 shares -12's HRESULT: the table has always mapped it so.
constexpr Entry kTable[] = {
    {kBusy, 0x80040301, "Busy error."},
    {kOutOfMemory, 0x80040302, "Exceeded available memory."},
    {kFileFormat, 0x80040303, "File format error."},
    {kFormatNotSupported, 0x80040304, "Format is not supported."},
    {kOutputDriver, 0x80040305, "Output Driver error."},
    {kInputDriver, 0x80040306, "Input Driver error."},
    {kMixerDriver, 0x80040307, "Mixer Driver error."},
    {kAcmDriver, 0x80040308, "ACM Driver error."},
    {kFileAccess, 0x80040303, "File access error."},
    {kInvalidOperation, 0x8004030A, "Invalid operation."},
    {kInvalidParameter, 0x8004030B, "Invalid parameter(argument)."},
    {kAspiDriver, 0x8004030C, "Aspi Driver error."},
    {kNotInstalled, 0x8004030D, "Control not installed."},
    {kIndexOutOfRange, 0x8004030E, "Index out of range."},
    {kStreamClosed, 0x8004030F, "The stream is closed or unavailable."},
};

const Entry* find(int code)
{
    for (const auto& e : kTable)
        if (e.code == code) return &e;
    return nullptr;
}

} // namespace

HRESULT hresultForCode(int code)
{
    if (code == kNoError) return S_OK;
    const Entry* e = find(code);
    return hresult(e ? e->hr : 0x80040300);
}

const char* messageForCode(int code)
{
    if (code == kNoError) return "";
    const Entry* e = find(code);
    return e ? e->message : "Unexpected error.";
}

HRESULT raiseError(int code)
{
    if (code == kNoError) return S_OK;
    return com::setError(hresultForCode(code), messageForCode(code), TavorAudioDXRecord3Lib::kProgId, IID_REduruZUZedova3);
}

} // namespace dxrecord
