#include "mycontrol.h"

#include "accessiblelist.h"
#include "dispatcher.h"
#include "linelabel.h"
#include "screenrules/colourcodes.h"
#include "screenrules/syscolours.h"

#include <QPainter>
#include <QPointer>
#include <QResizeEvent>

#include <exception>
#include <utility>

namespace tabulo {

namespace ColourCode = screenrules::ColourCode;
using screenrules::twipsToPixelRect;
using screenrules::twipsToPixels;

namespace {

QFont numberFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(13.2);
    font.setWeight(QFont::Bold);
    return font;
}

QFont dataFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.6);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

myControl::myControl(QWidget *parent)
    : QWidget(parent)
{
    installAccessibleList(); // before any label is asked for its interface
    const TwipScale scale = TwipScale::fromDpi(logicalDpiX(), logicalDpiY());
    m_model = std::make_unique<LineModel>(scale);
    setFocusPolicy(Qt::NoFocus);
    resize(twipsToPixels(LineModel::DesignWidth, scale.x),
           twipsToPixels(LineModel::DesignHeight, scale.y));
    UserControl_Initialize();

    connect(m_model.get(), &LineModel::lineChanged, this, &myControl::showLine);
    connect(m_model.get(), &LineModel::laidOut, this, &myControl::placeLines);
    connect(m_model.get(), &LineModel::StartSwap, this,
            [this](qint16 from) { raise(EventId::StartSwap, {QVariant::fromValue(from)}); });
    connect(m_model.get(), &LineModel::lblMouseMove, this,
            [this](qint16 Index) { raise(EventId::lblMouseMove, {QVariant::fromValue(Index)}); });
    connect(m_model.get(), &LineModel::OverSwap, this, [this] { raise(EventId::OverSwap, {}); });
}

myControl::~myControl()
{
    UserControl_Terminate();
}

// Builds the 20 line pairs; members 2 to 20 are copies of member 1.
void myControl::UserControl_Initialize()
{
    for (int i = 1; i <= LineModel::Lines; ++i) {
        auto *text = new LineLabel(this, LineLabel::Kind::Text, i);
        text->setObjectName(QStringLiteral("lblData_%1").arg(i));
        text->setFont(dataFont());
        m_lblData.at(slot(i)) = text;
        connect(text, &LineLabel::clicked, this, [this, i] { lblData_Click(static_cast<qint16>(i)); });
        connect(text, &LineLabel::mouseMoved, this,
                [this, i] { lblData_MouseMove(static_cast<qint16>(i)); });

        auto *number = new LineLabel(this, LineLabel::Kind::Number, i);
        number->setObjectName(QStringLiteral("lblNumber_%1").arg(i));
        number->setFont(numberFont());
        number->setColours(ColourCode::ButtonFace, ColourCode::ButtonText);
        m_lblNumber.at(slot(i)) = number;

        showLine(i);
    }
    placeLines();
}

// Lines 2 to 20 go first, in order; line 1 goes with the control.
void myControl::UserControl_Terminate()
{
    m_sinks.clear();
    m_model->disconnect(this);
    for (int i = 2; i <= LineModel::Lines; ++i) {
        delete std::exchange(m_lblData.at(slot(i)), nullptr);
        delete std::exchange(m_lblNumber.at(slot(i)), nullptr);
    }
}

void myControl::UserControl_Resize()
{
    const TwipScale scale = m_model->scale();
    m_model->UserControl_Resize(width() * scale.x, height() * scale.y);
}

void myControl::lblData_Click(qint16 Index)
{
    m_model->lblData_Click(Index);
}

void myControl::lblData_MouseMove(qint16 Index)
{
    m_model->lblData_MouseMove(Index);
}

Result myControl::invoke(DispId dispid, CallKind kind, const QVariantList &arguments)
{
    return dispatch(*m_model, dispid, kind, arguments);
}

void myControl::advise(EventSink *sink)
{
    if (sink && !m_sinks.contains(sink))
        m_sinks.append(sink);
}

void myControl::unadvise(EventSink *sink)
{
    m_sinks.removeAll(sink);
}

// Every sink hears the event before the raising operation goes on. A sink
// removed by an earlier handler is skipped; a handler's exception stops at
// the control, which keeps its own state consistent.
void myControl::raise(EventId id, const QVariantList &arguments)
{
    const QPointer<myControl> alive(this);
    const QList<EventSink *> sinks = m_sinks;
    for (EventSink *sink : sinks) {
        if (!alive)
            return;
        if (!m_sinks.contains(sink))
            continue;
        try {
            sink->onEvent(id, arguments);
        } catch (const std::exception &e) {
            qWarning("Tabulo: an event handler failed: %s", e.what());
        } catch (...) {
            qWarning("Tabulo: an event handler failed");
        }
    }
}

void myControl::showLine(int index)
{
    const Line &line = m_model->line(index);
    LineLabel *text = lblData(index);
    LineLabel *number = lblNumber(index);
    text->setText(line.text);
    text->setColours(line.backColour, line.foreColour);
    text->setAccessibleName(m_model->accessibleName(index));
    number->setText(line.number);
    text->setVisible(line.visible);
    number->setVisible(line.visible);
}

void myControl::placeLines()
{
    const TwipScale scale = m_model->scale();
    for (int i = 1; i <= LineModel::Lines; ++i) {
        const Line &line = m_model->line(i);
        const Box &number = line.numberBox;
        const Box &text = line.dataBox;
        lblNumber(i)->setGeometry(
            twipsToPixelRect(number.left, number.top, number.width, number.height, scale));
        lblData(i)->setGeometry(
            twipsToPixelRect(text.left, text.top, text.width, text.height, scale));
    }
}

void myControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void myControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), screenrules::systemColour(ColourCode::InactiveCaptionText, palette()));
}

} // namespace tabulo
