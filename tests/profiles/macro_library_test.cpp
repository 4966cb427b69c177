// The macro library files: names, rename refusals, save, import and export.
#include "profiles/macro_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/json_file_util.h"

namespace {

std::vector<MacroEntry> Named(std::initializer_list<const char*> names) {
    std::vector<MacroEntry> entries;
    for (const char* n : names) entries.push_back({n, "id"});
    return entries;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string EventText(int type, int button, const char* action, const Json::Value& delay) {
    Json::Value e(Json::objectValue);
    e["Type"] = type;
    e["Button"] = button;
    e["Action"] = action;
    e["Delay"] = delay;
    return CJsonFileUtil::StyledText(e);
}

class MacroLibraryFiles : public testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/r730-macros-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string folder_;
};

TEST(MacroNames, DefaultAndImportNamesIgnoreCase) {
    EXPECT_EQ(CMacroLibrary::DefaultName({}), "macro_1");
    EXPECT_EQ(CMacroLibrary::DefaultName(Named({"macro_1", "macro_3"})), "macro_2");
    EXPECT_EQ(CMacroLibrary::DefaultName(Named({"macro_1", "macro_3", "MACRO_2"})), "macro_4");
    EXPECT_EQ(CMacroLibrary::ImportName("Fire", Named({"macro_1"})), "Fire");
    EXPECT_EQ(CMacroLibrary::ImportName("Fire", Named({"fire"})), "Fire(2)");
    EXPECT_EQ(CMacroLibrary::ImportName("Fire", Named({"fire", "FIRE(2)"})), "Fire(2)(3)");
    EXPECT_TRUE(CMacroLibrary::SameName("Ärger", "Ärger"));
    EXPECT_FALSE(CMacroLibrary::SameName("macro_1", "macro_10"));
}

TEST(MacroNames, DelayFieldBecomesDigits) {
    struct Case { const char* in; const char* out; } cases[] = {
        {"", "0"}, {"300", "300"}, {"007", "7"}, {"000", "0"}, {" 12ms", "12"}, {"abc", "0"}, {"65535", "65535"},
    };
    for (const Case& c : cases) EXPECT_EQ(CMacroLibrary::NormaliseDelay(c.in), c.out) << '"' << c.in << '"';
}

TEST_F(MacroLibraryFiles, CreateRenameDeleteKeepTheIndexFile) {
    CMacroLibrary library(folder_);
    EXPECT_TRUE(library.Load().empty());  // no macro.config yet
    EXPECT_EQ(library.Create(), "macro_1");
    EXPECT_EQ(library.Create(), "macro_2");
    EXPECT_EQ(library.Create(), "macro_3");
    EXPECT_NE(library.Entries()[0].guid, library.Entries()[1].guid);
    EXPECT_FALSE(std::filesystem::exists(library.MacroFilePath(0)));  // no file before the first save

    struct Case { int index; const char* name; MacroRenameResult result; } cases[] = {
        {-1, "x", MacroRenameResult::kNoSelection}, {3, "x", MacroRenameResult::kNoSelection},
        {0, "   ", MacroRenameResult::kBlank},       {0, "", MacroRenameResult::kBlank},
        {0, "MACRO_1", MacroRenameResult::kDuplicate}, {0, "Macro_2", MacroRenameResult::kDuplicate},
        {1, "Jump", MacroRenameResult::kRenamed},
    };
    for (const Case& c : cases) EXPECT_EQ(library.Rename(c.index, c.name), c.result) << c.index << " " << c.name;

    std::vector<MacroRow> rows{{"5", EventText(10, 4, "down", "0")}};
    ASSERT_EQ(library.Save(0, rows), 0);
    const std::string firstFile = library.MacroFilePath(0);
    ASSERT_TRUE(std::filesystem::exists(firstFile));

    // A reloaded library sees the same list; deleting moves later macros down.
    CMacroLibrary reloaded(folder_);
    ASSERT_EQ(reloaded.Load().size(), 3u);
    EXPECT_EQ(reloaded.Entries()[1].name, "Jump");
    const std::string thirdGuid = reloaded.Entries()[2].guid;
    EXPECT_TRUE(reloaded.Delete(0));
    EXPECT_FALSE(std::filesystem::exists(firstFile));
    EXPECT_TRUE(reloaded.Delete(0));  // its file never existed
    EXPECT_FALSE(reloaded.Delete(5));
    CMacroLibrary after(folder_);
    ASSERT_EQ(after.Load().size(), 1u);
    EXPECT_EQ(after.Entries()[0].guid, thirdGuid);
    EXPECT_EQ(after.Create(), "macro_1");
}

TEST_F(MacroLibraryFiles, CreateStopsAtFifty) {
    CMacroLibrary library(folder_);
    for (int i = 0; i < 50; ++i) ASSERT_FALSE(library.Create().empty()) << i;
    EXPECT_EQ(library.Create(), "");
    EXPECT_EQ(library.Import(folder_ + "/macro.config"), MacroImportResult::kLibraryFull);
    CMacroLibrary reloaded(folder_);
    EXPECT_EQ(reloaded.Load().size(), 50u);
}

TEST_F(MacroLibraryFiles, UnreadableIndexIsAnEmptyLibrary) {
    std::ofstream(folder_ + "/macro.config") << "{ not json";
    CMacroLibrary library(folder_);
    EXPECT_TRUE(library.Load().empty());
    EXPECT_EQ(library.ReadEvents(0).size(), 0u);
}

TEST_F(MacroLibraryFiles, SaveRefusesRowsBeyondFiftyEightAndNormalisesDelays) {
    CMacroLibrary library(folder_);
    library.Create();
    std::vector<MacroRow> rows(59, MacroRow{"1", EventText(10, 4, "down", "0")});
    EXPECT_EQ(library.Save(0, rows), 1);
    rows.resize(62);
    EXPECT_EQ(library.Save(0, rows), 4);
    EXPECT_FALSE(std::filesystem::exists(library.MacroFilePath(0)));
    rows.resize(58);
    EXPECT_EQ(library.Save(1, rows), -1);  // no such macro
    ASSERT_EQ(library.Save(0, rows), 0);
    EXPECT_EQ(library.ReadEvents(0).size(), 58u);

    rows = {{"", EventText(10, 4, "down", 0)},
            {"0300", EventText(1, 1, "up", "9")},
            {"20x", ""},  // no event: the walk ends here
            {"4", EventText(9, 2, "down", "0")}};
    ASSERT_EQ(library.Save(0, rows), 0);
    const Json::Value doc = CJsonFileUtil::ReadJsonFile(library.MacroFilePath(0));
    EXPECT_EQ(doc["MacroName"].asString(), "macro_1");
    EXPECT_EQ(doc["Guid"].asString(), library.Entries()[0].guid);
    EXPECT_EQ(doc["Version"].asInt(), 64);
    const Json::Value& events = doc["Events"];
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["Delay"], Json::Value("0"));
    EXPECT_EQ(events[1]["Delay"], Json::Value("300"));
    EXPECT_EQ(events[1]["Type"].asInt(), 1);
    EXPECT_EQ(events[1]["Action"].asString(), "up");
    EXPECT_EQ(rows[0].delay, "0");
    EXPECT_EQ(rows[1].delay, "300");
    EXPECT_EQ(CJsonFileUtil::ParseJson(rows[1].event)["Delay"], Json::Value("300"));  // row data follows the file
}

