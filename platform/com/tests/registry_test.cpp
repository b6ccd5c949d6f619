#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "platform/com/tests/test_server.h"
#include "platform/profile/profile_file.h"

using namespace test_server;

namespace {

using ClassRegistry = ComRegistryTest;

TEST_F(ClassRegistry, CreatesByClassIdAndProgIdAfterRegistration)
{
    com::ComPtr<ICounter> counter;
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, counter.putVoid()),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    auto file = com::classRegistryPath();
    EXPECT_EQ(profile::readProfileString(file, "CLSID\\" + com::toString(CLSID_Counter), "InprocServer32"),
              std::filesystem::canonical(TEST_SERVER_PATH).string());

    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, counter.putVoid()), S_OK);
    counter->Add(5);
    LONG total = 0;
    counter->get_Total(&total);
    EXPECT_EQ(total, 5);

    for (const char* name : {kProgId, kVersionIndependentProgId}) {
        com::ComPtr<ICounter> byName;
        ASSERT_EQ(com::createInstance(name, ICounter::iid, byName.putVoid()), S_OK) << name;
        byName->get_Total(&total);
        EXPECT_EQ(total, 0) << "each creation is a new object";
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"VelmorTest.Counter.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Counter);
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Class", &clsid), CO_E_CLASSSTRING);
}

TEST_F(ClassRegistry, UnregistrationRemovesClassAndProgIds)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, true), S_OK);
    com::ComPtr<IUnknown> obj;
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, obj.putVoid()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(com::createInstance(kProgId, IID_IUnknown, obj.putVoid()), CO_E_CLASSSTRING);
    EXPECT_FALSE(com::clsidFromProgId(kVersionIndependentProgId));
}

TEST_F(ClassRegistry, CreationNeedsAnApartment)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    HRESULT hr = S_OK;
    std::thread([&] {
        IUnknown* p = nullptr;
        hr = CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&p));
    }).join();
    EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
}

TEST_F(ClassRegistry, UnusedLibraryIsClosedOnlyWhenLastReferenceIsGone)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    const std::string path = std::filesystem::canonical(TEST_SERVER_PATH).string();
    com::ComPtr<ICounter> a, b;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, a.putVoid()), S_OK);
    b = a; // two references to one object
    EXPECT_TRUE(com::isLibraryLoaded(path));
    a.reset();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(com::isLibraryLoaded(path)) << "one reference still held";
    b.reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(com::isLibraryLoaded(path));

    // Loads again on demand.
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, a.putVoid()), S_OK);
    EXPECT_TRUE(com::isLibraryLoaded(path));
    a.reset();
    CoFreeUnusedLibraries();
}

TEST_F(ClassRegistry, ErrorInformationCrossesTheLibraryBoundary)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    com::ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, counter.putVoid()), S_OK);
    auto support = counter.as<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ICounter::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

    EXPECT_EQ(counter->Fail(), kFailCode);
    com::ErrorDetails d;
    ASSERT_TRUE(com::takeError(d));
    EXPECT_EQ(d.description, "Counter failed.");
    EXPECT_EQ(d.source, kProgId);
    EXPECT_EQ(d.iid, ICounter::iid);

    // Late-bound: the same failure arrives as an exception record.
    com::ComPtr<IDispatch> disp = counter.as<IDispatch>();
    DISPID id = 0;
    OLECHAR name[] = u"fail";
    OLECHAR* names[] = {name};
    ASSERT_EQ(disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, kFail);
    DISPPARAMS none{};
    EXCEPINFO excep{};
    EXPECT_EQ(disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &excep, nullptr), kFailCode);
    EXPECT_EQ(com::toUtf8(excep.bstrDescription), "Counter failed.");
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
}

} // namespace
