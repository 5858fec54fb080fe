#pragma once

// Helpers for tests that need windows; they link the window library.

// Creates the one QApplication the widget tests share (offscreen unless
// QT_QPA_PLATFORM says otherwise).
void EnsureApp();
