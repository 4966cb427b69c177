// One LED of a device picture: a round glow in the colour the lighting
// preview gives it. Off (black) draws as a dim ring.
#pragma once

#include <QColor>
#include <QWidget>

class CLedDotUI : public QWidget {
    Q_OBJECT
public:
    explicit CLedDotUI(QWidget* parent = nullptr);
    void SetColour(const QColor& colour);
    QColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_{Qt::white};
};
