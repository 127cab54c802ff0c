#include "frmVersion.h"

#include "resources/Pictures.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

frmVersion::frmVersion(QWidget* mainWindow)
    : FixedDialog(mainWindow, QStringLiteral("バージョン情報"), 3720, 3525) {
    setObjectName(QStringLiteral("frmVersion"));
    auto* icon = add<QLabel>(this, "Picture1", {120, 360, 480, 480});
    icon->setPixmap(pictures::programIcon(devicePixelRatio()));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* logo = add<QLabel>(this, "Picture2", {720, 120, 2895, 975});
    logo->setFrameStyle(QFrame::Box | QFrame::Plain);
    logo->setPixmap(pictures::aboutLogo(devicePixelRatio()));
    logo->setScaledContents(true);
    // Screen readers name a picture by what it shows: the logo is the program's name.
    icon->setAccessibleName(QStringLiteral("Karvel のアイコン"));
    logo->setAccessibleName(QStringLiteral("Karvel"));
    auto* frame = add<QGroupBox>(this, "Frame1", {120, 1200, 3495, 1815});
    auto* label = add<QLabel>(frame, "Label1", {240, 240, 2055, 255});
    label->setText(QStringLiteral("Karvel Version 3.00"));
    addRule(frame, "Line1", {120, 840, 3240, 30});
    auto* ok = addButton("cmdOk", QStringLiteral("OK"), {1920, 3120, 1695, 375});
    connect(ok, &QPushButton::clicked, this, &frmVersion::cmdOk_Click);
    setTabOrder(ok, ok);
    ok->setFocus();
    // Load: 1200 twips right of and below the main window's corner.
    placeBesideMainWindow(1200);
}
