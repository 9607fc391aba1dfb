// Starts the application as app/main.cpp does, on the catalogue named on the command line (or on none),
// and ends it once the catalogue tree has been painted for the first time. Timed as a whole process by
// bench/open_save.sh, beside the same start on no catalogue; the program itself carries no hook for it.
//   bench_window_start [FILE.cdi]        (run with QT_QPA_PLATFORM=offscreen and a TAMBEROL_DRIVES map)
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/CKavrelApp.h"
#include "frame/CMainFrame.h"
#include "tree/CKavrelView.h"

namespace {

// Quits the event loop as soon as the watched widget has finished its first paint.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
    bool Seen() const { return m_seen; }

private:
    bool m_seen = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Settings and the second-start server of their own, so that a running Tamberol is left alone.
    QTemporaryDir scratch;
    QSettings settings(scratch.filePath(QStringLiteral("bench.ini")), QSettings::IniFormat);
    CKavrelApp::Options options;
    options.serverName = QStringLiteral("tamberol-bench-%1").arg(QCoreApplication::applicationPid());
    options.settings = &settings;
    CKavrelApp app(options);
    if (!app.InitInstance(QCoreApplication::arguments().mid(1))) {
        std::fprintf(stderr, "bench_window_start: the program did not start (exit code %d)\n",
                     app.ExitCode());
        return 1;
    }
    FirstPaint painted;
    app.MainFrame()->TreeView()->viewport()->installEventFilter(&painted);
    QApplication::exec();
    app.ExitInstance();
    return painted.Seen() ? 0 : 1;
}