TEST_F(MacroLibraryFiles, ImportCopiesBytesAndExportReturnsThem) {
    const std::string outside = folder_ + "/outside";
    std::filesystem::create_directory(outside);
    const std::string fire = outside + "/Fire.mac";
    const std::string text = "{\"Events\":[{\"Button\":4,\"Action\":\"down\",\"Type\":10,\"Delay\":\"300\"}]}\n";
    std::ofstream(fire, std::ios::binary) << text;

    CMacroLibrary library(folder_);
    library.Create();
    ASSERT_EQ(library.Rename(0, "fire"), MacroRenameResult::kRenamed);
    int index = -1;
    ASSERT_EQ(library.Import(fire, &index), MacroImportResult::kImported);
    EXPECT_EQ(index, 1);
    ASSERT_EQ(library.Import(fire), MacroImportResult::kImported);
    ASSERT_EQ(library.Entries().size(), 3u);
    EXPECT_EQ(library.Entries()[1].name, "Fire(2)");
    EXPECT_EQ(library.Entries()[2].name, "Fire(2)(3)");
    EXPECT_NE(library.Entries()[1].guid, library.Entries()[2].guid);
    EXPECT_EQ(FileBytes(library.MacroFilePath(1)), text);
    ASSERT_EQ(library.ReadEvents(1).size(), 1u);
    EXPECT_EQ(library.ReadEvents(1)[0]["Delay"].asString(), "300");

    EXPECT_EQ(library.Import(""), MacroImportResult::kNoPath);
    EXPECT_EQ(library.Import(outside + "/missing.mac"), MacroImportResult::kUnreadable);
    EXPECT_EQ(CMacroLibrary(folder_).Load().size(), 3u);

    const std::string exported = outside + "/copy.mac";
    ASSERT_TRUE(library.Export(2, exported));
    EXPECT_EQ(FileBytes(exported), text);
    EXPECT_FALSE(library.Export(0, exported));  // macro 0 was never saved
}

