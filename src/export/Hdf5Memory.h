#pragma once

#include <hdf5.h>

// The memory the HDF5 core driver builds an in-memory file in, taken through
// allocation callbacks of ours: when the file closes, the driver hands its
// buffer to us instead of freeing it, so the finished file is used where it
// lies rather than copied out.
class Hdf5Memory {
public:
    Hdf5Memory() = default;
    Hdf5Memory(const Hdf5Memory&) = delete;
    Hdf5Memory& operator=(const Hdf5Memory&) = delete;
    ~Hdf5Memory();  // frees a buffer kept at close and not taken

    // Sets the callbacks on file access properties of the core driver.
    herr_t Install(hid_t access);

    // Once the file is closed: its buffer, for the caller to release with
    // std::free; null when the driver kept none.
    void* Take();

private:
    static void* Allocate(size_t size, H5FD_file_image_op_t, void* memory);
    static void* Copy(void* destination, const void* source, size_t size, H5FD_file_image_op_t, void*);
    static void* Resize(void* buffer, size_t size, H5FD_file_image_op_t, void* memory);
    static herr_t Release(void* buffer, H5FD_file_image_op_t operation, void* memory);
    static void* Share(void* memory) { return memory; }
    static herr_t Unshare(void*) { return 0; }

    void* buffer_ = nullptr;  // the file's buffer as last allocated
    bool kept_ = false;       // the file closed and left it to us
};
