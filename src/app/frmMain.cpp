#include "frmMain.h"

#include "dialogs/frmSearch.h"
#include "dialogs/frmSystemSet.h"
#include "dialogs/frmVersion.h"
#include "document/FontSteps.h"
#include "document/TextRead.h"
#include "listview/LineListView.h"
#include "output/OutputRules.h"
#include "output/PrintPreview.h"
#include "output/PrintRows.h"
#include "output/frmComment.h"
#include "output/frmSelFileName.h"
#include "printing/Printer.h"
#include "search/StrSearch.h"
#include "settings/NumberRules.h"
#include "system/FileIO.h"
#include "system/ProgramFiles.h"
#include "system/RuntimeError.h"
#include "text/Cp932.h"
#include "ui/Desktop.h"
#include "ui/OnScreen.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

namespace {

QFont withPointSize(QFont font, double points) {
    font.setPointSizeF(points);
    return font;
}

const QString kAppTitle = QStringLiteral("Karvel");
const int kStartLeft = 1545, kStartTop = 2010; // twips, where the window starts without settings

} // namespace

frmMain::frmMain(const QString& programDir, Desktop& desktop, Printer& printer, QWidget* parent)
    : QMainWindow(parent), programDir_(programDir), desktop_(desktop), printer_(printer),
      work_(desktop) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Karvel32"));
    buildMenus();
    buildToolbar();
    list_ = new LineListView(LineList, this);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setLongWork(&work_);
    connect(list_, &LineListView::outOfMemory, this, [this] {
        desktop_.exclamation(this, kAppTitle, ErrorCode(ErrorCode::OutOfMemory).description());
    });
    setCentralWidget(list_);
    buildStatusBar();
    move(twips::toPixels(kStartLeft), twips::toPixels(kStartTop));
    resize(twips::toPixels(6615), twips::toPixels(4515) + menuBar()->sizeHint().height());
    setAcceptDrops(true);
    saveSoon_.setSingleShot(true);
    saveSoon_.setInterval(300);
    connect(&saveSoon_, &QTimer::timeout, this, &frmMain::Form_Unload);
    // F1 opens the help file from any window of the program, dialogs included.
    qApp->installEventFilter(this);
}

frmMain::~frmMain() {
    // The preview pane goes after this window's own part is gone: it tells it nothing then.
    if (preview_)
        preview_->parentWidget()->disconnect(this);
}

