#pragma once

class MainDialog;

// Shows the main window and runs the event loop until it closes. The window
// is not modal: a message box or another window opened without an owner
// stays usable beside it (a modal main window would block them).
int RunMainWindow(MainDialog &dialog);
