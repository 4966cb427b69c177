// The devices of the desktop application: discovery, the device manager and
// the device thread, with everything they report turned into Qt signals that
// reach the UI thread queued. Device objects live for the program's life, so
// the pointers the signals carry stay valid.
#pragma once

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "devices/device_manager.h"
#include "link/discovery.h"
#include "shell/mouse_page_state.h"
#include "shell/task_queue.h"

class HubDeviceView;

inline constexpr int kTimerPowerStatus = 1005;

class DeviceHub : public QObject, private DiscoverySink, private DeviceListView {
    Q_OBJECT
public:
    explicit DeviceHub(QObject* parent = nullptr);
    ~DeviceHub() override;

    // Starts the discovery thread.
    void Start();
    // Stops discovery, every device thread and the device thread, in that order.
    void Stop();

    // Runs `task` on the device thread.
    bool Post(std::function<void()> task) { return queue_.Post(std::move(task)); }
    // Runs `task` on the device thread and waits for it (tests, shut-down).
    bool RunAndWait(std::function<void()> task) { return queue_.RunAndWait(std::move(task)); }

    // Asks for the page state of a mouse (answered by mouseState).
    void RequestMouseState(CZentrelUSBDevice* device);
    // Whether the page of a device is on screen (the lighting thread draws
    // every frame only then).
    void SetPageVisible(CZentrelUSBDevice* device, bool visible);
    // The work of the device-list entry timers, on the device thread.
    void RunEntryTimer(CZentrelUSBDevice* device, int timerId);

    bool FirstPassSeen() const { return firstPass_; }
    // The page has drawn the last frame it was told about.
    void FrameShown(CZentrelUSBDevice* device);
    // The device list as discovery keeps it (for tests).
    const DeviceManager& Manager() const { return manager_; }

signals:
    void deviceCreated(CZentrelUSBDevice* device);
    void entryShown(CZentrelUSBDevice* device, bool visible);
    void currentChanged(CZentrelUSBDevice* device);
    void armTimer(CZentrelUSBDevice* device, int timerId, int ms);
    void switchedToCable(CZentrelUSBDevice* device);
    void firstPassDone();
    void deviceMessage(CZentrelUSBDevice* device, int message, long wParam, long lParam);
    void mouseState(CZentrelUSBDevice* device, const MousePageState& state);
    void frameReady(CZentrelUSBDevice* device);
    void statusRecord(CZentrelUSBDevice* device, const QByteArray& record);

private:
    friend class HubDeviceView;
    // Discovery reports: handled on the device thread while discovery waits.
    void InterfaceArrived(int index) override;
    void InterfaceRemoved(int index) override;
    void FirstPassDone() override;
    // What the device manager tells the device list (on the device thread).
    void DeviceCreated(CZentrelUSBDevice& device) override;
    void ShowEntry(CZentrelUSBDevice& device, bool visible) override;
    void CurrentChanged(CZentrelUSBDevice* device) override;
    void ArmTimer(CZentrelUSBDevice& device, int timerId, int ms) override;
    void SwitchedToCable(CZentrelUSBDevice& device) override;

    void PrepareDevice(CZentrelUSBDevice& device);
    void WirelessCheck(CZentrelUSBDevice& device, int timerId);

    TaskQueue queue_;
    Discovery discovery_;
    DeviceManager manager_;
    mutable std::mutex viewsMutex_;  // views_ is written on the device thread only
    std::map<CZentrelUSBDevice*, std::unique_ptr<HubDeviceView>> views_;
    std::map<CZentrelUSBDevice*, bool> entryVisible_;                   // device thread
    std::atomic<bool> firstPass_{false};
    bool stopped_ = false;
};
