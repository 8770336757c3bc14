// A session's monitor window and the keeper that writes the user's choices, created and
// destroyed on the message thread.
#pragma once

class Session;

// Shows the session's proxy record and logger; without a display it says so and shows nothing.
void openMonitorWindow(Session& session);
void closeMonitorWindow(Session& session);
