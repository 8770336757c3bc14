// Start-up before the plug-in is chosen, and shutdown after it closed or failed to load.
#pragma once

// Starts the message thread, finds the module's own path, starts the logger and reads the
// settings file.
void startOplexa();
// Writes the settings file, closes the window, unloads the hosted module and stops the message
// thread.
void stopOplexa();
