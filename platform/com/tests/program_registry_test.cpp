// The real lookup from this executable: the build wrote a registry beside it
// naming the test server, so nothing needs registering per user.

#include "platform/com/com.h"
#include "platform/com/registry_search_path.h"
#include "platform/com/tests/com_test_env.h"
#include "platform/com/tests/test_server.h"

#include <fstream>

using namespace test_server;
namespace fs = std::filesystem;

namespace {

using ProgramRegistry = ComRegistryTest;

fs::path executableFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

TEST_F(ProgramRegistry, IsLookedUpAfterThePerUserRegistryBesideTheExecutableAndInTheInstallLayout)
{
    const auto paths = com::classRegistrySearchPath();
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], com::classRegistryPath());
    EXPECT_EQ(paths[1], executableFolder() / "classes.reg");
    EXPECT_EQ(paths[2], (executableFolder() / ".." / INSTALL_LIBDIR / "velmor-sound-recorder/classes.reg").lexically_normal());
}

TEST_F(ProgramRegistry, CreatesTheClassWithAnEmptyPerUserRegistry)
{
    ASSERT_FALSE(fs::exists(com::classRegistryPath()));
    com::ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, ICounter::iid, counter.putVoid()), S_OK);
    EXPECT_EQ(com::clsidFromProgId(kVersionIndependentProgId), CLSID_Counter);
    EXPECT_TRUE(com::isLibraryLoaded(fs::canonical(TEST_SERVER_PATH).string()));

    std::ifstream in(executableFolder() / "classes.reg");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("InprocServer32=/"), std::string::npos) << "paths are relative: " << text;
}

TEST_F(ProgramRegistry, ThePerUserRegistryComesFirstAndABrokenOneIsPassedOver)
{
    const fs::path copy = fs::path(home_) / "libcopy.so";
    fs::copy_file(TEST_SERVER_PATH, copy);
    ASSERT_EQ(com::registerServerLibrary(copy.string(), false), S_OK);
    com::ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.putVoid()), S_OK);
    EXPECT_TRUE(com::isLibraryLoaded(copy.string())) << "the user's registration wins";
    object.reset();
    CoFreeUnusedLibraries();

    fs::remove(copy); // the user's entry now names a missing library
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.putVoid()), S_OK);
    EXPECT_TRUE(com::isLibraryLoaded(fs::canonical(TEST_SERVER_PATH).string()));
    object.reset();
    CoFreeUnusedLibraries();
}

} // namespace
