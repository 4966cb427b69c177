// The desktop application with simulated devices: what a user sees and what
// their changes do to the profile file and to the device's memory.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include <memory>

#include "devices/zentrel_mouse_device.h"
#include "profiles/mouse_profile_data.h"
#include "shell/device_entry.h"
#include "shell/device_hub.h"
#include "shell/device_profile_bar.h"
#include "shell/language.h"
#include "shell/main_window.h"
#include "shell/mouse_page.h"
#include "shell/skin.h"
#include "sim/sim_world.h"
#include "tests/shell/shell_test_support.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Language& language = AppLanguage();
        language.LoadTable(SkinFolder() + "../DefaultData/Language.config");
        language.Apply(0, SkinFolder());
        hub_ = std::make_unique<DeviceHub>();
        MainWindowOptions options;
        options.allowTray = false;
        window_ = std::make_unique<CMainWnd>(*hub_, options);
    }
    void TearDown() override {
        hub_->Stop();
        window_.reset();
        hub_.reset();
        if (world_) world_->UnplugAll();
    }

    void Plug(const char* list) {
        std::vector<SimDeviceSpec> specs;
        std::string error;
        ASSERT_TRUE(ParseSimulateList(list, specs, error)) << error;
        world_ = std::make_unique<SimWorld>(std::move(specs));
        ASSERT_TRUE(world_->PlugAll());
    }

    QWidget* Control(const QString& name) const { return window_->Root()->findChild<QWidget*>(name); }
    bool Visible(const QString& name) const {
        QWidget* w = Control(name);
        return w && w->isVisibleTo(window_->Root());
    }
    CZentrelMouseDevice* Mouse() const { return dynamic_cast<CZentrelMouseDevice*>(window_->Current()); }
    // Reads device state as the program does: on the device thread.
    template <class F>
    auto OnDevice(F read) const {
        decltype(read()) value{};
        hub_->RunAndWait([&] { value = read(); });
        return value;
    }
    MousePage* Page() const { return window_->MousePageOf(window_->Current()); }
    // The mouse was read and its page shows what it holds.
    bool MouseShown() const {
        CZentrelMouseDevice* mouse = Mouse();
        return mouse && Page() && Page()->State().valid &&
               OnDevice([mouse] { return mouse->CommandLink().Opened() && mouse->InfoBlock()[7] == 1; });
    }
    int ShownEntries() const {
        int n = 0;
        for (auto* e : window_->Root()->findChildren<CDeviceOptionUI*>()) n += e->Shown() ? 1 : 0;
        return n;
    }

    std::unique_ptr<SimWorld> world_;
    std::unique_ptr<DeviceHub> hub_;
    std::unique_ptr<CMainWnd> window_;
};

TEST_F(MainWindowTest, StartsWithoutDeviceThenShowsThePluggedMouse) {
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return window_->isVisible(); })) << "shown after the first pass";
    EXPECT_TRUE(Visible("No_device_Link"));
    EXPECT_EQ(ShownEntries(), 0);

    Plug("mouse");
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    EXPECT_FALSE(Visible("No_device_Link"));
    EXPECT_EQ(ShownEntries(), 1);
    auto* pages = window_->Root()->findChild<QStackedWidget*>("device_page_layout");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentWidget(), Page());

    // The page shows the mouse's own settings: its stage DPI values.
    CZentrelMouseDevice* mouse = Mouse();
    const int dpi = OnDevice([mouse] { return mouse->StageDpi(1); });
    WaitFor([&] { return Page()->State().stages[1].dpi == dpi; });
    auto* edit = Page()->Content()->findChild<QLineEdit*>("DPI_edit_1");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toInt(), dpi);
    EXPECT_GT(edit->text().toInt(), 0);
}

TEST_F(MainWindowTest, DpiEditReachesProfileFileAndMouse) {
    Plug("mouse");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    auto* edit = Page()->Content()->findChild<QLineEdit*>("DPI_edit_2");
    ASSERT_NE(edit, nullptr);
    edit->setText("2000");
    emit edit->editingFinished();  // what leaving the field does
    int saved = -1, sent = -1;
    QObject::connect(Page(), &MousePage::editDone, [&](int s, int w) { saved = s, sent = w; });
    ASSERT_TRUE(WaitFor([&] { return sent != -1; }));
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(sent, 1);

    CZentrelMouseDevice* mouse = Mouse();
    const DpiParams dpi = OnDevice([mouse] { return mouse->Dpi(); });
    const std::string path = OnDevice([mouse] { return mouse->Profile().GetProfilePath(); });
    const int level = LevelFromDpi(dpi, 2000);
    const SimMemory m = world_->Device(SimKind::Mouse)->Firmware().Memory();
    EXPECT_EQ(m.settings[14 + 9 * 2 + 2], level);
    CMouseProfiledata file;
    file.LoadProfile(path);
    ASSERT_GT(file.GetDPIStages().size(), 2u);
    EXPECT_EQ(LevelOfStageField(dpi.sensor, file.GetDPIStages()[2].x), level);
    auto* slider = Page()->Content()->findChild<QSlider*>("DPI_slider_2");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), level);
}

