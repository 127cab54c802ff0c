#include "frmMain.h"

#include "document/FontSteps.h"
#include "document/LineListView.h"
#include "document/TextRead.h"
#include "platform/Desktop.h"
#include "platform/ProgramFiles.h"
#include "platform/RuntimeError.h"
#include "platform/Twips.h"
#include "resources/Pictures.h"
#include "settings/NumberRules.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>

namespace {
const QString kAppTitle = QStringLiteral("Karvel");
const QString kOpenFilter = QStringLiteral("全ファイル(*.*)|*.*|テキスト(*.TXT;DOC)|*.TXT;*.DOC|");
} // namespace

frmMain::frmMain(const QString& programDir, Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), programDir_(programDir), desktop_(desktop) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Karvel32"));
    setWindowIcon(pictures::programIconSet());
    buildMenus();
    buildToolbar();
    list_ = new LineListView(LineList, this);
    list_->setObjectName(QStringLiteral("List1"));
    setCentralWidget(list_);
    buildStatusBar();
    move(twips::toPixels(1545), twips::toPixels(2010));
    resize(twips::toPixels(6615), twips::toPixels(4515) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

QAction* frmMain::toolbarButton(const QString& key) const {
    const auto* bar = findChild<QToolBar*>(QStringLiteral("ToolbarMain"));
    for (QAction* a : bar->actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

void frmMain::Form_Load(const QString& commandLine) {
    list_->MakeScroll();
    setFontPanels();
    IniSettings.Append_mode = 0;
    AppendModeCaptionSet();
    IniSettings.Page_mode = 0;
    IniSettings.FileSel_mode = 0;
    IniSettings.SelFileName.clear();

    if (int err = iniFileRead(iniFilePath(programDir_), *this))
        desktop_.exclamation(this, kAppTitle, runtime_error::description(err));

    // Only a window beyond the right or bottom edge of the screen is brought back.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const double screenHeight = twips::fromPixels(area.height());
        const double screenWidth = twips::fromPixels(area.width());
        if (twips::fromPixels(y()) > screenHeight) {
            move(x(), twips::toPixels(100));
            resize(width(), twips::toPixels(screenHeight - 300));
        }
        if (twips::fromPixels(x()) > screenWidth) {
            move(twips::toPixels(100), y());
            resize(twips::toPixels(screenWidth - 300), height());
        }
    }

    if (!commandLine.isEmpty()) {
        text_read(commandLine);
        setWindowTitle(QStringLiteral("Karvel -") + commandLine + QStringLiteral("-"));
    }
    helpFile_ = programFilePath(programDir_, QStringLiteral("KARVEL.hlp"));
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    IniWriteState state;
    state.settings = IniSettings;
    state.minimized = isMinimized();
    state.top = float(twips::fromPixels(y()));
    state.left = float(twips::fromPixels(x()));
    state.height = float(twips::fromPixels(height()));
    state.width = float(twips::fromPixels(width()));
    state.fontName = list_->font().family();
    state.fontSize = float(reportedFontSize(list_->font()));
    iniFileWrite(iniFilePath(programDir_), state);
}

void frmMain::Form_Resize() { list_->MakeScroll(); }

void frmMain::AppendModeCaptionSet() {
    QAction* button = toolbarButton(QStringLiteral("btnAppendMode"));
    if (IniSettings.Append_mode == 1) {
        button->setChecked(false);
        button->setIcon(toolbarPicture(7));
    } else {
        IniSettings.Append_mode = 0;
        button->setChecked(true);
        button->setIcon(toolbarPicture(8));
    }
}

void frmMain::setFontPanels() {
    fontNamePanel_->setText(list_->font().family());
    fontSizePanel_->setText(
        QString::fromLatin1(numbers::fontSizeText(reportedFontSize(list_->font()))));
}

void frmMain::setListFontSize(double points) {
    QFont font = list_->font();
    font.setPointSizeF(points);
    list_->setFont(font);
}

int frmMain::applyNumber(IniKey key, double value) {
    switch (key) {
    case IniKey::Append_mode:
        IniSettings.Append_mode = value;
        AppendModeCaptionSet();
        break;
    case IniKey::Page_mode: IniSettings.Page_mode = value; break;
    case IniKey::FileSel_mode: IniSettings.FileSel_mode = value; break;
    case IniKey::Top: move(x(), twips::toPixels(value)); break;
    case IniKey::Left: move(twips::toPixels(value), y()); break;
    case IniKey::Height: resize(width(), twips::toPixels(value)); break;
    case IniKey::Width: resize(twips::toPixels(value), height()); break;
    case IniKey::FontSize:
        // A size the font cannot take is refused, as the list control refuses it.
        if (!(value > 0) || value > 16384)
            return runtime_error::InvalidCall;
        setListFontSize(value);
        setFontPanels();
        break;
    default: break;
    }
    return 0;
}

int frmMain::applyText(IniKey key, const QString& value) {
    if (key == IniKey::SelFileName) {
        IniSettings.SelFileName = value;
    } else if (key == IniKey::FontName) {
        QFont font = list_->font();
        font.setFamily(value);
        list_->setFont(font);
        setFontPanels();
    }
    return 0;
}

void frmMain::text_read(const QString& fileName) {
    const int err = ::text_read(fileName, LineList);
    list_->documentReset();
    if (err)
        desktop_.exclamation(this, kAppTitle, runtime_error::description(err));
}

void frmMain::file_open() {
    const QString name = desktop_.openFileName(this, kOpenFilter);
    if (name.isEmpty())
        return;
    text_read(name);
    setWindowTitle(QStringLiteral("Karvel -") + name + QStringLiteral("-"));
}

void frmMain::ToolbarMain_ButtonClick(QAction* button) {
    using Handler = void (frmMain::*)();
    static const std::pair<const char*, Handler> kKeys[] = {
        {"btnExit", &frmMain::mnuFileExit_Click},   {"btnOpen", &frmMain::mnuFileOpen_Click},
        {"btnPrint", &frmMain::mnuFilePrint_Click}, {"btnFile", &frmMain::mnuFileWrite_Click},
        {"btnPage", &frmMain::mnuFilePaper_Click},  {"btnFont", &frmMain::mnuFontSet_Click},
        {"btnAppendMode", &frmMain::appendModeToggle}, {"btnBig", &frmMain::mnuEditBig_Click},
        {"btnSmall", &frmMain::mnuEditSmall_Click},
    };
    const QString key = button->objectName();
    for (const auto& [name, handler] : kKeys) {
        if (key == QLatin1String(name)) {
            (this->*handler)();
            return;
        }
    }
}

// The toolbar has already flipped the button.
void frmMain::appendModeToggle() {
    QAction* button = toolbarButton(QStringLiteral("btnAppendMode"));
    if (!button->isChecked()) {
        button->setIcon(toolbarPicture(7));
        IniSettings.Append_mode = 1;
    } else {
        button->setIcon(toolbarPicture(8));
        IniSettings.Append_mode = 0;
    }
}

void frmMain::mnuFileOpen_Click() { file_open(); }

void frmMain::mnuFileExit_Click() {
    close();
    QCoreApplication::exit(0);
}

// Commands whose behaviour comes with later work.
void frmMain::mnuFilePrint_Click() {}
void frmMain::mnuFileWrite_Click() {}
void frmMain::mnuFilePaper_Click() {}
void frmMain::mnuSearch_Click() {}
void frmMain::mnuComment_Click() {}
void frmMain::mnuEditBig_Click() {}
void frmMain::mnuEditSmall_Click() {}
void frmMain::mnuSystemSet_Click() {}
void frmMain::mnuPrnSet_Click() {}
void frmMain::mnuFontSet_Click() {}
void frmMain::mnuHelpIndex_Click() {}
void frmMain::mnuHelpAbout_Click() {}
