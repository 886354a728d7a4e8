#include "velmora-tst/output.h"

#include "platform/core/console.h"
#include "testdata/messages.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace velmora::tool {
namespace {

// A text as a JSON string, escaped by Qt's own JSON writer.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2); // without the brackets
}

// {"title": "…", "tasks": [["условие", "шаг 1", …], …]}, on one line.
QByteArray testJson(const QString &title, const TaskTable &Tasks)
{
    QByteArray json = "{\"title\": " + jsonString(title) + ", \"tasks\": [";
    for (int n = 1; n <= Tasks.count(); ++n) {
        json += n > 1 ? ", [" : "[";
        for (int index = 0; index <= Tasks.stepCount(n); ++index)
            json += (index > 0 ? ", " : "") + jsonString(Tasks.text(n, index));
        json += ']';
    }
    return json + "]}\n";
}

} // namespace

int failed(const Failure &failure)
{
    writeText(stderr, FailureMessage(failure).text + u'\n');
    return Failed;
}

QString findingsReport(const QString &path, QList<Finding> findings)
{
    Finding::sortByLine(findings);
    QString report;
    for (const Finding &finding : std::as_const(findings)) {
        report += path + u':' + (finding.line > 0 ? QString::number(finding.line) + u':' : QString()) + u' '
                  + finding.message + u'\n';
    }
    return report;
}

void printTest(const QString &title, const TaskTable &Tasks, TestFormat format)
{
    if (format == TestFormat::Json) {
        writeText(stdout, QString::fromUtf8(testJson(title, Tasks)));
        return;
    }
    if (format == TestFormat::Counts) {
        qint64 steps = 0;
        for (int n = 1; n <= Tasks.count(); ++n)
            steps += Tasks.stepCount(n);
        writeText(stdout,
                  u"Заданий: "_s + QString::number(Tasks.count()) + u"\nШагов: "_s + QString::number(steps) + u'\n');
        return;
    }
    QString text = u"Заголовок: "_s + title + u"\nЗаданий: "_s + QString::number(Tasks.count()) + u'\n';
    for (int n = 1; n <= Tasks.count(); ++n) {
        text += u"\nЗадание "_s + QString::number(n) + u": "_s + Tasks.text(n, 0) + u'\n';
        for (int k = 1; k <= Tasks.stepCount(n); ++k)
            text += u"  "_s + QString::number(k) + u". "_s + Tasks.text(n, k) + u'\n';
    }
    writeText(stdout, text);
}

} // namespace velmora::tool
