#pragma once

#include <random>

namespace velmora {

// A uniform pseudo-random generator on [0, 1) that is seeded from the time
// of day. The run draws from this interface only, so tests can inject the
// numbers they want.
class RandomSource
{
public:
    RandomSource() = default;
    virtual ~RandomSource() = default;
    RandomSource(const RandomSource &) = delete;
    RandomSource &operator=(const RandomSource &) = delete;

    // Seeds the generator from the seconds since midnight.
    virtual void seedFromTimeOfDay() = 0;
    // The next number, 0 <= r < 1.
    virtual double next() = 0;
};

class TimeOfDayRandom final : public RandomSource
{
public:
    void seedFromTimeOfDay() override;
    double next() override;
    void seed(unsigned value) { m_engine.seed(value); }

private:
    std::mt19937 m_engine;
    std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
};

} // namespace velmora
