#include "fakeplatform.h"

namespace corvanta {

MsgAnswer FakePlatform::messageBox(const QString& text, const QString& title, MsgIcon icon,
                                   MsgButtons buttons, int defaultButton)
{
    messages.append({text, title, icon, buttons, defaultButton});
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    ++unexpected;
    return MsgAnswer::Cancel;
}

void FakePlatform::showFile(CommonDialog& dlg, bool save)
{
    dialogs.append({save, dlg});
    if (fileAnswers.isEmpty()) {
        ++unexpected;
        return;
    }
    const std::optional<QString> answer = fileAnswers.takeFirst();
    if (answer)
        dlg.FileName = *answer;
}

void FakePlatform::showOpen(CommonDialog& dlg)
{
    showFile(dlg, false);
}

void FakePlatform::showSave(CommonDialog& dlg)
{
    showFile(dlg, true);
}

std::optional<QColor> FakePlatform::chooseColor(const QColor&)
{
    if (colorAnswers.isEmpty()) {
        ++unexpected;
        return std::nullopt;
    }
    return colorAnswers.takeFirst();
}

bool FakePlatform::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return true;
}

void FakePlatform::beep()
{
    ++beeps;
}

void FakePlatform::endProgram()
{
    ++endCalls;
}

} // namespace corvanta
