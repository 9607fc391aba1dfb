#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <functional>
#include <semaphore>
#include <string_view>

// Holds a disc walk in the first folder it enters until Open(): the walking thread waits on a semaphore, so
// a test acts while the walk is known to be running, without sleeping.
class WalkHold {
public:
    WalkHold() = default;
    ~WalkHold() { Open(); }
    WalkHold(const WalkHold&) = delete;
    WalkHold& operator=(const WalkHold&) = delete;

    // The walk listener that holds the walk (WalkRunner::SetWalkListener).
    std::function<void(std::string_view, std::size_t)> Listener() {
        return [this](std::string_view, std::size_t) {
            if (!m_reached.exchange(true)) m_gate.acquire();
        };
    }
    // True once the walk has been stopped at the gate.
    bool Reached() const { return m_reached; }
    // Lets the walk go on.
    void Open() {
        if (!m_opened.exchange(true)) m_gate.release();
    }
    // Once the walk is held (and `when`, if given, holds), runs `act` from inside the walk's event loop, then
    // lets the walk go on.
    void WhileHeld(std::function<void()> act, std::function<bool()> when = {}) {
        auto* poll = new QTimer;
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, [this, poll, act, when] {
            if (!Reached() || (when && !when())) return;
            poll->stop();
            poll->deleteLater();
            act();
            Open();
        });
        poll->start();
    }

private:
    std::binary_semaphore m_gate{0};
    std::atomic<bool> m_reached{false};
    std::atomic<bool> m_opened{false};
};
