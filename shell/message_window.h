// The program's modal message box: a title, a text (a language id or literal
// text), a confirm button and, in mode 1, a cancel button.
#pragma once

#include <QDialog>
#include <QString>

class QWidget;

inline constexpr int kMessageOk = 0;        // confirm button only
inline constexpr int kMessageOkCancel = 1;  // confirm and cancel

class CMsgWnd : public QDialog {
    Q_OBJECT
public:
    explicit CMsgWnd(QWidget* owner);
    // Title (empty: the layout's), text, the text-is-id flag, the button mode.
    void Prepare(const QString& title, const QString& text, bool textIsId, int mode);
    QWidget* Content() const { return content_; }

private:
    QWidget* content_ = nullptr;
};

// Shows the message window over `owner` and waits: 1 when the user confirmed,
// 0 otherwise. `scale` outside 48/72/96/120/144/168/192 is taken as 96 (with
// the debug text "MSG_WND DPI SET ERROR").
int ShowMessageWindow(QWidget* owner, const QString& title, const QString& text, int scale,
                      bool textIsId, int mode);

// The scale the message window takes for a requested one.
int AcceptedScale(int scale, const char* errorText);
