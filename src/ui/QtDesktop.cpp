#include "QtDesktop.h"

#include "FontChooser.h"
#include "ModalWindows.h"
#include "OnScreen.h"
#include "system/FileIO.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (p == QLatin1String("*.*") || p == QLatin1String("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << p.toLower();
            if (p.toUpper() != p.toLower())
                patterns << p.toUpper();
        }
        patterns.removeDuplicates();
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

namespace {

// A message box sizes itself only as it is shown, after its place was chosen for a smaller size.
class MessageBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        keepOnScreen(this, parentWidget());
    }
};

} // namespace

void QtDesktop::exclamation(QWidget* parent, const QString& title, const QString& text) {
    MessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    // Minimizing a modal message box would hide the whole program behind it.
    box.setWindowFlags(Qt::Dialog | kDialogTitleBar);
    box.exec();
}

namespace {

// A file dialog as the program's dialogs are: the filters read as their captions (no pattern
// list after them), starting in the folder last used.
void setUpFileDialog(QFileDialog& dialog, const QString& filter, const QString& folder) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(qtNameFilters(filter));
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
}

} // namespace

QString QtDesktop::openFileName(QWidget* parent, const QString& filter) {
    // Qt's own dialog titles itself; a platform theme's native one (GTK's) would have no title.
    QFileDialog dialog(parent, QFileDialog::tr("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    setUpFileDialog(dialog, filter, lastFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    lastFolder_ = dialog.directory().absolutePath();
    return dialog.selectedFiles().constFirst();
}

QString QtDesktop::saveFileName(QWidget* parent, const QString& title, const QString& filter) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    setUpFileDialog(dialog, filter, lastFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    lastFolder_ = dialog.directory().absolutePath();
    return dialog.selectedFiles().constFirst();
}

QFont QtDesktop::chooseFont(QWidget* parent, const QFont& font) {
    FontChooser dialog(parent, font);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenFont() : font;
}

bool QtDesktop::printerSetup(QWidget* parent, QPrinter& printer) {
    // The print dialog serves as setup: it reads as setup and prints nothing itself. What it
    // offers beside printer, paper and orientation (copies, order, duplex, pages per sheet) goes
    // with the following documents; a range of pages with the next one.
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, 9999);
    // The free-form page list and the odd/even page set are the print system's own and would not
    // reach a PDF file: the range "from ... to" stands for them.
    for (const char* name : {"pagesRadioButton", "pagesLineEdit", "pageSetCombo", "pageSetLabel"})
        if (QWidget* w = dialog.findChild<QWidget*>(QLatin1String(name)))
            w->hide();
    dialog.setWindowTitle(QStringLiteral("プリンタの設定"));
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted; // the printer takes the choices only then
}

bool QtDesktop::startDetached(const QString& program, const QStringList& arguments, QString* error,
                              std::function<void(int)> failed) {
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        *error = QStringLiteral("%1 が見つかりません。").arg(program);
        return false;
    }
    // The program runs on its own; the window neither waits for it to start nor for it to end,
    // and hears of it only when it fails: it cannot be executed after all, or it ends with an
    // error (an opener such as xdg-open ends as soon as it has handed the document on).
    auto* process = new QProcess(qApp);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (failed && (status != QProcess::NormalExit || code != 0))
                             failed(status == QProcess::NormalExit ? code : -1);
                     });
    process->start();
    if (process->state() == QProcess::NotRunning) { // no process could be made at all
        *error = process->errorString();
        delete process;
        return false;
    }
    // Whether the program could be executed is known only later; no finished() follows then.
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError why) {
                         if (why != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         if (failed)
                             failed(-1);
                     });
    return true;
}

ErrorCode QtDesktop::showHelpFile(QWidget* parent, const QString& title, const QString& path) {
    const FileReadResult file = readWholeFile(path);
    if (file.openError || file.readError)
        return file.openError ? file.openError : file.readError;
    QDialog window(parent);
    window.setWindowTitle(title);
    window.resize(560, 480);
    auto* browser = new QTextBrowser(&window);
    browser->setOpenExternalLinks(true);
    browser->setHtml(QString::fromUtf8(file.bytes.data.get(), qsizetype(file.bytes.size)));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    window.exec();
    return ErrorCode::None;
}
