#include "editing/deletedialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace corvanta {

DeleteDialog::DeleteDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDelDialog"));
    setWindowTitle(QStringLiteral("Delete Record"));
    setModal(true);
    auto* image = new QLabel;
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    auto* label = new QLabel(QStringLiteral("Are you sure you want to delete this record?"));
    label->setObjectName(QStringLiteral("Label1"));
    m_chkAskDel = new QCheckBox(QStringLiteral("Do not ask me next time"));
    m_chkAskDel->setObjectName(QStringLiteral("chkAskDel"));

    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    auto* text = new QVBoxLayout;
    text->addWidget(label);
    text->addWidget(m_chkAskDel);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"&Yes", "&No", "&Cancel"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(captions[i]));
        b->setObjectName(QStringLiteral("cmdBtn_%1").arg(i));
        b->setAutoDefault(i == 0);
        b->setDefault(i == 0);
        connect(b, &QPushButton::clicked, this, [this, i] {
            m_answer = Answer(i);
            accept();
        });
        buttons->addWidget(b);
    }
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
}

DeleteDialog::Answer DeleteDialog::ask()
{
    m_answer = Closed;
    exec();
    hide();
    return m_answer;
}

bool DeleteDialog::dontAsk() const
{
    return m_chkAskDel->isChecked();
}

} // namespace corvanta
