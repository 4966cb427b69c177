#include "shell/device_entry.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

#include "devices/zentrel_usb_device.h"
#include "shell/language.h"
#include "shell/skin.h"

EntryLook EntryLookFor(int kind, int subKind) {
    switch (kind) {
        case 1: return {"kb_device", "kb_device_name_text"};
        case 2: return {"ms_device", "ms_device_name_text"};
        case 3:
            if (subKind == 0) return {"hard_mp_device", "hard_mp_device_name_text"};
            if (subKind == 1) return {"soft_mp_device", "soft_mp_device_name_text"};
            return {"unknow_device", "hard_mp_device_name_text"};
        case 4:
        case 7: return {"hd_device", "hd_device_name_text"};
        case 5: return {"hub_device", "hub_device_name_text"};
        default: return {"unknow_device", "unknow_device_name_text"};
    }
}

int EntryKindOfRow(int row) {
    switch (row) {
        case 0: return 2;
        case 1: return 1;
        case 2: return 3;
        case 3: return 4;
        default: return 0;
    }
}

CDeviceOptionUI::CDeviceOptionUI(CZentrelUSBDevice* device, QWidget* parent)
    : QWidget(parent), device_(device), kind_(EntryKindOfRow(device->Row())) {
    setObjectName("DeviceOption");
    look_ = EntryLookFor(kind_, 0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    content_ = LoadLayout("device_option.ui", this);
    if (!content_) content_ = new QWidget(this);
    layout->addWidget(content_);
    if (auto* power = FindControl<QLabel>(content_, "device_power")) power->hide();
    if (auto* sync = FindControl<QAbstractButton>(content_, "synchro_device_select"))
        connect(sync, &QAbstractButton::toggled, this, [this] { ShowImages(); });
    Retranslate();
    ShowImages();
    QWidget::setVisible(false);
}

void CDeviceOptionUI::SetShown(bool shown) {
    shown_ = shown;
    setVisible(shown);
}

void CDeviceOptionUI::SetSelected(bool selected) {
    if (auto* b = FindControl<QAbstractButton>(content_, "device_select")) {
        const QSignalBlocker block(b);
        b->setChecked(selected);
    }
    setProperty("selected", selected);
    ShowImages();
}

bool CDeviceOptionUI::Selected() const {
    auto* b = FindControl<QAbstractButton>(content_, "device_select");
    return b && b->isChecked();
}

void CDeviceOptionUI::ShowImages() {
    auto* b = FindControl<QAbstractButton>(content_, "device_select");
    if (!b) return;
    auto* sync = FindControl<QAbstractButton>(content_, "synchro_device_select");
    const bool synchro = sync && sync->isChecked();
    const QString base = SkinFolder() + "common/device_ico/" + look_.imagePrefix;
    QIcon icon;
    icon.addFile(base + (synchro ? "_synchro_normal.png" : "_normal.png"), {}, QIcon::Normal, QIcon::Off);
    icon.addFile(base + (synchro ? "_synchro_normal.png" : "_normal.png"), {}, QIcon::Disabled, QIcon::Off);
    icon.addFile(base + (synchro ? "_synchro_selected.png" : "_selected.png"), {}, QIcon::Normal, QIcon::On);
    b->setIcon(icon);
}

void CDeviceOptionUI::Retranslate() {
    AppLanguage().Translate(content_);
    const QString name = AppLanguage().Text(look_.nameId);
    if (auto* label = FindControl<QLabel>(content_, "device_select_name")) label->setText(name);
    if (auto* b = FindControl<QAbstractButton>(content_, "device_select")) b->setToolTip(name);
}

void CDeviceOptionUI::ArmTimer(int timerId, int ms) {
    QTimer*& timer = timers_[timerId];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, timerId] { emit timerFired(device_, timerId); });
    }
    timer->start(ms);
}

bool CDeviceOptionUI::TimerActive(int timerId) const {
    auto it = timers_.find(timerId);
    return it != timers_.end() && (*it)->isActive();
}

void CDeviceOptionUI::ShowStatus(const QByteArray& record) {
    auto* power = FindControl<QLabel>(content_, "device_power");
    if (!power || record.size() < 2) return;
    power->setText(QString("%1%").arg(static_cast<uint8_t>(record[0])));
    power->setVisible(true);
}
