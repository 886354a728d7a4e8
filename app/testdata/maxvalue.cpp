#include "testdata/maxvalue.h"

namespace velmora {

double MaxValue(std::span<const double> values)
{
    if (values.empty())
        return 0.0;
    double maximum = values.front();
    for (const double value : values)
        if (maximum < value)
            maximum = value;
    return maximum;
}

} // namespace velmora
