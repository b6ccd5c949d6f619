#pragma once
// AudioDXRecord3: the capture control object. Every member runs on the thread
// that created it (its apartment); the worker threads come back through
// _Notify and _OnTimer. No member takes a lock.
//
// Reading the ring: the device writes it on the sound server's thread, at
// most writeAhead() bytes beyond the capture position, and those bytes
// overwrite the oldest audio. So every read (the blocks, the level meter,
// GetCurrentArray) takes only audio the capture position has passed and that
// lies at least clearMargin_ (two write-aheads, and at least 100 ms) behind
// it: at most ringSize_ - clearMargin_ bytes, never more than was captured
// since Start.
//
// Worker threads: Stop joins both (pumping the apartment, so a call a worker
// has in flight is served), as do Start and the destructor for those of an
// earlier run. A worker whose call is being served at that moment (Stop from
// an event handler of _Notify) cannot end before that call returns: it is
// retired to the COM runtime, which joins it before the library is unloaded.

#include "capture/TavorAudioDXRecord3.h"
#include "capture/accu_gate.h"
#include "capture/sample_layout.h"
#include "capture/worker_threads.h"
#include "platform/capture/capture_device.h"
#include "platform/com/connection_point.h"
#include "platform/com/errorinfo.h"
#include "platform/com/object.h"
#include "platform/com/safearray.h"
#include "platform/com/server_module.h"
#include "platform/com/variant.h"

#include <deque>
#include <memory>
#include <vector>

namespace dxrecord {

// A block cut from the ring: its array already holds the format header, the
// audio follows; `length` counts the audio bytes in it.
struct RecordedBlock {
    com::SafeArray array;
    std::uint32_t length = 0;
    std::uint32_t clock = 0;
};

class AudioDXRecord3 final
    : public com::Implements<REduruZUZedova3, ISupportErrorInfo, IConnectionPointContainer, IObjectWithSite>,
      private com::server::ModuleObject {
public:
    AudioDXRecord3();
    explicit AudioDXRecord3(std::shared_ptr<capture::CaptureSystem> system);

    // IDispatch
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID riid, OLECHAR** names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                   UINT* argErr) override;

    // REduruZUZedova3
    HRESULT _Notify() override;
    HRESULT _OnTimer() override;
    HRESULT Start(LONG SampleRate, LONG Channels, LONG SampleSize) override;
    HRESULT Stop() override;
    HRESULT ReceiveAudioArray(SAFEARRAY** Array) override;
    HRESULT ReceiveAudioArray2(SAFEARRAY** Array, LONG* TickCountRecord) override;
    HRESULT GetCurrentArray(LONG Samples, SAFEARRAY** Buffer) override;
    HRESULT IsStarted(VARIANT_BOOL* Result) override;
    HRESULT get_SampleRate(LONG* value) override;
    HRESULT get_Channels(LONG* value) override;
    HRESULT get_SampleSize(LONG* value) override;
    HRESULT get_SamplesCurrent(VARIANT* value) override;
    HRESULT get_SamplesReceive(VARIANT* value) override;
    HRESULT get_CurrentTime(VARIANT* value) override;
    HRESULT get_TimerInterval(LONG* value) override;
    HRESULT put_TimerInterval(LONG value) override;
    HRESULT get_TimerEnabled(VARIANT_BOOL* value) override;
    HRESULT put_TimerEnabled(VARIANT_BOOL value) override;
    HRESULT get_devInputCount(LONG* value) override;
    HRESULT get_devInputName(BSTR* value) override;
    HRESULT get_devInputNum(LONG* value) override;
    HRESULT put_devInputNum(LONG value) override;
    HRESULT get_AudioArrayDuration(LONG* value) override;
    HRESULT put_AudioArrayDuration(LONG value) override;
    HRESULT get_LevelDynamicRange(LONG* value) override;
    HRESULT put_LevelDynamicRange(LONG value) override;
    HRESULT get_LevelTimeRange(LONG* value) override;
    HRESULT put_LevelTimeRange(LONG value) override;
    HRESULT get_LevelLatency(LONG* value) override;
    HRESULT put_LevelLatency(LONG value) override;
    HRESULT get_Gain(LONG* value) override;
    HRESULT put_Gain(LONG value) override;
    HRESULT get_GainBalance(LONG* value) override;
    HRESULT put_GainBalance(LONG value) override;
    HRESULT get_AccuAttackTime(LONG* value) override;
    HRESULT put_AccuAttackTime(LONG value) override;
    HRESULT get_AccuAttackLevel(LONG* value) override;
    HRESULT put_AccuAttackLevel(LONG value) override;
    HRESULT get_AccuReleaseTime(LONG* value) override;
    HRESULT put_AccuReleaseTime(LONG value) override;
    HRESULT get_AccuReleaseLevel(LONG* value) override;
    HRESULT put_AccuReleaseLevel(LONG value) override;
    HRESULT get_AccuEnabled(VARIANT_BOOL* value) override;
    HRESULT put_AccuEnabled(VARIANT_BOOL value) override;
    HRESULT get_VariantTypeRangeMode(LONG* value) override;
    HRESULT put_VariantTypeRangeMode(LONG value) override;
    HRESULT SetAdditionalParam(BSTR ParamName, VARIANT ParamValue) override;
    HRESULT GetAdditionalParam(BSTR ParamName, VARIANT* ParamValue) override;

