#include "platform/platform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>

#include <algorithm>

namespace corvanta {

namespace {

QMessageBox::Icon toQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Qt takes Esc (and the close button) on a Yes/No box as No; this box
// remembers that the user escaped instead of answering.
class EscapableBox : public QMessageBox
{
  public:
    using QMessageBox::QMessageBox;
    bool escaped = false;

  protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Cancel))
            escaped = true;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        escaped = true;
        QMessageBox::closeEvent(event);
    }
};

// The window a prompt belongs to: the active one, or, before the window
// system has activated any (a question right at start), the main window
// already on screen, so that the prompt shows over it.
QWidget* owner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto main = std::find_if(windows.begin(), windows.end(), [](QWidget* w) {
        return w->isVisible() && qobject_cast<QMainWindow*>(w);
    });
    return main == windows.end() ? nullptr : *main;
}

void prepare(QFileDialog& fd, const CommonDialog& dlg, bool save)
{
    fd.setNameFilter(QString());
    fd.setNameFilters(qtFilterFromCommon(dlg.Filter).split(QStringLiteral(";;")));
    if (!dlg.InitDir.isEmpty())
        fd.setDirectory(dlg.InitDir);
    const QString ext = defaultSuffixOf(dlg, save);
    if (!ext.isEmpty())
        fd.setDefaultSuffix(ext);
    // A pattern left in the name box ("*.cvt") is the dialog's prompt, not a name.
    if (!dlg.FileName.isEmpty() && !dlg.FileName.contains(QLatin1Char('*')))
        fd.selectFile(dlg.FileName);
}

} // namespace

MsgAnswer QtPlatform::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons, int defaultButton)
{
    EscapableBox box(toQt(icon), title.isEmpty() ? applicationTitle() : title, text,
                     QMessageBox::NoButton, owner());
    QList<QMessageBox::StandardButton> order;
    switch (buttons) {
    case MsgButtons::Ok:
        order = {QMessageBox::Ok};
        break;
    case MsgButtons::OkCancel:
        order = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case MsgButtons::YesNo:
        order = {QMessageBox::Yes, QMessageBox::No};
        break;
    case MsgButtons::YesNoCancel:
        order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    }
    for (auto b : order)
        box.addButton(b);
    if (defaultButton >= 1 && defaultButton <= order.size())
        box.setDefaultButton(order[defaultButton - 1]);
    box.setEscapeButton(order.contains(QMessageBox::Cancel) ? QMessageBox::Cancel : order.last());
    const int answer = box.exec();
    if (box.escaped && !order.contains(QMessageBox::Cancel) && buttons != MsgButtons::Ok)
        return MsgAnswer::Escape;
    switch (answer) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    default:
        return MsgAnswer::Cancel;
    }
}

void QtPlatform::showOpen(CommonDialog& dlg)
{
    QFileDialog fd(QApplication::activeWindow());
    fd.setAcceptMode(QFileDialog::AcceptOpen);
    fd.setFileMode(QFileDialog::ExistingFile);
    prepare(fd, dlg, false);
    if (fd.exec() == QDialog::Accepted && !fd.selectedFiles().isEmpty()) {
        dlg.FileName = QDir::toNativeSeparators(fd.selectedFiles().first());
        dlg.InitDir = QFileInfo(dlg.FileName).absolutePath();
    }
}

void QtPlatform::showSave(CommonDialog& dlg)
{
    QFileDialog fd(QApplication::activeWindow());
    fd.setAcceptMode(QFileDialog::AcceptSave);
    fd.setFileMode(QFileDialog::AnyFile);
    // Without the prompt flag the dialog replaces a file without asking.
    fd.setOption(QFileDialog::DontConfirmOverwrite,
                 !dlg.Flags.testFlag(DialogFlag::OverwritePrompt));
    prepare(fd, dlg, true);
    if (fd.exec() == QDialog::Accepted && !fd.selectedFiles().isEmpty())
        dlg.FileName = QDir::toNativeSeparators(fd.selectedFiles().first());
}

std::optional<QColor> QtPlatform::chooseColor(const QColor& initial)
{
    const QColor c = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtPlatform::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::endProgram()
{
    // Close every other window without asking and leave the event loop; the
    // settings have been written and synced by then.
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

} // namespace corvanta
