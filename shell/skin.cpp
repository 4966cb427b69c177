#include "shell/skin.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QWidget>

#include "link/debug_trace.h"
#include "profiles/data_folders.h"
#include "shell/led_dot.h"

namespace {

// Containers standing for the control classes of the program that have no
// widget of their own yet; they keep their class name for the style sheet.
class NamedContainer : public QWidget {
public:
    NamedContainer(const QString& className, QWidget* parent) : QWidget(parent) {
        setProperty("controlClass", className);
    }
};

const QStringList& ContainerClasses() {
    static const QStringList names = {
        "CCircleProgressUI", "CChartViewUI", "CWndUI", "CSelectPanelUI", "CDeviceKeyButtonUI",
        "CCloudShareListItemUI", "CUpdateInfoListItemUI", "CDeviceOptionUI", "CMpDevicePowerUI",
        "CComboEditContainerElementUI", "CHandImgButtonUI", "CHandImgSelectButtonUI",
        "CRedioMacroButtonUI", "CAudioRecordUI", "CLightControlUI", "CMacroControlUI",
        "CKeySetControlUI", "CDeviceProfileUI", "CShootControlUI", "CMagicControlUI",
        "CVoice6533ControlUI", "CZentrelUSBDevice", "CZentrelMousePadDevice", "CZentrelHS6533Device"};
    return names;
}

// A combo box's "itemUserData" property ("1;2;5") becomes its items' data.
void ApplyItemUserData(QWidget* root) {
    for (QComboBox* combo : root->findChildren<QComboBox*>()) {
        const QString data = combo->property("itemUserData").toString();
        if (data.isEmpty()) continue;
        const QStringList values = data.split(';');
        for (int i = 0; i < combo->count() && i < values.size(); ++i)
            combo->setItemData(i, values[i].trimmed());
    }
}

}  // namespace

QString SkinFolder() { return QString::fromStdString(ProgramDataFolder()) + "skin/"; }

ControlFactory::ControlFactory(QObject* parent) : QUiLoader(parent) {
    setWorkingDirectory(QDir(SkinFolder()));
}

QStringList ControlFactory::ControlClassNames() {
    QStringList names = ContainerClasses();
    names << "CLedDotUI";
    return names;
}

QWidget* ControlFactory::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* w = nullptr;
    if (className == "CLedDotUI") w = new CLedDotUI(parent);
    else if (ContainerClasses().contains(className)) w = new NamedContainer(className, parent);
    if (!w) return QUiLoader::createWidget(className, parent, name);
    w->setObjectName(name);
    return w;
}

QWidget* LoadLayout(const QString& file, QWidget* parent) {
    QFile f(SkinFolder() + file);
    if (!f.open(QIODevice::ReadOnly)) {
        DebugTrace("layout missing: " + (SkinFolder() + file).toStdString());
        return nullptr;
    }
    ControlFactory factory;
    QWidget* w = factory.load(&f, parent);
    if (!w) {
        DebugTrace("layout unreadable: " + file.toStdString() + ": " +
                   factory.errorString().toStdString());
        return nullptr;
    }
    ApplyItemUserData(w);
    return w;
}

QString LoadStyleSheet() {
    QFile f(SkinFolder() + "style.qss");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString sheet = QString::fromUtf8(f.readAll());
    QString folder = SkinFolder();
    if (folder.endsWith('/')) folder.chop(1);
    sheet.replace("@skin@", folder);
    return sheet;
}
