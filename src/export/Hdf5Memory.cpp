#include "export/Hdf5Memory.h"

#include <cstdlib>
#include <cstring>

Hdf5Memory::~Hdf5Memory() {
    if (kept_) std::free(buffer_);
}

herr_t Hdf5Memory::Install(hid_t access) {
    H5FD_file_image_callbacks_t callbacks{Allocate, Copy, Resize, Release, Share, Unshare, this};
    return H5Pset_file_image_callbacks(access, &callbacks);
}

void* Hdf5Memory::Take() {
    if (!kept_) return nullptr;
    kept_ = false;
    void* buffer = buffer_;
    buffer_ = nullptr;
    return buffer;
}

void* Hdf5Memory::Allocate(size_t size, H5FD_file_image_op_t, void* memory) {
    void* buffer = std::malloc(size);
    if (buffer) static_cast<Hdf5Memory*>(memory)->buffer_ = buffer;
    return buffer;
}

void* Hdf5Memory::Copy(void* destination, const void* source, size_t size, H5FD_file_image_op_t, void*) {
    return std::memcpy(destination, source, size);
}

void* Hdf5Memory::Resize(void* buffer, size_t size, H5FD_file_image_op_t, void* memory) {
    void* resized = std::realloc(buffer, size);
    if (resized) static_cast<Hdf5Memory*>(memory)->buffer_ = resized;
    return resized;
}

herr_t Hdf5Memory::Release(void* buffer, H5FD_file_image_op_t operation, void* memory) {
    auto& self = *static_cast<Hdf5Memory*>(memory);
    if (operation == H5FD_FILE_IMAGE_OP_FILE_CLOSE && buffer == self.buffer_) {
        self.kept_ = true;
        return 0;
    }
    std::free(buffer);
    return 0;
}
