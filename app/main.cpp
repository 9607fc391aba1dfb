#include <QApplication>

#include "app/CKavrelApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tamberol"));
    CKavrelApp app;
    if (!app.InitInstance(QCoreApplication::arguments().mid(1))) return app.ExitInstance();
    const int loopResult = QApplication::exec();
    const int exitCode = app.ExitInstance();
    return exitCode != 0 ? exitCode : loopResult;
}
