#pragma once

#include <cstddef>
#include <deque>
#include <functional>

// Lets requests that replace, edit or refresh the document run one at a time: a request that arrives
// while another runs (or while the gate is held, as during a disc walk) waits, and the waiting ones run
// afterwards in the order they arrived.
class DocumentGate {
public:
    // Keeps the gate held for its lifetime; the requests that waited run when the last holder lets go.
    class Holder {
    public:
        explicit Holder(DocumentGate& gate) : m_gate(gate) { m_gate.Hold(); }
        ~Holder() { m_gate.Release(); }
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;

    private:
        DocumentGate& m_gate;
    };

    DocumentGate() = default;
    DocumentGate(const DocumentGate&) = delete;
    DocumentGate& operator=(const DocumentGate&) = delete;

    // Runs `request` now when nothing holds the gate, else queues it behind those already waiting.
    void Run(std::function<void()> request);
    // Holds the gate: from now on requests wait (holds nest).
    void Hold();
    // Lets go of one hold; the last one runs what waited.
    void Release();

    // True while a request runs or something holds the gate.
    bool IsHeld() const { return m_nHolds > 0; }
    // How many requests are waiting.
    std::size_t Waiting() const { return m_waiting.size(); }

private:
    void RunWaiting();

    int m_nHolds = 0;
    std::deque<std::function<void()>> m_waiting;
};
