#pragma once

#include "platform/platform.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace corvanta {

// A scripted stand-in for the platform: tests queue the answers of the next
// prompts and dialogs, and read back everything that was shown.
class FakePlatform : public Platform
{
  public:
    struct Shown
    {
        QString text;
        QString title;
        MsgIcon icon;
        MsgButtons buttons;
        int defaultButton;
    };
    struct DialogSeen
    {
        bool save;
        CommonDialog before; // what the command set before showing
    };

    // Answers for the next message boxes, in order. With none queued a box
    // answers Cancel (or Ok for a box that only has Ok) and the test fails
    // later on `unexpected`.
    QList<MsgAnswer> answers;
    // File names the next dialogs leave behind; std::nullopt = user cancelled.
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QColor>> colorAnswers;

    QList<Shown> messages;
    QList<DialogSeen> dialogs;
    QList<QUrl> openedUrls;
    int beeps = 0;
    int endCalls = 0;
    int unexpected = 0; // prompts shown without a queued answer

    MsgAnswer messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons, int defaultButton = 1) override;
    void showOpen(CommonDialog& dlg) override;
    void showSave(CommonDialog& dlg) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool openUrl(const QUrl& url) override;
    void beep() override;
    void endProgram() override;

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

  private:
    void showFile(CommonDialog& dlg, bool save);
};

} // namespace corvanta
