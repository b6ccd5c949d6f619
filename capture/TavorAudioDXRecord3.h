#pragma once
// TavorAudioDXRecord3Lib 1.0: the capture control AudioDXRecord3.
//
// This header is the library's type library: identifiers, the dual interface
// REduruZUZedova3 in vtable order, the event dispinterface, dispids and the
// error codes. Containers create the control by class id through the class
// registry (CoCreateInstance(CLSID_AudioDXRecord3, ...)) and never link the
// library.
//
// Threading: the control is apartment-threaded. Create it, call it and receive
// its events on one thread that has called CoInitialize and pumps its
// apartment (com::Apartment::pump() whenever wakeFd() is readable; a GUI
// watches the descriptor with a QSocketNotifier). The control's worker threads
// reach it only through that apartment, so every event arrives on the creating
// thread, in order; an event handler that pumps may see the next event nested.
//
// Delivered arrays (ReceiveAudioArray, ReceiveAudioArray2, GetCurrentArray) are
// one-dimensional VT_UI1 safe arrays, lower bound 0: a 40-byte
// WAVEFORMATEXTENSIBLE header, then interleaved little-endian PCM frames. An
// empty array has no elements and no header. Array out-parameters are in/out:
// pass null or an array the caller owns; it is destroyed and replaced, and the
// new array belongs to the caller. Event arguments belong to the control for
// the duration of the call.
//
// Counters (SamplesCurrent, SamplesReceive, CurrentTime, the nBlock and
// CurrentSamples event arguments) are VT_I4 (low 32 bits) in counter type
// mode 1 and VT_I8 in mode 2 (the default).
//
// Failures are HRESULTs from the table below with error information
// (description, source "TavorAudioDXRecord3.AudioDXRecord3.1", interface
// IID_REduruZUZedova3). Property puts never fail, except a devInputNum put
// outside 0 … devInputCount: E_INVALIDARG, and the selection stays.
//
// Beyond the type library: GetAdditionalParam("LostFrames") gives, as VT_I8,
// the frames the device overwrote before the control could take them since the
// last Start; a nonzero value means the recording has a gap.
// SetAdditionalParam("SourceName", VT_BSTR name) takes the device list afresh
// and selects the device with that stable source name (the sound server's
// name, not the description; "" is the default device), as devInputNum does;
// when no device has it, it fails (the Input Driver error's HRESULT, with a
// description saying why) and leaves no device selected (devInputNum −1),
// so that a Start cannot record from another one.
// GetAdditionalParam("SourceName") gives the selected device's source name.

#include "platform/com/dispatch.h"

inline constexpr GUID LIBID_TavorAudioDXRecord3Lib = com::guid("{16EEBC34-73F9-4DB7-905C-7AC7B8C59FE4}");
inline constexpr CLSID CLSID_AudioDXRecord3 = com::guid("{746680D9-014D-442D-859F-2316485D5415}");
inline constexpr IID IID_REduruZUZedova3 = com::guid("{0019FFBB-2397-471B-B72B-998964789D5C}");
inline constexpr IID DIID__REduruZUZedova3Events = com::guid("{F4787515-35FC-484D-B5AC-74FD0951208D}");

