// The monitor window, created and destroyed on the message thread.
#pragma once

struct AEffect;

// Shows the record, which must outlive the window; without a display it says so and shows
// nothing.
void openMonitorWindow(const AEffect& effect);
void closeMonitorWindow();
