#include "run/answercheck.h"

namespace velmora {

bool readsCorrect(const QStringList &lines, const QStringList &shown)
{
    if (shown.size() != lines.size() - 1)
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (shown.at(i - 1) != lines.at(i))
            return false;
    }
    return true;
}

} // namespace velmora
