#include "profiles/json_file_util.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>

#include "profiles/file_io.h"
#include "tests/profiles/profile_test_support.h"

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(ParseJson, RefusesBadTextWithoutCrashing) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"truncated object", R"({"Device": [ {"LightInfo": {"Red": 1)"},
        {"truncated array", "[1, 2"},
        {"garbage", "\xff\xfe\x00garbage"},
        {"deep nesting", std::string(100000, '[')},
        {"deep but closed", std::string(5000, '[') + std::string(5000, ']')},
        {"deep objects",
         [] {
             std::string t;
             for (int i = 0; i < 20000; ++i)
                 t += "{\"a\":";
             return t;
         }()},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(CJsonFileUtil::ParseJson(c.text).isNull()) << c.what;
    }
}

TEST(ParseJson, AcceptsCommentsAndModerateNesting) {
    const Json::Value v = CJsonFileUtil::ParseJson("// profile\n{ \"a\": 1, /* b */ \"b\": [2] }");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v["a"].asInt(), 1);
    EXPECT_EQ(v["b"][0].asInt(), 2);
    const std::string nested = std::string(200, '[') + std::string(200, ']');
    EXPECT_TRUE(CJsonFileUtil::ParseJson(nested).isArray());
}

TEST(ReadJsonFile, UnreadableFilesReadAsNullAndAreTraced) {
    ScratchFolder folder;
    WriteBytes(folder.File("empty.Json"), "");
    WriteBytes(folder.File("truncated.Json"), R"({"Device": [ {"Light)");
    ASSERT_EQ(mkdir(folder.File("folder.Json").c_str(), 0755), 0);
    const char* names[] = {"missing.Json", "empty.Json", "truncated.Json", "folder.Json"};
    for (const char* name : names) {
        TraceCapture trace;
        EXPECT_TRUE(CJsonFileUtil::ReadJsonFile(folder.File(name)).isNull()) << name;
        EXPECT_TRUE(trace.Contains(folder.File(name))) << name;
    }
    TraceCapture trace;
    EXPECT_EQ(CJsonFileUtil::ReadFileText(folder.File("missing.Json")), "");
    EXPECT_TRUE(trace.Contains("readjsonFile 错误吗：：2"));  // ENOENT
}

TEST(ReadJsonFile, ReadsUpToSixteenMegabytesAndNoMore) {
    ScratchFolder folder;
    const std::string document = R"({"a": 1})";
    // Exactly at the limit: read whole.
    WriteBytes(folder.File("limit.Json"),
               std::string(kMaxDataFileSize - document.size(), ' ') + document);
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(folder.File("limit.Json"))["a"].asInt(), 1);
    // One byte more: unreadable.
    WriteBytes(folder.File("huge.Json"),
               std::string(kMaxDataFileSize + 1 - document.size(), ' ') + document);
    EXPECT_EQ(CJsonFileUtil::ReadFileText(folder.File("huge.Json")), "");
    EXPECT_TRUE(CJsonFileUtil::ReadJsonFile(folder.File("huge.Json")).isNull());
}

TEST(WriteJsonFile, WritesStyledTextAndOneLineEnd) {
    ScratchFolder folder;
    Json::Value v;
    v["Device"][0]["LightInfo"]["Red"] = 5;
    v["Device"][0]["List"].append(1);
    v["Device"][0]["List"].append(2);
    ASSERT_EQ(CJsonFileUtil::WriteJsonFile(folder.File("p.Json"), v), 0);
    EXPECT_EQ(ReadBytes(folder.File("p.Json")),
              "{\n"
              "   \"Device\" : [\n"
              "      {\n"
              "         \"LightInfo\" : {\n"
              "            \"Red\" : 5\n"
              "         },\n"
              "         \"List\" : [ 1, 2 ]\n"
              "      }\n"
              "   ]\n"
              "}\n\n");
}

TEST(WriteJsonFile, ReplacesTheFileAndKeepsItsMode) {
    ScratchFolder folder;
    const std::string path = folder.File("p.Json");
    const mode_t oldMask = umask(022);
    EXPECT_EQ(CJsonFileUtil::WriteJsonFile(path, Parse(R"({"a": 1})")), 0);
    umask(oldMask);
    EXPECT_EQ(ModeOf(path), 0644u);  // not mkstemp's 0600

    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(CJsonFileUtil::WriteJsonFile(path, Parse(R"({"a": 2})")), 0);
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(path)["a"].asInt(), 2);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"p.Json"});
}

