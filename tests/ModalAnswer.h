// Answers a modal window from inside its own event loop, as a user would.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs act on the first modal T that comes up. A T that act leaves open is closed, and so is any
// other modal window (a question the test did not expect), so that a failing test cannot hang; the
// timer dies with this object, so an answer cannot reach a window of a later step.
template <typename T> class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(T*)> act)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, act = std::move(act)] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == m_answering)
                return;
            auto* window = qobject_cast<T*>(modal);
            if (!window || shown) {
                unexpected = true;
                modal->close();
                return;
            }
            shown = true;
            m_answering = window;
            act(window);
            if (m_answering && m_answering->isVisible()) {
                leftOpen = true;
                m_answering->close();
            }
            m_answering = nullptr;
        });
        m_timer.start(5);
    }

    bool shown = false;
    bool leftOpen = false;
    bool unexpected = false;

private:
    QTimer m_timer;
    QPointer<QWidget> m_answering;
};
