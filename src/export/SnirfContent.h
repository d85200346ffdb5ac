#pragma once

#include <QString>
#include <cstddef>

class Hdf5Group;
struct SampleStore;

// Writes /formatVersion and /nirs of a checked record (samples present, not
// a sensor check, a known rate) into the root group of a new file; an empty
// subject is written as "unknown".
void WriteSnirfContent(const SampleStore& store, const QString& subject, Hdf5Group& root);

// About how many bytes that file takes: its arrays, and room for the rest.
size_t ExpectedSnirfBytes(const SampleStore& store);
