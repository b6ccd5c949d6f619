#include "platform/com/com.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <poll.h>

namespace {

// Records where and in which order its calls ran.
class Recorder final : public com::Implements<IDispatch> {
public:
    struct Call {
        LONG value;
        std::thread::id thread;
    };
    std::vector<Call> calls;
    std::atomic<bool> released{false};
    std::thread::id releasedOn;
    std::atomic<bool>* destroyed = nullptr;
    std::thread::id* destroyedOn = nullptr;

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == 99) return com::setError(E_FAIL, "refused", "Recorder");
        LONG v = 0;
        com::DispArgs(params).getLong(0, v);
        calls.push_back({v, std::this_thread::get_id()});
        return S_OK;
    }

private:
    ~Recorder() override
    {
        if (destroyedOn) *destroyedOn = std::this_thread::get_id();
        if (destroyed) *destroyed = true;
    }
};

HRESULT invoke(IDispatch* d, DISPID id, LONG value)
{
    com::Variant arg = com::Variant::i4(value);
    DISPPARAMS p{&arg, nullptr, 1, 0};
    return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
}

class ApartmentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CoInitialize(nullptr), S_OK); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(ApartmentTest, InitialisationIsCountedPerThread)
{
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    EXPECT_TRUE(com::Apartment::current());
    std::shared_ptr<com::Apartment> other;
    std::thread([&] { other = com::Apartment::current(); }).join();
    EXPECT_FALSE(other);
}

TEST_F(ApartmentTest, WorkerCallsRunOnOwnerInOrderAndWorkerWaits)
{
    auto* object = com::makeObject<Recorder>();
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream), S_OK);

    std::atomic<int> returned{0};
    std::atomic<bool> workerDone{false};
    std::vector<HRESULT> results;
    std::thread worker([&] {
        CoInitialize(nullptr);
        com::ComPtr<IDispatch> proxy;
        results.push_back(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, proxy.putVoid()));
        for (LONG i = 1; i <= 20; ++i) {
            results.push_back(invoke(proxy.get(), 1, i));
            ++returned;
        }
        proxy.reset();
        CoUninitialize();
        workerDone = true;
    });

    // Nothing runs until the owner pumps: the worker is blocked in its first call.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(returned.load(), 0);
    EXPECT_TRUE(object->calls.empty());

    auto apt = com::Apartment::current();
    ASSERT_TRUE(apt->pumpUntil([&] { return workerDone.load(); }, std::chrono::seconds(10)));
    worker.join();
    apt->pump(); // the proxy's release

    ASSERT_EQ(object->calls.size(), 20u);
    for (LONG i = 0; i < 20; ++i) {
        EXPECT_EQ(object->calls[i].value, i + 1);
        EXPECT_EQ(object->calls[i].thread, std::this_thread::get_id());
    }
    for (HRESULT hr : results) EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(object->Release(), 0u) << "the stream and the proxy gave back their references";
}

TEST_F(ApartmentTest, FailureCarriesErrorInformationToTheCaller)
{
    auto* object = com::makeObject<Recorder>();
    com::MarshalledInterface marshalled;
    ASSERT_EQ(marshalled.marshal(object), S_OK);
    std::atomic<bool> done{false};
    HRESULT hr = S_OK;
    com::ErrorDetails details;
    std::thread worker([&] {
        com::ComPtr<IDispatch> proxy;
        marshalled.unmarshal(proxy);
        hr = invoke(proxy.get(), 99, 0);
        com::takeError(details);
        done = true;
    });
    com::Apartment::current()->pumpUntil([&] { return done.load(); }, std::chrono::seconds(10));
    worker.join();
    EXPECT_EQ(hr, E_FAIL);
    EXPECT_EQ(details.description, "refused");
    com::ErrorDetails onOwner;
    EXPECT_FALSE(com::takeError(onOwner)) << "taken on the owner's side before crossing";
    marshalled.release();
    com::Apartment::current()->pump();
    object->Release();
}

TEST_F(ApartmentTest, LastProxyReleaseDestroysObjectOnOwnerThread)
{
    std::atomic<bool> destroyed{false};
    std::thread::id destroyedOn;
    auto* object = com::makeObject<Recorder>();
    object->destroyed = &destroyed;
    object->destroyedOn = &destroyedOn;
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &stream), S_OK);
    object->Release(); // the stream holds it now

    std::thread worker([&] {
        com::ComPtr<IDispatch> proxy;
        CoGetInterfaceAndReleaseStream(stream, IID_IDispatch, proxy.putVoid());
    });
    worker.join();
    EXPECT_FALSE(destroyed.load());
    com::Apartment::current()->pumpUntil([&] { return destroyed.load(); }, std::chrono::seconds(5));
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(destroyedOn, std::this_thread::get_id());
}

TEST_F(ApartmentTest, UnmarshalOnOwnerGivesTheObjectItself)
{
    auto* object = com::makeObject<Recorder>();
    com::MarshalledInterface m;
    ASSERT_EQ(m.marshal(object), S_OK);
    com::ComPtr<IDispatch> same;
    ASSERT_EQ(m.unmarshal(same), S_OK);
    EXPECT_EQ(same.get(), static_cast<IDispatch*>(object));
    same.reset();
    m.release();
    EXPECT_EQ(object->Release(), 0u);
}

TEST(ApartmentClosing, CallsIntoAClosedApartmentFailInsteadOfHanging)
{
    com::MarshalledInterface marshalled;
    Recorder* object = nullptr;
    std::atomic<bool> ready{false}, closeNow{false};
    std::thread owner([&] {
        CoInitialize(nullptr);
        object = com::makeObject<Recorder>();
        marshalled.marshal(object);
        ready = true;
        while (!closeNow) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        marshalled.release();
        CoUninitialize(); // never pumped: the waiting call is told the apartment is gone
        object->Release();
    });
    while (!ready) std::this_thread::yield();
    com::ComPtr<IDispatch> proxy;
    ASSERT_EQ(marshalled.unmarshal(proxy), S_OK);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        closeNow = true;
    });
    EXPECT_EQ(invoke(proxy.get(), 1, 1), RPC_E_DISCONNECTED);
    closer.join();
    owner.join();
    EXPECT_EQ(invoke(proxy.get(), 1, 2), RPC_E_DISCONNECTED);
}

TEST_F(ApartmentTest, WakeDescriptorIsReadableWhileCallsWait)
{
    auto apt = com::Apartment::current();
    std::atomic<bool> ran{false};
    ASSERT_TRUE(apt->post([&] { ran = true; }));
    pollfd p{apt->wakeFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 1);
    EXPECT_EQ(apt->pump(), 1u);
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(::poll(&p, 1, 0), 0);
}

} // namespace
