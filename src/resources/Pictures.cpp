#include "Pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace {

// The pictures are XPM sources compiled in, so showing them reads no file and loads no plugin.
#include "pictures/01-exit.xpm"
#include "pictures/01-exit@2x.xpm"
#include "pictures/02-open.xpm"
#include "pictures/02-open@2x.xpm"
#include "pictures/03-file.xpm"
#include "pictures/03-file@2x.xpm"
#include "pictures/04-print.xpm"
#include "pictures/04-print@2x.xpm"
#include "pictures/05-eject.xpm"
#include "pictures/05-eject@2x.xpm"
#include "pictures/06-font.xpm"
#include "pictures/06-font@2x.xpm"
#include "pictures/07-append.xpm"
#include "pictures/07-append@2x.xpm"
#include "pictures/08-overwrite.xpm"
#include "pictures/08-overwrite@2x.xpm"
#include "pictures/09-big.xpm"
#include "pictures/09-big@2x.xpm"
#include "pictures/10-small.xpm"
#include "pictures/10-small@2x.xpm"
#include "pictures/karvel32.xpm"

struct ToolbarXpm {
    const char* const* normal;
    const char* const* twice;
};
const ToolbarXpm kToolbarXpm[pictures::kToolbarPictureCount] = {
    {exit_xpm, exit_2x_xpm},     {open_xpm, open_2x_xpm},           {file_xpm, file_2x_xpm},
    {print_xpm, print_2x_xpm},   {eject_xpm, eject_2x_xpm},         {font_xpm, font_2x_xpm},
    {append_xpm, append_2x_xpm}, {overwrite_xpm, overwrite_2x_xpm}, {big_xpm, big_2x_xpm},
    {small_xpm, small_2x_xpm}};

QPixmap load(const char* const* xpm) {
    return QPixmap(xpm);
}

} // namespace

namespace pictures {

QIcon toolbarPicture(int index) {
    if (index < 1 || index > kToolbarPictureCount)
        return QIcon();
    const ToolbarXpm& xpm = kToolbarXpm[index - 1];
    QIcon icon;
    icon.addPixmap(load(xpm.normal));
    QPixmap twice = load(xpm.twice);
    twice.setDevicePixelRatio(2.0);
    icon.addPixmap(twice);
    return icon;
}

QPixmap programIcon() {
    return load(karvel32_xpm);
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
