#pragma once

#include <QColor>
#include <QFlags>
#include <QString>
#include <QUrl>

#include <optional>

namespace corvanta {

// Buttons and answers of a message box.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
// Escape: a box without a Cancel button was closed by Esc or its close
// button, which is neither of its answers; boxes with Cancel answer Cancel.
enum class MsgAnswer { Ok, Cancel, Yes, No, Escape };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };

// How a file dialog behaves, with the values the dialog state has always
// carried.
enum class DialogFlag {
    OverwritePrompt = 2, // a save dialog asks before replacing a file
    HideReadOnly = 4,    // an open dialog shows no read-only box
};
Q_DECLARE_FLAGS(DialogFlags, DialogFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(DialogFlags)

// What a command sets on the common file dialog before showing it, and the
// file name it leaves behind. The fields persist between showings: a save
// dialog opens with the default extension and folder the last dialog left.
struct CommonDialog
{
    QString DefaultExt;
    QString Filter; // "Text (*.x)|*.x|All Files (*.*)|*.*"
    QString FileName;
    DialogFlags Flags;
    QString InitDir;
};

// The thin layer over platform services: every modal prompt, file and colour
// dialog, opening an address, the beep and ending the address book go through it,
// so tests can answer prompts and watch the end without the process dying.
class Platform
{
  public:
    virtual ~Platform();

    // `title` empty means the application title. `defaultButton` is 1-based.
    virtual MsgAnswer messageBox(const QString& text, const QString& title, MsgIcon icon,
                                 MsgButtons buttons, int defaultButton = 1) = 0;
    // Shows the open or save dialog; on return dlg.FileName holds the chosen
    // path, or what was there before when the user cancelled.
    virtual void showOpen(CommonDialog& dlg) = 0;
    virtual void showSave(CommonDialog& dlg) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    virtual void beep() = 0;
    // Ends the address book at once; nothing of the caller runs after it in
    // production. A test fake records the call and returns.
    virtual void endProgram() = 0;

    static QString applicationTitle() { return QStringLiteral("Corvanta Address Book"); }
};

// Production implementation over Qt.
class QtPlatform : public Platform
{
  public:
    MsgAnswer messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons, int defaultButton = 1) override;
    void showOpen(CommonDialog& dlg) override;
    void showSave(CommonDialog& dlg) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool openUrl(const QUrl& url) override;
    void beep() override;
    void endProgram() override;
};

// "Name (*.a)|*.a|All (*.*)|*.*" -> Qt's "Name (*.a);;All (*.*)".
QString qtFilterFromCommon(const QString& filter);
// The extension a file dialog adds to a name typed without one ("cvt"), or
// "": the default extension for open dialogs, the filter's first pattern
// for save dialogs.
QString defaultSuffixOf(const CommonDialog& dlg, bool save);

} // namespace corvanta
