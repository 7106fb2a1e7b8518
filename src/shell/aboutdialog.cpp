#include "shell/aboutdialog.h"

#include "platform/platform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanta {

namespace {

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + Platform::applicationTitle());
    setAttribute(Qt::WA_DeleteOnClose);

    QLabel* title = label("lblTitle", Platform::applicationTitle(), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);
    QLabel* version =
        label("lblVersion", QStringLiteral("Version ") + QStringLiteral(CORVANTA_VERSION), this);
    QLabel* description =
        label("lblDescription",
              QStringLiteral("A desktop address book: your contacts in a table, one record a row, "
                             "with a form for the current record."),
              this);
    QLabel* qt = label("lblQt",
                       QStringLiteral("Runs on Qt %1 (built with Qt %2).")
                           .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)),
                       this);
    QLabel* licences = label(
        "lblLicences",
        QStringLiteral("Built with the Qt 6 libraries Core, Gui, Widgets, PrintSupport, "
                       "SerialPort and Svg, used under the GNU Lesser General Public License "
                       "version 3. Qt's own third-party parts keep their licences; About Qt "
                       "lists them. The C++ standard library is GCC's libstdc++, under the GNU "
                       "General Public License version 3 with the GCC Runtime Library Exception."),
        this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    QPushButton* aboutQt =
        buttons->addButton(QStringLiteral("About &Qt"), QDialogButtonBox::HelpRole);
    aboutQt->setObjectName(QStringLiteral("cmdAboutQt"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(aboutQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this); });

    auto* layout = new QVBoxLayout(this);
    for (QLabel* l : {title, version, description, qt, licences})
        layout->addWidget(l);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(440);
}

} // namespace corvanta
