#include "Pictures.h"

#include <QBitmap>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <algorithm>

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
    "01-exit", "02-open",   "03-file",      "04-print", "05-eject",
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

QPixmap programIcon() {
    return load(QStringLiteral(":/pictures/karvel32.xpm"));
}

// The pictures are pixel art: larger sizes repeat each pixel, so they stay crisp.
QIcon programIconSet() {
    QIcon icon;
    const QPixmap base = programIcon();
    icon.addPixmap(base.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    icon.addPixmap(base);
    icon.addPixmap(base.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return icon;
}

QPixmap programIcon(qreal devicePixelRatio) {
    if (devicePixelRatio <= 1)
        return programIcon();
    const int side = int(32 * devicePixelRatio);
    QPixmap p = programIcon().scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    p.setDevicePixelRatio(devicePixelRatio);
    return p;
}

QPixmap aboutLogo(qreal devicePixelRatio) {
    devicePixelRatio = std::max<qreal>(1, devicePixelRatio);
    QImage image(int(191 * devicePixelRatio), int(63 * devicePixelRatio), QImage::Format_RGB888);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 191, 63);
    sky.setColorAt(0, QColor(0, 64, 192));
    sky.setColorAt(1, QColor(128, 192, 255));
    p.fillRect(image.rect(), sky);
    p.drawPixmap(10, 15, programIcon(devicePixelRatio));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(50, 0, 141, 63), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Karvel"));
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace pictures
