#include "shell/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>

#include "devices/zentrel_mouse_device.h"
#include "link/debug_trace.h"
#include "profiles/feature_tabs.h"
#include "profiles/data_folders.h"
#include "shell/device_entry.h"
#include "shell/device_hub.h"
#include "shell/language.h"
#include "shell/message_window.h"
#include "shell/mouse_page.h"
#include "shell/skin.h"

namespace {

constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 572;

// The page of a device kind whose settings this version cannot change yet.
QWidget* MakePendingPage(int kind, QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName("pending_page");
    auto* layout = new QVBoxLayout(page);
    auto* picture = new QLabel(page);
    picture->setAlignment(Qt::AlignCenter);
    const EntryLook look = EntryLookFor(kind, 0);
    picture->setPixmap(QPixmap(SkinFolder() + "common/device_ico/" + look.imagePrefix + "_selected.png")
                           .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* name = new QLabel(page);
    name->setObjectName("pending_page_name");
    name->setProperty("langId", look.nameId);
    name->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(page);
    text->setObjectName("pending_page_text");
    text->setProperty("langId", "device_page_pending");
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    layout->addStretch();
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(text);
    layout->addStretch();
    AppLanguage().Translate(page);
    return page;
}

}  // namespace

CMainWnd::CMainWnd(DeviceHub& hub, const MainWindowOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), hub_(hub), options_(options) {
    DebugTrace("InitWindow");
    setObjectName("MainWnd");
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowIcon(QIcon(SkinFolder() + "app/r730cfg.svg"));
    setFixedSize(kWindowWidth, kWindowHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    root_ = LoadLayout("main.ui", this);
    if (!root_) {
        root_ = new QWidget(this);
        root_->setObjectName("root");
    }
    layout->addWidget(root_);
    list_ = FindControl<QWidget>(root_, "device_select_layout");
    pages_ = FindControl<QStackedWidget>(root_, "device_page_layout");
    if (list_ && !list_->layout()) new QVBoxLayout(list_);
    for (const char* hidden : {"maxbtn", "restorebtn", "Error_device_Link", "No_device_Link", "setting_progress"})
        if (auto* w = FindControl<QWidget>(root_, hidden)) w->hide();
    if (auto* title = FindControl<QWidget>(root_, "title_bar")) title->installEventFilter(this);
    AppLanguage().Translate(root_);
    pump_.Attach(root_);
    connect(&pump_, &NotifyPump::notify, this, &CMainWnd::Notify);

    connect(&hub_, &DeviceHub::deviceCreated, this, &CMainWnd::OnDeviceCreated);
    connect(&hub_, &DeviceHub::entryShown, this, &CMainWnd::OnEntryShown);
    connect(&hub_, &DeviceHub::currentChanged, this, &CMainWnd::OnCurrentChanged);
    connect(&hub_, &DeviceHub::armTimer, this, [this](CZentrelUSBDevice* d, int id, int ms) {
        if (CDeviceOptionUI* e = EntryOf(d)) e->ArmTimer(id, ms);
    });
    connect(&hub_, &DeviceHub::firstPassDone, this, [this] {
        firstPassSeen_ = true;  // in signal order: after the first pass's own reports
        if (!options_.startHidden || !tray_) BringToFront();
    });
    connect(&hub_, &DeviceHub::deviceMessage, this, &CMainWnd::OnDeviceMessage);
    connect(&hub_, &DeviceHub::mouseState, this, &CMainWnd::OnMouseState);
    connect(&hub_, &DeviceHub::frameReady, this, &CMainWnd::OnFrameReady);
    connect(&hub_, &DeviceHub::statusRecord, this, &CMainWnd::OnStatus);

    auto* quit = new QShortcut(QKeySequence::Quit, this);
    connect(quit, &QShortcut::activated, this, &CMainWnd::Exit);
    if (options_.allowTray) SetupTray();
    UpdateNotices();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

CMainWnd::~CMainWnd() {
    if (tray_) tray_->hide();
}

CDeviceOptionUI* CMainWnd::EntryOf(CZentrelUSBDevice* device) const { return entries_.value(device); }

MousePage* CMainWnd::MousePageOf(CZentrelUSBDevice* device) const {
    return qobject_cast<MousePage*>(devicePages_.value(device));
}

void CMainWnd::SetupTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QString::fromLatin1(kApplicationTitle));
    trayMenu_ = new QMenu(this);
    QAction* show = trayMenu_->addAction(QString());
    show->setObjectName("show_menu");
    connect(show, &QAction::triggered, this, &CMainWnd::BringToFront);
    QAction* exit = trayMenu_->addAction(QString());
    exit->setObjectName("exit");
    connect(exit, &QAction::triggered, this, &CMainWnd::Exit);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) ToggleFromTray();
    });
    RetranslateAll();
    tray_->show();
}

