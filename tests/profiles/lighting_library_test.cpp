// The lighting library and the custom effect it selects.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "profiles/basic_profile_data.h"
#include "tests/profiles/profile_test_support.h"

namespace {

const char kEffect[] = R"({"LEDEffectList": [
    {"LEDREGMode": 2, "LEDDirection": 1, "LEDBrightness": 4, "LEDSpeed": 3, "LEDMultiColor": 1,
     "red": 10, "green": 20, "blue": 300, "Time": 500, "Cyle": 2},
    {"Time": 1000} ]})";

class LightingLibrary : public testing::Test {
  protected:
    LightingLibrary() {
        if (mkdir(folder.File("mouse").c_str(), 0755) != 0)
            ADD_FAILURE() << "mkdir";
        WriteBytes(folder.File("mouse/effects-one.light"), kEffect);
        WriteBytes(folder.File("abs.light"), R"({"LEDEffectList": [ {"Time": 7} ]})");
        const std::string library = R"({"LightInfo": [ [
            {"LightName": "One", "Guid": "effects-one"},
            {"LightName": "Absolute", "Guid": ")" +
                                    folder.File("abs") + R"("},
            {"LightName": "No file", "Guid": "missing"},
            {"LightName": "Empty", "Guid": ""},
            {"LightName": "No Guid"} ] ]})";
        WriteBytes(LibraryPath(), library);
        profile.SetLibraryPath(LibraryPath());
    }
    std::string LibraryPath() const { return folder.File("mouse/ozmar_light.config"); }
    void Select(int item) {
        profile.LoadProfileFromText(R"({"Device": [ {"LightInfo": {"SelectItem": )" +
                                    std::to_string(item) + "}} ]}");
        profile.GetLightInfo();
    }

    ScratchFolder folder;
    CBasicProfiledata profile;
};

TEST_F(LightingLibrary, RelativeGuidIsTakenInTheLibraryFolder) {
    Select(0);
    ASSERT_TRUE(profile.LoadLibrary(profile.GetLibraryPath()).isObject());
    const std::vector<EffectStep> steps = profile.LoadCustomEffect();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0], (EffectStep{2, 4, 3, 1, 1, 10, 20, 44, 500, 2}));
    EXPECT_EQ(steps[1], (EffectStep{0, 0, 0, 0, 0, 0, 0, 0, 1000, 0}));
    EXPECT_EQ(profile.GetCustomEffectSteps(), steps);
}

TEST_F(LightingLibrary, AbsoluteGuidStaysAbsolute) {
    Select(1);
    profile.LoadLibrary(profile.GetLibraryPath());
    const std::vector<EffectStep> steps = profile.LoadCustomEffect();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].time, 7);
}

TEST_F(LightingLibrary, NothingToPlayGivesAnEmptyList) {
    for (int item : {2, 3, 4, 5, 200}) {
        Select(0);
        profile.LoadLibrary(profile.GetLibraryPath());
        ASSERT_FALSE(profile.LoadCustomEffect().empty());
        Select(item);
        EXPECT_TRUE(profile.LoadCustomEffect().empty()) << item;
        EXPECT_TRUE(profile.GetCustomEffectSteps().empty()) << item;
    }
    Select(0);
    CBasicProfiledata fresh;  // no library loaded
    EXPECT_TRUE(fresh.LoadCustomEffect().empty());
    EXPECT_TRUE(profile.LoadLibrary(folder.File("mouse/missing.config")).isNull());
    EXPECT_TRUE(profile.LoadCustomEffect().empty());
}

}  // namespace
