#pragma once

// Watchers of a simulated network game: catch-up speed, time to live, what a watcher costs.
// Prints figures; returns the number of watchers whose game parted from the players'.
int benchWatchers();
