#pragma once

#include <hdf5.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/Hdf5Memory.h"

// A failed HDF5 call, with what was being done and the library's reason.
class Hdf5Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Owns one HDF5 identifier and closes it with the call for its kind.
class Hdf5Id {
public:
    using Closer = herr_t (*)(hid_t);

    // Throws Hdf5Error naming `what` when the call that made id failed.
    Hdf5Id(hid_t id, Closer closer, const std::string& what);
    Hdf5Id(Hdf5Id&& other) noexcept;
    Hdf5Id& operator=(Hdf5Id&&) = delete;
    Hdf5Id(const Hdf5Id&) = delete;
    Hdf5Id& operator=(const Hdf5Id&) = delete;
    ~Hdf5Id();

    hid_t get() const { return id_; }
    // Closes it now; false when the library fails to.
    bool Close();

private:
    hid_t id_;
    Closer closer_;
};

// A group to which datasets are written whole, each in one call.
class Hdf5Group {
public:
    Hdf5Group CreateGroup(const std::string& name);

    void WriteString(const std::string& name, const std::string& text);
    void WriteStrings(const std::string& name, const std::vector<std::string>& texts);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteDoubles(const std::string& name, const std::vector<double>& values);
    // rows x columns, row after row.
    void WriteMatrix(const std::string& name, size_t rows, size_t columns, const double* values);

protected:
    explicit Hdf5Group(Hdf5Id id) : id_(std::move(id)) {}
    Hdf5Id id_;
};

// A new HDF5 file built in memory: the library never touches the disk, so
// a disk that fails is the caller's to handle, with ordinary file writes.
// The library's own printing of errors is switched off for the process:
// failures come back as Hdf5Error with the reason instead.
// A finished file's bytes, in the memory it was built in.
struct Hdf5Bytes {
    std::shared_ptr<const char> data;
    size_t size = 0;
};

class Hdf5File : public Hdf5Group {
public:
    // expectedBytes: about what the file will hold, so that its memory is
    // taken in one piece; a file that grows past it still grows.
    static Hdf5File CreateInMemory(size_t expectedBytes);
    Hdf5File(Hdf5File&&) = default;
    ~Hdf5File();

    // Completes and closes the file and gives its bytes. Every group made
    // from this file must be gone by then.
    Hdf5Bytes Image();

private:
    Hdf5File(Hdf5Id id, std::unique_ptr<Hdf5Memory> memory);
    // Where the library builds the file; its address is the callbacks' own.
    std::unique_ptr<Hdf5Memory> memory_;
};

// Whether the file at `path` (in the system's encoding) is an HDF5 file with
// an object at `objectPath` ("/nirs/data2"); false for any file that cannot
// be read as one.
bool Hdf5FileHolds(const std::string& path, const std::string& objectPath);
