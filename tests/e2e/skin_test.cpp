// The skin engine library the program writes next to itself: written hidden
// when missing, left alone when present, and a clean end when it is unusable.
#include <fstream>
#include <iterator>

#include "fixture.h"
#include "screens.h"
#include "skin/host/skin_resources.h"

namespace vorda::e2e {
namespace {

const wchar_t kEngine[] = L"SkinH_EL.dll";

std::string fileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The engine's bytes as the program holds them, read from its resources.
std::string engineResource(const std::wstring& exe) {
    HMODULE m = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!m) return {};
    std::string bytes;
    if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(VORDA_SKIN_ENGINE_RESOURCE), MAKEINTRESOURCEW(10))) {
        if (HGLOBAL g = LoadResource(m, r)) {
            auto* p = static_cast<const char*>(LockResource(g));
            bytes.assign(p, SizeofResource(m, r));
        }
    }
    FreeLibrary(m);
    return bytes;
}

class SkinTest : public AppTest {};

TEST_F(SkinTest, TheEngineIsWrittenHiddenWhenMissingAndAgainAfterDeletion) {
    App& app = launch(settings().vordaExe);
    ASSERT_TRUE(waitLogin(app));
    const std::string resource = engineResource(app.path(L"vorda.exe"));
    ASSERT_EQ(resource.size(), 88576u);
    EXPECT_EQ(fileBytes(app.path(kEngine)), resource);
    // Wine reports ARCHIVE on every file, so only the hidden bit is checked.
    EXPECT_TRUE(GetFileAttributesW(app.path(kEngine).c_str()) & FILE_ATTRIBUTE_HIDDEN);

    app.kill();
    SetFileAttributesW(app.path(kEngine).c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileW(app.path(kEngine).c_str()));
    app.start();
    ASSERT_TRUE(waitLogin(app));
    EXPECT_EQ(fileBytes(app.path(kEngine)), resource);
    EXPECT_TRUE(GetFileAttributesW(app.path(kEngine).c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(SkinTest, AnUnusableEngineIsNamedAndTheProgramEnds) {
    App& app = launch(settings().vordaExe);
    ASSERT_TRUE(waitLogin(app));
    app.kill();
    SetFileAttributesW(app.path(kEngine).c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        std::ofstream garbage(app.path(kEngine).c_str(), std::ios::binary | std::ios::trunc);
        garbage << "not a library";
    }
    app.start();
    auto box = app.waitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find(L"SkinH_EL.dll"), std::wstring::npos) << utf8(box->text);
    EXPECT_NE(box->text.find(L"SkinH_AttachRes"), std::wstring::npos) << utf8(box->text);
    answer(*box, IDOK);
    EXPECT_TRUE(app.waitExit());
    // The file the user put there stays as it is.
    EXPECT_EQ(fileBytes(app.path(kEngine)), "not a library");
}

}  // namespace
}  // namespace vorda::e2e
