#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "docview/CDocument.h"
#include "docview/CView.h"

namespace {

// A view that writes what it receives into a log shared by all views of a test.
class LoggingView : public CView {
public:
    LoggingView(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}

    void OnUpdate(CView* sender, int hint) override {
        const auto* from = dynamic_cast<LoggingView*>(sender);
        m_log.push_back(m_name + ":" + std::to_string(hint) + (from ? " from " + from->m_name : ""));
        if (m_react) m_react(hint);
    }
    // Runs inside OnUpdate, so a test can change the view list while a hint is being delivered.
    void ReactWith(std::function<void(int)> react) { m_react = std::move(react); }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    std::function<void(int)> m_react;
};

}  // namespace

// Hints reach every view but the sender, in order and synchronously: a hint sent from inside another one is
// delivered completely before the outer one goes on.
TEST(CDocument, UpdateAllViewsReachesEveryViewButTheSenderInOrderAndNestsSynchronously) {
    std::vector<std::string> log;
    CDocument doc;
    LoggingView tree("tree", log), list("list", log), results("results", log);
    tree.SetDocument(&doc);
    list.SetDocument(&doc);
    results.SetDocument(&doc);

    doc.UpdateAllViews(&tree, 11);
    EXPECT_EQ(log, (std::vector<std::string>{"list:11 from tree", "results:11 from tree"}));
    log.clear();
    doc.UpdateAllViews(nullptr, 13);
    EXPECT_EQ(log, (std::vector<std::string>{"tree:13", "list:13", "results:13"}));
    log.clear();
    // The tree answers hint::kPickDisc with hint::kShowPickedDisc, as the real one does.
    tree.ReactWith([&](int hint) {
        if (hint == 31) doc.UpdateAllViews(&tree, 12);
    });
    doc.UpdateAllViews(&results, 31);
    EXPECT_EQ(log, (std::vector<std::string>{"tree:31 from results", "list:12 from tree",
                                             "results:12 from tree", "list:31 from results"}));
}

TEST(CDocument, AViewAttachedOnceAndMovedBetweenDocuments) {
    std::vector<std::string> log;
    CDocument first, second;
    LoggingView view("view", log);
    view.SetDocument(&first);
    first.AddView(&view);
    EXPECT_EQ(first.GetViews().size(), 1u);
    view.SetDocument(&second);
    EXPECT_TRUE(first.GetViews().empty());
    EXPECT_EQ(view.GetDocument(), &second);
    first.UpdateAllViews(nullptr, 1);
    second.UpdateAllViews(nullptr, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"view:2"}));
}

TEST(CDocument, DestroyedViewsDetachAndADestroyedDocumentReleasesItsViews) {
    std::vector<std::string> log;
    LoggingView survivor("survivor", log);
    {
        CDocument doc;
        survivor.SetDocument(&doc);
        {
            LoggingView gone("gone", log);
            gone.SetDocument(&doc);
        }
        ASSERT_EQ(doc.GetViews().size(), 1u);
        doc.UpdateAllViews(nullptr, 5);
    }
    EXPECT_EQ(survivor.GetDocument(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"survivor:5"}));
}

TEST(CDocument, AViewDestroyedWhileAHintIsDeliveredGetsNoMore) {
    std::vector<std::string> log;
    CDocument doc;
    LoggingView first("first", log);
    auto second = std::make_unique<LoggingView>("second", log);
    first.SetDocument(&doc);
    second->SetDocument(&doc);
    first.ReactWith([&](int) { second.reset(); });
    doc.UpdateAllViews(nullptr, 7);
    EXPECT_EQ(log, (std::vector<std::string>{"first:7"}));
    EXPECT_EQ(doc.GetViews().size(), 1u);
}

TEST(CDocument, SendInitialUpdateRunsEachViewsInitialUpdateInOrder) {
    std::vector<std::string> log;
    CDocument doc;
    LoggingView a("a", log), b("b", log);
    a.SetDocument(&doc);
    b.SetDocument(&doc);
    doc.SendInitialUpdate();
    EXPECT_EQ(log, (std::vector<std::string>{"a:0", "b:0"}));
}

TEST(CDocument, TitleIsTheFileNameOfThePath) {
    CDocument doc;
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    doc.SetPathName("/home/me/discs/backup.cdi");
    EXPECT_EQ(doc.GetTitle(), "backup.cdi");
    doc.SetPathName("C:\\Discs\\old.cdi");
    EXPECT_EQ(doc.GetTitle(), "old.cdi");
    doc.SetPathName("plain.cdi");
    EXPECT_EQ(doc.GetTitle(), "plain.cdi");
    doc.ClearPathName();
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_EQ(doc.GetTitle(), "Untitled");
}

// The window's title follows the document through this listener alone, so every change must reach it, and
// the millions of entries a walk appends (each marking the document modified) must not.
TEST(CDocument, TheStateListenerHearsEachChangeOfTheFlagOrThePathOnce) {
    CDocument doc;
    std::vector<std::string> heard;
    doc.SetStateListener([&] { heard.push_back(doc.GetTitle() + (doc.IsModified() ? "*" : "")); });
    const std::vector<std::pair<std::function<void()>, std::vector<std::string>>> steps = {
        {[&] { doc.SetModifiedFlag(); }, {"Untitled*"}},
        {[&] { doc.SetModifiedFlag(true); }, {}},
        {[&] { doc.SetPathName("/discs/a.cdi"); }, {"a.cdi*"}},
        {[&] { doc.SetPathName("/discs/a.cdi"); }, {}},
        {[&] { doc.SetModifiedFlag(false); }, {"a.cdi"}},
        {[&] { doc.SetPathName("/other/a.cdi"); }, {"a.cdi"}},
        {[&] { doc.ClearPathName(); }, {"Untitled"}},
        {[&] { doc.ClearPathName(); }, {}},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        heard.clear();
        steps[i].first();
        EXPECT_EQ(heard, steps[i].second) << "step " << i;
    }
    doc.SetStateListener(nullptr);
    doc.SetModifiedFlag();
    EXPECT_TRUE(doc.IsModified());
}