QAction* frmMain::toolbarButton(const QString& key) const {
    const auto* bar = findChild<QToolBar*>(QStringLiteral("ToolbarMain"));
    for (QAction* a : bar->actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

void frmMain::Form_Load(const QString& commandLine) {
    list_->MakeScroll();
    setListFont(list_->font());
    const IniFileSettings read = iniFileRead(iniFilePath(programDir_));
    // Settings that could not be read are not overwritten with defaults at exit (nor by a
    // signal that ends the program while the message below is shown).
    keepIniFile_ = read.unreadable;
    applySettings(read);
    if (read.error)
        desktop_.exclamation(this, kAppTitle, read.error.description());

    // A saved place beyond a screen's edge, on a screen that is gone, or partly off one, is
    // brought whole onto one.
    const QMargins frame = frameMargins(this, nullptr);
    const QRect saved(pos(), size().grownBy(frame));
    if (const QRect shown =
            restoredFrame(saved, availableAreas(), twips::toPixels(100), twips::toPixels(300));
        shown != saved) {
        move(shown.topLeft());
        resize(shown.size().shrunkBy(frame));
    }

    // A page that a run which did not end normally left open is ejected as its end would have.
    QString ended;
    if (printer_.documentsLeftOpen())
        withPrintSystem(QStringLiteral("前回のページを排出しています..."),
                        [&] { ended = printer_.endDocumentsLeftOpen(); });
    if (!ended.isEmpty())
        desktop_.exclamation(this, kAppTitle, ended);

    if (!commandLine.isEmpty())
        openNamedFile(commandLine);
    helpFile_ = programFilePath(programDir_, QStringLiteral("KARVEL.hlp"));
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!saveSession())
        desktop_.exclamation(this, kAppTitle, printer_.errorText());
    event->accept();
}

bool frmMain::saveSession() {
    Form_Unload();
    // Lines still on an open page are printed rather than lost (or kept as a PDF).
    bool ok = true;
    withPrintSystem(QStringLiteral("用紙を排出しています..."), [&] { ok = printer_.endDoc(); });
    return ok;
}

void frmMain::withPrintSystem(const QString& label, const std::function<void()>& work) {
    // As long work where it can be (its progress window shows a slow print system and stops the
    // wait); where it cannot (the program is ending), with the print system's time limits.
    if (!work_.run(this, label, [&](Progress& progress) {
            const PrinterProgress waiting(printer_, &progress);
            work();
        }))
        work();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        watched->isWidgetType()) {
        showHelpFile();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event) {
    // A minimize asked for by the program or by the title bar it draws (Wayland reports no
    // minimized state back; the window keeps its normal size there).
    if (!windowPositionsKnown() && !watchingWindowState_ && windowHandle()) {
        watchingWindowState_ = true;
        connect(windowHandle(), &QWindow::windowStateChanged, this, [this](Qt::WindowState s) {
            if (s == Qt::WindowMinimized)
                minimizedUnseen_ = true;
        });
    }
    QMainWindow::showEvent(event);
}

void frmMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        minimizedUnseen_ = false;
    QMainWindow::changeEvent(event);
}

void frmMain::showHelpFile() {
    if (const ErrorCode err =
            desktop_.showHelpFile(this, QStringLiteral("Karvelのヘルプ"), helpFile_))
        desktop_.exclamation(
            this, kAppTitle,
            QStringLiteral("ヘルプファイル %1 を開けません: %2").arg(helpFile_, err.description()));
}

void frmMain::Form_Unload() {
    saveSoon_.stop();
    IniWriteState state;
    state.settings = IniSettings;
    state.minimized = isMinimized() || minimizedUnseen_;
    state.top = windowPositionsKnown() ? float(twips::fromPixels(y())) : startTop_;
    state.left = windowPositionsKnown() ? float(twips::fromPixels(x())) : startLeft_;
    state.height = float(twips::fromPixels(height()));
    state.width = float(twips::fromPixels(width() - previewGrowth_)); // the list's window
    state.fontName = list_->font().family();
    state.fontSize = float(reportedFontSize(list_->font()));
    if (!keepIniFile_)
        iniFileWrite(iniFilePath(programDir_), state);
}

void frmMain::Form_Resize() {
    list_->MakeScroll();
}

void frmMain::AppendModeCaptionSet() {
    QAction* button = toolbarButton(QStringLiteral("btnAppendMode"));
    if (IniSettings.appends()) {
        button->setChecked(false);
        button->setIcon(toolbarPicture(7));
    } else {
        IniSettings.Append_mode = 0;
        button->setChecked(true);
        button->setIcon(toolbarPicture(8));
    }
}

// The list's font; the printer and the status panels follow it (the size panel keeps its text
// for a clamping step).
void frmMain::setListFont(const QFont& font, bool showSize) {
    list_->setFont(font);
    printer_.setFont(font.family(), reportedFontSize(font));
    fontNamePanel_->setText(font.family());
    if (showSize)
        fontSizePanel_->setText(
            QString::fromLatin1(numbers::fontSizeText(reportedFontSize(list_->font()))));
    refreshPreview(); // how many lines still fit
}

