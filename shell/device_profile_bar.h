// The profile bar of a device page: the drop-down list of the device's
// profiles, the name field with its save button and the menu of profile
// actions (new, delete, copy, import, export, reset). The list logic is
// ProfileList's; this widget shows it, asks the user, and reports a pick that
// is to be applied 400 ms after the last one.
#pragma once

#include <QTimer>
#include <QWidget>

#include <string>

#include "profiles/profile_list.h"
#include "shell/notify_pump.h"

class CDeviceProfileUI : public QWidget {
    Q_OBJECT
public:
    // kind: the device kind of the list; folder: the device's data folder;
    // defaultDocument: the shipped default profile of the kind.
    CDeviceProfileUI(int kind, const std::string& folder, const std::string& defaultDocument,
                     QWidget* parent = nullptr);

    QWidget* Content() const { return content_; }
    ProfileList& List() { return list_; }
    // Reads the list (writing the first one when there is none) and shows it.
    void Load();
    // Shows the list as it is now (names, current entry, its name).
    void ShowList();
    // A notification of one of the bar's controls; false when it is not the bar's.
    bool HandleNotify(const Notification& n);
    // The ready flag of the main window: the bar is disabled while a long
    // device operation runs.
    void SetReady(bool ready);

signals:
    // The entry to apply to the device (a pick, after the wait; or the entry
    // that became current after a delete).
    void applyRequested(int index);
    // The current profile was reset to the defaults: the device reloads it.
    void resetDone();

private:
    void ShowMessage(const std::string& id);
    void ToggleMenu();
    void HideMenu();
    void Add(int result);

    ProfileList list_;
    QWidget* content_ = nullptr;
    QWidget* menu_ = nullptr;
    QTimer pickTimer_;  // the main window's timer 1055
    int pickedIndex_ = -1;
};
