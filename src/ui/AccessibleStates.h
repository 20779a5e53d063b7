#pragma once

namespace Varnoll {

// Lets assistive tools hear which controls are off. Call after the application object
// exists and before the first window is shown.
void installAccessibleStates();

} // namespace Varnoll
