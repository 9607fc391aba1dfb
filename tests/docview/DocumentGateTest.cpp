#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "docview/DocumentGate.h"

namespace {

// Each case drives one gate and logs what ran; requests say "start"/"end" around what they do inside.
struct GateCase {
    const char* name;
    std::function<void(DocumentGate&, std::vector<std::string>&)> drive;
    std::vector<std::string> expected;
};

std::function<void()> Note(std::vector<std::string>& log, std::string text) {
    return [&log, text] { log.push_back(text); };
}

TEST(DocumentGate, RequestsRunOneAtATimeInTheOrderTheyArrived) {
    const GateCase cases[] = {
        {"a free gate runs a request at once",
         [](DocumentGate& gate, auto& log) {
             gate.Run(Note(log, "A"));
             log.push_back("after A");
         },
         {"A", "after A"}},
        {"while held, requests wait and run in order at the release",
         [](DocumentGate& gate, auto& log) {
             gate.Hold();
             gate.Run(Note(log, "A"));
             gate.Run(Note(log, "B"));
             log.push_back("waiting " + std::to_string(gate.Waiting()));
             gate.Release();
         },
         {"waiting 2", "A", "B"}},
        {"holds nest: only the last release runs what waited",
         [](DocumentGate& gate, auto& log) {
             gate.Hold();
             gate.Hold();
             gate.Run(Note(log, "A"));
             gate.Release();
             log.push_back("one hold left");
             gate.Release();
         },
         {"one hold left", "A"}},
        {"a request arriving while another runs waits for its end",
         [](DocumentGate& gate, auto& log) {
             gate.Run([&gate, &log] {
                 log.push_back("A start");
                 gate.Run(Note(log, "B"));
                 log.push_back("A end");
             });
         },
         {"A start", "A end", "B"}},
        {"a waiting request that holds the gate itself (a walk) keeps the rest behind it",
         [](DocumentGate& gate, auto& log) {
             gate.Hold();
             gate.Run([&gate, &log] {
                 gate.Hold();
                 log.push_back("walk start");
                 gate.Run(Note(log, "C"));
                 gate.Release();
                 log.push_back("walk end");
             });
             gate.Run(Note(log, "B"));
             gate.Release();
         },
         {"walk start", "walk end", "B", "C"}},
    };
    for (const GateCase& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentGate gate;
        std::vector<std::string> log;
        c.drive(gate, log);
        EXPECT_EQ(log, c.expected);
        EXPECT_FALSE(gate.IsHeld());
        EXPECT_EQ(gate.Waiting(), 0u);
    }
}

}  // namespace
