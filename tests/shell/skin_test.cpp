// The skin delivered with the program: every layout loads through the control
// factory, holds every control the code looks up, and every language holds a
// text for every language id the layouts and the code use.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <memory>

#include "shell/language.h"
#include "shell/led_dot.h"
#include "shell/message_window.h"
#include "shell/skin.h"
#include "tests/shell/shell_test_support.h"
#include "link/debug_trace.h"

namespace {

QStringList Indexed(const QString& prefix, int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) names << prefix + QString::number(i);
    return names;
}

struct LayoutNames {
    const char* file;
    QStringList names;
};

std::vector<LayoutNames> LookedUpNames() {
    return {
        {"main.ui",
         {"root", "title_bar", "closebtn", "minbtn", "maxbtn", "restorebtn", "setbtn",
          "control_light_status", "device_select_layout", "device_select_prev", "device_select_next",
          "device_page_layout", "No_device_Link", "nodevice_ok_btn", "Error_device_Link",
          "errordevice_ok_btn", "errordevice_connect_btn", "setting_progress"}},
        {"device_option.ui", {"device_select", "synchro_device_select", "device_select_name", "device_power"}},
        {"device_profile.ui",
         {"device_profile_combo", "device_profile_name_edit", "device_profile_edit_save_btn",
          "profile_fun_spread_btn", "profile_menu_layout", "device_add_btn", "device_sub_btn",
          "device_copy_btn", "device_import_btn", "device_export_btn", "device_reset_btn"}},
        {"mouse_page.ui",
         QStringList{"DeviceProfileItem", "default_btn", "deng_Op_tab", "key_Op_tab", "macro_Op_tab",
                     "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab",
                     "Virtual7.1_Op_tab", "otherset_Op_tab", "device_function_layout",
                     "mouse_device_seting_layout", "mouse_option_layout", "logo", "device_battery",
                     "Anti_Shake_combo_timeSelect", "ble_sleep1_combo", "ble_sleep2_combo",
                     "device_sleep1_combo", "device_sleep2_combo", "pointer_speed_slider",
                     "pointer_precision_check", "scrolls_page_check", "scroll_speed_slider",
                     "double_click_slider", "device_tishi_info"} +
             Indexed("light_", 15) + Indexed("key_", 11) + Indexed("DPI_enable_check_", 7) +
             Indexed("DPI_select_check_", 7) + Indexed("DPI_slider_", 7) + Indexed("DPI_edit_", 7) +
             Indexed("DPI_color_option_", 7) + Indexed("polling_rate_option_", 5) +
             Indexed("Silent_Altitude_option_", 2) + Indexed("Linear_Calibration_option_", 2) +
             Indexed("Ripple_option_", 2) + Indexed("mouse_device_seting_option_", 3)},
        {"msg.ui", {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"}},
    };
}

TEST(Skin, EveryLayoutHoldsTheControlsTheCodeLooksUp) {
    for (const LayoutNames& layout : LookedUpNames()) {
        std::unique_ptr<QWidget> root(LoadLayout(layout.file));
        ASSERT_NE(root, nullptr) << layout.file;
        for (const QString& name : layout.names) {
            const auto found = root->findChildren<QWidget*>(name);
            const int count = static_cast<int>(found.size()) + (root->objectName() == name ? 1 : 0);
            EXPECT_EQ(count, 1) << layout.file << ": " << name.toStdString();
        }
    }
}

TEST(Skin, LedControlsAreMadeByTheFactory) {
    std::unique_ptr<QWidget> page(LoadLayout("mouse_page.ui"));
    ASSERT_NE(page, nullptr);
    for (int i = 0; i < 15; ++i)
        EXPECT_NE(page->findChild<CLedDotUI*>(QString("light_%1").arg(i)), nullptr) << i;
}

// Every language id: the layouts' langId/langTipId properties, and the ids the
// code passes to Tr(), sets as "langId" or returns for device names.
QSet<QString> UsedLanguageIds() {
    QSet<QString> ids;
    const QString skin = SkinFolder();
    QDirIterator layouts(skin, {"*.ui"}, QDir::Files);
    const QRegularExpression property(
        R"(<property name="lang(?:Tip)?Id"[^>]*>\s*<string[^>]*>([^<]+)</string>)");
    while (layouts.hasNext()) {
        QFile f(layouts.next());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        for (const auto& m : property.globalMatch(QString::fromUtf8(f.readAll()))) ids << m.captured(1);
    }
    QDirIterator sources(QStringLiteral(R730_SOURCE_DIR) + "/shell", {"*.cpp", "*.h"}, QDir::Files);
    // Language ids in the code are string literals of these shapes.
    const QRegularExpression inCode(
        R"re("(message_text_\d+|[a-z_]+_name_text|control_light_(?:on|off)|show_menu|exit|device_page_pending|UpdateTiShi\w*)")re");
    while (sources.hasNext()) {
        QFile f(sources.next());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (const auto& m : inCode.globalMatch(text)) ids << m.captured(1);
    }
    return ids;
}

TEST(Skin, EveryLanguageHasEveryIdInUse) {
    Language language;
    ASSERT_TRUE(language.LoadTable(SkinFolder() + "../DefaultData/Language.config"));
    ASSERT_GE(language.Table().size(), 2);
    const QSet<QString> used = UsedLanguageIds();
    EXPECT_TRUE(used.contains("ms_device_name_text"));
    EXPECT_TRUE(used.contains("device_page_pending"));
    EXPECT_TRUE(used.contains("control_light_off"));
    for (const LanguageEntry& entry : language.Table()) {
        QHash<QString, QString> texts;
        ASSERT_TRUE(Language::ReadLanguageFile(SkinFolder() + entry.file, texts)) << entry.file.toStdString();
        for (const QString& id : used)
            EXPECT_TRUE(texts.contains(id)) << entry.file.toStdString() << " lacks " << id.toStdString();
    }
}

TEST(Language, StoredChoiceSelectsItsEntryElseTheFirst) {
    Language language;
    ASSERT_TRUE(language.LoadTable(SkinFolder() + "../DefaultData/Language.config"));
    EXPECT_EQ(language.IndexOfId(kDefaultLanguageId), 0);
    EXPECT_EQ(language.IndexOfId(language.Table().back().id), language.Table().size() - 1);
    ASSERT_TRUE(StoreLanguageId(language.Table().back().id));
    EXPECT_EQ(StoredLanguageId(), language.Table().back().id);
}

void LoadEnglish() {
    AppLanguage().LoadTable(SkinFolder() + "../DefaultData/Language.config");
    AppLanguage().Apply(0, SkinFolder());
}

// Presses a button of the message window once it is up.
void PressWhenShown(const char* name) {
    QTimer::singleShot(0, [name] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* msg = qobject_cast<CMsgWnd*>(w); msg && msg->isVisible()) {
                if (auto* b = msg->findChild<QPushButton*>(name)) b->click();
                return;
            }
        PressWhenShown(name);
    });
}

