#include "shell/mouse_page.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "devices/key_data.h"
#include "devices/profile_apply.h"
#include "profiles/feature_tabs.h"
#include "shell/device_hub.h"
#include "shell/device_profile_bar.h"
#include "shell/message_window.h"
#include "shell/language.h"
#include "shell/led_dot.h"
#include "shell/skin.h"

namespace {

constexpr int kPerformanceTab = 4;

template <class T>
T* Control(QWidget* root, const QString& name) {
    return FindControl<T>(root, name);
}

void SetChecked(QWidget* root, const QString& name, bool on) {
    if (auto* b = Control<QAbstractButton>(root, name)) {
        QSignalBlocker block(b);
        b->setChecked(on);
    }
}

void SelectComboByData(QComboBox* combo, int value) {
    if (!combo) return;
    QSignalBlocker block(combo);
    const int i = combo->findData(QString::number(value));
    if (i >= 0) combo->setCurrentIndex(i);
}

}  // namespace

MousePage::MousePage(DeviceHub& hub, CZentrelMouseDevice& mouse, QWidget* parent)
    : QWidget(parent), hub_(hub), mouse_(mouse) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    content_ = LoadLayout("mouse_page.ui", this);
    if (!content_) content_ = new QWidget(this);
    layout->addWidget(content_);
    for (int i = 0;; ++i) {
        auto* led = Control<CLedDotUI>(content_, QString("light_%1").arg(i));
        if (!led) break;
        leds_.push_back(led);
    }
    for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
        auto* option = Control<QWidget>(content_, kFeatureTabNames[static_cast<size_t>(tab - 1)]);
        const TabVisibility rule = FeatureTabVisibility(profile_list::kKindMouse, tab);
        if (option && rule != TabVisibility::Keep) option->setVisible(rule == TabVisibility::Show);
    }
    SelectFeatureTab(kPerformanceTab);

    // The profile bar, filled from the list the device thread read (or made) first.
    bar_ = new CDeviceProfileUI(profile_list::kKindMouse, mouse_.ProfileFolder(),
                                mouse_.DefaultDataFolder() + mouse_.FolderName() + ".Json", this);
    if (auto* slot = Control<QWidget>(content_, "DeviceProfileItem")) {
        if (!slot->layout()) new QHBoxLayout(slot);
        slot->layout()->setContentsMargins(0, 0, 0, 0);
        slot->layout()->addWidget(bar_);
    }
    bar_->Load();
    connect(bar_, &CDeviceProfileUI::applyRequested, this, &MousePage::ApplyProfile);
    connect(bar_, &CDeviceProfileUI::resetDone, this, &MousePage::ReloadProfile);
    ShowSettingsPage(0);
    if (auto* battery = Control<QLabel>(content_, "device_battery")) battery->hide();
}

void MousePage::SelectFeatureTab(int tab) {
    if (tab < 1 || tab > kFeatureTabCount) return;
    SetChecked(content_, kFeatureTabNames[static_cast<size_t>(tab - 1)], true);
    if (auto* pages = Control<QStackedWidget>(content_, "device_function_layout"))
        if (tab - 1 < pages->count()) pages->setCurrentIndex(tab - 1);
}

void MousePage::ShowSettingsPage(int page) {
    auto* pages = Control<QStackedWidget>(content_, "mouse_device_seting_layout");
    if (!pages || page < 0 || page >= pages->count()) return;
    pages->setCurrentIndex(page);
    SetChecked(content_, QString("mouse_device_seting_option_%1").arg(page), true);
}

void MousePage::SelectOption(const QString& prefix, int count, int selected) {
    for (int i = 0; i < count; ++i) SetChecked(content_, prefix + QString::number(i), i == selected);
}

void MousePage::ShowDpiText(int stage, int level) {
    if (auto* edit = Control<QLineEdit>(content_, QString("DPI_edit_%1").arg(stage))) {
        QSignalBlocker block(edit);
        edit->setText(QString::number(DpiFromLevel(state_.dpi, level)));
    }
}

