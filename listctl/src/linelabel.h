#pragma once

#include <QLabel>

namespace tabulo {

// A label of the control: plain text on colours kept as codes and resolved
// only when painting, so a palette change shows at the next repaint. A text
// label reports clicks (press and release of the left button on it) and
// every mouse movement over it; a number label is deaf to the mouse.
class LineLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit LineLabel(QWidget *parent);

    void setColours(quint32 back, quint32 fore);
    quint32 backColour() const { return m_back; }
    quint32 foreColour() const { return m_fore; }

Q_SIGNALS:
    void clicked();
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    quint32 m_back = 0;
    quint32 m_fore = 0;
    bool m_pressed = false;
};

} // namespace tabulo
