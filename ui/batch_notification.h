#pragma once

class QWidget;

// Tells the desktop that a batch has ended, when the user is not looking at
// the main window (it is not the active window): a freedesktop notification
// over the session bus with the numbers of done and failed rows. Without a
// notification service (or a session bus) nothing is sent and nothing is said.
// Returns whether a notification was sent. Never waits for the service.
bool NotifyBatchEnd(QWidget *mainWindow, int succeeded, int failed);
