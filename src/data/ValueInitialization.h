#pragma once

#include <cstdint>

struct SampleStore;

// Recalculations of an uploaded record when the user inserts or clears
// value-initialization points. Each keeps its own reference per channel for
// one run. The two use different reference rules on purpose: inserting a
// point references each channel to its first error-free sample from the
// point on, whatever the device marked; clearing the points goes back to the
// device's reference samples (bit 12).

// Inserts a value-initialization point at the cursor's sample and
// recalculates the record from there; later points are removed, earlier
// samples keep their values. Needs a cursor (both not -1) on a sample of the
// record that is not yet a point; otherwise changes nothing and returns false.
// On success clears the cursor and DataSaved; the window then enables
// "Save(&S)" and repaints.
bool ResetHbI(SampleStore& store, int32_t& CursorChannel, int32_t& CursorIndex);

// The recalculation behind "Clear value-initialization points(&C)", after
// the user confirmed: removes every point except the first sample's and
// recalculates the whole record against the device's reference samples.
// Returns the number of points removed; DataSaved is cleared only when that
// is not 0. The window then repaints (and enables "Save(&S)" when points went).
int ClearInitPoints(SampleStore& store);
