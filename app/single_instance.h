#pragma once

// Looks for a running instance's marked window; when there is one, asks it to
// show, restore and activate itself and returns true (this process then ends
// without a window).
bool HandOverToRunningInstance();