    // ISupportErrorInfo
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;
    // IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
    // IObjectWithSite
    HRESULT SetSite(IUnknown* pUnkSite) override;
    HRESULT GetSite(REFIID riid, void** ppvSite) override;

private:
    ~AudioDXRecord3() override;

    template <class T>
    HRESULT putAccu(T AccuGate::*field, T value);

    // capture engine
    // Joins the workers of a run that is over; retires one whose call is being served.
    void finishWorkers();
    HRESULT selectSource(const VARIANT& name);
    // Brings the counters up to date at the ring's current position; false
    // (after stopping) when the device has gone, or when it cannot tell.
    bool refreshPositions(capture::CapturePositions& p);
    void updateCapturedFrames(const capture::CapturePositions& p);
    // Cuts everything available (at least `minimum` bytes) into a queued block;
    // true when a block was queued. Discards the audio while the gate is closed.
    bool cutBlock(const capture::CapturePositions& p, std::uint64_t minimum);
    // Stops capturing; the audio not yet cut becomes a last block.
    void stopCapture();
    void releaseDevice();
    com::SafeArray takeBlock(LONG* clock);

    // events
    void fireEndArrayRecord();
    void fireTimer(const std::vector<int>& levels);
    void fireAccuChange(LONG state);

    com::Variant counterVariant(std::uint64_t value) const;
    SampleLayout layout() const;
    std::vector<std::uint8_t> headerBytes() const;

    std::shared_ptr<capture::CaptureSystem> system_;
    std::vector<capture::CaptureDeviceInfo> devices_;

    // format and properties
    capture::WaveFormat format_;
    std::int32_t arrayDuration_ = 1000;
    std::int32_t deviceNum_ = 1;
    std::int32_t timerInterval_ = 20;
    VARIANT_BOOL timerEnabled_ = 1;
    std::int32_t levelWordSize_ = 2;
    std::int32_t levelWindow_ = 20;
    std::int32_t levelLatency_ = 100;
    double gain_ = 1.0;
    double balance_ = 0.0;
    AccuGate gate_;
    std::int32_t counterMode_ = 2;

    // one capture run
    bool started_ = false;
    std::unique_ptr<capture::CaptureDevice> device_;
    std::unique_ptr<capture::CaptureBuffer> buffer_;
    const std::uint8_t* ringBase_ = nullptr;
    std::uint32_t ringSize_ = 0;
    std::uint32_t threshold_ = 176400;
    std::uint32_t clearMargin_ = 0;
    std::uint64_t consumed_ = 0;  // bytes taken out of the ring (the read offset is consumed_ % ringSize_)
    std::uint64_t lastTotal_ = 0; // the ring's byte count at the last look
    std::uint64_t capturedFrames_ = 0, receivedFrames_ = 0, blockNumber_ = 0, lostFrames_ = 0;
    std::uint32_t blockClock_ = 0;
    std::deque<RecordedBlock> blocks_;
    std::shared_ptr<capture::CaptureEvent> notifyEvent_, stopEvent_;
    std::shared_ptr<TimerSwitch> timerRunning_;
    WorkerThread waiter_, timer_;
    int notifyCalls_ = 0, timerCalls_ = 0; // worker calls being served now (nested ones counted)

    com::ConnectionPoint events_{this, DIID__REduruZUZedova3Events};
    com::ComPtr<IUnknown> site_;
};

} // namespace dxrecord
