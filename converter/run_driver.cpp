// SPDX-License-Identifier: MIT
// run_driver.cpp - the conversion phase of ptxport.  Only this unit and the
// validation report to the user; the writers it calls return a status.
#include "run_driver.h"

#include "TAMARAK_LiDAR.h"
#include "cpu_count.h"
#include "diagnostics.h"
#include "file_handle.h"
#include "file_open.h"
#include "header_bytes.h"
#include "header_description.h"
#include "line_end.h"
#include "point_writer.h"
#include "run_validation.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

using tamarak::File;

namespace {

constexpr int kFailed = -1;

// Each failure is told on standard output; the system's reason, where
// there is one (errno as the failed call left it), goes to standard error.
int failRead(const std::string &name, int error) {
    std::printf("\nError reading binary file %s\n", name.c_str());
    noteSystemError(name, error);
    return kFailed;
}

int failWrite(const std::string &name, int error) {
    std::printf("\nFailed to write file %s\n", name.c_str());
    noteSystemError(name, error);
    return kFailed;
}

int failCreate(const std::string &name, int error) {
    std::printf("\nFailed to open file %s for writing\n", name.c_str());
    noteSystemError(name, error);
    return kFailed;
}

// The bytes from the first record to the end of the file, where its size
// can be had; zero otherwise.
uint64_t recordBytes(const std::string &name, const LAS12Header &h) {
    std::error_code ec;
    const uintmax_t size =
        std::filesystem::file_size(tamarak::utf8_path(name), ec);
    return !ec && size > h.OffsetToData ? size - h.OffsetToData : 0;
}

// Closes a stream that was written; false if the close lost data.
bool closeWritten(File &f) {
    return std::fclose(f.release()) == 0;
}

// Reads the public header and positions the file at its first record.  The
// file was validated before the run began; it must still be what it was.
int readHeader(std::FILE *in, const LasFileNames &file, tamarak::LasType type,
               LAS12Header &h) {
    unsigned char image[tamarak::kHeaderImageBytes];
    errno = 0;
    if (std::fread(image, sizeof image, 1, in) != 1)
        return failRead(file.las, errno);
    h = tamarak::decode_header(image);
    if (!tamarak::header_declares_type(image, type)) {
        std::printf("\nFile %s has changed since it was validated\n",
                    file.las.c_str());
        return kFailed;
    }
    if (tamarak::seek_to(in, h.OffsetToData) != 0)
        return failRead(file.las, errno);
    return 0;
}

int writeHeaderFile(const LasFileNames &file, const LAS12Header &h,
                    tamarak::LasType type) {
    File out(tamarak::open_file(file.header.c_str(), "w"));
    if (!out)
        return failCreate(file.header, errno);
    errno = 0;
    const bool written = writeAsciiHeader(out.get(), h, type) == 0;
    if (!closeWritten(out) || !written)
        return failWrite(file.header, errno);
    return 0;
}

int16_t writePoints(const RunPlan &plan, const RunOptions &options,
                    const LasFileNames &file, const LAS12Header &h,
                    uint64_t record_bytes, std::FILE *in, std::FILE *out,
                    PointBuffers &buffers) {
    PointPath path;
    path.shape.workers = options.workers ? options.workers : usableCpuCount();
    path.shape.records_per_block = options.records_per_block;
    path.record_bytes = record_bytes;
    std::unique_ptr<Progress> progress = progressOnTerminal(
        file.las, path.record_bytes / plan.type.record_size(),
        options.progress);
    path.progress = progress.get();
    const int16_t result =
        writeAsciiPoints(plan.format, plan.type, h, in, out, buffers, &path);
    // The line is erased before any message, and the reason of a failure
    // kept for it.
    const int error = errno;
    progress.reset();
    errno = error;
    return result;
}

int writePointFile(const RunPlan &plan, const RunOptions &options,
                   const LasFileNames &file, const LAS12Header &h,
                   std::FILE *in, PointBuffers &buffers) {
    File out(tamarak::open_file(file.points.c_str(), ptx::kPointFileMode));
    if (!out)
        return failCreate(file.points, errno);
    const uint64_t record_bytes = recordBytes(file.las, h);
    errno = 0;
    const int16_t result = writePoints(plan, options, file, h, record_bytes, in,
                                       out.get(), buffers);
    if (result == kPointsReadError)
        return failRead(file.las, errno);
    if (!closeWritten(out) || result == kPointsWriteError)
        return failWrite(file.points, errno);
    warnIfTruncated(file.las, record_bytes / plan.type.record_size(),
                    h.NumberOfPointReturns);
    return 0;
}

int convertFile(const RunPlan &plan, const RunOptions &options, std::size_t t,
                LAS12Header &h, PointBuffers &buffers) {
    const LasFileNames &file = plan.files[t];
    File in(tamarak::open_file(file.las.c_str(), "rb"));
    if (!in) {
        std::printf("\nCannot open binary file %s for reading\n\n",
                    file.las.c_str());
        noteSystemError(file.las, errno);
        return kFailed;
    }
    std::printf("Input LAS File:     %s\n", file.las.c_str());
    std::printf("Output ASCII File:  %s\n", file.points.c_str());
    if (plan.list_mode)
        std::printf("%zu / %zu\n\n", t + 1, plan.files.size());

    if (readHeader(in.get(), file, plan.type, h) != 0 ||
        writeHeaderFile(file, h, plan.type) != 0)
        return kFailed;
    return writePointFile(plan, options, file, h, in.get(), buffers);
}

} // namespace

int convertRun(const RunPlan &plan, const RunOptions &options) {
    const auto beginTime = std::chrono::steady_clock::now();
    credits();
    // The header block and the point buffers serve every file of the run.
    const std::unique_ptr<LAS12Header> header(new (std::nothrow) LAS12Header);
    if (!header) {
        std::printf("\nCannot allocate memory for LAS header\n");
        return kFailed;
    }
    PointBuffers buffers;
    if (!obtainPointBuffers(buffers, plan.type)) {
        std::printf("Failed to allocate memory for 1 record of data "
                    "structure\n");
        return kFailed;
    }
    for (std::size_t t = 0; t < plan.files.size(); ++t)
        if (convertFile(plan, options, t, *header, buffers) != 0)
            return kFailed;

    const auto finishTime = std::chrono::steady_clock::now();
    const std::chrono::duration<double> elapsed = finishTime - beginTime;
    std::printf("\nElapsed time: %.3f seconds\n\n", elapsed.count());
    return 0;
}

int runPtxport(int argc, char **argv, const RunOptions &options) {
    return convertRun(validateRun(argc, argv), options);
}
