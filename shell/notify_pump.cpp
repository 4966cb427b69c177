#include "shell/notify_pump.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

void NotifyPump::Attach(QWidget* root) {
    if (!root) return;
    Connect(root);
    for (QWidget* w : root->findChildren<QWidget*>()) Connect(w);
}

void NotifyPump::Raise(const char* type, QWidget* sender) {
    emit notify(Notification{QString::fromLatin1(type), sender->objectName(), sender});
}

void NotifyPump::Connect(QWidget* w) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith("qt_")) return;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (!b->isCheckable()) {
            connect(b, &QAbstractButton::clicked, this, [this, b] { Raise("click", b); });
        } else if (qobject_cast<QRadioButton*>(b) || b->autoExclusive()) {
            // One of a group: the newly selected one reports.
            connect(b, &QAbstractButton::toggled, this, [this, b](bool on) {
                if (on) Raise("selectchanged", b);
            });
        } else {
            connect(b, &QAbstractButton::toggled, this, [this, b] { Raise("selectchanged", b); });
        }
    } else if (auto* s = qobject_cast<QSlider*>(w)) {
        connect(s, &QSlider::sliderMoved, this, [this, s] { Raise("movevaluechanged", s); });
        connect(s, &QSlider::sliderReleased, this, [this, s] { Raise("valuechanged", s); });
        // Keys, the wheel and clicks on the groove change the value without a drag.
        connect(s, &QSlider::valueChanged, this, [this, s] {
            if (!s->isSliderDown()) Raise("valuechanged", s);
        });
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        connect(c, &QComboBox::activated, this, [this, c] { Raise("itemselect", c); });
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        connect(e, &QLineEdit::editingFinished, this, [this, e] { Raise("killfocus", e); });
    }
}

int NameIndex(const QString& name) {
    const qsizetype at = name.lastIndexOf('_');
    if (at < 0 || at + 1 >= name.size()) return -1;
    bool ok = false;
    const int n = name.mid(at + 1).toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

QString NamePrefix(const QString& name) {
    const qsizetype at = name.lastIndexOf('_');
    return at < 0 ? name : name.left(at + 1);
}
