// Turns the signals of a layout's named controls into the program's
// notifications ("click", "selectchanged", "valuechanged", "movevaluechanged",
// "itemselect", "killfocus") carrying the sender's name, so that the main
// window dispatches them by type and name. Changes the program makes itself
// (under a QSignalBlocker) raise none.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

struct Notification {
    QString type;
    QString name;
    QPointer<QWidget> sender;
};

class NotifyPump : public QObject {
    Q_OBJECT
public:
    explicit NotifyPump(QObject* parent = nullptr) : QObject(parent) {}
    // Connects every named control of the tree (the root included).
    void Attach(QWidget* root);

signals:
    void notify(const Notification& n);

private:
    void Connect(QWidget* w);
    void Raise(const char* type, QWidget* sender);
};

// The index after the last underscore of a name ("DPI_slider_3" -> 3), -1 when none.
int NameIndex(const QString& name);
// The name before that index ("DPI_slider_3" -> "DPI_slider_").
QString NamePrefix(const QString& name);
