#pragma once
// The fixed-width font of the result boxes and the printout.
#include <QFont>

namespace trelvik {

// Courier New where it is installed, the system's monospace font otherwise.
QFont festeSchrift(qreal punkte);

} // namespace trelvik
