#include "Hdf5Arrays.h"

namespace {

hid_t StringType() {
    static const hid_t type = [] {
        const hid_t text = H5Tcopy(H5T_C_S1);
        H5Tset_size(text, H5T_VARIABLE);
        H5Tset_cset(text, H5T_CSET_UTF8);
        return text;
    }();
    return type;
}

herr_t Visit(hid_t root, const char* name, const H5O_info_t* info, void* data) {
    auto& arrays = *static_cast<std::vector<Hdf5Array>*>(data);
    if (std::string(name) == ".") return 0;
    Hdf5Array array;
    array.path = std::string("/") + name;
    if (info->type == H5O_TYPE_GROUP) {
        array.group = true;
        arrays.push_back(std::move(array));
        return 0;
    }
    const hid_t dataset = H5Dopen2(root, name, H5P_DEFAULT);
    const hid_t type = H5Dget_type(dataset);
    const hid_t space = H5Dget_space(dataset);
    const int rank = H5Sget_simple_extent_ndims(space);
    array.dimensions.resize(static_cast<size_t>(rank));
    H5Sget_simple_extent_dims(space, array.dimensions.data(), nullptr);
    hsize_t count = 1;
    for (hsize_t dimension : array.dimensions) count *= dimension;
    if (H5Tget_class(type) == H5T_STRING) {
        array.memoryType = array.fileType = StringType();
        std::vector<char*> pointers(count);
        H5Dread(dataset, StringType(), H5S_ALL, H5S_ALL, H5P_DEFAULT, pointers.data());
        for (char* text : pointers) array.texts.emplace_back(text);
        H5Dvlen_reclaim(StringType(), space, H5P_DEFAULT, pointers.data());
    } else {
        const bool floating = H5Tget_class(type) == H5T_FLOAT;
        array.memoryType = floating ? H5T_NATIVE_DOUBLE : H5T_NATIVE_INT32;
        array.fileType = floating ? H5T_IEEE_F64LE : H5T_STD_I32LE;
        array.bytes.resize(count * H5Tget_size(array.memoryType));
        H5Dread(dataset, array.memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, array.bytes.data());
    }
    H5Sclose(space);
    H5Tclose(type);
    H5Dclose(dataset);
    arrays.push_back(std::move(array));
    return 0;
}

}  // namespace

std::vector<Hdf5Array> ReadHdf5Arrays(const std::string& path) {
    std::vector<Hdf5Array> arrays;
    const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (file < 0) return arrays;
    H5Ovisit2(file, H5_INDEX_NAME, H5_ITER_INC, Visit, &arrays, H5O_INFO_BASIC);
    H5Fclose(file);
    return arrays;
}

bool WriteHdf5Arrays(const std::string& path, const std::vector<Hdf5Array>& arrays) {
    const hid_t file = H5Fcreate(path.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    if (file < 0) return false;
    bool written = true;
    for (const Hdf5Array& array : arrays) {
        if (array.group) {
            const hid_t group = H5Gcreate2(file, array.path.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
            written &= group >= 0;
            H5Gclose(group);
            continue;
        }
        const hid_t space = array.dimensions.empty()
                                ? H5Screate(H5S_SCALAR)
                                : H5Screate_simple(static_cast<int>(array.dimensions.size()), array.dimensions.data(),
                                                   nullptr);
        const hid_t dataset =
            H5Dcreate2(file, array.path.c_str(), array.fileType, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
        if (array.texts.empty()) {
            written &= H5Dwrite(dataset, array.memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, array.bytes.data()) >= 0;
        } else {
            std::vector<const char*> pointers;
            for (const std::string& text : array.texts) pointers.push_back(text.c_str());
            written &= H5Dwrite(dataset, array.memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, pointers.data()) >= 0;
        }
        H5Dclose(dataset);
        H5Sclose(space);
    }
    return H5Fclose(file) >= 0 && written;
}
