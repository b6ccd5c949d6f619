// The class lookup over several registries: order, relative library paths,
// and every kind of bad registry passed over with a message that names it.

#include "platform/com/class_lookup.h"
#include "platform/com/com.h"
#include "platform/com/tests/com_test_env.h"
#include "platform/com/tests/test_server.h"

#include <fstream>
#include <iterator>

using namespace test_server;
namespace fs = std::filesystem;

namespace {

class RegistryLookup : public ComRegistryTest {
protected:
    // A copy of the test server at home_/name (its own inode, so its own load).
    std::string copyServer(const std::string& name)
    {
        const fs::path to = fs::path(home_) / name;
        fs::create_directories(to.parent_path());
        fs::copy_file(TEST_SERVER_PATH, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    // A registry at home_/name naming the counter's library as written.
    std::string registryNaming(const std::string& name, const std::string& library)
    {
        return writeFile(name, "[CLSID\\" + com::toString(CLSID_Counter) + "]\nInprocServer32=" + library +
                                   "\n[ProgID\\" + kProgId + "]\nCLSID=" + com::toString(CLSID_Counter) + "\n");
    }
    std::string writeFile(const std::string& name, const std::string& bytes)
    {
        const fs::path file = fs::path(home_) / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }
    // Creates the counter through the registries; the error description on failure.
    HRESULT create(const std::vector<fs::path>& registries, std::string& error)
    {
        com::ComPtr<IClassFactory> factory;
        HRESULT hr = com::getClassObjectFrom(registries, CLSID_Counter, IID_IClassFactory, factory.putVoid());
        com::ErrorDetails details;
        if (FAILED(hr) && com::takeError(details)) error = details.description;
        if (SUCCEEDED(hr)) EXPECT_TRUE(factory);
        else EXPECT_FALSE(factory);
        return hr;
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        ComRegistryTest::TearDown();
    }
};

TEST_F(RegistryLookup, FirstRegistryNamingTheClassWinsAndRelativePathsFollowTheRegistry)
{
    const std::string first = copyServer("one/libcounter.so");
    const std::string second = copyServer("two/libcounter.so");
    // "../one/..." is relative to the folder of the registry in "program/".
    const std::vector<fs::path> registries{writeFile("empty.reg", ""), home_ + "/absent.reg",
                                           registryNaming("program/classes.reg", "../one/libcounter.so"),
                                           registryNaming("last.reg", second)};
    std::string error;
    ASSERT_EQ(create(registries, error), S_OK) << error;
    EXPECT_TRUE(com::isLibraryLoaded(first));
    EXPECT_FALSE(com::isLibraryLoaded(second)) << "a later registry is not consulted";
    EXPECT_EQ(com::clsidFromProgIdIn(registries, kProgId), CLSID_Counter);
}

TEST_F(RegistryLookup, EachBadRegistryIsPassedOverAndNamedWithItsLibraryAndReason)
{
    const std::string good = registryNaming("good.reg", copyServer("good/libcounter.so"));

    std::ifstream in(TEST_SERVER_PATH, std::ios::binary);
    std::string elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(elf.size(), 5u);
    elf[4] = 1; // ELFCLASS32: a library of another architecture
    const std::string foreign = writeFile("foreign/libcounter.so", elf);

    fs::create_directories(home_ + "/folder.reg");
    static constexpr char kDamaged[] = "[CLSID\\\0\x7f\xff garbage";

    struct Case {
        const char* what;
        std::string registry;
        HRESULT hr;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {"damaged", writeFile("damaged.reg", std::string(kDamaged, sizeof kDamaged - 1)), REGDB_E_READREGDB,
         {"damaged.reg", "damaged"}},
        {"missing library", registryNaming("missing.reg", home_ + "/gone/libcounter.so"), CO_E_DLLNOTFOUND,
         {"missing.reg", "gone/libcounter.so", "does not exist"}},
        {"wrong architecture", registryNaming("foreign.reg", foreign), CO_E_ERRORINDLL,
         {"foreign.reg", foreign, "ELFCLASS32"}},
        {"not a COM server", registryNaming("plain.reg", PLAIN_LIBRARY_PATH), CO_E_ERRORINDLL,
         {"plain.reg", PLAIN_LIBRARY_PATH, "not a COM server"}},
        {"no library named", registryNaming("blank.reg", ""), REGDB_E_READREGDB, {"blank.reg", "InprocServer32"}},
        {"a folder in place of the file", home_ + "/folder.reg",
         REGDB_E_READREGDB, {"folder.reg", "cannot be read"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_EQ(create({c.registry}, error), c.hr);
        for (const auto& part : c.mentions) EXPECT_NE(error.find(part), std::string::npos) << error;
        EXPECT_NE(error.find(com::toString(CLSID_Counter)), std::string::npos) << "names the class: " << error;

        error.clear();
        EXPECT_EQ(create({c.registry, good}, error), S_OK) << "the next registry is used: " << error;
        CoFreeUnusedLibraries();
    }
}

TEST_F(RegistryLookup, EveryProblemIsReportedAndAnUnknownClassNamesTheRegistriesLookedIn)
{
    const std::string missing = registryNaming("missing.reg", "gone.so");
    const std::string damaged = writeFile("damaged.reg", std::string("\0\0\0", 3));
    std::string error;
    EXPECT_EQ(create({missing, damaged}, error), CO_E_DLLNOTFOUND) << "the first failure's code";
    EXPECT_NE(error.find("missing.reg"), std::string::npos) << error;
    EXPECT_NE(error.find("damaged.reg"), std::string::npos) << error;

    error.clear();
    const std::string empty = writeFile("empty.reg", "[CLSID\\{00000000-0000-0000-0000-000000000001}]\n");
    EXPECT_EQ(create({empty, home_ + "/absent.reg"}, error), REGDB_E_CLASSNOTREG);
    EXPECT_NE(error.find("not registered"), std::string::npos) << error;
    EXPECT_NE(error.find("empty.reg"), std::string::npos) << error;
    EXPECT_NE(error.find("absent.reg"), std::string::npos) << error;
}

TEST_F(RegistryLookup, ProgIdWithABrokenClassIdFallsThroughToTheNextRegistry)
{
    const std::string broken = writeFile("broken.reg", std::string("[ProgID\\") + kProgId + "]\nCLSID={not a guid}\n");
    const std::string damaged = writeFile("damaged.reg", std::string("\0", 1));
    const std::string good = registryNaming("good.reg", "libcounter.so");
    EXPECT_EQ(com::clsidFromProgIdIn({broken, damaged, good}, kProgId), CLSID_Counter);
    EXPECT_FALSE(com::clsidFromProgIdIn({broken, damaged}, kProgId));
}

TEST_F(RegistryLookup, RegistrationIntoAGivenRegistryStoresPathsRelativeToItsFolder)
{
    const std::string library = copyServer("lib/velmor/libcounter.so");
    const std::string registry = home_ + "/bin/classes.reg";
    com::setRegistrationTarget({registry, home_ + "/bin"});
    const HRESULT hr = com::registerServerLibrary(library, false);
    com::setRegistrationTarget({});
    ASSERT_EQ(hr, S_OK);
    EXPECT_FALSE(fs::exists(com::classRegistryPath())) << "the per-user registry is untouched";

    std::ifstream in(registry);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("InprocServer32=../lib/velmor/libcounter.so"), std::string::npos) << text;
    EXPECT_EQ(text.find(home_), std::string::npos) << "no absolute path: " << text;

    // Moved as a whole, the tree still works.
    fs::rename(home_ + "/bin", home_ + "/moved-bin");
    fs::create_directories(home_ + "/moved-lib");
    fs::rename(home_ + "/lib", home_ + "/moved-lib/lib");
    fs::rename(home_ + "/moved-bin", home_ + "/moved-lib/bin");
    std::string error;
    EXPECT_EQ(create({home_ + "/moved-lib/bin/classes.reg"}, error), S_OK) << error;
}

} // namespace