TEST(MessageWindow, ButtonsAndResults) {
    LoadEnglish();
    struct Case {
        int mode;
        const char* press;
        int result;
    } cases[] = {{kMessageOk, "confirm_btn", 1}, {kMessageOk, "closebtn", 0},
                 {kMessageOkCancel, "cancel_btn", 0}, {kMessageOkCancel, "confirm_btn", 1}};
    for (const Case& c : cases) {
        PressWhenShown(c.press);
        EXPECT_EQ(ShowMessageWindow(nullptr, {}, "message_text_7", 96, true, c.mode), c.result) << c.press;
    }
}

TEST(MessageWindow, TextByIdOrLiteralAndTheCancelButtonByMode) {
    LoadEnglish();
    CMsgWnd byId(nullptr);
    byId.Prepare({}, "message_text_7", true, kMessageOk);
    const QString text = byId.Content()->findChild<QLabel*>("MessageText")->text();
    EXPECT_EQ(text, AppLanguage().Text("message_text_7"));
    EXPECT_NE(text, "message_text_7");
    EXPECT_TRUE(byId.Content()->findChild<QPushButton*>("cancel_btn")->isHidden());

    CMsgWnd literal(nullptr);
    literal.Prepare("Title", "message_text_7", false, kMessageOkCancel);
    EXPECT_EQ(literal.Content()->findChild<QLabel*>("MessageText")->text(), "message_text_7");
    EXPECT_EQ(literal.Content()->findChild<QLabel*>("MessageTitle")->text(), "Title");
    EXPECT_FALSE(literal.Content()->findChild<QPushButton*>("cancel_btn")->isHidden());
}

TEST(MessageWindow, UnknownScaleIsTakenAs96WithItsDebugText) {
    std::vector<std::string> texts;
    SetDebugTraceSink([&](std::string_view t) { texts.emplace_back(t); });
    EXPECT_EQ(AcceptedScale(100, "MSG_WND DPI SET ERROR"), 96);
    EXPECT_EQ(AcceptedScale(144, "MSG_WND DPI SET ERROR"), 144);
    SetDebugTraceSink(nullptr);
    EXPECT_EQ(texts, std::vector<std::string>{"MSG_WND DPI SET ERROR"});
}

}  // namespace