// Default interface of AudioDXRecord3 (dual: the same members through Invoke).
struct REduruZUZedova3 : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_REduruZUZedova3;

    // Hidden, restricted: entered by the control's own worker threads only.
    virtual HRESULT _Notify() = 0;
    virtual HRESULT _OnTimer() = 0;

    virtual HRESULT Start(LONG SampleRate = 44100, LONG Channels = 2, LONG SampleSize = 16) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT ReceiveAudioArray(SAFEARRAY** Array) = 0;
    virtual HRESULT ReceiveAudioArray2(SAFEARRAY** Array, LONG* TickCountRecord) = 0;
    virtual HRESULT GetCurrentArray(LONG Samples, SAFEARRAY** Buffer) = 0;
    virtual HRESULT IsStarted(VARIANT_BOOL* Result) = 0;

    virtual HRESULT get_SampleRate(LONG* value) = 0;
    virtual HRESULT get_Channels(LONG* value) = 0;
    virtual HRESULT get_SampleSize(LONG* value) = 0;
    virtual HRESULT get_SamplesCurrent(VARIANT* value) = 0;
    virtual HRESULT get_SamplesReceive(VARIANT* value) = 0;
    virtual HRESULT get_CurrentTime(VARIANT* value) = 0;
    virtual HRESULT get_TimerInterval(LONG* value) = 0;
    virtual HRESULT put_TimerInterval(LONG value) = 0;
    virtual HRESULT get_TimerEnabled(VARIANT_BOOL* value) = 0;
    virtual HRESULT put_TimerEnabled(VARIANT_BOOL value) = 0;
    virtual HRESULT get_devInputCount(LONG* value) = 0;
    virtual HRESULT get_devInputName(BSTR* value) = 0;
    virtual HRESULT get_devInputNum(LONG* value) = 0;
    virtual HRESULT put_devInputNum(LONG value) = 0;
    virtual HRESULT get_AudioArrayDuration(LONG* value) = 0;
    virtual HRESULT put_AudioArrayDuration(LONG value) = 0;
    virtual HRESULT get_LevelDynamicRange(LONG* value) = 0;
    virtual HRESULT put_LevelDynamicRange(LONG value) = 0;
    virtual HRESULT get_LevelTimeRange(LONG* value) = 0;
    virtual HRESULT put_LevelTimeRange(LONG value) = 0;
    virtual HRESULT get_LevelLatency(LONG* value) = 0;
    virtual HRESULT put_LevelLatency(LONG value) = 0;
    virtual HRESULT get_Gain(LONG* value) = 0;
    virtual HRESULT put_Gain(LONG value) = 0;
    virtual HRESULT get_GainBalance(LONG* value) = 0;
    virtual HRESULT put_GainBalance(LONG value) = 0;
    virtual HRESULT get_AccuAttackTime(LONG* value) = 0;
    virtual HRESULT put_AccuAttackTime(LONG value) = 0;
    virtual HRESULT get_AccuAttackLevel(LONG* value) = 0;
    virtual HRESULT put_AccuAttackLevel(LONG value) = 0;
    virtual HRESULT get_AccuReleaseTime(LONG* value) = 0;
    virtual HRESULT put_AccuReleaseTime(LONG value) = 0;
    virtual HRESULT get_AccuReleaseLevel(LONG* value) = 0;
    virtual HRESULT put_AccuReleaseLevel(LONG value) = 0;
    virtual HRESULT get_AccuEnabled(VARIANT_BOOL* value) = 0;
    virtual HRESULT put_AccuEnabled(VARIANT_BOOL value) = 0;
    virtual HRESULT get_VariantTypeRangeMode(LONG* value) = 0;
    virtual HRESULT put_VariantTypeRangeMode(LONG value) = 0;

    virtual HRESULT SetAdditionalParam(BSTR ParamName, VARIANT ParamValue) = 0;
    virtual HRESULT GetAdditionalParam(BSTR ParamName, VARIANT* ParamValue) = 0;
};

// Source interface, dispatch only: sinks are IDispatch objects whose Invoke
// receives these dispids with DISPATCH_METHOD and the arguments in order.
//   EndArrayRecord(VARIANT nBlock)                      block number, 1 for the first block after Start
//   Timer(VARIANT CurrentSamples, SAFEARRAY(SHORT) LevelArray)  VT_ARRAY|VT_I2, one level (dBFS) per channel
//   GainChange(LONG newVolume)                          never raised
//   AccuChange(LONG State)                              2 = gate opened (sound), 1 = closed (quiet)
struct _REduruZUZedova3Events : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = DIID__REduruZUZedova3Events;
};

