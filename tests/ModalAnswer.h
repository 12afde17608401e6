// Answers a modal window from inside its own event loop, as a user would.
#pragma once

#include <QtWidgets>

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
            m_answering = shown ? nullptr : qobject_cast<T*>(modal);
            if (!m_answering) {
                unexpected = true;
                return (void)modal->close();
            }
            shown = true;
            act(static_cast<T*>(modal));
            leftOpen = m_answering && m_answering->isVisible();
            if (leftOpen)
                m_answering->close();
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
