#pragma once

namespace velmora {

// The program's windows, named by their classes: any window loads any
// other by its class (`forms().load<frmMain>()`), and a window of another
// layer is named here without its layer being linked.
class frmStart;
class frmSplash;
class frmGdi;
class frmRegim;
class frmMain;
class frmOutRez;
class frmHelp;

} // namespace velmora
