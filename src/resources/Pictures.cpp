#include "Pictures.h"

#include <QBitmap>
#include <QImage>
#include <QString>

// The pictures are compiled into this static library; they must be registered before use.
static void registerPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)registered;
}

namespace {

const char* const kToolbarFiles[pictures::kToolbarPictureCount] = {
    "01-exit", "02-open",      "03-file", "04-print", "05-eject",
    "06-font", "07-append", "08-overwrite", "09-big",   "10-small"};

QPixmap load(const QString& path) {
    registerPictures();
    QPixmap pixmap(path);
    pixmap.setMask(pixmap.createMaskFromColor(QColor(255, 0, 255), Qt::MaskInColor));
    return pixmap;
}

} // namespace

namespace pictures {

QIcon toolbarPicture(int index) {
    if (index < 1 || index > kToolbarPictureCount)
        return QIcon();
    const QString base = QStringLiteral(":/pictures/") + QLatin1String(kToolbarFiles[index - 1]);
    QIcon icon;
    icon.addPixmap(load(base + QStringLiteral(".xpm")));
    QPixmap twice = load(base + QStringLiteral("@2x.xpm"));
    twice.setDevicePixelRatio(2.0);
    icon.addPixmap(twice);
    return icon;
}

QPixmap programIcon() { return load(QStringLiteral(":/pictures/karvel32.xpm")); }

QIcon programIconSet() { return QIcon(programIcon()); }

} // namespace pictures
