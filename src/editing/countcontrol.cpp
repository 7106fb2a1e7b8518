#include "editing/countcontrol.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvanta {

CountControl::CountControl(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("countControl"));
    auto* cc = new QHBoxLayout(this);
    cc->setContentsMargins(8, 0, 4, 0);
    cc->setSpacing(2);
    auto* lbRows = new QLabel(QStringLiteral("Rows"));
    lbRows->setObjectName(QStringLiteral("SSPanel1_0"));
    m_txtRow = new QLineEdit;
    m_txtRow->setObjectName(QStringLiteral("txtRow"));
    m_txtRow->setMaximumWidth(70);
    auto* lbCols = new QLabel(QStringLiteral("Columns"));
    lbCols->setObjectName(QStringLiteral("SSPanel1_1"));
    m_txtCol = new QLineEdit;
    m_txtCol->setObjectName(QStringLiteral("txtCol"));
    m_txtCol->setMaximumWidth(50);
    for (QLineEdit* box : {m_txtRow, m_txtCol}) {
        box->setAlignment(Qt::AlignRight);
        // A paste or a drop would bring in what the keys keep out.
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->setDragEnabled(false);
        box->setAcceptDrops(false);
        // Ctrl+V and Shift+Insert still paste: the box takes digits only.
        box->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
        box->installEventFilter(this);
    }
    cc->addWidget(lbRows);
    cc->addWidget(m_txtRow);
    cc->addWidget(makeArrows(QStringLiteral("UpDownRow"), &CountControl::rowStepped));
    cc->addSpacing(6);
    cc->addWidget(lbCols);
    cc->addWidget(m_txtCol);
    cc->addWidget(makeArrows(QStringLiteral("UpDownCol"), &CountControl::colStepped));
}

QWidget* CountControl::makeArrows(const QString& name, void (CountControl::*stepped)(int))
{
    auto* pair = new QWidget;
    pair->setObjectName(name);
    auto* v = new QVBoxLayout(pair);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    const struct
    {
        const char* suffix;
        Qt::ArrowType arrow;
        int delta;
    } arrows[] = {{"_Up", Qt::UpArrow, 1}, {"_Down", Qt::DownArrow, -1}};
    for (const auto& a : arrows) {
        auto* b = new QToolButton;
        b->setObjectName(name + QLatin1String(a.suffix));
        b->setArrowType(a.arrow);
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        const int delta = a.delta;
        connect(b, &QToolButton::clicked, this,
                [this, stepped, delta] { emit(this->*stepped)(delta); });
        v->addWidget(b);
    }
    return pair;
}

bool CountControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || (watched != m_txtRow && watched != m_txtCol))
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (watched == m_txtRow)
            emit rowEntered();
        else
            emit colEntered();
        return true;
    }
    // Only what would type a character is sifted: moving the cursor,
    // deleting, undoing and the box's other shortcuts work as in any box.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    const bool types = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    const bool digits =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!types || digits)
        return false;
    emit keyRefused();
    return true;
}

void CountControl::showCounts(int records, int columns)
{
    m_txtRow->setText(QString::number(records));
    m_txtCol->setText(QString::number(columns));
}

QString CountControl::rowText() const
{
    return m_txtRow->text();
}

QString CountControl::colText() const
{
    return m_txtCol->text();
}

void CountControl::setRowText(const QString& text)
{
    m_txtRow->setText(text);
}

void CountControl::setColText(const QString& text)
{
    m_txtCol->setText(text);
}

} // namespace corvanta
