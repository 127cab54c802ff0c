#include "dialogs/frmVersion.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(frmVersion, ShowsNameVersionAndPictures) {
    QWidget main;
    main.move(300, 200);
    frmVersion d(&main);
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(d.pos(), main.pos() + QPoint(80, 80));
    // As drawn, or larger where a desktop font needs room.
    EXPECT_EQ(d.size().expandedTo(QSize(248, 235)), d.size());
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Karvel Version 3.00"));
    EXPECT_TRUE(d.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title().isEmpty());
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Picture2"))->pixmap().size(), QSize(191, 63));
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
    d.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
    EXPECT_FALSE(d.isVisible());
}

} // namespace
