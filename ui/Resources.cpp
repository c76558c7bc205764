#include "ui/Resources.h"

#include <QFile>

// Outside any namespace, as the resource initialiser requires.
static void InitTonalboxResources() { Q_INIT_RESOURCE(tonalbox); }

namespace tonalbox::ui {

void InitResources() {
    static const bool done = [] {
        InitTonalboxResources();
        return true;
    }();
    (void)done;
}

QIcon LoadIconResource(int id) {
    InitResources();
    QIcon icon;
    if (id == 128) {
        icon.addFile(QStringLiteral(":/icons/128_32.png"), QSize(32, 32));
        icon.addFile(QStringLiteral(":/icons/128.png"), QSize(64, 64));
        return icon;
    }
    const QString path = QStringLiteral(":/icons/%1.png").arg(id);
    if (QFile::exists(path)) icon.addFile(path);
    return icon;
}

}  // namespace tonalbox::ui
