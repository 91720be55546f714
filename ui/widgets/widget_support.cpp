#include "ui/widgets/widget_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quillmix {

namespace {

struct SkinCache {
    QString folder;
    bool folderSet = false;
    QHash<QString, QImage> images;
};

SkinCache& cache() {
    static SkinCache instance;
    return instance;
}

}  // namespace

QString skinFolderFor(const QString& programFolderPath) {
    const QDir programFolder(programFolderPath);
    if (programFolder.exists("playPause.png")) return programFolder.path();
    return QDir::cleanPath(programFolder.filePath("../share/quillmix/skins"));
}

QString skinFolder() {
    SkinCache& c = cache();
    if (!c.folderSet && QCoreApplication::instance()) {
        c.folder = skinFolderFor(QCoreApplication::applicationDirPath());
        c.folderSet = true;
    }
    return c.folder;
}

void setSkinFolder(const QString& folder) {
    SkinCache& c = cache();
    c.folder = folder;
    c.folderSet = true;
    c.images.clear();
}

const QImage& skinImage(const QString& name) {
    SkinCache& c = cache();
    auto it = c.images.find(name);
    if (it == c.images.end()) {
        QImage image(QDir(skinFolder()).filePath(name));
        if (!image.isNull()) image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        it = c.images.insert(name, image);
    }
    return it.value();
}

QColor faceColor(const QWidget& control) { return control.palette().color(QPalette::Button); }

QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QColor scaledColor(const QColor& color, double factor) {
    const double f = std::isnan(factor) ? 0.0 : std::clamp(factor, 0.0, 1.0);
    return QColor(static_cast<int>(color.red() * f), static_cast<int>(color.green() * f),
                  static_cast<int>(color.blue() * f));
}

void setControlId(QWidget& control, int controlId) {
    if (controlId != 0) control.setObjectName(QString::number(controlId));
}

void postIfSet(WindowHandle target, unsigned message, WParam wParam, LParam lParam) {
    if (target) postMessage(target, message, wParam, lParam);
}

}  // namespace quillmix