namespace TavorAudioDXRecord3Lib {

inline constexpr const char* kProgId = "TavorAudioDXRecord3.AudioDXRecord3.1";
inline constexpr const char* kVersionIndependentProgId = "TavorAudioDXRecord3.AudioDXRecord3";
inline constexpr WORD kVersionMajor = 1;
inline constexpr WORD kVersionMinor = 0;

// Dispids of REduruZUZedova3.
enum Dispid : DISPID {
    DISPID_Notify = 0,
    DISPID_OnTimer = 1,
    DISPID_Start = 2,
    DISPID_Stop = 3,
    DISPID_ReceiveAudioArray = 4,
    DISPID_ReceiveAudioArray2 = 5,
    DISPID_GetCurrentArray = 6,
    DISPID_IsStarted = 7,
    DISPID_SampleRate = 15,
    DISPID_Channels = 16,
    DISPID_SampleSize = 17,
    DISPID_SamplesCurrent = 20,
    DISPID_SamplesReceive = 21,
    DISPID_CurrentTime = 22,
    DISPID_TimerInterval = 25,
    DISPID_TimerEnabled = 26,
    DISPID_devInputCount = 30,
    DISPID_devInputName = 31,
    DISPID_devInputNum = 32,
    DISPID_AudioArrayDuration = 35,
    DISPID_LevelDynamicRange = 40,
    DISPID_LevelTimeRange = 41,
    DISPID_LevelLatency = 42,
    DISPID_Gain = 45,
    DISPID_GainBalance = 46,
    DISPID_AccuAttackTime = 71,
    DISPID_AccuAttackLevel = 72,
    DISPID_AccuReleaseTime = 73,
    DISPID_AccuReleaseLevel = 74,
    DISPID_AccuEnabled = 75,
    DISPID_VariantTypeRangeMode = 100,
    DISPID_SetAdditionalParam = 180,
    DISPID_GetAdditionalParam = 181,
};

// Dispids of _REduruZUZedova3Events.
enum EventDispid : DISPID {
    DISPID_EndArrayRecord = 1,
    DISPID_Timer = 2,
    DISPID_GainChange = 3,
    DISPID_AccuChange = 4,
};

// AccuChange states.
enum AccuState : LONG { kAccuClosed = 1, kAccuOpened = 2 };

// The control's error vocabulary (internal code -> HRESULT, message).
inline constexpr HRESULT E_DXREC_UNEXPECTED = hresult(0x80040300);        // "Unexpected error."
inline constexpr HRESULT E_DXREC_BUSY = hresult(0x80040301);              // "Busy error."
inline constexpr HRESULT E_DXREC_MEMORY = hresult(0x80040302);            // "Exceeded available memory."
inline constexpr HRESULT E_DXREC_FILE_FORMAT = hresult(0x80040303);       // "File format error."
inline constexpr HRESULT E_DXREC_FORMAT_NOT_SUPPORTED = hresult(0x80040304); // "Format is not supported."
inline constexpr HRESULT E_DXREC_OUTPUT_DRIVER = hresult(0x80040305);     // "Output Driver error."
inline constexpr HRESULT E_DXREC_INPUT_DRIVER = hresult(0x80040306);      // "Input Driver error."
inline constexpr HRESULT E_DXREC_MIXER_DRIVER = hresult(0x80040307);      // "Mixer Driver error."
inline constexpr HRESULT E_DXREC_ACM_DRIVER = hresult(0x80040308);        // "ACM Driver error."
inline constexpr HRESULT E_DXREC_FILE_ACCESS = hresult(0x80040303);       // "File access error." (shares 0x303)
inline constexpr HRESULT E_DXREC_INVALID_OPERATION = hresult(0x8004030A); // "Invalid operation."
inline constexpr HRESULT E_DXREC_INVALID_PARAMETER = hresult(0x8004030B); // "Invalid parameter(argument)."
inline constexpr HRESULT E_DXREC_ASPI_DRIVER = hresult(0x8004030C);       // "Aspi Driver error."
inline constexpr HRESULT E_DXREC_NOT_INSTALLED = hresult(0x8004030D);     // "Control not installed."
inline constexpr HRESULT E_DXREC_INDEX_OUT_OF_RANGE = hresult(0x8004030E); // "Index out of range."
inline constexpr HRESULT E_DXREC_STREAM_CLOSED = hresult(0x8004030F);     // "The stream is closed or unavailable."

// GetAdditionalParam name: frames lost to overruns since the last Start (VT_I8).
inline constexpr const char* kLostFramesParam = "LostFrames";
// SetAdditionalParam/GetAdditionalParam name: the selected device by source name (VT_BSTR).
inline constexpr const char* kSourceNameParam = "SourceName";

} // namespace TavorAudioDXRecord3Lib
