#pragma once

#include <QString>

namespace velmora::FormName {
// The windows, by the names the program loads them with.
inline const QString frmStart = QStringLiteral("frmStart");
inline const QString frmSplash = QStringLiteral("frmSplash");
inline const QString frmGdi = QStringLiteral("frmGdi");
inline const QString frmRegim = QStringLiteral("frmRegim");
inline const QString frmMain = QStringLiteral("frmMain");
inline const QString frmOutRez = QStringLiteral("frmOutRez");
inline const QString frmHelp = QStringLiteral("frmHelp");
} // namespace velmora::FormName
