#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include "WhenModalOpens.h"
#include "res/QtMessages.h"

namespace {

// What a person sees of one box, and the button they press in it.
struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

TEST(QtMessages, ShowsEachRequestAsAskedAndReturnsTheButtonPressed) {
    struct Case {
        msg::Request request;
        QMessageBox::StandardButton press;
        Seen expected;
        msg::Answer answer;
    };
    const Case cases[] = {
        {{"Out of memory", {}, msg::Buttons::Ok, msg::Icon::Stop},
         QMessageBox::Ok,
         {"Kavrel", "Out of memory", QMessageBox::Critical, QMessageBox::Ok},
         msg::Answer::Ok},
        {{"Do you want to delete this item?", "warning", msg::Buttons::YesNo, msg::Icon::Exclamation},
         QMessageBox::No,
         {"warning", "Do you want to delete this item?", QMessageBox::Warning,
          QMessageBox::Yes | QMessageBox::No},
         msg::Answer::No},
        {{"Save changes to caf\xe9.cdi?", {}, msg::Buttons::YesNoCancel, msg::Icon::Exclamation},
         QMessageBox::Cancel,
         {"Kavrel", QString::fromUtf8("Save changes to caf\xc3\xa9.cdi?"), QMessageBox::Warning,
          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
         msg::Answer::Cancel},
        {{"Search finished!!!", {}, msg::Buttons::Ok, msg::Icon::None},
         QMessageBox::Ok,
         {"Kavrel", "Search finished!!!", QMessageBox::NoIcon, QMessageBox::Ok},
         msg::Answer::Ok},
    };
    QtMessages messages;
    for (const Case& c : cases) {
        Seen seen;
        WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
            seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
            box->button(c.press)->click();
        });
        const msg::Answer answer = messages.Show(c.request);
        EXPECT_EQ(seen.title, c.expected.title) << c.request.text;
        EXPECT_EQ(seen.text, c.expected.text) << c.request.text;
        EXPECT_EQ(seen.icon, c.expected.icon) << c.request.text;
        EXPECT_EQ(seen.buttons, c.expected.buttons) << c.request.text;
        EXPECT_EQ(answer, c.answer) << c.request.text;
    }
}

TEST(QtMessages, AQuestionClosedWithoutAnAnswerIsCancelled) {
    QtMessages messages;
    WhenModalOpens<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(
        messages.Show({"Save changes to x.cdi?", {}, msg::Buttons::YesNoCancel, msg::Icon::Exclamation}),
        msg::Answer::Cancel);
}

}  // namespace
