#include "Pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace {

// The pictures are XPM sources compiled in, so showing them reads no file and loads no plugin.
#include "pictures/01-exit.xpm"
#include "pictures/02-open.xpm"
#include "pictures/03-file.xpm"
#include "pictures/04-print.xpm"
#include "pictures/05-eject.xpm"
#include "pictures/06-font.xpm"
#include "pictures/07-append.xpm"
#include "pictures/08-overwrite.xpm"
#include "pictures/09-big.xpm"
#include "pictures/10-small.xpm"
#include "pictures/karvel32.xpm"

const char* const* const kToolbarXpm[pictures::kToolbarPictureCount] = {
    exit_xpm, open_xpm,   file_xpm,      print_xpm, eject_xpm,
    font_xpm, append_xpm, overwrite_xpm, big_xpm,   small_xpm};

// The pictures are pixel art: for high-density screens each pixel is repeated, so they stay crisp.
QPixmap atRatio(const QPixmap& picture, qreal devicePixelRatio) {
    const QSize size(int(picture.width() * devicePixelRatio),
                     int(picture.height() * devicePixelRatio));
    QPixmap larger = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    larger.setDevicePixelRatio(devicePixelRatio);
    return larger;
}

} // namespace

namespace pictures {

QIcon toolbarPicture(int index) {
    if (index < 1 || index > kToolbarPictureCount)
        return QIcon();
    const QPixmap picture(kToolbarXpm[index - 1]);
    QIcon icon(picture);
    icon.addPixmap(atRatio(picture, 2.0));
    return icon;
}

QPixmap programIcon() {
    return QPixmap(karvel32_xpm);
}

// Larger sizes repeat each pixel too.
QIcon programIconSet() {
    QIcon icon;
    const QPixmap base = programIcon();
    icon.addPixmap(base.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    icon.addPixmap(base);
    icon.addPixmap(base.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return icon;
}

QPixmap programIcon(qreal devicePixelRatio) {
    return devicePixelRatio <= 1 ? programIcon() : atRatio(programIcon(), devicePixelRatio);
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
