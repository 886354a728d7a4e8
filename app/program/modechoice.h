#pragma once

namespace velmora {

// The main window as the mode window sees it: the mode window writes the
// mode after the main window has loaded and before it shows it.
class ModeChoice
{
public:
    virtual ~ModeChoice() = default;
    virtual void setRegim(bool hintsOn) = 0;
};

} // namespace velmora
