#pragma once
// A real main window on the offscreen platform, with the real hosted console, and helpers
// to wait for the console and answer modal boxes.
#include "console/ConsoleFuncs.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
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

    // Processes events until pred holds or ms pass (a generous bound: a loaded machine
    // may take long, a fault never ends).
    static bool waitFor(const std::function<bool()>& pred, int ms = 30000)
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

    // Delivers everything the last change posted (layout requests, resize and move events
    // and the window system's answers to them) until none is left.
    static void settle()
    {
        for (int pass = 0; pass < 10; ++pass) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
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
// text is `button`. Only while the answer is held: a test that expected no box leaves no
// answerer behind to take a later test's box.
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
    QObject::connect(poll, &QTimer::timeout, [held = std::weak_ptr<BoxAnswer>(answer), button, poll] {
        const std::shared_ptr<BoxAnswer> answer = held.lock();
        auto* box = answer ? qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) : nullptr;
        if (answer && !box)
            return;
        poll->stop();
        poll->deleteLater();
        if (!answer)
            return;
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

// Acts on the next modal dialog of type T once it is up, however long it takes to come: the
// event loop asks every 10 ms (a modal dialog's own loop runs it). Ends with the returned
// guard, so a dialog that never came leaves nothing behind to act on a later one.
struct ModalAction {
    QPointer<QTimer> poll;
    bool done() const { return !poll || !poll->isActive(); }
    ~ModalAction()
    {
        if (poll)
            poll->deleteLater();
    }
};
template <typename T>
[[nodiscard]] inline std::unique_ptr<ModalAction> whenModal(std::function<void(T*)> act)
{
    auto action = std::make_unique<ModalAction>();
    auto* poll = new QTimer(qApp);
    action->poll = poll;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [act, poll] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        act(dialog);
    });
    poll->start();
    return action;
}

}  // namespace qp::test
