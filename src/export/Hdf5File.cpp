#include "export/Hdf5File.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The innermost reason on HDF5's error stack. Must run right after the
// failing call: the next library call clears the stack.
std::string ReasonOnErrorStack() {
    std::vector<std::string> descriptions;
    H5Ewalk2(
        H5E_DEFAULT, H5E_WALK_DOWNWARD,
        [](unsigned, const H5E_error2_t* error, void* data) -> herr_t {
            if (error->desc) static_cast<std::vector<std::string>*>(data)->emplace_back(error->desc);
            return 0;
        },
        &descriptions);
    if (descriptions.empty()) return "unknown HDF5 error";
    // A failed system call carries the system's text, which is what a user can act on.
    static const std::string SystemMessage = "error message = '";
    for (auto it = descriptions.rbegin(); it != descriptions.rend(); ++it) {
        const size_t start = it->find(SystemMessage);
        if (start == std::string::npos) continue;
        const size_t textStart = start + SystemMessage.size();
        const size_t end = it->find('\'', textStart);
        return it->substr(textStart, end == std::string::npos ? std::string::npos : end - textStart);
    }
    return descriptions.back();
}

[[noreturn]] void Fail(const std::string& what) { throw Hdf5Error(what + ": " + ReasonOnErrorStack()); }

void Check(herr_t status, const std::string& what) {
    if (status < 0) Fail(what);
}

Hdf5Id Space(int rank, const hsize_t* dimensions, const std::string& name) {
    return Hdf5Id(rank == 0 ? H5Screate(H5S_SCALAR) : H5Screate_simple(rank, dimensions, nullptr), H5Sclose,
                  "dataspace of " + name);
}

Hdf5Id TextType(const std::string& name) {
    Hdf5Id type(H5Tcopy(H5T_C_S1), H5Tclose, "string type of " + name);
    Check(H5Tset_size(type.get(), H5T_VARIABLE), "string type of " + name);
    Check(H5Tset_cset(type.get(), H5T_CSET_UTF8), "string type of " + name);
    return type;
}

void WriteDataset(hid_t parent, const std::string& name, hid_t fileType, hid_t memoryType, int rank,
                  const hsize_t* dimensions, const void* data) {
    const Hdf5Id space = Space(rank, dimensions, name);
    const Hdf5Id dataset(H5Dcreate2(parent, name.c_str(), fileType, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT),
                         H5Dclose, "creating " + name);
    Check(H5Dwrite(dataset.get(), memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, data), "writing " + name);
}

}  // namespace

Hdf5Id::Hdf5Id(hid_t id, Closer closer, const std::string& what) : id_(id), closer_(closer) {
    if (id_ < 0) Fail(what);
}

Hdf5Id::Hdf5Id(Hdf5Id&& other) noexcept : id_(other.id_), closer_(other.closer_) { other.id_ = -1; }

Hdf5Id::~Hdf5Id() { Close(); }

bool Hdf5Id::Close() {
    if (id_ < 0) return true;
    const herr_t status = closer_(id_);
    id_ = -1;
    return status >= 0;
}

Hdf5Group Hdf5Group::CreateGroup(const std::string& name) {
    return Hdf5Group(
        Hdf5Id(H5Gcreate2(id_.get(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Gclose, "creating " + name));
}

void Hdf5Group::WriteString(const std::string& name, const std::string& text) {
    const Hdf5Id type = TextType(name);
    const char* pointer = text.c_str();
    WriteDataset(id_.get(), name, type.get(), type.get(), 0, nullptr, &pointer);
}

void Hdf5Group::WriteStrings(const std::string& name, const std::vector<std::string>& texts) {
    const Hdf5Id type = TextType(name);
    std::vector<const char*> pointers;
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    const hsize_t dimensions[1] = {pointers.size()};
    WriteDataset(id_.get(), name, type.get(), type.get(), 1, dimensions, pointers.data());
}

void Hdf5Group::WriteInteger(const std::string& name, int32_t value) {
    WriteDataset(id_.get(), name, H5T_STD_I32LE, H5T_NATIVE_INT32, 0, nullptr, &value);
}

void Hdf5Group::WriteDoubles(const std::string& name, const std::vector<double>& values) {
    const hsize_t dimensions[1] = {values.size()};
    WriteDataset(id_.get(), name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, dimensions, values.data());
}

void Hdf5Group::WriteMatrix(const std::string& name, size_t rows, size_t columns, const double* values) {
    const hsize_t dimensions[2] = {rows, columns};
    WriteDataset(id_.get(), name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 2, dimensions, values);
}

namespace {

void SilenceLibrary() {
    static const bool silenced = H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr) >= 0;
    (void)silenced;
}

}  // namespace

bool Hdf5FileHolds(const std::string& path, const std::string& objectPath) {
    SilenceLibrary();
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (file < 0) return false;
    // Each level must be there before the next is asked for.
    bool holds = true;
    for (size_t end = objectPath.find('/', 1); holds; end = objectPath.find('/', end + 1)) {
        holds = H5Lexists(file, objectPath.substr(0, end).c_str(), H5P_DEFAULT) > 0;
        if (end == std::string::npos) break;
    }
    H5Fclose(file);
    return holds;
}

Hdf5File::Hdf5File(Hdf5Id id, std::unique_ptr<Hdf5Memory> memory)
    : Hdf5Group(std::move(id)), memory_(std::move(memory)) {}

// The file closes while its memory is still there for the callbacks.
Hdf5File::~Hdf5File() { id_.Close(); }

Hdf5File Hdf5File::CreateInMemory(size_t expectedBytes) {
    SilenceLibrary();
    // The core driver without a backing store. It grows its buffer in steps
    // of the increment, zero-filling each new step: one step of the whole
    // file's size saves the copies and page faults of growing to it.
    constexpr size_t Step = 1 << 20;
    const size_t increment = std::max(Step, (expectedBytes + Step - 1) / Step * Step);
    const Hdf5Id access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose, "file access properties");
    Check(H5Pset_fapl_core(access.get(), increment, false), "file access properties");
    auto memory = std::make_unique<Hdf5Memory>();
    Check(memory->Install(access.get()), "file access properties");
    Hdf5Id file(H5Fcreate("record.snirf", H5F_ACC_TRUNC, H5P_DEFAULT, access.get()), H5Fclose,
                "creating the file in memory");
    return Hdf5File(std::move(file), std::move(memory));
}

Hdf5Bytes Hdf5File::Image() {
    Check(H5Fflush(id_.get(), H5F_SCOPE_LOCAL), "completing the file");
    const ssize_t size = H5Fget_file_image(id_.get(), nullptr, 0);  // only measures
    if (size < 0) Fail("measuring the file");
    if (!id_.Close()) Fail("closing the file");
    void* buffer = memory_->Take();
    if (!buffer) throw Hdf5Error("closing the file: the library kept its memory");
    return {std::shared_ptr<const char>(static_cast<const char*>(buffer), [](const char* data) {
                std::free(const_cast<char*>(data));
            }),
            static_cast<size_t>(size)};
}
