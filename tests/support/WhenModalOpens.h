#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `answer` on the first modal dialog of type T that opens, from inside its event loop.
template <typename T>
void WhenModalOpens(std::function<void(T*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start();
}
