#include "linelabel.h"

#include "screenrules/syscolours.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace tabulo {

LineLabel::LineLabel(QWidget *parent, Kind kind, int index)
    : QLabel(parent)
    , m_kind(kind)
    , m_index(index)
{
    // Host texts are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    // From the top left, level with the number beside it.
    setAlignment(kind == Kind::Number ? Qt::AlignRight | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(kind == Kind::Text);
    setMouseTracking(kind == Kind::Text);
    setAttribute(Qt::WA_TransparentForMouseEvents, kind == Kind::Number);
}

void LineLabel::setColours(quint32 back, quint32 fore)
{
    if (back == m_back && fore == m_fore)
        return;
    m_back = back;
    m_fore = fore;
    update();
}

void LineLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), screenrules::systemColour(m_back, palette()));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, screenrules::systemColour(m_fore, palette()));
    painter.setFont(font());
    const int flags = int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
    style()->drawItemText(&painter, contentsRect(), flags, colours, true, text(),
                          QPalette::WindowText);
}

void LineLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void LineLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}

// The second press of a double click is not a click of its own.
void LineLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_pressed = false;
    event->accept();
}

void LineLabel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseMoved();
}

} // namespace tabulo
