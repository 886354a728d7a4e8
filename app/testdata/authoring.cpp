#include "testdata/authoring.h"

#include "testdata/opening.h"
#include "testdata/scramble.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace velmora {
namespace {

// What the teacher should hear of the test scrambled from `storedForm` and
// written to `destinationPath`: the checker's findings, each with its line
// in the teacher's text, the blocking ones first; when the program cannot
// open the test and the checker names nothing that blocks, the program's
// own words first. Empty when the test loads as written.
QList<Finding> authoringProblems(const QByteArray &storedForm, const QString &destinationPath)
{
    QList<Finding> problems = CheckTest(storedForm);
    std::stable_partition(problems.begin(), problems.end(), [](const Finding &f) { return f.blocksOpening; });
    const bool blocks = Finding::anyBlocks(problems);
    if (!blocks) {
        const TestOpening opening = TestOpening::ofStoredBytes(scrambleBytes(storedForm), destinationPath);
        if (!opening.opens())
            problems.prepend({0, opening.message(), true});
    }
    return problems;
}

} // namespace

std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath, QList<Finding> *problems,
                                  const WriteAnyway &writeAnyway)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fileFailure(source, sourcePath);
    TeacherText text;
    if (std::optional<Failure> failure = text.read(source, sourcePath))
        return failure;
    source.close();
    return text.writeTest(sourcePath, destinationPath, problems, writeAnyway);
}

std::optional<Failure> TeacherText::writeTest(const QString &sourcePath, const QString &destinationPath,
                                              QList<Finding> *problems, const WriteAnyway &writeAnyway) const
{
    // A text without a line end cannot be scrambled at all: that failure
    // is the routine's own, below, and no question comes before it.
    QList<Finding> found;
    if (m_notText)
        found = {*m_notText};
    else if (titleEnd(m_storedForm))
        found = authoringProblems(m_storedForm, destinationPath);
    if (problems)
        *problems = found;
    const bool blocks = Finding::anyBlocks(found);
    if (blocks && writeAnyway && !writeAnyway(found))
        return std::nullopt;

    QByteArray stored = m_storedForm;
    QBuffer plain(&stored);
    plain.open(QIODevice::ReadOnly);
    return writeScrambledFile(plain, destinationPath, sourcePath);
}

} // namespace velmora
