// One entry of the device list: the device's picture as a selectable button,
// the synchronised-lighting check, its name and battery, and the entry's
// timers (read after the link opens, re-read the profile, power status,
// receiver checks), which hand their work to the device thread.
#pragma once

#include <QMap>
#include <QString>
#include <QTimer>
#include <QWidget>

class CZentrelUSBDevice;

// The image prefix and name id of a device kind (kind 3's sub-kind 0 and 1).
struct EntryLook {
    QString imagePrefix;
    QString nameId;
};
EntryLook EntryLookFor(int kind, int subKind);
// The device-list kind of a device-type row (0 mouse, 1 keyboard, 2 pad, 3 headset).
int EntryKindOfRow(int row);

class CDeviceOptionUI : public QWidget {
    Q_OBJECT
public:
    CDeviceOptionUI(CZentrelUSBDevice* device, QWidget* parent = nullptr);

    CZentrelUSBDevice* Device() const { return device_; }
    int Kind() const { return kind_; }
    QWidget* Content() const { return content_; }
    // Whether the device is reachable and listed (not the same as isVisible:
    // the list may be scrolled or the window hidden).
    bool Shown() const { return shown_; }
    void SetShown(bool shown);
    void SetSelected(bool selected);
    bool Selected() const;
    void ArmTimer(int timerId, int ms);
    bool TimerActive(int timerId) const;
    void ShowStatus(const QByteArray& record);
    void Retranslate();

signals:
    void timerFired(CZentrelUSBDevice* device, int timerId);

private:
    void ShowImages();

    CZentrelUSBDevice* device_;
    int kind_ = 0;
    EntryLook look_;
    QWidget* content_ = nullptr;
    bool shown_ = false;
    QMap<int, QTimer*> timers_;
};
