#pragma once

class Hdf5Group;
struct SampleStore;

// Writes /formatVersion and /nirs of a checked record (samples present, not
// a sensor check, a known rate) into the root group of a new file.
void WriteSnirfContent(const SampleStore& store, Hdf5Group& root);
