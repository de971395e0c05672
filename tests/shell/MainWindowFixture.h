#pragma once
// A real main window on the offscreen platform, with the real hosted console, and helpers
// to wait for the console and answer modal boxes.
#include "console/ConsoleFuncs.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qp::test {

inline MainWindowOptions fastOptions()
{
    MainWindowOptions o;
    o.console.settle = std::chrono::milliseconds(50);
    return o;
}

struct MainWindowFixture : ::testing::Test {
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        form = std::make_unique<MainWindow>(fastOptions());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    // Processes events until pred holds or ms pass.
    static bool waitFor(const std::function<bool()>& pred, int ms = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > ms)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

    // The screen's rows as text.
    std::vector<std::string> rows()
    {
        std::vector<std::string> out;
        const SnapshotPtr s = form->console()->takeSnapshot();
        for (int r = 0; r < s->height; ++r) {
            std::string line;
            for (int c = 0; c < s->width; ++c) {
                const uint16_t ch = s->wide(c, r).ch;
                line += ch >= 0x20 && ch < 0x7F ? char(ch) : ' ';
            }
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            out.push_back(line);
        }
        return out;
    }
    bool screenHasRow(const std::string& text)
    {
        for (const auto& r : rows())
            if (r == text)
                return true;
        return false;
    }
};

// Answers the next modal message box: records its title and text, clicks the button whose
// text is `button`.
struct BoxAnswer {
    QString title;
    QString text;
    bool seen = false;
};
inline std::shared_ptr<BoxAnswer> answerNextBox(const QString& button)
{
    auto answer = std::make_shared<BoxAnswer>();
    // Owned by the application, so a box that never comes leaks nothing.
    auto* poll = new QTimer(qApp);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [answer, button, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        answer->seen = true;
        answer->title = box->windowTitle();
        answer->text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button) {
                b->click();
                return;
            }
        box->reject();
    });
    poll->start();
    return answer;
}

}  // namespace qp::test
