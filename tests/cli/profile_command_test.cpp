// r730ctl DEVICE profile: the profile list of each device kind through the
// program, one run after another against one user's data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/profile_folder.h"
#include "tests/cli/mouse_program.h"
#include "tests/cli/run_program.h"

namespace {

constexpr char kDataFolder[] = "/R730-VXT-1K Gaming Mouse/";
constexpr size_t kStage2Level = 14 + 9 * 2 + 2;  // of the mouse's profile block

// One user's data folder, the program run against it without devices.
class Profiles {
  public:
    ProgramRun Run(const std::string& kind, const std::vector<std::string>& args) const {
        std::vector<std::string> all = {"XDG_DATA_HOME=" + home_.Path(), R730CTL, kind, "profile"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram("env", all);
    }
    // Runs and expects exit code 0.
    std::string Ok(const std::string& kind, const std::vector<std::string>& args) const {
        const ProgramRun run = Run(kind, args);
        EXPECT_EQ(run.exitCode, 0)
            << kind << " " << (args.empty() ? "" : args[0]) << ": " << run.err;
        return run.out;
    }
    Json::Value List(const std::string& kind) const {
        return ParseJson(Ok(kind, {"list", "--json"}));
    }
    std::vector<std::string> Names(const std::string& kind) const {
        std::vector<std::string> names;
        for (const auto& e : List(kind))
            names.push_back(e["name"].asString());
        return names;
    }
    int Selected(const std::string& kind) const {
        const Json::Value list = List(kind);
        for (Json::ArrayIndex i = 0; i < list.size(); ++i)
            if (list[i]["selected"].asBool())
                return static_cast<int>(i);
        return -1;
    }
    std::string Folder(const std::string& folderName) const {
        return home_.Path() + kDataFolder + folderName + "/";
    }
    std::string Outside(const std::string& name) const { return home_.File(name); }

    const std::string& Home() const { return home_.Path(); }

  private:
    TempFolder home_;
};

TEST(ProfileCommand, NamesSelectionAndJsonList) {
    const Profiles p;
    EXPECT_EQ(p.Ok("keyboard", {"list"}), "*  0  Profile1\n");
    EXPECT_EQ(p.Ok("keyboard", {"new"}), "added 1: profile2\n");
    p.Ok("keyboard", {"new"});
    EXPECT_EQ(p.Selected("keyboard"), 2);  // a new profile is the selected one from now on
    EXPECT_EQ(p.Ok("keyboard", {"select", "1"}), "selected 1: profile2\n");
    p.Ok("keyboard", {"copy"});
    p.Ok("keyboard", {"copy"});
    EXPECT_EQ(p.Names("keyboard"),
              (std::vector<std::string>{"Profile1", "profile2", "profile3", "profile2 copy",
                                        "profile2 copy copy"}));
    const Json::Value list = p.List("keyboard");
    ASSERT_EQ(list.size(), 5u);
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        ASSERT_TRUE(list[i]["selected"].isBool());
        EXPECT_EQ(list[i]["selected"].asBool(), i == 1) << i;
        EXPECT_EQ(list[i].getMemberNames(), (std::vector<std::string>{"id", "name", "selected"}));
        const std::string doc = p.Folder("keyboard") + list[i]["id"].asString() + ".Json";
        EXPECT_EQ(ParseJson(ReadWholeFile(doc))["profilename"], list[i]["name"]);
    }
    // The copy carries the keyboard's default document.
    const Json::Value copy =
        ParseJson(ReadWholeFile(p.Folder("keyboard") + list[3]["id"].asString() + ".Json"));
    EXPECT_TRUE(copy["Device"].isArray());
    EXPECT_EQ(p.Ok("keyboard", {"list"}),
              "   0  Profile1\n*  1  profile2\n   2  profile3\n   3  profile2 copy\n"
              "   4  profile2 copy copy\n");
    // Each kind has a list of its own, in its own folder.
    EXPECT_EQ(p.Names("mousepad"), std::vector<std::string>{"Profile1"});
    EXPECT_TRUE(std::filesystem::exists(p.Folder("MousePad") + "ProfileList.ini"));
    EXPECT_TRUE(std::filesystem::exists(p.Folder("HD") + "ProfileList.ini") == false);
}

TEST(ProfileCommand, RenameRefusalsShowTheMessageText) {
    const Profiles p;
    p.Ok("headset", {"new"});  // profile2, selected
    const std::string two8 = "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9";
    struct Case {
        std::string name;
        int code;
        std::string text;  // in the error output
        std::string after;
    };
    const std::vector<Case> cases = {
        {"PROFILE1", 1, "This name is already taken.", "profile2"},
        {"a b", 1, "must not contain a space", "profile2"},
        {"x?", 1, "must not contain a space", "profile2"},
        {"  ", 1, "must not contain a space", "profile2"},  // spaces are forbidden first
        {"\t", 1, "must not be blank", "profile2"},
        {"", 1, "must not be blank", "profile2"},
        {"abcdefghijklmnopq", 1, "too long", "profile2"},
        {two8 + "\u00e9", 1, "too long", "profile2"},
        {"PROFILE2", 0, "", "PROFILE2"},  // the selected entry is skipped
        {two8, 0, "", two8},
    };
    for (const Case& c : cases) {
        const ProgramRun run = p.Run("headset", {"rename", c.name});
        EXPECT_EQ(run.exitCode, c.code) << c.name << run.err;
        if (!c.text.empty()) {
            EXPECT_NE(run.err.find("headset profile rename: "), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.text), std::string::npos) << c.name << ": " << run.err;
        }
        EXPECT_EQ(p.Names("headset"), (std::vector<std::string>{"Profile1", c.after})) << c.name;
    }
}