// What the settings file set; the rest stays as the window starts.
void frmMain::applySettings(const IniFileSettings& read) {
    IniSettings = read.settings;
    AppendModeCaptionSet();
    startTop_ = read.top.value_or(float(kStartTop));
    startLeft_ = read.left.value_or(float(kStartLeft));
    if (read.top)
        move(x(), twips::toPixels(*read.top));
    if (read.left)
        move(twips::toPixels(*read.left), y());
    if (read.height)
        resize(width(), twips::toPixels(*read.height));
    if (read.width)
        resize(twips::toPixels(*read.width), height());
    QFont font = list_->font();
    if (read.fontName)
        font.setFamily(*read.fontName);
    if (read.fontSize)
        font.setPointSizeF(*read.fontSize);
    setListFont(font);
}

bool frmMain::text_read(const QString& fileName, const FormatChoice& choice) {
    const std::uint64_t before = LineList.generation();
    std::optional<TextFormat> forced;
    if (choice != FormatChoice{})
        forced = TextFormat{choice.lineEnd.value_or(LineList.format().lineEnd),
                            choice.encoding.value_or(LineList.format().encoding)};
    LoadResult load;
    if (!work_.run(this, QStringLiteral("ファイルを読み込んでいます..."), [&](Progress& progress) {
            load = ::text_read(fileName, LineList, &progress, forced);
        }))
        return false; // one piece of long work at a time
    // A file that could not be opened leaves the rows, and the view on them, as they were.
    if (LineList.generation() != before) {
        list_->documentReset();
        currentFile_ = fileName;
        formatChoice_ = choice;
        formatPanel_->setText(formatName(LineList.format()));
    }
    formatMenu_->showChoice(formatChoice_);
    if (load.cancelled)
        return false;
    if (load.error)
        desktop_.exclamation(this, kAppTitle, load.error.description());
    return true;
}

void frmMain::file_open() {
    const QString name = fileNameOnDisk(desktop_.openFileName(this, textFileFilter()));
    if (!name.isEmpty())
        openNamedFile(name);
}

void frmMain::readAgainAs(const FormatChoice& choice) {
    if (currentFile_.isEmpty())
        formatMenu_->showChoice(formatChoice_); // nothing to read again
    else
        text_read(currentFile_, choice);
}

// The caption names the file even when it could not be read (but not when the load was
// stopped: then the window stays as it was).
void frmMain::openNamedFile(const QString& name) {
    if (text_read(name))
        setWindowTitle(QStringLiteral("Karvel -") + cp932::fileNameText(name) +
                       QStringLiteral("-"));
}

namespace {
// The one local file a drop carries, or "" for several files or anything else. The name comes
// from the address's percent-encoded bytes, which hold it whole also where it is not UTF-8.
QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    if (urls.size() != 1 || !urls[0].isLocalFile())
        return QString();
    if (!urls[0].host().isEmpty())
        return urls[0].toLocalFile();
    return fileNameFromBytes(
        QByteArray::fromPercentEncoding(urls[0].path(QUrl::FullyEncoded).toLatin1()));
}
} // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedFile(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString name = droppedFile(event->mimeData());
    if (name.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    openNamedFile(name);
}

