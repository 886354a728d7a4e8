#include "testdata/tasktable.h"

#include "testdata/textcodec.h"

namespace velmora {

int TaskTable::lineCount(int number) const
{
    if (number < 1 || number > count())
        throw FailureError(Failure::of(FailureNumber::SubscriptOutOfRange));
    const qsizetype first = m_firstLine.at(number - 1);
    const qsizetype next = number == count() ? m_lineEnd.size() : m_firstLine.at(number);
    return int(next - first);
}

QString TaskTable::text(int number, int index) const
{
    if (index < 0 || index >= lineCount(number))
        throw FailureError(Failure::of(FailureNumber::SubscriptOutOfRange));
    const qsizetype at = m_firstLine.at(number - 1) + index;
    const qsizetype start = at == 0 ? 0 : m_lineEnd.at(at - 1);
    return decodeLine(QByteArrayView(m_bytes).sliced(start, m_lineEnd.at(at) - start));
}

Task TaskTable::task(int number) const
{
    const int lines = lineCount(number);
    Task task;
    task.reserve(lines);
    for (int index = 0; index < lines; ++index)
        task.append(text(number, index));
    return task;
}

QList<Task> TaskTable::tasks() const
{
    QList<Task> all;
    all.reserve(count());
    for (int number = 1; number <= count(); ++number)
        all.append(task(number));
    return all;
}

void TaskTable::setPending(QByteArrayView bytes)
{
    dropPending();
    m_bytes.append(bytes);
}

void TaskTable::squeeze()
{
    // Reserved from the file's size, the block is a little too large (the
    // line ends are not kept); copying it all would cost more than that
    // slack. A block grown rather than reserved may be half empty.
    if (m_bytes.capacity() - m_bytes.size() > m_bytes.size() / 4)
        m_bytes.squeeze();
    m_lineEnd.squeeze();
    m_firstLine.squeeze();
}

} // namespace velmora
