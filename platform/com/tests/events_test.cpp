#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "platform/com/tests/test_server.h"

using namespace test_server;

namespace {

// Event sink recording each Invoke's dispid and arguments in natural order.
class Sink final : public com::Implements<IDispatch> {
public:
    struct Event {
        DISPID id;
        WORD flags;
        std::vector<com::Variant> args;
    };
    std::vector<Event> events;
    std::vector<int>* order = nullptr;
    int name = 0;

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        Event e{id, flags, {}};
        com::DispArgs args(params);
        for (UINT i = 0; i < args.count(); ++i) e.args.emplace_back(*args.arg(i));
        events.push_back(std::move(e));
        if (order) order->push_back(name);
        return name == 1 ? E_FAIL : S_OK; // the first sink fails; the others are still called
    }
};

using ConnectionPoints = ComRegistryTest;

TEST_F(ConnectionPoints, AdvisedSinksReceiveInvokeWithTheArgumentsInConnectionOrder)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    com::ComPtr<ICounter> counter;
    ASSERT_EQ(com::createInstance(kProgId, ICounter::iid, counter.putVoid()), S_OK);
    auto container = counter.as<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    com::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID_CounterEvents, point.put()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, com::ComPtr<IConnectionPoint>().put()), CONNECT_E_NOCONNECTION);
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, DIID_CounterEvents);

    std::vector<int> order;
    com::ComPtr<Sink> first(com::ComPtr<Sink>::adopt(com::makeObject<Sink>()));
    com::ComPtr<Sink> second(com::ComPtr<Sink>::adopt(com::makeObject<Sink>()));
    first->name = 1;
    second->name = 2;
    first->order = second->order = &order;
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(point->Advise(first.get(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second.get(), &c2), S_OK);
    EXPECT_NE(c1, c2);

    counter->Add(3);
    com::Bstr text("hello");
    counter->Fire(text.get());
    ASSERT_EQ(order, (std::vector<int>{1, 2}));
    ASSERT_EQ(second->events.size(), 1u);
    const auto& e = second->events[0];
    EXPECT_EQ(e.id, kChanged);
    EXPECT_EQ(e.flags, DISPATCH_METHOD);
    ASSERT_EQ(e.args.size(), 2u);
    EXPECT_EQ(e.args[0].vt, VT_I4);
    EXPECT_EQ(e.args[0].lVal, 3);
    EXPECT_EQ(com::toUtf8(e.args[1].bstrVal), "hello");

    EXPECT_EQ(point->Unadvise(c1), S_OK);
    EXPECT_EQ(point->Unadvise(c1), CONNECT_E_NOCONNECTION);
    counter->Fire(text.get());
    EXPECT_EQ(first->events.size(), 1u);
    EXPECT_EQ(second->events.size(), 2u);

    com::ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA cd[2]{};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(2, cd, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(cd[0].dwCookie, c2);
    cd[0].pUnk->Release();
    point->Unadvise(c2);
}

TEST_F(ConnectionPoints, EventConnectionDetachesOnDestruction)
{
    ASSERT_EQ(com::registerServerLibrary(TEST_SERVER_PATH, false), S_OK);
    com::ComPtr<ICounter> counter;
    ASSERT_EQ(com::createInstance(kProgId, ICounter::iid, counter.putVoid()), S_OK);
    auto sink = com::ComPtr<Sink>::adopt(com::makeObject<Sink>());
    com::Bstr text("x");
    {
        com::EventConnection connection;
        ASSERT_EQ(connection.connect(counter.get(), DIID_CounterEvents, sink.get()), S_OK);
        counter->Fire(text.get());
    }
    counter->Fire(text.get());
    EXPECT_EQ(sink->events.size(), 1u);
}

} // namespace
