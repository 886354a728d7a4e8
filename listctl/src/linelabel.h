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
    enum class Kind { Number, Text };

    // The label of line `index` (1 to 20) of the control `parent`.
    LineLabel(QWidget *parent, Kind kind, int index);

    Kind kind() const { return m_kind; }
    int index() const { return m_index; }

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
    Kind m_kind;
    int m_index;
    quint32 m_back = 0;
    quint32 m_fore = 0;
    bool m_pressed = false;
};

} // namespace tabulo