void CMainWnd::OnDeviceCreated(CZentrelUSBDevice* device) {
    if (entries_.contains(device)) return;
    auto* entry = new CDeviceOptionUI(device, list_ ? list_ : root_);
    if (list_ && list_->layout()) {
        auto* box = qobject_cast<QBoxLayout*>(list_->layout());
        // Entries go before a trailing stretch, in the order they were made.
        const int at = box && box->count() > 0 && box->itemAt(box->count() - 1)->spacerItem()
                           ? box->count() - 1
                           : list_->layout()->count();
        if (box) box->insertWidget(at, entry);
        else list_->layout()->addWidget(entry);
    }
    entries_.insert(device, entry);
    order_.push_back(device);
    pump_.Attach(entry->Content());
    connect(entry, &CDeviceOptionUI::timerFired, &hub_, &DeviceHub::RunEntryTimer);

    QWidget* page = nullptr;
    if (auto* mouse = dynamic_cast<CZentrelMouseDevice*>(device)) {
        auto* mousePage = new MousePage(hub_, *mouse, pages_);
        pump_.Attach(mousePage->Content());
        AppLanguage().Translate(mousePage->Content());
        page = mousePage;
        hub_.RequestMouseState(device);
    } else {
        page = MakePendingPage(entry->Kind(), pages_);
    }
    devicePages_.insert(device, page);
    if (pages_) pages_->addWidget(page);
}

void CMainWnd::OnEntryShown(CZentrelUSBDevice* device, bool visible) {
    CDeviceOptionUI* entry = EntryOf(device);
    if (!entry) return;
    const bool anyShown = std::any_of(entries_.begin(), entries_.end(),
                                      [](CDeviceOptionUI* e) { return e->Shown(); });
    entry->SetShown(visible);
    if (visible && (!anyShown || !current_)) ShowDevice(device);
    if (!visible && current_ == device) {
        CZentrelUSBDevice* next = nullptr;
        for (CZentrelUSBDevice* d : order_)
            if (d != device && entries_[d]->Shown()) {
                next = d;
                break;
            }
        ShowDevice(next);
    }
    UpdateNotices();
}

// A device plugged while the program runs comes to the front; at start-up the
// first device found stays shown rather than the last one opened.
void CMainWnd::OnCurrentChanged(CZentrelUSBDevice* device) {
    if (!firstPassSeen_ && current_) return;
    if (device && EntryOf(device) && EntryOf(device)->Shown()) ShowDevice(device);
}

void CMainWnd::ShowDevice(CZentrelUSBDevice* device) {
    if (current_ && current_ != device) hub_.SetPageVisible(current_, false);
    current_ = device;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) it.value()->SetSelected(it.key() == device);
    if (device) {
        if (QWidget* page = devicePages_.value(device); page && pages_) pages_->setCurrentWidget(page);
        hub_.SetPageVisible(device, true);
        emit pageShown(device);
    }
    deviceErrorShown_ = false;
    UpdateNotices();
}

void CMainWnd::SelectNeighbour(int direction) {
    QList<CZentrelUSBDevice*> shown;
    for (CZentrelUSBDevice* d : order_)
        if (entries_[d]->Shown()) shown.push_back(d);
    if (shown.isEmpty()) return;
    const qsizetype at = shown.indexOf(current_);
    const qsizetype next = ((at < 0 ? 0 : at + direction) % shown.size() + shown.size()) % shown.size();
    ShowDevice(shown[next]);
}

