#include "shell/device_profile_bar.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>

#include "profiles/profile_list.h"
#include "shell/language.h"
#include "shell/message_window.h"
#include "shell/skin.h"

namespace {
constexpr int kPickDelayMs = 400;
const char kProfileFilter[] = "Profile Files(*.json)";
}  // namespace

CDeviceProfileUI::CDeviceProfileUI(int kind, const std::string& folder, const std::string& defaultDocument,
                                   QWidget* parent)
    : QWidget(parent) {
    setObjectName("DeviceProfileItem_bar");
    list_.SetDeviceKind(kind);
    list_.SetProfilePaths(folder, defaultDocument);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    content_ = LoadLayout("device_profile.ui", this);
    if (!content_) content_ = new QWidget(this);
    layout->addWidget(content_);
    AppLanguage().Translate(content_);
    menu_ = FindControl<QWidget>(content_, "profile_menu_layout");
    if (menu_) {
        // The menu opens over the page, below its button.
        menu_->setParent(this, Qt::Popup);
        menu_->hide();
    }
    pickTimer_.setSingleShot(true);
    connect(&pickTimer_, &QTimer::timeout, this, [this] {
        if (pickedIndex_ >= 0) emit applyRequested(pickedIndex_);
    });
}

void CDeviceProfileUI::Load() {
    list_.LoadProfileList();
    ShowList();
}

void CDeviceProfileUI::ShowList() {
    if (auto* combo = FindControl<QComboBox>(content_, "device_profile_combo")) {
        const QSignalBlocker block(combo);
        combo->clear();
        for (const std::string& name : list_.Names()) combo->addItem(QString::fromStdString(name));
        combo->setCurrentIndex(list_.CurrentIndex());
    }
    if (auto* edit = FindControl<QLineEdit>(content_, "device_profile_name_edit")) {
        const QSignalBlocker block(edit);
        const int current = list_.CurrentIndex();
        edit->setText(current >= 0 && current < int(list_.Names().size())
                          ? QString::fromStdString(list_.Names()[static_cast<size_t>(current)])
                          : QString());
    }
}

void CDeviceProfileUI::SetReady(bool ready) { content_->setEnabled(ready); }

void CDeviceProfileUI::ShowMessage(const std::string& id) {
    if (!id.empty()) ShowMessageWindow(window(), {}, QString::fromStdString(id), 96, true, kMessageOk);
}

void CDeviceProfileUI::ToggleMenu() {
    if (!menu_) return;
    if (menu_->isVisible()) {
        menu_->hide();
        return;
    }
    QWidget* button = FindControl<QWidget>(content_, "profile_fun_spread_btn");
    menu_->adjustSize();
    if (button) menu_->move(button->mapToGlobal(QPoint(button->width() - menu_->width(), button->height())));
    menu_->show();
}

void CDeviceProfileUI::HideMenu() {
    if (menu_) menu_->hide();
}

void CDeviceProfileUI::Add(int result) {
    ShowMessage(profile_list::MessageForAddResult(result));
    ShowList();
}

bool CDeviceProfileUI::HandleNotify(const Notification& n) {
    const QString& name = n.name;
    if (n.type == "itemselect" && name == "device_profile_combo") {
        auto* combo = qobject_cast<QComboBox*>(n.sender.data());
        if (!combo) return true;
        pickedIndex_ = combo->currentIndex();
        pickTimer_.start(kPickDelayMs);  // each pick starts the wait again
        return true;
    }
    if (n.type != "click") return false;
    if (name == "profile_fun_spread_btn") {
        ToggleMenu();
    } else if (name == "device_add_btn") {
        HideMenu();
        Add(list_.NewProfile());
    } else if (name == "device_copy_btn") {
        HideMenu();
        Add(list_.CopyProfile());
    } else if (name == "device_sub_btn") {
        HideMenu();
        list_.DeleteProfile();
        ShowList();
        // The entry that became current is selected and loaded as after a pick.
        if (list_.CurrentIndex() >= 0) emit applyRequested(list_.CurrentIndex());
    } else if (name == "device_import_btn") {
        HideMenu();
        const QString path = QFileDialog::getOpenFileName(window(), {}, {}, kProfileFilter);
        if (path.isEmpty()) return true;
        const int result = list_.ImportProfile(path.toStdString());
        if (result != profile_list::kImportNotAProfile) Add(result);
    } else if (name == "device_export_btn") {
        HideMenu();
        const QString path = QFileDialog::getSaveFileName(window(), {}, {}, kProfileFilter);
        if (path.isEmpty()) return true;
        if (list_.ExportProfile(path.toStdString()) != 0) ShowMessage("message_text_7");
    } else if (name == "device_reset_btn") {
        HideMenu();
        if (ShowMessageWindow(window(), {}, "message_text_22", 96, true, kMessageOkCancel) != 1) return true;
        list_.ResetProfile();
        emit resetDone();
    } else if (name == "device_profile_edit_save_btn") {
        auto* edit = FindControl<QLineEdit>(content_, "device_profile_name_edit");
        if (!edit) return true;
        ShowMessage(list_.SaveProfileName(edit->text().toStdString()));
        ShowList();
    } else {
        return false;
    }
    return true;
}
