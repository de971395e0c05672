#pragma once
// KeyReceiver: the hidden multi-line edit through which the user's keys reach the console.
// It takes every key before the toolkit can use it for focus moves or shortcuts (Tab
// included) and hands it on; its own text never changes.

#include <QPlainTextEdit>

#include <functional>

class QKeyEvent;

namespace qp {

class KeyReceiver : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit KeyReceiver(QWidget* parent = nullptr);
    std::function<void(QKeyEvent*)> onKeyDown;
    std::function<void(QKeyEvent*)> onKeyUp;

protected:
    bool event(QEvent* event) override;
};

}  // namespace qp
