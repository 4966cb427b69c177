// The main window and its controller: the device list and pages, the window
// buttons, the no-device and device-error notices, the tray icon and the
// language, with every control's notification dispatched by type and name.
#pragma once

#include <QMap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include "shell/notify_pump.h"

class CDeviceOptionUI;
class CZentrelUSBDevice;
class DeviceHub;
class MousePage;
class QMenu;
class QStackedWidget;
struct MousePageState;

struct MainWindowOptions {
    bool startHidden = false;  // started from the session's autostart: tray only
    bool allowTray = true;     // tests switch the tray off
};

class CMainWnd : public QWidget {
    Q_OBJECT
public:
    CMainWnd(DeviceHub& hub, const MainWindowOptions& options, QWidget* parent = nullptr);
    ~CMainWnd() override;

    QWidget* Root() const { return root_; }
    CZentrelUSBDevice* Current() const { return current_; }
    CDeviceOptionUI* EntryOf(CZentrelUSBDevice* device) const;
    MousePage* MousePageOf(CZentrelUSBDevice* device) const;
    bool HasTray() const { return tray_ != nullptr; }
    bool LightControl() const { return lightControl_; }

    // Brings the window to the front (the first discovery pass, a second start, the tray).
    void BringToFront();
    // Applies language `index` of the language table and re-translates every window.
    void SelectLanguage(int index);
    // Ends the program: devices stopped, event loop left.
    void Exit();

    // The dispatcher of every control's notifications.
    void Notify(const Notification& n);

signals:
    // The page of a device was shown (tests wait for it).
    void pageShown(CZentrelUSBDevice* device);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnDeviceCreated(CZentrelUSBDevice* device);
    void OnEntryShown(CZentrelUSBDevice* device, bool visible);
    void OnCurrentChanged(CZentrelUSBDevice* device);
    void OnDeviceMessage(CZentrelUSBDevice* device, int message, long wParam, long lParam);
    void OnMouseState(CZentrelUSBDevice* device, const MousePageState& state);
    void OnFrameReady(CZentrelUSBDevice* device);
    void OnStatus(CZentrelUSBDevice* device, const QByteArray& record);

    void ShowDevice(CZentrelUSBDevice* device);
    void SelectNeighbour(int direction);
    void UpdateNotices();
    void HideToTray();
    void ToggleFromTray();
    void ToggleLightControl();
    void RestoreDefaults();
    void ShowLanguageMenu();
    void SetupTray();
    void RetranslateAll();
    bool HandleClick(const Notification& n);
    bool HandleSelect(const Notification& n);
    CDeviceOptionUI* EntryOfSender(QWidget* sender) const;

    DeviceHub& hub_;
    MainWindowOptions options_;
    QWidget* root_ = nullptr;
    QWidget* list_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    NotifyPump pump_;
    QMap<CZentrelUSBDevice*, CDeviceOptionUI*> entries_;
    QMap<CZentrelUSBDevice*, QWidget*> devicePages_;
    QList<CZentrelUSBDevice*> order_;  // entries in list order
    CZentrelUSBDevice* current_ = nullptr;
    bool deviceErrorShown_ = false;  // message 3333 said the current device failed
    bool lightControl_ = true;
    bool exiting_ = false;
    bool firstPassSeen_ = false;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QPoint dragOffset_;
    bool dragging_ = false;
};
