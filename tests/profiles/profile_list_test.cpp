#include "profiles/profile_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include <string>
#include <vector>

#include "profiles/json_file_util.h"
#include "tests/profiles/profile_test_support.h"

using namespace profile_list;

namespace {

// A device folder and a default document of its own.
class ProfileListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Json::Value def(Json::objectValue);
        def["Device"][0]["DPI"] = 800;
        def["Device"][0]["CustomEQNameInfo"] = "default names";
        def["Device"][0]["CustomEQHzValueInfo"] = "default curve";
        CJsonFileUtil::WriteJsonFile(defaultPath, def);
        list.SetProfilePaths(dir.Path(), defaultPath);
    }
    Json::Value ListFile() const { return ParseFile(dir.File(kListFileName)); }
    Json::Value Document(int index) const { return ParseFile(list.ProfilePath(index)); }
    void WriteList(const Json::Value& entries, int select) {
        Json::Value root(Json::objectValue);
        root["profilelist"] = entries;
        root["profileselect"] = select;
        CJsonFileUtil::WriteJsonFile(dir.File(kListFileName), root);
    }
    static Json::Value Entry(const std::string& name, const std::string& id) {
        Json::Value e(Json::objectValue);
        e["profilename"] = name;
        e["profileUUID"] = id;
        return e;
    }

    ScratchFolder dir;
    ScratchFolder outside;
    std::string defaultPath = outside.File("default.Json");
    ProfileList list;
};

