// Answers a modal window from inside its own event loop, as a user would, and remembers whether
// one came up at all.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Arms a timer that, once a modal window is up, runs act on it if it is a T. A window that act
// leaves open is closed, and so is any other modal window that comes up while act runs (a question
// the test did not expect), so that a failing test cannot hang; the timers die with this object.
template <typename T> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(T*)> act)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this, act = std::move(act)] {
            QWidget* modal = QApplication::activeModalWidget();
            // Code that handles pending events before its window comes up meets the timer early.
            if (!modal) {
                m_timer.start(10);
                return;
            }
            shown = true;
            if (auto* window = qobject_cast<T*>(modal)) {
                m_guard.start(0);
                act(window);
                m_guard.stop();
            }
            if (modal && modal->isVisible()) {
                leftOpen = true;
                modal->close();
            }
        });
        QObject::connect(&m_guard, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && !qobject_cast<T*>(modal)) {
                unexpected = true;
                modal->close();
            }
        });
        m_timer.start(0);
    }

    bool shown = false;
    bool leftOpen = false;
    bool unexpected = false;

private:
    QTimer m_timer;
    QTimer m_guard;
};
