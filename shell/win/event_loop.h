// The UI thread's event loop.
#pragma once

namespace tarvela::win {

// Once per process, on its first thread, before any window: DPI awareness and dark mode.
void prepare_event_loop();

// Dispatches the UI thread's messages until the main window's close request ends the loop.
void run_event_loop();

}  // namespace tarvela::win
