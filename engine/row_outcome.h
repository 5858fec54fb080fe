#pragma once

// How the conversion of one row ended.
enum class RowOutcome {
    Finished,  // every tool exited 0 and the final file holds data
    Failed,    // a tool could not start or failed, or the final file is missing or empty
    Stopped,   // a stop was requested: nothing more runs and nothing is deleted
};
