#include "profiles/data_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "tests/profiles/profile_test_support.h"

namespace {

// Sets (or with null, unsets) an environment variable while it lives.
class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvVar() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(DataFolders, UserAndDeviceFoldersFollowXdgDataHomeAndAreCreated) {
    ScratchFolder folder;
    const std::string base = folder.File("xdg/data");
    EnvVar xdg("XDG_DATA_HOME", base.c_str());
    int result = -1;
    EXPECT_EQ(DeviceFolder("mouse", &result), base + "/R730-VXT-1K Gaming Mouse/mouse/");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(IsFolder(base + "/R730-VXT-1K Gaming Mouse/mouse"));
    EXPECT_EQ(UserDataFolder(&result), base + "/R730-VXT-1K Gaming Mouse/");
    EXPECT_EQ(result, 0);
}

TEST(DataFolders, WithoutAnAbsoluteXdgDataHomeTheHomeFolderIsUsed) {
    ScratchFolder folder;
    EnvVar home("HOME", folder.Path().c_str());
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/path"}) {
        EnvVar variable("XDG_DATA_HOME", xdg);
        EXPECT_EQ(UserDataFolder(), folder.Path() + "/.local/share/R730-VXT-1K Gaming Mouse/");
    }
    EXPECT_TRUE(IsFolder(folder.Path() + "/.local/share/R730-VXT-1K Gaming Mouse"));
}

TEST(DataFolders, AFileInTheWayIsReported) {
    ScratchFolder folder;
    WriteBytes(folder.File("R730-VXT-1K Gaming Mouse"), "not a folder");
    EnvVar xdg("XDG_DATA_HOME", folder.Path().c_str());
    TraceCapture trace;
    int result = 0;
    DeviceFolder("keyboard", &result);
    EXPECT_EQ(result, ENOTDIR);
    EXPECT_FALSE(trace.Lines().empty());
    EXPECT_EQ(MakeFolders(folder.File("R730-VXT-1K Gaming Mouse/x")), ENOTDIR);
}

TEST(DataFolders, ProgramDataFolderChoice) {
    ScratchFolder folder;
    const std::string exe = folder.File("prefix/bin");
    ASSERT_EQ(MakeFolders(exe), 0);
    // Not installed: the source tree's folder.
    EXPECT_EQ(ResolveProgramDataFolder(nullptr, exe, "/src/data"), "/src/data/");
    EXPECT_EQ(ResolveProgramDataFolder("", exe + "/", "/src/data/"), "/src/data/");
    // Installed beside the program.
    ASSERT_EQ(MakeFolders(folder.File("prefix/share/r730cfg/DefaultData")), 0);
    EXPECT_EQ(ResolveProgramDataFolder(nullptr, exe, "/src/data"), exe + "/../share/r730cfg/");
    // The variable wins.
    EXPECT_EQ(ResolveProgramDataFolder("/opt/r730", exe, "/src/data"), "/opt/r730/");

    EnvVar unset("R730_DATA_DIR", nullptr);
    EXPECT_EQ(DefaultDataFolder(), std::string(R730_SOURCE_DATA_DIR) + "/DefaultData/");
    EnvVar set("R730_DATA_DIR", folder.Path().c_str());
    EXPECT_EQ(DefaultDataFolder(), folder.Path() + "/DefaultData/");
}

}  // namespace
