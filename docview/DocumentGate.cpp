#include "docview/DocumentGate.h"

#include <utility>

void DocumentGate::Run(std::function<void()> request) {
    m_waiting.push_back(std::move(request));
    if (m_nHolds == 0) RunWaiting();
}

void DocumentGate::Hold() {
    ++m_nHolds;
}

void DocumentGate::Release() {
    if (--m_nHolds == 0) RunWaiting();
}

void DocumentGate::RunWaiting() {
    // Each request holds the gate while it runs: one that shows a question runs a nested event loop, and
    // whatever arrives meanwhile (or during a walk the request starts) joins the end of the queue. The
    // hold is dropped without Release, so this loop, not a nested one, takes the next request.
    struct Running {
        int& holds;
        explicit Running(int& count) : holds(count) { ++holds; }
        ~Running() { --holds; }
    };
    while (m_nHolds == 0 && !m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.pop_front();
        const Running running(m_nHolds);
        next();
    }
}
