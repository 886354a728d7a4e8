#pragma once

#include <QStringList>

namespace velmora {

// The Done button's comparison: whether the texts of the list, position i
// at element i - 1 of `shown`, read as the task's correct order. Every
// position must hold exactly the text of the correct line there (whole
// texts, case counts, nothing trimmed), so identical lines are
// interchangeable. `lines` holds the task's lines at 1..L (element 0, the
// statement, is not looked at).
bool readsCorrect(const QStringList &lines, const QStringList &shown);

} // namespace velmora
