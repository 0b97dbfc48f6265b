#include "support/SystemLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/AppDriver.h"
#include "support/Shell.h"

namespace {

constexpr wchar_t BesideName[] = L"hastrel-planted-beside.dll";
constexpr wchar_t CurrentName[] = L"hastrel-planted-current.dll";

// Copies of the library that says when it was loaded, one beside this
// executable and one in the current folder, under names that the system
// folder does not hold; for one test, current folder included.
class PlantedCopies {
  public:
    PlantedCopies() : scope_(driver::TempFolder()) {
        ready_ = scope_.Changed();
        for (const std::wstring& path : Paths())
            ready_ = ready_ && CopyFileW((driver::DoublesFolder() + L"PlantedLibrary.dll").c_str(),
                                         path.c_str(), FALSE) != FALSE;
    }
    PlantedCopies(const PlantedCopies&) = delete;
    PlantedCopies& operator=(const PlantedCopies&) = delete;
    ~PlantedCopies() {
        for (const std::wstring& path : Paths()) {
            DeleteFileW(path.c_str());
            DeleteFileW((path + L".loaded").c_str());
        }
    }

    bool Ready() const { return ready_; }
    std::vector<std::wstring> Paths() const {
        return {ExecutableFolder() + BesideName, driver::TempFolder() + CurrentName};
    }
    bool AnyLoaded() const {
        for (const std::wstring& path : Paths())
            if (GetFileAttributesW((path + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        return false;
    }

  private:
    driver::CurrentFolderScope scope_;
    bool ready_ = false;
};

// Whether a plain load by name finds the library; it is let go again.
bool LoadsByName(const wchar_t* name) {
    const HMODULE module = LoadLibraryW(name);
    if (module) FreeLibrary(module);
    return module != nullptr;
}

TEST(LoadSystemLibrary, NeverTakesOneBesideTheProgramInTheCurrentFolderOrByAPath) {
    PlantedCopies planted;
    ASSERT_TRUE(planted.Ready());
    EXPECT_EQ(LoadSystemLibrary(BesideName), nullptr);
    EXPECT_EQ(LoadSystemLibrary(CurrentName), nullptr);
    EXPECT_EQ(LoadSystemLibrary(planted.Paths()[0]), nullptr);
    EXPECT_EQ(LoadSystemLibrary(std::wstring(L".\\") + CurrentName), nullptr);
    EXPECT_EQ(LoadSystemLibrary(std::wstring(L"C:") + CurrentName), nullptr);
    EXPECT_FALSE(planted.AnyLoaded());
}

// Last: the restriction holds for the rest of the process.
TEST(RestrictLibrarySearch, LeavesOutTheProgramsFolderAndTheCurrentFolder) {
    PlantedCopies planted;
    ASSERT_TRUE(planted.Ready());
    RestrictLibrarySearch();
    EXPECT_FALSE(LoadsByName(BesideName));
    EXPECT_FALSE(LoadsByName(CurrentName));
    EXPECT_FALSE(planted.AnyLoaded());
    EXPECT_TRUE(LoadsByName(L"winmm.dll")) << "Windows' own libraries are still found by name";
}

} // namespace