void MousePage::ShowState(const MousePageState& s) {
    state_ = s;
    for (int i = 0; i < kPageStages; ++i) {
        const MousePageStage& stage = s.stages[static_cast<size_t>(i)];
        SetChecked(content_, QString("DPI_enable_check_%1").arg(i), stage.enabled);
        SetChecked(content_, QString("DPI_select_check_%1").arg(i), i == s.activeStage);
        if (auto* slider = Control<QSlider>(content_, QString("DPI_slider_%1").arg(i))) {
            QSignalBlocker block(slider);
            if (!s.levels.fromLayout && s.levels.max > s.levels.min)
                slider->setRange(s.levels.min, s.levels.max);
            slider->setValue(stage.level);
        }
        if (auto* edit = Control<QLineEdit>(content_, QString("DPI_edit_%1").arg(i))) {
            QSignalBlocker block(edit);
            edit->setText(QString::number(stage.dpi));
        }
        if (auto* colour = Control<QWidget>(content_, QString("DPI_color_option_%1").arg(i)))
            colour->setStyleSheet(QString("background-color: rgb(%1,%2,%3);")
                                      .arg(stage.colour.r)
                                      .arg(stage.colour.g)
                                      .arg(stage.colour.b));
    }
    SelectOption("polling_rate_option_", 5, s.reportRateOption);
    SelectOption("Silent_Altitude_option_", 2, s.liftOffOption);
    SelectOption("Linear_Calibration_option_", 2, s.calibrationOption);
    SelectOption("Ripple_option_", 2, s.rippleOption);
    if (auto* combo = Control<QComboBox>(content_, "Anti_Shake_combo_timeSelect")) {
        QSignalBlocker block(combo);
        if (s.system.keyDebounceTime < combo->count()) combo->setCurrentIndex(s.system.keyDebounceTime);
    }
    SelectComboByData(Control<QComboBox>(content_, "ble_sleep1_combo"), s.system.bleSleep1);
    SelectComboByData(Control<QComboBox>(content_, "ble_sleep2_combo"), s.system.bleSleep2);
    SelectComboByData(Control<QComboBox>(content_, "device_sleep1_combo"), s.system.deviceSleep1);
    SelectComboByData(Control<QComboBox>(content_, "device_sleep2_combo"), s.system.deviceSleep2);
    const std::pair<const char*, int> sliders[] = {
        {"pointer_speed_slider", s.system.mouseSpeed},
        {"scroll_speed_slider", s.system.wheelScrollLines},
        {"double_click_slider", s.system.doubleClickTime}};
    for (const auto& [name, value] : sliders)
        if (auto* slider = Control<QSlider>(content_, name)) {
            QSignalBlocker block(slider);
            slider->setValue(value);
        }
    SetChecked(content_, "pointer_precision_check", s.system.pointerPrecision != 0);
    SetChecked(content_, "scrolls_page_check", s.system.scrollPage != 0);
    if (auto* slider = Control<QSlider>(content_, "scroll_speed_slider"))
        slider->setEnabled(s.system.scrollPage == 0);
}

void MousePage::ShowFrame() {
    const LedFrame frame = mouse_.Frame();
    for (int i = 0; i < leds_.size() && size_t(i) < frame.size(); ++i) {
        const Rgb c = DeviceColour(frame[static_cast<size_t>(i)]);
        leds_[i]->SetColour(QColor(c.r, c.g, c.b));
    }
}

void MousePage::ShowStatus(const QByteArray& record) {
    auto* battery = Control<QLabel>(content_, "device_battery");
    if (!battery || record.size() < 2) return;
    const int charge = static_cast<uint8_t>(record[0]);
    const bool charging = record[1] != 0;
    battery->setText(QString("%1%%2").arg(charge).arg(charging ? QString(" ⚡") : QString()));
    battery->setVisible(true);
}

void MousePage::Edit(std::function<MouseCommit(CZentrelMouseDevice&)> edit) {
    CZentrelMouseDevice* mouse = &mouse_;
    DeviceHub* hub = &hub_;
    QPointer<MousePage> page(this);
    hub_.Post([mouse, hub, page, edit = std::move(edit)] {
        const MouseCommit c = edit(*mouse);
        emit hub->mouseState(mouse, TakeMousePageState(*mouse));  // before editDone, in order
        QMetaObject::invokeMethod(hub, [page, c] {
            if (page) emit page->editDone(c.saved, c.sent);
        }, Qt::QueuedConnection);
    });
}

