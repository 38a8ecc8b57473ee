/* SPDX-License-Identifier: MIT */
// file_handle.h - C streams for code whose every return must leave no file
// open, and whose failures must carry the system's reason: a Stream keeps
// the first failure of its calls and the errno that failure left, so that
// no caller has to clear errno or take it by hand.
#ifndef TAMARAK_FILE_HANDLE_H
#define TAMARAK_FILE_HANDLE_H

#include "platform.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

namespace tamarak {

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

using File = std::unique_ptr<std::FILE, FileCloser>;

class Stream {
  public:
    // A stream of the caller's, which it closes itself.
    explicit Stream(std::FILE *borrowed) : f_(borrowed) {}
    Stream(Stream &&other) noexcept
        : f_(std::exchange(other.f_, nullptr)), owned_(other.owned_),
          failed_(other.failed_), error_(other.error_) {}
    Stream &operator=(Stream &&) = delete;
    ~Stream() {
        if (owned_ && f_)
            std::fclose(f_);
    }

    // Opens a file by UTF-8 name; a stream that did not open has failed.
    static Stream open(const char *name, const char *mode) {
        errno = 0;
        return owning(open_file(name, mode));
    }

    // Creates a file to write in binary, only if no file has its name.
    static Stream create_new(const char *name) {
        errno = 0;
        return owning(create_new_file(name));
    }

    explicit operator bool() const { return f_ != nullptr; }
    std::FILE *get() const { return f_; }
    bool failed() const { return failed_; }
    int error() const { return error_; } // 0: no reason known

    // fread; a short count with the stream in error is a failure, the end
    // of the file is not.
    std::size_t read(void *to, std::size_t size, std::size_t count) {
        errno = 0;
        const std::size_t got = std::fread(to, size, count, f_);
        if (got < count && std::ferror(f_))
            fail();
        return got;
    }

    bool write(const void *from, std::size_t bytes) {
        errno = 0;
        return std::fwrite(from, 1, bytes, f_) == bytes || fail();
    }

    bool seek(uint64_t offset) {
        errno = 0;
        return seek_to(f_, offset) == 0 || fail();
    }

    bool flush() {
        errno = 0;
        return std::fflush(f_) == 0 || fail();
    }

    // Closes the stream now, where a failed close means lost data; true if
    // neither the close nor any earlier call failed.
    bool close() {
        errno = 0;
        const bool closed = std::fclose(std::exchange(f_, nullptr)) == 0;
        if (!closed)
            fail();
        return closed && !failed_;
    }

  private:
    static Stream owning(std::FILE *f) {
        Stream s(f);
        s.owned_ = true;
        if (!s.f_)
            s.fail();
        return s;
    }

    bool fail() {
        if (!failed_) {
            failed_ = true;
            error_ = errno;
        }
        return false;
    }

    std::FILE *f_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
    int error_ = 0;
};

} // namespace tamarak

#endif