void frmMain::ToolbarMain_ButtonClick(QAction* button) {
    using Handler = void (frmMain::*)();
    static const std::pair<const char*, Handler> kKeys[] = {
        {"btnExit", &frmMain::mnuFileExit_Click},      {"btnOpen", &frmMain::mnuFileOpen_Click},
        {"btnPrint", &frmMain::mnuFilePrint_Click},    {"btnFile", &frmMain::mnuFileWrite_Click},
        {"btnPage", &frmMain::mnuFilePaper_Click},     {"btnFont", &frmMain::mnuFontSet_Click},
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

// The toolbar has already flipped the button: pressed means overwrite.
void frmMain::appendModeToggle() {
    IniSettings.Append_mode = toolbarButton(QStringLiteral("btnAppendMode"))->isChecked() ? 0 : 1;
    AppendModeCaptionSet();
    settingsChanged();
}

void frmMain::mnuFileOpen_Click() {
    file_open();
}

void frmMain::mnuFileExit_Click() {
    close();
    // End at once, whatever other window is still open (only inside the event loop: outside
    // it there is nothing to end, and exit() would stop every later loop from running).
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void frmMain::mnuFilePrint_Click() {
    text_print();
}

void frmMain::text_print() {
    const PrintMargins margins{PrintLeftMargin, PrintRightMargin};
    bool ok = true;
    if (!work_.run(this, QStringLiteral("印刷しています..."), [&](Progress& progress) {
            ok = runPrintCommand(
                printer_, list_->font().family(), reportedFontSize(list_->font()),
                IniSettings.ejectsAfterEveryPrint(), progress,
                [&] { return printSelectedRows(printer_, LineList, margins, &progress); });
        }))
        return;
    refreshPreview();
    if (!ok)
        desktop_.exclamation(this, kAppTitle, printer_.errorText());
}

void frmMain::mnuFilePaper_Click() {
    if (work_.running())
        return;
    bool ok = true;
    withPrintSystem(QStringLiteral("用紙を排出しています..."), [&] { ok = printer_.endDoc(); });
    refreshPreview();
    if (!ok)
        desktop_.exclamation(this, kAppTitle, printer_.errorText());
}

void frmMain::mnuFilePreview_Click() {
    if (!preview_) {
        // A pane of the main window beside the list: no window manager can stack it over the
        // list, and it cannot grow off the screen. It floats only where the platform lets the
        // program place a window.
        auto* pane = new QDockWidget(QStringLiteral("印刷プレビュー"), this);
        pane->setObjectName(QStringLiteral("PrintPreviewPane"));
        pane->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        QDockWidget::DockWidgetFeatures features =
            QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable;
        if (windowPositionsKnown())
            features |= QDockWidget::DockWidgetFloatable;
        pane->setFeatures(features);
        preview_ = new PrintPreview(printer_, pane);
        pane->setWidget(preview_);
        addDockWidget(Qt::RightDockWidgetArea, pane);
        pane->hide();
        // Closed or floated, the pane gives back the width the window took on for it.
        const auto giveBack = [this, pane] {
            if (previewGrowth_ > 0 && (pane->isHidden() || pane->isFloating())) {
                resize(width() - previewGrowth_, height());
                previewGrowth_ = 0;
            }
        };
        connect(pane, &QDockWidget::visibilityChanged, this, giveBack);
        connect(pane, &QDockWidget::topLevelChanged, this, giveBack);
    }
    preview_->refresh();
    auto* pane = static_cast<QDockWidget*>(preview_->parentWidget());
    if (pane->isHidden()) {
        // The window widens by the pane as far as its screen has room, so that the list keeps
        // its width.
        const int paneWidth = std::max(pane->sizeHint().width(), width() / 2);
        const int room = screen()->availableGeometry().right() - frameGeometry().right();
        if (!isMaximized() && !isFullScreen() && previewGrowth_ == 0) {
            previewGrowth_ = std::clamp(room, 0, paneWidth);
            resize(width() + previewGrowth_, height());
        }
        pane->show();
        resizeDocks({pane}, {paneWidth}, Qt::Horizontal);
    }
    pane->raise();
    preview_->setFocus(Qt::OtherFocusReason);
}

void frmMain::refreshPreview() {
    if (preview_)
        preview_->refresh();
}

void frmMain::mnuFileWrite_Click() {
    if (IniSettings.asksForOutputFile()) {
        text_fileout();
        return;
    }
    frmSelFileName dialog(this, IniSettings, LineList, desktop_, work_);
    dialog.exec();
    settingsChanged(); // the output name it confirmed
}

void frmMain::text_fileout() {
    if (work_.running())
        return;
    const QString name =
        fileNameOnDisk(desktop_.saveFileName(this, outputDialogTitle(), textFileFilter()));
    if (name.isEmpty())
        return;
    ErrorCode err;
    work_.run(this, QStringLiteral("書き出しています..."), [&](Progress& progress) {
        err = writeSelectedRows(name, IniSettings.appends(), LineList, &progress);
    });
    if (err)
        desktop_.exclamation(this, QString(), outputFailureText());
}

void frmMain::mnuSearch_Click() {
    if (work_.running())
        return;
    frmSearch dialog(this, SearchStr);
    dialog.exec();
    if (dialog.SearchOk &&
        work_.run(this, QStringLiteral("検索しています..."),
                  [&](Progress& progress) { StrSearch(SearchStr, LineList, &progress); }))
        list_->selectionChanged();
}

void frmMain::mnuComment_Click() {
    frmComment dialog(this, IniSettings, printer_, list_->font(),
                      PrintMargins{PrintLeftMargin, PrintRightMargin}, desktop_, work_,
                      LineList.format());
    dialog.exec();
    refreshPreview();
}

void frmMain::stepFont(FontStep step) {
    // At the limit: no re-layout, and the size panel keeps its text.
    setListFont(withPointSize(list_->font(), step.size), step.relayout);
    settingsChanged();
    if (step.relayout)
        Form_Resize();
}

void frmMain::mnuEditBig_Click() {
    stepFont(enlargeStep(reportedFontSize(list_->font())));
}
void frmMain::mnuEditSmall_Click() {
    stepFont(shrinkStep(reportedFontSize(list_->font())));
}

void frmMain::mnuSystemSet_Click() {
    {
        frmSystemSet dialog(this, IniSettings);
        dialog.exec();
    }
    AppendModeCaptionSet();
    settingsChanged();
}

void frmMain::mnuPrnSet_Click() {
    if (work_.running())
        return;
    // The dialog works on a copy: Cancel leaves the setup as it was.
    std::unique_ptr<QPrinter> setup;
    withPrintSystem(QStringLiteral("プリンタを確認しています..."),
                    [&] { setup = printer_.setupCopy(); });
    if (!setup) {
        desktop_.exclamation(this, kAppTitle, printer_.errorText());
        return;
    }
    if (desktop_.printerSetup(this, *setup))
        printer_.applySetup(*setup);
    refreshPreview(); // another paper
}

void frmMain::mnuFontSet_Click() {
    const QFont chosen = desktop_.chooseFont(this, list_->font());
    if (chosen.family().isEmpty())
        return;
    // Only the face and the size are taken from the dialog.
    QFont font = withPointSize(list_->font(), float(chosen.pointSizeF()));
    font.setFamily(chosen.family());
    setListFont(font);
    settingsChanged();
}

void frmMain::mnuHelpIndex_Click() {
    QString error;
    const QString document = programFilePath(programDir_, QStringLiteral("karvel.doc"));
    // The opener's exit codes: 2 the file is missing, 3 no program opens this kind of file,
    // 4 the program failed; -1: the opener could not run or crashed.
    QPointer<frmMain> window(this);
    auto failed = [window, document](int code) {
        if (!window)
            return;
        const QString why =
            code == 2 ? ErrorCode(ErrorCode::FileNotFound).description()
            : code == 3 ? QStringLiteral("この種類の文書を開くアプリケーションがありません。")
            : code == 4 ? QStringLiteral("文書を開くアプリケーションが失敗しました。")
            : code == -1 ? QStringLiteral("xdg-open を実行できませんでした。")
                         : QStringLiteral("xdg-open が終了コード %1 で終わりました。").arg(code);
        window->desktop_.exclamation(window, kAppTitle,
                                     QStringLiteral("%1 を開けません: %2").arg(document, why));
    };
    if (!desktop_.startDetached(QStringLiteral("xdg-open"), {document}, &error, failed))
        desktop_.exclamation(this, kAppTitle, error);
}

void frmMain::mnuHelpAbout_Click() {
    frmVersion dialog(this);
    dialog.exec();
}
