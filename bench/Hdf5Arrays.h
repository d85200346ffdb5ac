#pragma once

// The groups and datasets of an HDF5 file as plain arrays, read once and
// written again with the HDF5 C API alone: what a file of the same content
// costs to write when nothing but the library does the work.

#include <hdf5.h>

#include <string>
#include <vector>

struct Hdf5Array {
    std::string path;                  // "/nirs/data1/time"
    bool group = false;                // a group; nothing below is used
    hid_t memoryType = -1;             // H5T_NATIVE_DOUBLE, H5T_NATIVE_INT32, or a string type
    hid_t fileType = -1;
    std::vector<hsize_t> dimensions;   // empty: a scalar
    std::vector<char> bytes;           // numbers as they lie in memory
    std::vector<std::string> texts;    // strings
};

// Every group and dataset of the file, parents before children.
std::vector<Hdf5Array> ReadHdf5Arrays(const std::string& path);

// Writes them into a new file at path; false when the library fails.
bool WriteHdf5Arrays(const std::string& path, const std::vector<Hdf5Array>& arrays);