TEST_F(MacroLibraryFiles, HandEditedIdsNeverReachOutsideTheFolder) {
    // A file beside the device folder that the bad ids point at.
    const std::string inner = folder_ + "/device";
    std::filesystem::create_directory(inner);
    const std::string victim = folder_ + "/victim.mac";
    std::ofstream(victim) << R"({"Events": [{"Button": 4, "Action": "down", "Type": 10, "Delay": "1"}]})";
    std::ofstream(inner + "/macro.config") << R"({"MacroInfo": [
        {"MacroName": "up", "Guid": "../victim"},
        {"MacroName": "abs", "Guid": ")" << folder_ << R"(/victim"},
        {"MacroName": "dots", "Guid": ".."},
        {"MacroName": "back", "Guid": "..\\victim"},
        {"MacroName": "fine", "Guid": "2025_01_02_09_05_03_007"},
        {"MacroName": "none", "Guid": 5},
        "not an object",
        {"MacroName": "bytes", "Guid": "a)" << '\xff' << R"("}]})";

    CMacroLibrary library(inner);
    ASSERT_EQ(library.Load().size(), 8u);
    EXPECT_EQ(library.RepairedIds(), 5u);
    EXPECT_FALSE(library.RepairWriteFailed());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(CMacroLibrary::IsPlainId(library.Entries()[i].guid)) << library.Entries()[i].guid;
        EXPECT_EQ(library.ReadEvents(static_cast<int>(i)).size(), 0u);  // the victim is not read
    }
    EXPECT_EQ(library.Entries()[4].guid, "2025_01_02_09_05_03_007");
    EXPECT_EQ(library.Entries()[5].guid, "");  // an empty id stays: saving refuses it
    EXPECT_EQ(library.MacroFilePath(5), "");
    std::vector<MacroRow> rows{{"1", EventText(1, 1, "up", "0")}};
    EXPECT_EQ(library.Save(5, rows), -1);
    // The mended index was written back: a reload sees the same fresh ids.
    CMacroLibrary reloaded(inner);
    reloaded.Load();
    EXPECT_EQ(reloaded.RepairedIds(), 0u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(reloaded.Entries()[i].guid, library.Entries()[i].guid) << i;

    ASSERT_EQ(library.Save(0, rows), 0);
    EXPECT_EQ(library.MacroFilePath(0).rfind(inner + "/", 0), 0u);
    for (int i = 3; i >= 0; --i) EXPECT_TRUE(library.Delete(i));
    EXPECT_TRUE(std::filesystem::exists(victim));
    EXPECT_FALSE(library.Export(0, folder_ + "/out.mac"));  // "fine" has no file
}

TEST_F(MacroLibraryFiles, ADeletedEntryKeepsAFileAnotherEntryShares) {
    std::ofstream(folder_ + "/macro.config")
        << R"({"MacroInfo": [{"MacroName": "a", "Guid": "same"}, {"MacroName": "b", "Guid": "same"}]})";
    std::ofstream(folder_ + "/same.mac") << R"({"Events": []})";
    CMacroLibrary library(folder_);
    library.Load();
    ASSERT_TRUE(library.Delete(0));
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/same.mac"));
    ASSERT_TRUE(library.Delete(0));
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/same.mac"));
}

TEST(MacroFileCheck, RefusesWhatTheDeviceCouldNotBeGiven) {
    const char* good = R"({"Button": 4, "Action": "down", "Type": 10, "Delay": "300"})";
    struct Case {
        std::string text;
        const char* reason;  // empty: accepted
    } cases[] = {
        {std::string(R"({"Events": [)") + good + R"(, {"Button": 1, "Action": "up", "Type": 1, "Delay": 0}]})", ""},
        {R"({"Events": []})", ""},
        {R"({"Events": [{"Button": 0, "Action": "up", "Type": 5, "Delay": 65535}]})", ""},
        {"not json", "not a JSON document"},
        {"[1, 2]", "not a JSON object"},
        {R"({"MacroName": "x"})", "it has no \"Events\" array"},
        {R"({"Events": {"0": 1}})", "it has no \"Events\" array"},
        {R"({"Events": [7]})", "event 0: not an object"},
        {std::string(R"({"Events": [)") + good + R"(, {"Action": "up", "Type": 1, "Delay": "0"}]})",
         "event 1: \"Button\" must be an integer 0-255"},
        {R"({"Events": [{"Button": 256, "Action": "up", "Type": 1, "Delay": "0"}]})", "\"Button\" must be"},
        {R"({"Events": [{"Button": "4", "Action": "up", "Type": 1, "Delay": "0"}]})", "\"Button\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "press", "Type": 1, "Delay": "0"}]})", "\"Action\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 6, "Delay": "0"}]})", "\"Type\" must be 1-5, 9 or 10"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1.5, "Delay": "0"}]})", "\"Type\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1, "Delay": "65536"}]})", "\"Delay\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1, "Delay": "99999999999999999999"}]})", "\"Delay\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1, "Delay": -1}]})", "\"Delay\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1, "Delay": " 12"}]})", "\"Delay\" must be"},
        {R"({"Events": [{"Button": 4, "Action": "up", "Type": 1}]})", "\"Delay\" must be"},
    };
    for (const Case& c : cases) {
        std::string reason;
        const bool ok = CMacroLibrary::CheckMacroDocument(CJsonFileUtil::ParseJson(c.text), 64, reason);
        EXPECT_EQ(ok, std::string(c.reason).empty()) << c.text << ": " << reason;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.text << ": " << reason;
    }
    Json::Value many(Json::objectValue);
    for (int i = 0; i < 65; ++i) many["Events"].append(CJsonFileUtil::ParseJson(good));
    std::string reason;
    EXPECT_FALSE(CMacroLibrary::CheckMacroDocument(many, 64, reason));
    EXPECT_EQ(reason, "65 events, more than 64");
    EXPECT_TRUE(CMacroLibrary::CheckMacroDocument(many, 65, reason));
}

}  // namespace
