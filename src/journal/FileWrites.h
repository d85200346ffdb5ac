#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What a system call that failed says, after the call's name: "write: No space left on device".
QString SystemError(const char* call);

// Writes all the bytes at the offset, going on after partial writes and
// interrupts; false with the reason when the disk takes no more. written,
// when given, tells how many bytes went out, all of them or not.
bool WriteAllAt(int descriptor, const uint8_t* bytes, size_t size, int64_t offset, QString& error,
                size_t* written = nullptr);
