#include "res/Skin.h"

#include <QFile>
#include <QString>
#include <QWidget>

// The resources live in a static library; make sure they are registered before the first look-up.
static void InitResources() {
    Q_INIT_RESOURCE(res);
}

namespace {
QString& LoadedSheet() {
    static QString sheet;
    return sheet;
}
}  // namespace

namespace skin {

bool LoadSkin(const QString& name) {
    InitResources();
    QFile file(QStringLiteral(":/skins/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        LoadedSheet().clear();
        return false;
    }
    LoadedSheet() = QString::fromUtf8(file.readAll());
    return !LoadedSheet().isEmpty();
}

void ApplySkin(QWidget* window) {
    if (window && !LoadedSheet().isEmpty()) window->setStyleSheet(LoadedSheet());
}

void UnloadSkin() {
    LoadedSheet().clear();
}

}  // namespace skin
