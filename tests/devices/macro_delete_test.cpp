// Deleting a macro with the key fix-up in every profile of the device: the
// renumbering, the question as a decision point, and failures that put back
// what was already changed.
#include "devices/macro_delete.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "devices/key_data.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"
#include "tests/profiles/profile_test_support.h"

namespace {

constexpr uint32_t kDefault = 0x100100;  // every key's default: left button

// A profile document whose keys have these current functions (0xCCPPQQ).
void WriteProfile(const std::string& path, std::initializer_list<uint32_t> keys) {
    Json::Value device(Json::objectValue);
    device["Other"] = "kept";
    for (uint32_t k : keys) {
        Json::Value key(Json::objectValue);
        key["Assignment"] = k;
        key["DefaultAssignment"] = kDefault;
        device["KeyList"].append(key);
    }
    Json::Value file(Json::objectValue);
    file["Device"].append(device);
    file["Extra"] = 7;
    ASSERT_EQ(CJsonFileUtil::WriteJsonFile(path, file), 0);
}

std::vector<uint32_t> KeysOf(const std::string& path) {
    std::vector<uint32_t> out;
    for (const KeyEntry& k : ProfileKeyList(path)) out.push_back(k.current.Packed());
    return out;
}

std::vector<KeyEntry> Keys(std::initializer_list<uint32_t> packed) {
    std::vector<KeyEntry> keys;
    for (uint32_t p : packed) {
        const auto i = static_cast<uint16_t>(keys.size());
        keys.push_back({KeyAssignment::FromPacked(i, p), KeyAssignment::FromPacked(i, kDefault)});
    }
    return keys;
}

std::vector<uint32_t> Packed(const std::vector<KeyEntry>& keys) {
    std::vector<uint32_t> out;
    for (const KeyEntry& k : keys) out.push_back(k.current.Packed());
    return out;
}

// A library of five macros and three profiles: two others and the current one.
class MacroDelete : public testing::Test {
protected:
    void SetUp() override {
        CMacroLibrary library(dir_.Path());
        for (int i = 0; i < 5; ++i) ASSERT_FALSE(library.Create().empty());
        WriteProfile(A(), {0x700200, 0x700300, 0x710405, 0x100200});
        WriteProfile(B(), {0x700100, 0x100800});  // nothing at or above 2
        current_ = Keys({0x700400, 0x710200, 0x200004});
    }
    std::string A() const { return dir_.File("a.Json"); }
    std::string B() const { return dir_.File("b.Json"); }
    std::string Current() const { return dir_.File("current.Json"); }
    MacroDeleteRequest Request(int index, bool answer) {
        MacroDeleteRequest r;
        r.folder = dir_.Path();
        r.index = index;
        r.profilePaths = {A(), B(), Current(), A()};  // the current one and repeats are skipped
        r.currentProfilePath = Current();
        r.currentKeys = &current_;
        r.storeCurrent = [this](const std::vector<KeyEntry>& keys) {
            ++stores_;
            current_ = keys;
            return storeResult_;
        };
        r.confirmInUse = [this, answer] {
            ++asked_;
            return answer;
        };
        return r;
    }
    ScratchFolder dir_;
    std::vector<KeyEntry> current_;
    int asked_ = 0;
    int stores_ = 0;
    int storeResult_ = 0;
};

TEST_F(MacroDelete, DeletingMacroTwoOfFiveRenumbersEveryProfile) {
    const std::string bBefore = ReadBytes(B());
    const std::string thirdId = CMacroLibrary(dir_.Path()).Load()[3].guid;
    const MacroDeleteOutcome o = DeleteMacroWithKeyFixUp(Request(2, true));
    ASSERT_EQ(o.result, MacroDeleteResult::kDeleted);
    EXPECT_TRUE(o.asked);
    EXPECT_EQ(asked_, 1);
    EXPECT_TRUE(o.currentChanged);
    EXPECT_EQ(o.profilesChanged, 1);
    // Users of macro 2 get their default; 3 and 4 become 2 and 3.
    EXPECT_EQ(KeysOf(A()), (std::vector<uint32_t>{kDefault, 0x700200, 0x710305, 0x100200}));
    EXPECT_EQ(Packed(current_), (std::vector<uint32_t>{0x700300, kDefault, 0x200004}));
    EXPECT_EQ(ReadBytes(B()), bBefore);  // nothing to change: not rewritten
    const Json::Value a = ParseFile(A());
    EXPECT_EQ(a["Extra"].asInt(), 7);  // the rest of the document stays
    EXPECT_EQ(a["Device"][0]["Other"].asString(), "kept");
    EXPECT_EQ(a["Device"][0]["KeyList"][0]["DefaultAssignment"].asUInt(), kDefault);
    CMacroLibrary after(dir_.Path());
    ASSERT_EQ(after.Load().size(), 4u);
    EXPECT_EQ(after.Entries()[2].guid, thirdId);
}

TEST_F(MacroDelete, DecliningTheQuestionChangesNothing) {
    const std::string aBefore = ReadBytes(A());
    const std::string indexBefore = ReadBytes(dir_.File("macro.config"));
    const MacroDeleteOutcome o = DeleteMacroWithKeyFixUp(Request(4, false));
    EXPECT_EQ(o.result, MacroDeleteResult::kCancelled);
    EXPECT_EQ(asked_, 1);
    EXPECT_EQ(stores_, 0);
    EXPECT_EQ(ReadBytes(A()), aBefore);  // asked before any profile was touched
    EXPECT_EQ(ReadBytes(dir_.File("macro.config")), indexBefore);

    // Macro 3 is used by no current key: no question, only profile A changes.
    const MacroDeleteOutcome quiet = DeleteMacroWithKeyFixUp(Request(3, false));
    ASSERT_EQ(quiet.result, MacroDeleteResult::kDeleted);
    EXPECT_FALSE(quiet.asked);
    EXPECT_EQ(KeysOf(A()), (std::vector<uint32_t>{0x700200, kDefault, 0x710305, 0x100200}));
    EXPECT_EQ(Packed(current_), (std::vector<uint32_t>{0x700300, 0x710200, 0x200004}));

    EXPECT_EQ(DeleteMacroWithKeyFixUp(Request(4, true)).result, MacroDeleteResult::kNoSuchMacro);
    EXPECT_EQ(DeleteMacroWithKeyFixUp(Request(-1, true)).result, MacroDeleteResult::kNoSuchMacro);
}

TEST_F(MacroDelete, AFailedStepPutsBackWhatWasChanged) {
    const std::string aBefore = ReadBytes(A());
    const std::string indexBefore = ReadBytes(dir_.File("macro.config"));
    const std::vector<KeyEntry> currentBefore = current_;

    // The current profile cannot be stored: profile A is put back.
    storeResult_ = 28;
    MacroDeleteOutcome o = DeleteMacroWithKeyFixUp(Request(2, true));
    EXPECT_EQ(o.result, MacroDeleteResult::kProfileWriteFailed);
    EXPECT_EQ(o.failedPath, Current());
    EXPECT_EQ(ReadBytes(A()), aBefore);
    EXPECT_EQ(Packed(current_), Packed(currentBefore));
    EXPECT_EQ(ReadBytes(dir_.File("macro.config")), indexBefore);

    // "macro.config" cannot be written (its folder is read-only for the
    // child's user): the profiles and the current keys are put back.
    EXPECT_EQ(stores_, 2);  // stored, then put back
    storeResult_ = 0;
    stores_ = 0;
    ScratchFolder open;
    ASSERT_EQ(chmod(open.Path().c_str(), 0777), 0);
    const std::string other = open.File("other.Json");
    WriteProfile(other, {0x700300});
    const std::string otherBefore = ReadBytes(other);
    const int child = RunInChild(
        [&] {
            MacroDeleteRequest r = Request(2, true);
            r.profilePaths = {other};
            const MacroDeleteOutcome out = DeleteMacroWithKeyFixUp(r);
            if (out.result != MacroDeleteResult::kLibraryWriteFailed) return 1;
            if (ReadBytes(other) != otherBefore) return 2;
            if (Packed(current_) != Packed(currentBefore)) return 3;
            return stores_ == 2 ? 0 : 4;  // stored, then put back
        },
        true);
    EXPECT_EQ(child, 0);
    EXPECT_EQ(ReadBytes(dir_.File("macro.config")), indexBefore);
}

TEST(KeyDataMessages, ResultsBecomeTheMainWindowsMessages) {
    struct Case {
        int r;
        KeyDataPath path;
        uint8_t units;
        const char* id;
        int value;
    } cases[] = {
        {0, KeyDataPath::kEdit, 4, "", 0},
        {-1, KeyDataPath::kEdit, 4, "message_text_7", 0},
        {-1, KeyDataPath::kProfile, 4, "message_text_7", 0},
        {65, KeyDataPath::kEdit, 4, "message_text_16", 1},
        {200, KeyDataPath::kProfile, 1, "message_text_16", 19},   // 800 > 128: (200 − 128) / 4 + 1
        {100, KeyDataPath::kProfile, 32, "message_text_26", -150},  // 400 ≤ 4096
    };
    for (const Case& c : cases) {
        const KeyDataMessage m = MessageForKeyData(c.r, c.path, c.units);
        EXPECT_EQ(m.id, c.id) << c.r;
        if (m.hasValue) {
            EXPECT_EQ(m.value, c.value) << c.r;
        }
        EXPECT_EQ(m.hasValue, c.r > 0) << c.r;
    }
}

}  // namespace
