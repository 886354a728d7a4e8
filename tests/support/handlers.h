#pragma once

#include "platform/runtime.h"

#include <QTest>

namespace velmora::test {

// Runs a handler (or Main) as the event loop would: the end of the program
// unwinds to here. True when the program ended on the way.
template <class Handler>
bool endsProgram(Handler &&handler)
{
    try {
        handler();
        return false;
    } catch (const EndOfProgram &) {
        return true;
    }
}

} // namespace velmora::test

// QTEST_MAIN with the program's own application object, so that the end of
// the program inside a handler reached through an event (a click, a key)
// unwinds to the event dispatch as it does in the program.
#define VELMORA_TEST_MAIN(TestObject)                 \
    int main(int argc, char *argv[])                  \
    {                                                 \
        velmora::Application app(argc, argv);         \
        TestObject tc;                                \
        QTEST_SET_MAIN_SOURCE_PATH                    \
        return QTest::qExec(&tc, argc, argv);         \
    }
