#pragma once

// What the benchmark files share (defined in bench_testdata.cpp).
#include <QString>

#include <string>
#include <vector>

namespace velmora::bench {

// One run of a program as a fresh process, its output thrown away; true
// when it ended with status 0.
bool runProcess(const std::vector<std::string> &arguments);
// The largest test the counters allow, stored (scrambled).
QString largestStoredTest();

} // namespace velmora::bench
