#pragma once
// The main window: owns the settings, the document and the list font for the whole run, and
// routes every menu and toolbar command to its handler.
#include "FormatMenu.h"
#include "document/FontSteps.h"
#include "document/LineStore.h"
#include "settings/IniSettings.h"
#include "ui/LongWork.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <functional>

class Desktop;
class LineListView;
class PrintPreview;
class Printer;
class QAction;
class QLabel;
class QToolButton;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    frmMain(const QString& programDir, Desktop& desktop, Printer& printer,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // Brings the window into its initial state; runs before the window is first shown.
    void Form_Load(const QString& commandLine);

    IniSettingsRecord IniSettings;
    LineStore LineList;
    std::size_t LineCount() const { return LineList.rowCount(); }
    static constexpr int PrintLeftMargin = 100;
    static constexpr int PrintRightMargin = 100;
    QString SearchStr;

    LineListView* List1() const { return list_; }
    QAction* toolbarButton(const QString& key) const;
    const QIcon& toolbarPicture(int index) const { return ImageListToolbar_[index - 1]; }
    QString helpFile() const { return helpFile_; }

    // Makes btnAppendMode show Append_mode (anything but 1 becomes 0).
    void AppendModeCaptionSet();
    // What closing the window keeps: the settings written, an open print document ended. Also
    // run when the program is told to stop from outside. False when the document could not
    // be printed (printer_.errorText() says why and where its pages were kept).
    bool saveSession();
    // The owner of long work (loads, searches, prints and writes, from any window).
    LongWork& longWork() { return work_; }
    // Loads a file into the list, in the encoding and line-end style chosen (by default as its
    // bytes show); a failure is reported here. False when the person stopped the load (nothing
    // changed).
    bool text_read(const QString& fileName, const FormatChoice& choice = {});
    void Form_Resize();

  public slots:
    void mnuFileOpen_Click();
    void mnuFilePrint_Click();
    void mnuFilePreview_Click();
    void mnuFileWrite_Click();
    void mnuFilePaper_Click();
    void mnuFileExit_Click();
    void mnuSearch_Click();
    void mnuComment_Click();
    void mnuEditBig_Click();
    void mnuEditSmall_Click();
    void mnuSystemSet_Click();
    void mnuPrnSet_Click();
    void mnuFontSet_Click();
    void mnuHelpIndex_Click();
    void mnuHelpAbout_Click();
    void ToolbarMain_ButtonClick(QAction* button);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

  private:
    // Runs work that may wait on the print system.
    void withPrintSystem(const QString& label, const std::function<void()>& work);
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void Form_Unload();
    // A setting the person changed reaches KARVEL.INI shortly, as the exit would write it.
    void settingsChanged() { saveSoon_.start(); }
    void file_open();
    void openNamedFile(const QString& name);
    // Reads the file in the list again, in the chosen encoding and line-end style.
    void readAgainAs(const FormatChoice& choice);
    void text_print();
    void text_fileout();
    void showHelpFile();
    void setListFont(const QFont& font, bool showSize = true);
    void stepFont(FontStep step);
    void appendModeToggle();
    void refreshPreview();
    void applySettings(const IniFileSettings& read);

    QString programDir_;
    QString helpFile_;
    bool keepIniFile_ = false;
    // Where the platform cannot tell the window's place (Wayland): the place read at start-up,
    // in twips, written back unchanged; and whether the window was minimized since it was last
    // active (the platform does not report it).
    float startTop_ = 0, startLeft_ = 0;
    bool minimizedUnseen_ = false;
    bool watchingWindowState_ = false;
    QPointer<PrintPreview> preview_;
    int previewGrowth_ = 0; // the width the window took on for the preview pane
    Desktop& desktop_;
    Printer& printer_;
    LongWork work_;
    LineListView* list_ = nullptr;
    QLabel* fontNamePanel_ = nullptr;
    QLabel* fontSizePanel_ = nullptr;
    FormatMenu* formatMenu_ = nullptr;
    QToolButton* formatPanel_ = nullptr;
    QString currentFile_;       // the file whose rows the list shows
    FormatChoice formatChoice_; // how it was read: holds until another file is opened
    QVector<QIcon> ImageListToolbar_;
    QTimer saveSoon_;
};
