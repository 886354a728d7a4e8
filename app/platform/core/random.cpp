#include "platform/core/random.h"

#include <QTime>

#include <cmath>

namespace velmora {

void TimeOfDayRandom::seedFromTimeOfDay()
{
    seed(unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double TimeOfDayRandom::next()
{
    // The distribution may round up to 1 on rare draws; the rule needs r < 1.
    const double r = m_uniform(m_engine);
    return r < 1.0 ? r : std::nextafter(1.0, 0.0);
}

} // namespace velmora