TEST_F(MainWindowTest, ReportRateOptionWritesTheMouse) {
    Plug("mouse");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    auto* option = Page()->Content()->findChild<QAbstractButton*>("polling_rate_option_2");
    ASSERT_NE(option, nullptr);
    option->click();
    ASSERT_TRUE(WaitFor([&] { return world_->Device(SimKind::Mouse)->Firmware().Memory().settings[11] == 2; }));
    CZentrelMouseDevice* mouse = Mouse();
    EXPECT_EQ(OnDevice([mouse] { return mouse->System().reportRate; }), 2);
}

TEST_F(MainWindowTest, CableAndReceiverKeepOnePage) {
    Plug("mouse@both");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    CZentrelMouseDevice* mouse = Mouse();
    auto receiver = [&] { return OnDevice([mouse] { return mouse->ThroughReceiver(); }); };
    EXPECT_FALSE(receiver());
    const int pageCount = window_->Root()->findChild<QStackedWidget*>("device_page_layout")->count();

    world_->Device(SimKind::Mouse)->UnplugCable();
    ASSERT_TRUE(WaitFor([&] { return receiver(); }, 8000));
    ASSERT_TRUE(WaitFor([&] { return ShownEntries() == 1 && window_->Current() == mouse; }, 8000));

    ASSERT_TRUE(world_->Device(SimKind::Mouse)->PlugCable());
    ASSERT_TRUE(WaitFor([&] { return !receiver(); }, 8000));
    EXPECT_EQ(ShownEntries(), 1);
    EXPECT_EQ(window_->Current(), mouse);
    EXPECT_EQ(window_->Root()->findChild<QStackedWidget*>("device_page_layout")->count(), pageCount);
}

TEST_F(MainWindowTest, UnplugHidesTheEntryAndShowsTheNotice) {
    Plug("mouse");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    world_->UnplugAll();
    ASSERT_TRUE(WaitFor([&] { return ShownEntries() == 0; }, 8000));
    EXPECT_EQ(window_->Current(), nullptr);
    EXPECT_TRUE(Visible("No_device_Link"));
}

TEST_F(MainWindowTest, LanguageSwitchTranslatesAndIsStored) {
    Plug("mouse");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    auto* name = window_->Root()->findChild<QLabel*>("device_select_name");
    ASSERT_NE(name, nullptr);
    const QString english = name->text();
    ASSERT_GE(AppLanguage().Table().size(), 2);
    window_->SelectLanguage(1);
    EXPECT_NE(name->text(), english);
    EXPECT_EQ(name->text(), AppLanguage().Text("ms_device_name_text"));
    EXPECT_EQ(StoredLanguageId(), AppLanguage().Table()[1].id);
    // The same language again changes nothing.
    EXPECT_FALSE(AppLanguage().Apply(1, SkinFolder()));
    window_->SelectLanguage(0);
    EXPECT_EQ(name->text(), english);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ProfileBarAddsAndAppliesOnlyTheLastQuickPick) {
    Plug("mouse");
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    CDeviceProfileUI* bar = Page()->ProfileBar();
    ASSERT_NE(bar, nullptr);
    auto* combo = bar->Content()->findChild<QComboBox*>("device_profile_combo");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), "Profile1");

    auto* add = bar->findChild<QAbstractButton*>("device_add_btn");
    ASSERT_NE(add, nullptr);
    add->click();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "profile2");

    std::vector<int> applied;
    QObject::connect(Page(), &MousePage::profileApplied, [&](int keyData) { applied.push_back(keyData); });
    CZentrelMouseDevice* mouse = Mouse();
    auto profilePath = [&] { return OnDevice([mouse] { return mouse->Profile().GetProfilePath(); }); };
    const std::string first = profilePath();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    ASSERT_TRUE(WaitFor([&] { return !applied.empty(); }));
    Pump(600);
    EXPECT_EQ(applied, std::vector<int>{0});
    EXPECT_NE(profilePath(), first);
    EXPECT_EQ(bar->List().CurrentIndex(), 1);
}

}  // namespace

namespace {

// A mouse that another host has taken over answers with a host flag the
// program does not own: the error notice appears, and "Reconnect" takes the
// mouse back and reads it.
TEST_F(MainWindowTest, DeviceErrorNoticeAndReconnect) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    ASSERT_TRUE(ParseSimulateList("mouse", specs, error)) << error;
    world_ = std::make_unique<SimWorld>(std::move(specs));
    SimFirmware& firmware = world_->Device(SimKind::Mouse)->Firmware();
    SimMemory memory = firmware.Memory();
    memory.info[7] = 2;
    firmware.SetMemory(memory);
    ASSERT_TRUE(world_->PlugAll());
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return Visible("Error_device_Link"); }, 8000));
    EXPECT_EQ(firmware.Memory().info[7], 2);  // not taken over behind the user's back

    auto* reconnect = window_->Root()->findChild<QAbstractButton*>("errordevice_connect_btn");
    ASSERT_NE(reconnect, nullptr);
    reconnect->click();
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    EXPECT_EQ(firmware.Memory().info[7], 1);
    EXPECT_FALSE(Visible("Error_device_Link"));
}

// Without a tray to come back from, closing never hides the window.
TEST_F(MainWindowTest, CloseWithoutTrayMinimisesInsteadOfHiding) {
    hub_->Start();
    ASSERT_TRUE(WaitFor([&] { return window_->isVisible(); }));
    ASSERT_FALSE(window_->HasTray());
    window_->Root()->findChild<QAbstractButton*>("closebtn")->click();
    Pump(50);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(window_->isMinimized());
}

}  // namespace
