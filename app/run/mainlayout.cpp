#include "run/mainlayout.h"

#include "testdata/maxvalue.h"

#include <array>
#include <cmath>

namespace velmora {

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode: ties to even
}

void layoutMainWindow(MainLayoutHost &host)
{
    using C = MainControl;
    if (host.isMinimized())
        return;
    const auto W = [&host] { return host.scaleWidth(); };
    const auto H = [&host] { return host.scaleHeight(); };
    const auto S = [&host] { return host.height(C::sbr); };
    const auto B = [&host] { return host.width(C::cmdGotovo); };
    const auto T = [&host] {
        const std::array labels{host.height(C::lblZad), host.height(C::lblZadZ)};
        return MaxValue(labels);
    };

    host.setLeft(C::lblZad, host.width(C::lblZadZ));
    host.setTop(C::lblZad, 100);
    host.setWidth(C::lblZad, W() - host.width(C::lblZadZ) - 100);

    // The list needs 405 twips a line below the task text.
    const int linesHeight = host.MaxLbl() * 405;
    if (float(H() - S() - host.height(C::lblZad)) < float(linesHeight))
        host.setOuterHeight(S() + linesHeight + host.height(C::lblZad) + (host.outerHeight() - H()));
    if (B() + 2000 > W())
        host.setOuterWidth(B() + 2100);

    host.setLeft(C::cmdHelp, W() - B());
    host.setTop(C::cmdHelp, T() + 240 + host.height(C::cmdGotovo));
    host.setLeft(C::cmdGotovo, W() - B());
    host.setTop(C::cmdGotovo, T() + 200);
    host.setLeft(C::cmdExit, W() - B());
    host.setTop(C::cmdExit, H() - host.height(C::cmdExit) - S());
    host.setLeft(C::cmdChangeTest, W() - B());
    host.setTop(C::cmdChangeTest, H() - 2 * host.height(C::cmdExit) - S() - 40);
    host.setLeft(C::txtChange, W() - B());
    // Integer division truncating toward zero, after rounding half to even.
    host.setTop(C::txtChange, double(qint64(roundHalfEven(H() - S() - 40 + T())) / 2));
    host.setLeft(C::lblChange, W() - B());
    host.setTop(C::lblChange, host.top(C::txtChange) - host.height(C::lblChange) - 20);
    host.move(C::myControl1, 0, T() + 200, W() - B(), H() - S() - 200 - T());
}

} // namespace velmora
