// The skin: Qt Designer layouts loaded at run time from the skin folder, the
// control factory that makes the program's own control classes for them, and
// the style sheet.
#pragma once

#include <QString>
#include <QStringList>
#include <QUiLoader>
#include <QWidget>

// The skin folder (program data folder + "skin/").
QString SkinFolder();

// Makes the program's own control classes by name for the layouts.
class ControlFactory : public QUiLoader {
public:
    explicit ControlFactory(QObject* parent = nullptr);
    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;
    // The class names this factory makes.
    static QStringList ControlClassNames();
};

// Loads the layout `file` (relative to the skin folder) under `parent`.
// Null when it is missing or broken (the reason goes to the debug output).
QWidget* LoadLayout(const QString& file, QWidget* parent = nullptr);

// The style sheet with "@skin@" replaced by the skin folder; empty when missing.
QString LoadStyleSheet();

// A named control of a tree, or null (with a debug text naming it).
template <class T>
T* FindControl(QWidget* root, const QString& name) {
    return root ? root->findChild<T*>(name) : nullptr;
}