TEST_F(ProfileListTest, FirstStartWritesProfile1FromDefaultDocument) {
    list.LoadProfileList();
    EXPECT_EQ(list.Names(), std::vector<std::string>{"Profile1"});
    EXPECT_EQ(list.CurrentIndex(), 0);
    EXPECT_EQ(list.ProfileNameText(), "Profile1");
    const Json::Value file = ListFile();
    EXPECT_EQ(file["profileselect"].asInt(), 0);
    EXPECT_EQ(file["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(file["profilelist"][0]["profilelinkmame"].asString(), "");
    const std::string id = file["profilelist"][0]["profileUUID"].asString();
    EXPECT_EQ(list.SelectedProfileId(), id);
    const Json::Value doc = Document(0);
    EXPECT_EQ(doc["profilename"].asString(), "Profile1");
    EXPECT_EQ(doc["profileUUID"].asString(), id);
    EXPECT_EQ(doc["Device"][0]["DPI"].asInt(), 800);
}

TEST_F(ProfileListTest, NewProfileNamesAndStoredSelection) {
    struct Case {
        std::vector<std::string> existing;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{{{"Profile1", "profile2"}, "profile3"},
                                          {{"PROFILE1"}, "profile2"},
                                          {{"Game"}, "Profile1"},
                                          {{"Profile1", "PROFILE3"}, "profile2"}}) {
        Json::Value entries(Json::arrayValue);
        for (size_t i = 0; i < c.existing.size(); ++i)
            entries.append(Entry(c.existing[i], "id" + std::to_string(i)));
        WriteList(entries, 0);
        list.LoadProfileList();
        ASSERT_EQ(list.NewProfile(), kAddDone);
        EXPECT_EQ(list.Names().back(), c.expected);
        const Json::Value file = ListFile();
        const int last = static_cast<int>(c.existing.size());
        EXPECT_EQ(file["profilelist"][last]["profilename"].asString(), c.expected);
        EXPECT_EQ(file["profileselect"].asInt(), last);  // stored, not made current
        EXPECT_EQ(list.CurrentIndex(), 0);
        EXPECT_EQ(Document(last)["profilename"].asString(), c.expected);
        EXPECT_EQ(Document(last)["Device"][0]["DPI"].asInt(), 800);
    }
}

TEST_F(ProfileListTest, FiftyFirstProfileRefusedWithoutWriting) {
    list.LoadProfileList();
    for (int i = 1; i < kMaxProfiles; ++i)
        ASSERT_EQ(list.NewProfile(), kAddDone);
    ASSERT_EQ(list.ProfileCount(), 50);
    // Fifty distinct documents, even when made within one millisecond.
    EXPECT_EQ(dir.Names().size(), 51u);
    const std::string before = ReadBytes(dir.File(kListFileName));
    EXPECT_EQ(list.NewProfile(), kAddListFull);
    EXPECT_EQ(list.CopyProfile(), kAddListFull);
    const std::string source = outside.File("Game.json");
    WriteBytes(source, R"({"profilename":"x","profileUUID":"y"})");
    EXPECT_EQ(list.ImportProfile(source), kAddListFull);
    EXPECT_EQ(MessageForAddResult(kAddListFull), "message_text_32");
    EXPECT_EQ(ReadBytes(dir.File(kListFileName)), before);
    EXPECT_EQ(dir.Names().size(), 51u);
}

TEST_F(ProfileListTest, CopyAppendsCopyWhileTakenAndCopiesDocument) {
    WriteList([] {
        Json::Value e(Json::arrayValue);
        e.append(Entry("Game", "g"));
        e.append(Entry("game COPY", "gc"));
        return e;
    }(),
              0);
    Json::Value doc(Json::objectValue);
    doc["Device"][0]["DPI"] = 1600;
    CJsonFileUtil::WriteJsonFile(dir.File("g.Json"), doc);
    list.LoadProfileList();
    ASSERT_EQ(list.CopyProfile(), kAddDone);
    EXPECT_EQ(list.Names().back(), "Game copy copy");
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
    const Json::Value copy = Document(2);
    EXPECT_EQ(copy["Device"][0]["DPI"].asInt(), 1600);
    EXPECT_EQ(copy["profilename"].asString(), "Game copy copy");
    EXPECT_NE(copy["profileUUID"].asString(), "g");
}

TEST_F(ProfileListTest, ImportUsesFileTitleWithAccumulatingSuffixes) {
    list.LoadProfileList();
    const std::string source = outside.File("Game.json");
    Json::Value doc(Json::objectValue);
    doc["profilename"] = "ignored";
    doc["profileUUID"] = "../../evil";
    doc["Device"][0]["DPI"] = 3200;
    CJsonFileUtil::WriteJsonFile(source, doc);
    const std::string sourceBytes = ReadBytes(source);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(list.ImportProfile(source), kAddDone);
    EXPECT_EQ(list.Names(),
              (std::vector<std::string>{"Profile1", "Game", "Game(1)", "Game(1)(2)"}));
    EXPECT_EQ(ReadBytes(source), sourceBytes);
    const Json::Value imported = Document(3);
    EXPECT_EQ(imported["profilename"].asString(), "Game(1)(2)");
    EXPECT_TRUE(IsPlainProfileId(imported["profileUUID"].asString()));
    EXPECT_EQ(imported["Device"][0]["DPI"].asInt(), 3200);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
}

TEST_F(ProfileListTest, ImportOfNonProfileFilesDoesNothing) {
    list.LoadProfileList();
    const std::string before = ReadBytes(dir.File(kListFileName));
    const std::vector<std::string> bad = {"not json", "[1,2]", R"({"profilename":"x"})",
                                          R"({"profileUUID":"x"})",
                                          R"({"profilename":null,"profileUUID":"x"})"};
    for (size_t i = 0; i < bad.size(); ++i) {
        const std::string path = outside.File("bad" + std::to_string(i) + ".json");
        WriteBytes(path, bad[i]);
        EXPECT_EQ(list.ImportProfile(path), kImportNotAProfile) << bad[i];
    }
    // Larger than any data file: refused from its size (a sparse file, so
    // reading it whole would take seconds).
    const std::string huge = outside.File("huge.json");
    WriteBytes(huge, R"({"profilename":"x","profileUUID":"y"})");
    ASSERT_EQ(truncate(huge.c_str(), 4LL << 30), 0);
    EXPECT_EQ(list.ImportProfile(huge), kImportNotAProfile);
    EXPECT_EQ(list.ImportProfile(outside.Path()), kImportNotAProfile);  // a folder
    EXPECT_EQ(ReadBytes(dir.File(kListFileName)), before);
    EXPECT_EQ(dir.Names().size(), 2u);
}

TEST_F(ProfileListTest, DeleteSelectsPreviousEntryAndRemovesDocument) {
    struct Case {
        int selected;
        int expectedSelect;
    };
    for (const Case& c : std::vector<Case>{{0, 0}, {3, 2}, {1, 0}}) {
        Json::Value entries(Json::arrayValue);
        for (int i = 0; i < 4; ++i) {
            entries.append(Entry("P" + std::to_string(i), "id" + std::to_string(i)));
            WriteBytes(dir.File("id" + std::to_string(i) + ".Json"), "{}");
        }
        WriteList(entries, c.selected);
        list.LoadProfileList();
        ASSERT_EQ(list.CurrentIndex(), c.selected);
        list.DeleteProfile();
        const Json::Value file = ListFile();
        EXPECT_EQ(file["profileselect"].asInt(), c.expectedSelect);
        EXPECT_EQ(list.CurrentIndex(), c.expectedSelect);
        ASSERT_EQ(file["profilelist"].size(), 3u);
        EXPECT_EQ(list.Names().size(), 3u);
        EXPECT_FALSE(std::filesystem::exists(dir.File("id" + std::to_string(c.selected) + ".Json")));
        for (const auto& e : file["profilelist"])
            EXPECT_NE(e["profileUUID"].asString(), "id" + std::to_string(c.selected));
    }
}

TEST_F(ProfileListTest, DeleteKeepsTheLastProfile) {
    list.LoadProfileList();
    const std::string path = list.ProfilePath(0);
    list.DeleteProfile();
    EXPECT_EQ(list.ProfileCount(), 1);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(ProfileListTest, RenameCasesAndPageMessages) {
    WriteList([] {
        Json::Value e(Json::arrayValue);
        e.append(Entry("Game", "g"));
        e.append(Entry("Work", "w"));
        return e;
    }(),
              0);
    WriteBytes(dir.File("g.Json"), R"({"profilename":"Game","profileUUID":"g","x":1})");
    list.LoadProfileList();
    struct Case {
        std::string text;
        int result;          // of RenameProfile; -1: not reached
        std::string message;  // of SaveProfileName
        std::string nameAfter;
    };
    const std::string twoByte8 = "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9";
    const std::string cjk8 = "\u6e38\u620f\u914d\u7f6e\u6e38\u620f\u914d\u7f6e";
    const std::vector<Case> cases = {
        {"WORK", kRenameTaken, "message_text_5", "Game"},
        {"GAME", kRenameDone, "", "GAME"},  // the current entry is skipped
        {"\t", kRenameBlank, "message_text_25", "GAME"},
        {"", -1, "", "GAME"},
        {"a b", -1, "message_text_35", "GAME"},
        {"a=b", -1, "message_text_35", "GAME"},
        {"abcdefghijklmnopq", -1, "message_text_34", "GAME"},
        {cjk8 + "x", -1, "message_text_34", "GAME"},
        {cjk8, kRenameDone, "", cjk8},
        {twoByte8, kRenameDone, "", twoByte8},
        {"abcdefghijklmnop", kRenameDone, "", "abcdefghijklmnop"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.SaveProfileName(c.text), c.message) << c.text;
        EXPECT_EQ(list.Names()[0], c.nameAfter) << c.text;
        EXPECT_EQ(ListFile()["profilelist"][0]["profilename"].asString(), c.nameAfter);
        if (c.result >= 0 && !c.text.empty()) {
            EXPECT_EQ(list.RenameProfile(c.text), c.result) << c.text;
        }
    }
    EXPECT_EQ(NameLength(cjk8 + "\u6e38"), 18);
    // The identifier and file name stay; the document takes the new name.
    EXPECT_EQ(ListFile()["profilelist"][0]["profileUUID"].asString(), "g");
    const Json::Value doc = ParseFile(dir.File("g.Json"));
    EXPECT_EQ(doc["profilename"].asString(), "abcdefghijklmnop");
    EXPECT_EQ(doc["x"].asInt(), 1);
    EXPECT_EQ(list.ProfileNameText(), "abcdefghijklmnop");
}

TEST_F(ProfileListTest, ResetKeepsCustomEqualiserOnlyForHeadset) {
    for (int kind : {kKindHeadset, kKindMouse}) {
        WriteList([] {
            Json::Value e(Json::arrayValue);
            e.append(Entry("Mine", "m"));
            return e;
        }(),
                  0);
        Json::Value doc(Json::objectValue);
        doc["Device"][0]["DPI"] = 100;
        doc["Device"][0]["CustomEQNameInfo"] = "my names";
        doc["Device"][0]["CustomEQHzValueInfo"][0] = 7;
        CJsonFileUtil::WriteJsonFile(dir.File("m.Json"), doc);
        list.SetDeviceKind(kind);
        list.LoadProfileList();
        list.ResetProfile();
        const Json::Value reset = ParseFile(dir.File("m.Json"));
        EXPECT_EQ(reset["profilename"].asString(), "Mine");
        EXPECT_EQ(reset["profileUUID"].asString(), "m");
        EXPECT_EQ(reset["Device"][0]["DPI"].asInt(), 800);
        if (kind == kKindHeadset) {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"].asString(), "my names");
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0].asInt(), 7);
        } else {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"].asString(), "default names");
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"].asString(), "default curve");
        }
    }
}

TEST_F(ProfileListTest, SelectOutsideListFallsBackToFirstEntry) {
    for (const Json::Value& select : {Json::Value(7), Json::Value(-1), Json::Value("x")}) {
        Json::Value root(Json::objectValue);
        root["profilelist"].append(Entry("A", "a"));
        root["profilelist"].append(Entry("B", "b"));
        root["profileselect"] = select;
        CJsonFileUtil::WriteJsonFile(dir.File(kListFileName), root);
        list.LoadProfileList();
        EXPECT_EQ(list.CurrentIndex(), 0);
        EXPECT_EQ(list.SelectedProfileId(), "a");
        EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
    }
}

TEST_F(ProfileListTest, UnsafeIdentifiersAreRepairedNeverFollowed) {
    // Files just outside the device folder that a followed identifier would
    // read, overwrite or delete.
    const std::string victim = outside.File("victim.Json");
    WriteBytes(victim, R"({"secret":1})");
    WriteBytes(dir.File("victim.Json"), R"({"kept":1})");  // found safely by its last part
    const std::string rel = "../" + std::filesystem::path(outside.Path()).filename().string();
    const std::vector<std::string> bad = {rel + "/victim", "..", "", std::string("a\0b", 3),
                                          outside.Path() + "/victim", "a\\b"};
    Json::Value entries(Json::arrayValue);
    entries.append(Entry("Good", "good"));
    for (size_t i = 0; i < bad.size(); ++i)
        entries.append(Entry("Bad" + std::to_string(i), bad[i]));
    entries.append(Entry("Twin", "good"));  // shares the first entry's document
    entries.append(Json::Value(5));          // not an entry at all
    WriteList(entries, 1);
    WriteBytes(dir.File("good.Json"), R"({"g":1})");
    list.LoadProfileList();

    ASSERT_EQ(list.Names().size(), bad.size() + 2);
    const Json::Value file = ListFile();
    std::set<std::string> ids;
    for (const auto& e : file["profilelist"]) {
        const std::string id = e["profileUUID"].asString();
        EXPECT_TRUE(IsPlainProfileId(id)) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), bad.size() + 2);
    EXPECT_EQ(file["profilelist"][0]["profileUUID"].asString(), "good");
    // The traversal entries took the document found inside the folder.
    EXPECT_EQ(Document(1)["kept"].asInt(), 1);
    EXPECT_EQ(Document(1)["profilename"].asString(), "Bad0");
    EXPECT_EQ(Document(2)["Device"][0]["DPI"].asInt(), 800);  // nothing found: default
    EXPECT_EQ(Document(static_cast<int>(bad.size()) + 1)["g"].asInt(), 1);

    // Every operation stays inside the folder.
    for (int i = 0; i < static_cast<int>(list.Names().size()); ++i) {
        list.SelectProfile(i);
        list.ResetProfile();
        EXPECT_EQ(list.RenameProfile("R" + std::to_string(i)), kRenameDone);
    }
    for (int i = 0; i < 5; ++i)
        list.DeleteProfile();
    EXPECT_EQ(ReadBytes(victim), R"({"secret":1})");
    EXPECT_EQ(outside.Names(), (std::vector<std::string>{"default.Json", "victim.Json"}));

    // A bad identifier written between operations is repaired on the next one.
    Json::Value later = ListFile();
    later["profilelist"][0]["profileUUID"] = rel + "/victim";
    CJsonFileUtil::WriteJsonFile(dir.File(kListFileName), later);
    list.SelectProfile(0);
    list.ResetProfile();
    EXPECT_TRUE(IsPlainProfileId(list.SelectedProfileId()));
    EXPECT_EQ(ReadBytes(victim), R"({"secret":1})");
}

}  // namespace
