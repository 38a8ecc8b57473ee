/* SPDX-License-Identifier: MIT */
// file_handle.h - a C stream that closes itself, for code whose every
// return must leave no file open.
#ifndef TAMARAK_FILE_HANDLE_H
#define TAMARAK_FILE_HANDLE_H

#include <cstdio>
#include <memory>

namespace tamarak {

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

// Where a failed close means lost data, call fclose(file.release()) and
// check its result instead of letting the handle close the stream.
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace tamarak

#endif
