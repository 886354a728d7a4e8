#include "testdata/tasktable.h"

#include "testdata/textcodec.h"

namespace velmora {

int TaskTable::lineCount(int number) const
{
    if (number < 1 || number > count())
        throw FailureError(Failure::of(FailureNumber::SubscriptOutOfRange));
    const qsizetype first = m_firstLine.at(number - 1);
    const qsizetype next = number == count() ? qsizetype(m_lines.size()) : m_firstLine.at(number);
    return int(next - first);
}

QString TaskTable::text(int number, int index) const
{
    if (index < 0 || index >= lineCount(number))
        throw FailureError(Failure::of(FailureNumber::SubscriptOutOfRange));
    const Span line = m_lines[std::size_t(m_firstLine.at(number - 1) + index)];
    return decodeLine(QByteArrayView(m_bytes).sliced(line.start, line.end - line.start));
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

} // namespace velmora
