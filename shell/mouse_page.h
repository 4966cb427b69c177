// The page of a mouse: its picture with the lighting preview, the DPI stages,
// report rate, sensor and power options and the pointer values. The page shows
// what the device thread copied from the mouse and hands every change to the
// device thread as one edit (record -> profile -> save -> profile block).
#pragma once

#include <QVector>
#include <QWidget>

#include <functional>

#include "devices/key_data.h"
#include "devices/mouse_dpi.h"
#include "devices/zentrel_mouse_device.h"
#include "shell/mouse_page_state.h"
#include "shell/notify_pump.h"

class CDeviceProfileUI;
class CLedDotUI;
class DeviceHub;
class QLabel;

class MousePage : public QWidget {
    Q_OBJECT
public:
    MousePage(DeviceHub& hub, CZentrelMouseDevice& mouse, QWidget* parent = nullptr);

    CZentrelMouseDevice& Mouse() { return mouse_; }
    QWidget* Content() const { return content_; }
    const MousePageState& State() const { return state_; }

    // Shows what the device thread copied (no notifications are raised).
    void ShowState(const MousePageState& state);
    // Shows the newest frame of the lighting preview.
    void ShowFrame();
    // A battery record: charge in % and whether it charges.
    void ShowStatus(const QByteArray& record);
    // A notification of one of the page's controls; false when it is not the page's.
    bool HandleNotify(const Notification& n);

    // Feature tab n (1-9) is checked and its page shown.
    void SelectFeatureTab(int tab);
    CDeviceProfileUI* ProfileBar() const { return bar_; }

signals:
    // An edit finished on the device thread (for tests and the busy display).
    void editDone(int saved, int sent);
    // A profile was applied to the mouse (the key data result: 0 sent).
    void profileApplied(int keyData);

private:
    void Edit(std::function<MouseCommit(CZentrelMouseDevice&)> edit);
    void ShowDpiText(int stage, int level);
    void SelectOption(const QString& prefix, int count, int selected);
    void ShowSettingsPage(int page);
    void CommitPointerValues();
    void ApplyProfile(int index);
    void ReloadProfile();
    void ProfileDone(int keyData, const KeyDataMessage& message);

    DeviceHub& hub_;
    CZentrelMouseDevice& mouse_;
    QWidget* content_ = nullptr;
    CDeviceProfileUI* bar_ = nullptr;
    QVector<CLedDotUI*> leds_;
    MousePageState state_;
};