TEST(ProfileCommand, FiftyFirstProfileIsRefused) {
    const Profiles p;
    Json::Value root(Json::objectValue);
    for (int i = 0; i < 50; ++i) {
        Json::Value e(Json::objectValue);
        e["profilename"] = "P" + std::to_string(i);
        e["profileUUID"] = "id" + std::to_string(i);
        root["profilelist"].append(e);
    }
    root["profileselect"] = 0;
    std::filesystem::create_directories(p.Folder("mouse"));
    const std::string listFile = p.Folder("mouse") + "ProfileList.ini";
    WriteWholeFile(listFile, root.toStyledString());
    WriteWholeFile(p.Outside("Game.json"), R"({"profilename": "G", "profileUUID": "g"})");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"new"}, {"copy"}, {"import", p.Outside("Game.json")}}) {
        const ProgramRun run = p.Run("mouse", args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find("at most 50 profiles"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ParseJson(ReadWholeFile(listFile)), root);
}

TEST(ProfileCommand, DeleteMovesTheSelectionAndKeepsTheLast) {
    const Profiles p;
    p.Ok("keyboard", {"new"});
    p.Ok("keyboard", {"new"});
    const Json::Value before = p.List("keyboard");
    const std::string gone = p.Folder("keyboard") + before[2]["id"].asString() + ".Json";
    ASSERT_TRUE(std::filesystem::exists(gone));
    EXPECT_EQ(p.Ok("keyboard", {"delete"}), "deleted 2: profile3; selected 1: profile2\n");
    EXPECT_FALSE(std::filesystem::exists(gone));
    p.Ok("keyboard", {"select", "0"});
    EXPECT_EQ(p.Ok("keyboard", {"delete"}), "deleted 0: Profile1; selected 0: profile2\n");
    const ProgramRun last = p.Run("keyboard", {"delete"});
    EXPECT_EQ(last.exitCode, 1);
    EXPECT_NE(last.err.find("the only profile is kept"), std::string::npos) << last.err;
    EXPECT_EQ(p.Names("keyboard"), std::vector<std::string>{"profile2"});
}

TEST(ProfileCommand, ExportImportAndFilesThatAreNoProfile) {
    const Profiles p;
    p.Ok("mousepad", {"rename", "Mine"});
    const std::string game = p.Outside("Game.json");
    EXPECT_EQ(p.Ok("mousepad", {"export", game}), "exported 0: Mine to " + game + "\n");
    const Json::Value exported = ParseJson(ReadWholeFile(game));
    EXPECT_EQ(exported["profilename"].asString(), "Mine");
    for (int i = 0; i < 3; ++i)
        p.Ok("mousepad", {"import", game});
    EXPECT_EQ(p.Names("mousepad"),
              (std::vector<std::string>{"Mine", "Game", "Game(1)", "Game(1)(2)"}));
    EXPECT_EQ(ParseJson(ReadWholeFile(game)), exported);  // the source is left as it was
    EXPECT_EQ(p.Selected("mousepad"), 0);

    const std::string listFile = p.Folder("MousePad") + "ProfileList.ini";
    const std::string listBefore = ReadWholeFile(listFile);
    WriteWholeFile(p.Outside("text.json"), "not json");
    WriteWholeFile(p.Outside("half.json"), R"({"profilename": "x"})");
    for (const std::string& file : {p.Outside("text.json"), p.Outside("half.json"),
                                    p.Outside("missing.json"), p.Outside("")}) {
        const ProgramRun run = p.Run("mousepad", {"import", file});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_NE(run.err.find("is not a profile file"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadWholeFile(listFile), listBefore);
    const ProgramRun unwritable = p.Run("mousepad", {"export", p.Outside("no/such/folder.json")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

TEST(ProfileCommand, HeadsetResetKeepsTheCustomEqualiser) {
    const Profiles p;
    for (const char* kind : {"headset", "keyboard"}) {
        const std::string folder = p.Folder(kind == std::string("headset") ? "HD" : "keyboard");
        const Json::Value list = p.List(kind);
        const std::string doc = folder + list[0]["id"].asString() + ".Json";
        Json::Value d = ParseJson(ReadWholeFile(doc));
        const Json::Value defaults = d;
        d["Device"][0]["CustomEQNameInfo"] = "my names";
        d["Device"][0]["CustomEQHzValueInfo"][0] = 7;
        d["Device"][0]["Extra"] = 1;
        WriteWholeFile(doc, d.toStyledString());
        EXPECT_EQ(p.Ok(kind, {"reset"}), "reset 0: Profile1 to the default settings\n");
        const Json::Value reset = ParseJson(ReadWholeFile(doc));
        EXPECT_FALSE(reset["Device"][0].isMember("Extra")) << kind;
        if (kind == std::string("headset")) {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"].asString(), "my names");
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0].asInt(), 7);
        } else {
            EXPECT_EQ(reset, defaults);
        }
    }
}

TEST(ProfileCommand, HandEditedListIsRepairedNeverFollowed) {
    const Profiles p;
    WriteWholeFile(p.Outside("victim.Json"), "{\"secret\": 1}");
    std::filesystem::create_directories(p.Folder("keyboard"));
    WriteWholeFile(p.Folder("keyboard") + "ProfileList.ini",
                   R"({"profilelist": [{"profilename": "A", "profileUUID": "../../../victim"},
                                       {"profilename": "B", "profileUUID": "b"}],
                       "profileselect": 7})");
    const Json::Value list = p.List("keyboard");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_TRUE(list[0]["selected"].asBool());
    EXPECT_EQ(list[0]["id"].asString().find('/'), std::string::npos);
    p.Ok("keyboard", {"reset"});
    p.Ok("keyboard", {"delete"});
    EXPECT_EQ(ReadWholeFile(p.Outside("victim.Json")), "{\"secret\": 1}");
}

TEST(ProfileCommand, WrongUseChangesNothing) {
    const Profiles p;
    p.Ok("keyboard", {"list"});
    const std::string listFile = p.Folder("keyboard") + "ProfileList.ini";
    const std::string before = ReadWholeFile(listFile);
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frob"},
        {"select"},
        {"select", "x"},
        {"select", "-1"},
        {"select", "1"},
        {"rename"},
        {"rename", "a", "b"},
        {"new", "--json"},
        {"copy", "x"},
        {"export"},
    };
    for (const auto& args : cases) {
        const ProgramRun run = p.Run("keyboard", args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]) << " " << run.err;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(ReadWholeFile(listFile), before);
    const ProgramRun other = RunProgram(R730CTL, {"keyboard", "show"});
    EXPECT_EQ(other.exitCode, 2);
}

// What a device command hands its device as the profile file name.
TEST(ProfileCommand, SelectedProfileFileNameFollowsSelect) {
    const Profiles p;
    p.Ok("keyboard", {"new"});
    p.Ok("keyboard", {"select", "0"});
    setenv("XDG_DATA_HOME", p.Home().c_str(), 1);
    std::string error;
    EXPECT_EQ(SelectedProfileFileName("keyboard", error), p.List("keyboard")[0]["id"].asString());
    p.Ok("keyboard", {"select", "1"});
    EXPECT_EQ(SelectedProfileFileName("keyboard", error), p.List("keyboard")[1]["id"].asString());
    EXPECT_EQ(SelectedProfileFileName("tablet", error), "");
    EXPECT_NE(error.find("unknown device kind"), std::string::npos);
    unsetenv("XDG_DATA_HOME");
}

TEST(ProfileCommand, AFolderThatCannotBeMadeIsReported) {
    const Profiles p;
    const std::string folder = p.Folder("HD");
    std::filesystem::create_directories(folder.substr(0, folder.size() - 4));
    WriteWholeFile(folder.substr(0, folder.size() - 1), "a file in the way");
    const ProgramRun run = p.Run("headset", {"new"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot create the folder"), std::string::npos) << run.err;
}

// select on the mouse gives a mouse present the picked profile.
TEST(ProfileCommand, MouseSelectAppliesTheProfileToTheMouse) {
    const MouseProgram mouse;
    ProgramRun run = mouse.Run({"profile", "new"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = mouse.Run({"profile", "list", "--json"});
    const Json::Value list = ParseJson(run.out);
    ASSERT_EQ(list.size(), 2u);
    const std::string folder = mouse.Home() + kProfileFolder + "/";
    const std::string gameDoc = folder + list[1]["id"].asString() + ".Json";
    Json::Value game = ParseJson(ReadWholeFile(gameDoc));
    game["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"] = 54;
    WriteWholeFile(gameDoc, game.toStyledString());

    run = mouse.Run({"profile", "select", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "selected 1: profile2\nwritten to the mouse\n");
    EXPECT_EQ(mouse.DeviceArea("settings").at(kStage2Level), 54);

    run = mouse.Run({"profile", "select", "0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(mouse.DeviceArea("settings").at(kStage2Level), 26);
    // The profile the mouse was read with was the selected one, not a file of its own.
    EXPECT_FALSE(std::filesystem::exists(folder + "Profile1.Json"));
}

}  // namespace
