// Skin setup: the engine library written out hidden when it is missing, a
// present file left alone, a private copy of the skin handed to the engine,
// and the end of the program when the engine cannot be loaded.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "mainwindow/apply_skin.h"
#include "mainwindow/skin_hook.h"
#include "platform/filesystem.h"
#include "support/faulty_filesystem.h"
#include "support/run_directory.h"
#include "ui/memory/memory_backend.h"

namespace vorda::mainwindow {
namespace {

class FakePack : public SkinPack {
  public:
    FakePack() {
        library = "MZ" + std::string(500, '\x90') + std::string("\0\x01\xFF\0", 4);
        for (int n = 1; n <= kSkinCount; ++n)
            skins[n] = ".SHE" + std::string(100 + n, static_cast<char>('A' + n));
    }
    std::string_view engineLibrary() const override { return library; }
    std::string_view skin(int n) const override {
        return n >= 1 && n <= kSkinCount ? std::string_view(skins[n]) : std::string_view();
    }

    std::string library;
    std::string skins[kSkinCount + 1];
};

class RecordingEngine : public SkinEngine {
  public:
    struct Call {
        const void* address;
        int size;
        std::string bytes;
        std::string text;
        int a, b, c;
    };

    bool load(const std::string& path) override {
        loads.push_back(path);
        return loadSucceeds;
    }
    int attach(const void* skin, int size, const char* text, int a, int b, int c) override {
        calls.push_back({skin, size, skin ? std::string(static_cast<const char*>(skin), size) : std::string(),
                         text ? text : "(null)", a, b, c});
        return 1;
    }

    bool loadSucceeds = true;
    std::vector<std::string> loads;
    std::vector<Call> calls;
};

class SkinSetupTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(backend.finish().empty()); }

    testing::MemoryRunDirectory dir;
    ui::MemoryBackend backend;
    FakePack pack;
    RecordingEngine engine;
    SkinSetup setup{pack, engine, backend};
    const std::string dll = dir.file("SkinH_EL.dll");
};

TEST_F(SkinSetupTest, WritesTheLibraryHiddenWhenMissing) {
    setup.apply(2);

    EXPECT_EQ(dir.fs().get(dll), pack.library);
    EXPECT_EQ(dir.fs().attributes(dll), platform::kAttrHidden);
    EXPECT_EQ(skinEnginePath(), dll);
}

TEST_F(SkinSetupTest, LeavesAPresentFileAsItIs) {
    struct Case {
        std::string bytes;
        std::uint32_t attributes;
    };
    const Case cases[] = {
        {"not a library at all", platform::kAttrReadOnly | platform::kAttrSystem},
        {"", platform::kAttrArchive},
        {pack.library + "x", platform::kAttrNormal},
        {"MZ", platform::kAttrHidden | platform::kAttrArchive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        dir.fs().put(dll, c.bytes);
        dir.fs().setAttributes(dll, c.attributes);

        setup.apply(2);

        EXPECT_EQ(dir.fs().get(dll), c.bytes);
        EXPECT_EQ(dir.fs().attributes(dll), c.attributes);
    }
    EXPECT_EQ(engine.calls.size(), std::size(cases));
}

TEST_F(SkinSetupTest, AWriteFailureIsNotReportedByItself) {
    testing::FaultyFileSystem faulty(dir.fs());
    platform::setFileSystem(&faulty);
    faulty.failStep(2);

    setup.apply(2);

    platform::setFileSystem(&dir.fs());
    ASSERT_GE(faulty.log().size(), 2u);
    EXPECT_EQ(faulty.log()[1].rfind("writeAll", 0), 0u) << faulty.log()[1];
    EXPECT_TRUE(backend.messages().empty());
    EXPECT_FALSE(backend.ended());
    EXPECT_EQ(engine.loads, std::vector<std::string>{dll});
    EXPECT_EQ(engine.calls.size(), 1u);
}

TEST_F(SkinSetupTest, HandsEachSkinOverAsAPrivateCopy) {
    for (int n = 1; n <= kSkinCount; ++n) {
        SCOPED_TRACE(n);
        setup.apply(n);

        const RecordingEngine::Call& call = engine.calls.back();
        ASSERT_NE(call.address, nullptr);
        EXPECT_NE(call.address, pack.skin(n).data());
        EXPECT_EQ(call.size, static_cast<int>(pack.skin(n).size()));
        EXPECT_EQ(call.bytes, pack.skin(n));
        EXPECT_EQ(call.text, "");
        EXPECT_EQ(call.a, 0);
        EXPECT_EQ(call.b, 0);
        EXPECT_EQ(call.c, 0);
    }
}

TEST_F(SkinSetupTest, HandsOverNoSkinOutsideOneToThirtyThree) {
    for (int n : {0, 34, -1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(n);
        setup.apply(n);

        const RecordingEngine::Call& call = engine.calls.back();
        EXPECT_EQ(call.address, nullptr);
        EXPECT_EQ(call.size, 0);
        EXPECT_EQ(call.text, "");
        EXPECT_EQ(call.a + call.b + call.c, 0);
    }
}

TEST_F(SkinSetupTest, LoadsTheLibraryOnceAndWritesItAgainWhenDeleted) {
    setup.apply(2);
    ASSERT_TRUE(dir.fs().remove(dll));

    setup.apply(2);

    EXPECT_EQ(engine.loads, std::vector<std::string>{dll});
    EXPECT_EQ(engine.calls.size(), 2u);
    EXPECT_EQ(dir.fs().get(dll), pack.library);
    EXPECT_EQ(dir.fs().attributes(dll), platform::kAttrHidden);
}

TEST_F(SkinSetupTest, EndsTheProgramWhenTheLibraryCannotBeLoaded) {
    engine.loadSucceeds = false;

    setup.apply(2);

    ASSERT_EQ(backend.messages().size(), 1u);
    const auto& box = backend.messages()[0];
    EXPECT_NE(box.text.find("SkinH_EL.dll"), std::string::npos);
    EXPECT_NE(box.text.find("SkinH_AttachRes"), std::string::npos);
    EXPECT_EQ(box.type, ui::kOkExclamation);
    EXPECT_TRUE(backend.ended());
    EXPECT_TRUE(engine.calls.empty());
    backend.finish();  // the box was not scripted
}

TEST_F(SkinSetupTest, ApplySkinReachesTheSetupOnlyWhileInstalled) {
    installSkinSetup(&setup);
    applySkin(2);
    installSkinSetup(nullptr);
    applySkin(2);

    ASSERT_EQ(engine.calls.size(), 1u);
    EXPECT_EQ(engine.calls[0].bytes, pack.skin(2));
}

}  // namespace
}  // namespace vorda::mainwindow