void MousePage::CommitPointerValues() {
    auto value = [this](const char* name, int fallback) {
        auto* s = Control<QSlider>(content_, name);
        return s ? s->value() : fallback;
    };
    auto checked = [this](const char* name) {
        auto* b = Control<QAbstractButton>(content_, name);
        return b && b->isChecked();
    };
    const auto doubleClick = static_cast<uint16_t>(value("double_click_slider", state_.system.doubleClickTime));
    const auto speed = static_cast<uint16_t>(value("pointer_speed_slider", state_.system.mouseSpeed));
    const auto lines = static_cast<uint16_t>(value("scroll_speed_slider", state_.system.wheelScrollLines));
    const bool precision = checked("pointer_precision_check");
    const bool page = checked("scrolls_page_check");
    if (auto* slider = Control<QSlider>(content_, "scroll_speed_slider")) slider->setEnabled(!page);
    Edit([=](CZentrelMouseDevice& m) {
        MouseCommit c;
        c.saved = m.SetPointerValues(doubleClick, speed, precision, page, lines);
        c.sent = 1;  // kept in the profile only
        return c;
    });
}

// Applies entry `index` of the profile list on the device thread: select,
// load, drop missing macros, show, write the settings area and the key data.
void MousePage::ApplyProfile(int index) {
    CZentrelMouseDevice* mouse = &mouse_;
    DeviceHub* hub = &hub_;
    QPointer<MousePage> page(this);
    bar_->SetReady(false);
    // Loading the profile shows it on the page (the device asks for it).
    hub_.Post([mouse, hub, page, index] {
        ProfileList list;
        OpenDeviceProfileList(*mouse, list);
        const ProfileApplyResult r = ApplyPickedProfile(list, index, *mouse);
        const KeyDataMessage message =
            MessageForKeyData(r.applied ? r.keyData : 0, KeyDataPath::kProfile, mouse->InfoBlock()[18]);
        QMetaObject::invokeMethod(hub, [page, message, keyData = r.keyData] {
            if (page) page->ProfileDone(keyData, message);
        }, Qt::QueuedConnection);
    });
}

// After a reset: the mouse loads its profile again, shows it, and writes its
// settings area and key data.
void MousePage::ReloadProfile() {
    CZentrelMouseDevice* mouse = &mouse_;
    DeviceHub* hub = &hub_;
    QPointer<MousePage> page(this);
    bar_->SetReady(false);
    // Loading the profile shows it on the page (the device asks for it).
    hub_.Post([mouse, hub, page] {
        mouse->LoadSelectedProfile();
        mouse->OnMacrosChanged();
        mouse->ApplyToPage();
        mouse->SendSettings(0, 0);
        const int keyData = mouse->SendKeyData().r;
        const KeyDataMessage message = MessageForKeyData(keyData, KeyDataPath::kProfile, mouse->InfoBlock()[18]);
        mouse->SendKeyAssignments();
        QMetaObject::invokeMethod(hub, [page, keyData, message] {
            if (page) page->ProfileDone(keyData, message);
        }, Qt::QueuedConnection);
    });
}

void MousePage::ProfileDone(int keyData, const KeyDataMessage& message) {
    bar_->SetReady(true);
    bar_->Load();  // the device thread stored the selection in the list file
    emit profileApplied(keyData);
    if (message.id.empty()) return;
    // The text is a format with one %d, filled and shown as it is.
    QString text = AppLanguage().Text(QString::fromStdString(message.id));
    if (message.hasValue) text.replace("%d", QString::number(message.value));
    ShowMessageWindow(window(), {}, text, 96, false, kMessageOk);
}

