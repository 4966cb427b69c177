#include "shell/led_dot.h"

#include <QPainter>
#include <QRadialGradient>

CLedDotUI::CLedDotUI(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CLedDotUI::SetColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void CLedDotUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool off = colour_.red() + colour_.green() + colour_.blue() < 24;
    if (off) {
        p.setPen(QPen(QColor(70, 74, 82), 1.0));
        p.setBrush(QColor(24, 26, 30));
        p.drawEllipse(r.adjusted(2, 2, -2, -2));
        return;
    }
    QRadialGradient glow(r.center(), r.width() / 2);
    QColor core = colour_.lighter(130);
    QColor edge = colour_;
    edge.setAlpha(0);
    glow.setColorAt(0.0, core);
    glow.setColorAt(0.45, colour_);
    glow.setColorAt(1.0, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(r);
}