void CMainWnd::UpdateNotices() {
    const bool anyShown = std::any_of(entries_.begin(), entries_.end(),
                                      [](CDeviceOptionUI* e) { return e->Shown(); });
    if (auto* none = FindControl<QWidget>(root_, "No_device_Link")) {
        none->setVisible(!anyShown);
        if (!anyShown) none->raise();
    }
    if (pages_) pages_->setVisible(anyShown);
    if (auto* error = FindControl<QWidget>(root_, "Error_device_Link")) {
        error->setVisible(anyShown && deviceErrorShown_);
        if (deviceErrorShown_) error->raise();
    }
}

void CMainWnd::OnDeviceMessage(CZentrelUSBDevice* device, int message, long wParam, long) {
    if (message == kMessageDeviceState) {
        // 0: the device would not be taken over (error); 1: it was.
        if (device == current_) deviceErrorShown_ = wParam == 0;
        UpdateNotices();
    }
}

void CMainWnd::OnMouseState(CZentrelUSBDevice* device, const MousePageState& state) {
    if (MousePage* page = MousePageOf(device)) page->ShowState(state);
}

void CMainWnd::OnFrameReady(CZentrelUSBDevice* device) {
    hub_.FrameShown(device);
    if (device != current_ || !isVisible()) return;
    if (MousePage* page = MousePageOf(device)) page->ShowFrame();
}

void CMainWnd::OnStatus(CZentrelUSBDevice* device, const QByteArray& record) {
    if (CDeviceOptionUI* entry = EntryOf(device)) entry->ShowStatus(record);
    if (MousePage* page = MousePageOf(device)) page->ShowStatus(record);
}

void CMainWnd::BringToFront() {
    UpdateNotices();
    if (isMinimized()) showNormal();
    const bool wasVisible = isVisible();
    show();
    raise();
    activateWindow();
    // No edit field takes the keyboard at first: leaving it would commit it.
    if (!wasVisible) setFocus(Qt::OtherFocusReason);
    if (current_) hub_.SetPageVisible(current_, true);
}

void CMainWnd::HideToTray() {
    if (!tray_) {  // no tray to come back from: stay reachable in the task bar
        showMinimized();
        return;
    }
    hide();
    if (current_) hub_.SetPageVisible(current_, false);
}

void CMainWnd::ToggleFromTray() {
    if (isVisible() && !isMinimized()) HideToTray();
    else BringToFront();
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && current_)
        hub_.SetPageVisible(current_, !isMinimized() && isVisible());
    QWidget::changeEvent(event);
}

void CMainWnd::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    event->ignore();
    HideToTray();
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
    // The title bar moves the window (the window has no system frame).
    if (event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) return true;
        dragging_ = e->button() == Qt::LeftButton;
        dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    } else if (event->type() == QEvent::MouseMove && dragging_) {
        move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragOffset_);
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        dragging_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

// "default_btn": after the user confirms, the current device takes its
// default settings and writes its keys and its settings area.
void CMainWnd::RestoreDefaults() {
    CZentrelUSBDevice* device = current_;
    if (!device) return;
    if (ShowMessageWindow(this, {}, "message_text_22", 96, true, kMessageOkCancel) != 1) return;
    if (current_ != device) return;  // the device left while the question was open
    hub_.Post([device] {
        device->RestoreDefaults();  // shows the defaults on the page
        device->SendKeyAssignments();
        device->SendSettings(0, 0);
    });
}

void CMainWnd::ToggleLightControl() {
    lightControl_ = !lightControl_;
    if (auto* b = FindControl<QAbstractButton>(root_, "control_light_status")) {
        b->setProperty("langId", lightControl_ ? "control_light_on" : "control_light_off");
        b->setText(Tr(lightControl_ ? "control_light_on" : "control_light_off"));
    }
    const bool on = lightControl_;
    QList<CZentrelUSBDevice*> devices = order_;
    hub_.Post([devices, on] {
        for (CZentrelUSBDevice* d : devices) d->SetLightControl(on);
    });
}

