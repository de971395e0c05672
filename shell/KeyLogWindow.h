#pragma once
// KeyLogWindow: the key log window, the only trace of events. Every key event the console
// page receives is listed as "Down 0041 [S]".

#include "ShiftState.h"

#include <QMainWindow>

#include <functional>

class QPlainTextEdit;

namespace qp {

class KeyLogWindow : public QMainWindow {
    Q_OBJECT
public:
    // setWidth is what "Console" > "Set Width" > "120" calls with 120.
    explicit KeyLogWindow(std::function<void(int columns)> setWidth, QWidget* parent = nullptr);
    void appendLine(const QString& line);
    QPlainTextEdit* memo() const { return m_memo; }

    // At most this many lines are kept; the oldest go first.
    static constexpr int kMaxLines = 10000;

private:
    QPlainTextEdit* m_memo;
};

// One line of the log: kind, the key code as four upper-case hex digits, the shift state.
std::string KeyLogLine(const std::string& kind, uint16_t key, ShiftState shift);

}  // namespace qp
