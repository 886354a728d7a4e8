// Arbitrary bytes through the teacher's checker and the authoring
// normalisation: never a crash, and the stored form is a fixed point.
#include "testdata/checker.h"
#include "testdata/scramble.h"
#include "testdata/teachertext.h"

#include <cstdint>

using namespace velmora;

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));

    const QList<Finding> findings = CheckTest(input);
    require(!input.isEmpty() || !findings.isEmpty());
    for (const Finding &finding : findings)
        require(finding.line >= 0 && !finding.message.isEmpty());
    if (const std::optional<TeacherText> plain = TeacherText::ofStoredTest(input))
        CheckTest(plain->storedForm());
    const TeacherText text(input);
    if (const std::optional<Finding> &notText = text.notText())
        require(notText->blocksOpening && !notText->message.isEmpty());

    const QByteArray &stored = text.storedForm();
    require(stored.isEmpty() || stored.endsWith("\r\n"));
    require(!stored.endsWith("\r\n\r\n")); // no empty line at the end
    if (!stored.startsWith("\xEF\xBB\xBF"))
        require(TeacherText(stored).storedForm() == stored);
    // A stored form that holds text always scrambles.
    require(scrambleBytes(stored).isEmpty() == stored.isEmpty());
    return 0;
}