void CMainWnd::ShowLanguageMenu() {
    QMenu menu(this);
    const auto& table = AppLanguage().Table();
    for (int i = 0; i < table.size(); ++i) {
        QAction* a = menu.addAction(table[i].text);
        a->setCheckable(true);
        a->setChecked(i == AppLanguage().CurrentIndex());
        connect(a, &QAction::triggered, this, [this, i] { SelectLanguage(i); });
    }
    auto* button = FindControl<QWidget>(root_, "setbtn");
    menu.exec(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

void CMainWnd::SelectLanguage(int index) {
    if (!AppLanguage().Apply(index, SkinFolder())) return;  // the same language, or unreadable
    if (!StoreLanguageId(AppLanguage().CurrentId())) DebugTrace("language choice not stored");
    RetranslateAll();
}

void CMainWnd::RetranslateAll() {
    AppLanguage().Translate(root_);
    for (CDeviceOptionUI* e : entries_) e->Retranslate();
    for (QWidget* page : devicePages_) AppLanguage().Translate(page);
    if (auto* b = FindControl<QAbstractButton>(root_, "control_light_status"))
        b->setText(Tr(lightControl_ ? "control_light_on" : "control_light_off"));
    if (trayMenu_)
        for (QAction* a : trayMenu_->actions())
            a->setText(a->objectName() == "exit" ? Tr("exit") : Tr("show_menu"));
    // Other open windows of the program (message windows) follow too.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible()) AppLanguage().Translate(w);
}

void CMainWnd::Exit() {
    if (exiting_) return;
    exiting_ = true;
    DebugTrace("退出测试");
    hide();
    if (tray_) tray_->hide();
    hub_.Stop();
    QApplication::quit();
}

CDeviceOptionUI* CMainWnd::EntryOfSender(QWidget* sender) const {
    for (QWidget* w = sender; w; w = w->parentWidget())
        if (auto* entry = qobject_cast<CDeviceOptionUI*>(w)) return entry;
    return nullptr;
}

bool CMainWnd::HandleClick(const Notification& n) {
    const QString name = n.name.toLower();
    if (name == "closebtn") {
        HideToTray();
    } else if (name == "minbtn") {
        showMinimized();
    } else if (name == "maxbtn" || name == "restorebtn") {
        showNormal();  // the window has one size
    } else if (name == "setbtn") {
        ShowLanguageMenu();
    } else if (name == "nodevice_ok_btn" || name == "errordevice_ok_btn") {
        HideToTray();
    } else if (name == "errordevice_connect_btn") {
        if (auto* mouse = dynamic_cast<CZentrelMouseDevice*>(current_)) {
            deviceErrorShown_ = false;
            UpdateNotices();
            // On success the mouse arms its entry's read timer (1001, 500 ms) itself.
            hub_.Post([mouse] { mouse->Reconnect(); });
        }
    } else if (name == "default_btn") {
        RestoreDefaults();
    } else if (name == "control_light_status") {
        ToggleLightControl();
    } else if (name == "device_select_prev") {
        SelectNeighbour(-1);
    } else if (name == "device_select_next") {
        SelectNeighbour(1);
    } else {
        return false;
    }
    return true;
}

bool CMainWnd::HandleSelect(const Notification& n) {
    if (n.name == "device_select") {
        if (CDeviceOptionUI* entry = EntryOfSender(n.sender)) ShowDevice(entry->Device());
        return true;
    }
    for (int i = 0; i < kFeatureTabCount; ++i) {
        if (n.name != kFeatureTabNames[static_cast<size_t>(i)]) continue;
        if (MousePage* page = MousePageOf(current_)) page->SelectFeatureTab(i + 1);
        return true;
    }
    return false;
}

void CMainWnd::Notify(const Notification& n) {
    DebugTrace(n.type.toStdString() + " " + n.name.toStdString());
    if (n.type == "click" && HandleClick(n)) return;
    if (n.type == "selectchanged" && HandleSelect(n)) return;
    // The page's own controls work on the current device.
    if (MousePage* page = MousePageOf(current_)) page->HandleNotify(n);
}
