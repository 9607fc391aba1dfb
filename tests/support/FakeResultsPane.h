#pragma once

#include <string>
#include <vector>

#include "search/IResultsPane.h"

// A results pane that keeps its flag, counts hides and optionally logs "show pane"/"hide pane".
class FakeResultsPane : public IResultsPane {
public:
    explicit FakeResultsPane(bool startHidden = false, std::vector<std::string>* log = nullptr)
        : hidden(startHidden), m_log(log) {}

    bool IsResultsHidden() const override { return hidden; }
    void ShowResultsPane() override {
        if (m_log) m_log->push_back("show pane");
        hidden = false;
    }
    void HideResultsPane() override {
        if (m_log) m_log->push_back("hide pane");
        hidden = true;
        ++hides;
    }

    bool hidden;
    int hides = 0;

private:
    std::vector<std::string>* m_log;
};