bool MousePage::HandleNotify(const Notification& n) {
    if (bar_ && bar_->HandleNotify(n)) return true;
    const QString& name = n.name;
    const QString prefix = NamePrefix(name);
    const int index = NameIndex(name);
    const auto stage = static_cast<size_t>(index);
    if (n.type == "click" && prefix == "DPI_color_option_" && index >= 0 && index < kPageStages) {
        // The stage's colour: picked, shown, stored in the stage and written.
        const Rgb old = state_.stages[stage].colour;
        const QColor picked = QColorDialog::getColor(QColor(old.r, old.g, old.b), window());
        if (!picked.isValid()) return true;
        const Rgb colour{static_cast<uint8_t>(picked.red()), static_cast<uint8_t>(picked.green()),
                         static_cast<uint8_t>(picked.blue())};
        Edit([stage, colour](CZentrelMouseDevice& m) { return m.SetStageColour(stage, colour); });
        return true;
    }
    if (n.type == "selectchanged") {
        auto* b = qobject_cast<QAbstractButton*>(n.sender.data());
        const bool on = b && b->isChecked();
        if (prefix == "DPI_enable_check_" && index >= 0 && index < kPageStages) {
            Edit([stage, on](CZentrelMouseDevice& m) { return m.SetStageEnabled(stage, on); });
        } else if (prefix == "DPI_select_check_" && index >= 0 && index < kPageStages) {
            SelectOption("DPI_select_check_", kPageStages, index);
            Edit([stage](CZentrelMouseDevice& m) { return m.SelectActiveStage(stage); });
        } else if (prefix == "polling_rate_option_" && index >= 0) {
            Edit([index](CZentrelMouseDevice& m) { return m.SetReportRate(index); });
        } else if (prefix == "Silent_Altitude_option_" && index >= 0) {
            Edit([index](CZentrelMouseDevice& m) { return m.SetLiftOff(index); });
        } else if (prefix == "Linear_Calibration_option_" && index >= 0) {
            Edit([index](CZentrelMouseDevice& m) { return m.SetLinearCalibration(index); });
        } else if (prefix == "Ripple_option_" && index >= 0) {
            Edit([index](CZentrelMouseDevice& m) { return m.SetRipple(index); });
        } else if (prefix == "mouse_device_seting_option_" && index >= 0) {
            ShowSettingsPage(index);
        } else if (name == "pointer_precision_check" || name == "scrolls_page_check") {
            CommitPointerValues();
        } else {
            return false;
        }
        return true;
    }
    if (n.type == "valuechanged" || n.type == "movevaluechanged") {
        auto* slider = qobject_cast<QSlider*>(n.sender.data());
        if (!slider) return false;
        if (prefix == "DPI_slider_" && index >= 0 && index < kPageStages) {
            const int level = slider->value();
            ShowDpiText(index, level);
            if (n.type == "valuechanged")
                Edit([stage, level](CZentrelMouseDevice& m) { return m.SetStageLevel(stage, level); });
            return true;
        }
        if (n.type == "valuechanged" &&
            (name == "pointer_speed_slider" || name == "scroll_speed_slider" ||
             name == "double_click_slider")) {
            if (name == "scroll_speed_slider") SetChecked(content_, "scrolls_page_check", false);
            CommitPointerValues();
            return true;
        }
        return false;
    }
    if (n.type == "killfocus" && prefix == "DPI_edit_" && index >= 0 && index < kPageStages) {
        auto* edit = qobject_cast<QLineEdit*>(n.sender.data());
        if (!edit) return false;
        bool ok = false;
        const int typed = edit->text().trimmed().isEmpty() ? 0 : edit->text().trimmed().toInt(&ok);
        const int dpi = ok || edit->text().trimmed().isEmpty() ? typed : 0;
        const int level = LevelFromDpi(state_.dpi, std::clamp(dpi, kDpiTextMin, kDpiTextMax));
        if (auto* slider = Control<QSlider>(content_, QString("DPI_slider_%1").arg(index))) {
            QSignalBlocker block(slider);
            slider->setValue(level);
        }
        ShowDpiText(index, level);
        Edit([stage, dpi](CZentrelMouseDevice& m) { return m.SetStageDpi(stage, dpi); });
        return true;
    }
    if (n.type == "itemselect") {
        auto* combo = qobject_cast<QComboBox*>(n.sender.data());
        if (!combo) return false;
        if (name == "Anti_Shake_combo_timeSelect") {
            const int item = combo->currentIndex();
            Edit([item](CZentrelMouseDevice& m) { return m.SetDebounce(item); });
            return true;
        }
        const std::pair<const char*, MouseSleep> sleeps[] = {{"ble_sleep1_combo", MouseSleep::Ble1},
                                                             {"ble_sleep2_combo", MouseSleep::Ble2},
                                                             {"device_sleep1_combo", MouseSleep::Device1},
                                                             {"device_sleep2_combo", MouseSleep::Device2}};
        for (const auto& [combo_name, which] : sleeps) {
            if (name != combo_name) continue;
            const int value = combo->currentData().toString().toInt();
            Edit([which = which, value](CZentrelMouseDevice& m) { return m.SetSleep(which, value); });
            return true;
        }
    }
    return false;
}
