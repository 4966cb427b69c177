#include "shell/message_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "link/debug_trace.h"
#include "shell/language.h"
#include "shell/skin.h"

CMsgWnd::CMsgWnd(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("MsgWnd");
    setWindowTitle("msgwnd");
    setAttribute(Qt::WA_TranslucentBackground, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    content_ = LoadLayout("msg.ui", this);
    if (!content_) {  // no skin: a plain box that still answers
        content_ = new QWidget(this);
        auto* inner = new QVBoxLayout(content_);
        auto* text = new QLabel(content_);
        text->setObjectName("MessageText");
        text->setWordWrap(true);
        inner->addWidget(text);
        const std::pair<const char*, const char*> buttons[] = {{"confirm_btn", "OK"},
                                                               {"cancel_btn", "Cancel"}};
        for (const auto& [name, label] : buttons) {
            auto* b = new QPushButton(QString::fromLatin1(label), content_);
            b->setObjectName(QString::fromLatin1(name));
            inner->addWidget(b);
        }
    }
    layout->addWidget(content_);
    AppLanguage().Translate(content_);
    if (auto* b = FindControl<QPushButton>(content_, "confirm_btn")) {
        connect(b, &QPushButton::clicked, this, [this] { done(1); });
        b->setDefault(true);
    }
    if (auto* b = FindControl<QPushButton>(content_, "cancel_btn"))
        connect(b, &QPushButton::clicked, this, [this] { done(0); });
    if (auto* b = FindControl<QPushButton>(content_, "closebtn"))
        connect(b, &QPushButton::clicked, this, [this] { done(0); });
}

void CMsgWnd::Prepare(const QString& title, const QString& text, bool textIsId, int mode) {
    if (!title.isEmpty())
        if (auto* l = FindControl<QLabel>(content_, "MessageTitle")) l->setText(title);
    if (!text.isEmpty())
        if (auto* l = FindControl<QLabel>(content_, "MessageText"))
            l->setText(textIsId ? AppLanguage().Text(text) : text);
    auto* confirm = FindControl<QPushButton>(content_, "confirm_btn");
    auto* cancel = FindControl<QPushButton>(content_, "cancel_btn");
    if (mode == kMessageOk) {
        if (cancel) cancel->hide();
        if (confirm) confirm->show();
    } else if (mode == kMessageOkCancel) {
        if (cancel) cancel->show();
        if (confirm) confirm->show();
    }
}

int AcceptedScale(int scale, const char* errorText) {
    switch (scale) {
        case 48: case 72: case 96: case 120: case 144: case 168: case 192:
            return scale;
        default:
            DebugTrace(errorText);
            return 96;
    }
}

int ShowMessageWindow(QWidget* owner, const QString& title, const QString& text, int scale,
                      bool textIsId, int mode) {
    AcceptedScale(scale, "MSG_WND DPI SET ERROR");  // Qt scales the window itself
    CMsgWnd window(owner);
    window.Prepare(title, text, textIsId, mode);
    window.adjustSize();
    if (owner) {
        const QRect o = owner->window()->frameGeometry();
        window.move(o.center() - QPoint(window.width() / 2, window.height() / 2));
    }
    return window.exec() == 1 ? 1 : 0;
}