TEST(WriteJsonFile, WritesThroughASymbolicLink) {
    ScratchFolder folder;
    ASSERT_EQ(mkdir(folder.File("real").c_str(), 0755), 0);
    WriteBytes(folder.File("real/p.Json"), "{}");
    ASSERT_EQ(symlink("real/p.Json", folder.File("link.Json").c_str()), 0);
    EXPECT_EQ(CJsonFileUtil::WriteJsonFile(folder.File("link.Json"), Parse(R"({"a": 3})")), 0);
    struct stat st {};
    ASSERT_EQ(lstat(folder.File("link.Json").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(folder.File("real/p.Json"))["a"].asInt(), 3);
}

// A write that fails at any step returns a code, leaves the old file
// byte-identical and leaves no temporary file behind.
TEST(WriteJsonFile, FailedWriteKeepsTheOldFile) {
    const std::string oldText = "{ \"old\" : true }  // hand-written\n";
    Json::Value big;
    big["text"] = std::string(100000, 'x');
    const struct {
        const char* what;
        bool unprivileged;
        std::function<void(const std::string& folder)> inParent;
        std::function<void()> inChild;
        int expected;
    } cases[] = {
        {"read-only folder", true,
         [](const std::string& f) { EXPECT_EQ(chmod(f.c_str(), 0555), 0); }, [] {}, EACCES},
        {"file size limit (disk full)", false, [](const std::string&) {},
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{1000, 1000};
             if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                 _exit(0);
         },
         EFBIG},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        const std::string sub = folder.File("device");
        ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
        const std::string path = sub + "/p.Json";
        WriteBytes(path, oldText);
        c.inParent(sub);
        const int result = RunInChild(
            [&] {
                c.inChild();
                return CJsonFileUtil::WriteJsonFile(path, big);
            },
            c.unprivileged);
        EXPECT_EQ(result, c.expected) << c.what;
        EXPECT_EQ(chmod(sub.c_str(), 0755), 0);
        EXPECT_EQ(ReadBytes(path), oldText) << c.what;
        const std::vector<std::string> left = [&] {
            std::vector<std::string> names;
            for (const auto& e : std::filesystem::directory_iterator(sub))
                names.push_back(e.path().filename().string());
            return names;
        }();
        EXPECT_EQ(left, std::vector<std::string>{"p.Json"}) << c.what;
    }
}

TEST(WriteJsonFile, ReportsFailuresToCreateOrReplace) {
    ScratchFolder folder;
    ASSERT_EQ(mkdir(folder.File("dir.Json").c_str(), 0755), 0);
    WriteBytes(folder.File("dir.Json/inside"), "x");
    TraceCapture trace;
    EXPECT_NE(CJsonFileUtil::WriteJsonFile(folder.File("missing/p.Json"), Json::Value(1)), 0);
    EXPECT_NE(CJsonFileUtil::WriteJsonFile(folder.File("dir.Json"), Json::Value(1)), 0);
    EXPECT_NE(CJsonFileUtil::WriteJsonFile("", Json::Value(1)), 0);
    EXPECT_FALSE(trace.Lines().empty());
    EXPECT_EQ(ReadBytes(folder.File("dir.Json/inside")), "x");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dir.Json"});
}

TEST(MakeTimeStampName, FormatsTheLocalTime) {
    EXPECT_EQ(CJsonFileUtil::MakeTimeStampName(TimeStampParts{2025, 1, 2, 9, 5, 3, 7}),
              "2025_01_02_09_05_03_007");

    const char* oldTz = std::getenv("TZ");
    const std::string savedTz = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    std::tm utc{};
    utc.tm_year = 2025 - 1900;
    utc.tm_mon = 0;
    utc.tm_mday = 2;
    utc.tm_hour = 9;
    utc.tm_min = 5;
    utc.tm_sec = 3;
    const auto time =
        std::chrono::system_clock::from_time_t(timegm(&utc)) + std::chrono::microseconds(7999);
    EXPECT_EQ(CJsonFileUtil::MakeTimeStampName(time), "2025_01_02_09_05_03_007");
    if (oldTz) {
        setenv("TZ", savedTz.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    EXPECT_EQ(CJsonFileUtil::MakeTimeStampName().size(),
              std::string("2025_01_02_09_05_03_007").size());
}

TEST(GetFileTitle, DropsFolderAndExtension) {
    EXPECT_EQ(CJsonFileUtil::GetFileTitle("/a/b.d/Profile 1.Json"), L"Profile 1");
    EXPECT_EQ(CJsonFileUtil::GetFileTitle("x.tar.gz"), L"x.tar");
    EXPECT_EQ(CJsonFileUtil::GetFileTitle("/dir.d/name"), L"name");
    EXPECT_EQ(CJsonFileUtil::GetFileTitle("/p/Grüße 配置.Json"), L"Grüße 配置");
}

}  // namespace
