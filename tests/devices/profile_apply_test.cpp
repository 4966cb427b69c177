// A profile picked in the profile bar, applied to the simulated mouse, and the
// wait after quick picks.
#include "devices/profile_apply.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "devices/clock.h"
#include "devices/zentrel_mouse_device.h"
#include "link/device_commands.h"
#include "link/result_codes.h"
#include "profiles/data_folders.h"
#include "profiles/json_file_util.h"
#include "profiles/profile_list.h"
#include "sim/sim_device.h"
#include "tests/devices/test_mouse.h"

namespace {

constexpr size_t kStage2Level = 14 + 9 * 2 + 2;  // of the profile block
constexpr uint32_t kDpiUp = 0x130100;            // a key assignment: DPI up

TEST(ProfilePickDebounce, OnlyTheLastOfQuickPicksIsDueFourHundredMsAfterIt) {
    ManualClock clock(5000);
    ProfilePickDebounce picks;
    EXPECT_FALSE(picks.Due(clock.NowMs()));  // nothing picked
    picks.Pick(1, clock.NowMs());
    clock.Advance(399);
    EXPECT_FALSE(picks.Due(clock.NowMs()));
    picks.Pick(3, clock.NowMs());  // a second pick starts the wait again
    clock.Advance(300);
    picks.Pick(2, clock.NowMs());
    clock.Advance(399);
    EXPECT_EQ(picks.RemainingMs(clock.NowMs()), 1u);
    EXPECT_FALSE(picks.Due(clock.NowMs()));
    clock.Advance(1);
    EXPECT_EQ(picks.Due(clock.NowMs()), std::optional<int>(2));
    EXPECT_FALSE(picks.Due(clock.NowMs() + 1000));  // once only
    EXPECT_FALSE(picks.Pending());
}

// A mouse object on a simulated mouse by cable, with its folder in a fresh
// data folder and a profile list of two profiles: "Game" differs from the
// default in its stage 2 DPI level and in button 3 (DPI up).
class ProfileApplyOnSim : public testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/r730-apply-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        setenv("XDG_DATA_HOME", folder, 1);
        sim_ = std::make_unique<SimulatedDevice>(SimKind::Mouse, SimOptions{});
        mouse_ = std::make_unique<CZentrelMouseDevice>();
        SetUpTestMouse(*mouse_);
        DeviceLink& link = mouse_->CommandLink();
        {
            std::lock_guard io(link.IoLock());
            ASSERT_TRUE(sim_->PlugCable());
            ASSERT_TRUE(
                link.WiredInterface().Open(sim_->Cable().CommandPath(), true, true, true, false));
            link.SetOpened(true);
            link.SetConnection(kConnectionCable);
        }

        list_.SetDeviceKind(profile_list::kKindMouse);
        list_.SetProfilePaths(mouse_->ProfileFolder(), DefaultDataFolder() + "mouse.Json");
        list_.LoadProfileList();
        ASSERT_EQ(list_.NewProfile(), profile_list::kAddDone);
        ASSERT_EQ(list_.Names().size(), 2u);
        Json::Value game = CJsonFileUtil::ReadJsonFile(list_.ProfilePath(1));
        game["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"] = 54;
        game["Device"][0]["KeyList"][3]["Assignment"] = kDpiUp;
        ASSERT_EQ(CJsonFileUtil::WriteJsonFile(list_.ProfilePath(1), game), 0);

        // Started as the application starts: the profile selected so far.
        list_.SelectProfile(0);
        mouse_->SetProfileFileName(list_.SelectedProfileId());
        ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
        mouse_->StopLightingThread();
        sim_->Cable().Port().ClearReceivedFrames();
    }
    void TearDown() override {
        mouse_.reset();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder_);
    }
    // Settings writes: frames of command 6 at offset 0 (the first chunk).
    int SettingsWrites() {
        int n = 0;
        for (const SimFrame& f : sim_->Cable().Port().ReceivedFrames())
            n += f[3] == kCmdWriteSettings && f[5] == 0 && f[6] == 0;
        return n;
    }
    std::vector<uint8_t> Slot(size_t slot) {
        const std::vector<uint8_t>& table = sim_->Firmware().Memory().keyTable;
        return {table.begin() + static_cast<long>(slot * 3),
                table.begin() + static_cast<long>(slot * 3 + 3)};
    }

    std::string folder_;
    std::unique_ptr<SimulatedDevice> sim_;
    std::unique_ptr<CZentrelMouseDevice> mouse_;
    ProfileList list_;
};

TEST_F(ProfileApplyOnSim, PickedProfileGoesToTheMouseWithItsKeys) {
    ASSERT_NE(sim_->Firmware().Memory().settings.at(kStage2Level), 54);
    const ProfileApplyResult r = ApplyPickedProfile(list_, 1, *mouse_);
    EXPECT_TRUE(r.applied);
    EXPECT_EQ(r.settings, kResultOk);
    EXPECT_EQ(r.keyData, 0);
    EXPECT_EQ(r.keys, kResultOk);
    EXPECT_EQ(r.profileId, list_.ProfileId(1));
    EXPECT_EQ(mouse_->Profile().GetProfilePath(), list_.ProfilePath(1));
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(list_.ListFilePath())["profileselect"].asInt(), 1);
    EXPECT_EQ(sim_->Firmware().Memory().settings.at(kStage2Level), 54);
    EXPECT_EQ(Slot(3), (std::vector<uint8_t>{0x13, 0x01, 0x00}));
    EXPECT_EQ(mouse_->StageDpi(2), 3000);  // level 54 of the mouse's sensor

    // Back to the first profile: its own values return.
    ASSERT_TRUE(ApplyPickedProfile(list_, 0, *mouse_).applied);
    EXPECT_EQ(sim_->Firmware().Memory().settings.at(kStage2Level), 26);
    EXPECT_EQ(Slot(3), (std::vector<uint8_t>{0x10, 0x10, 0x00}));
}

TEST_F(ProfileApplyOnSim, IndexOutsideTheListSendsNothing) {
    for (int index : {-1, 2}) {
        const ProfileApplyResult r = ApplyPickedProfile(list_, index, *mouse_);
        EXPECT_FALSE(r.applied);
    }
    EXPECT_TRUE(sim_->Cable().Port().ReceivedFrames().empty());
    EXPECT_EQ(CJsonFileUtil::ReadJsonFile(list_.ListFilePath())["profileselect"].asInt(), 0);
}

// What the main window's timer does: quick picks, then only the last one is
// applied, once, 400 ms after it.
TEST_F(ProfileApplyOnSim, QuickPicksApplyOnlyTheLast) {
    ManualClock clock;
    ProfilePickDebounce picks;
    std::vector<int> applied;
    auto tick = [&] {
        if (const std::optional<int> due = picks.Due(clock.NowMs()))
            if (ApplyPickedProfile(list_, *due, *mouse_).applied)
                applied.push_back(*due);
    };
    picks.Pick(0, clock.NowMs());
    for (int ms = 0; ms < 200; ms += 50) {
        clock.Advance(50);
        tick();
    }
    picks.Pick(1, clock.NowMs());
    for (int ms = 0; ms < 1000; ms += 50) {
        clock.Advance(50);
        tick();
    }
    EXPECT_EQ(applied, std::vector<int>{1});
    EXPECT_EQ(SettingsWrites(), 1);
    EXPECT_EQ(sim_->Firmware().Memory().settings.at(kStage2Level), 54);
}

}  // namespace
