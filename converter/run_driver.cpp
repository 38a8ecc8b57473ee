// SPDX-License-Identifier: MIT
// run_driver.cpp - the conversion phase of ptxport.  Only this unit and the
// validation report to the user; the writers it calls return what failed.
#include "run_driver.h"

#include "TAMARAK_LiDAR.h"
#include "cpu_count.h"
#include "diagnostics.h"
#include "failure.h"
#include "file_handle.h"
#include "header_bytes.h"
#include "header_description.h"
#include "line_end.h"
#include "platform.h"
#include "point_writer.h"
#include "run_validation.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace ptx {

using tamarak::File;

namespace {

constexpr int kFailed = -1;

const std::string &nameOf(const LasFileNames &file, FileRole role) {
    switch (role) {
    case FileRole::header:
        return file.header;
    case FileRole::points:
        return file.points;
    case FileRole::las:
        break;
    }
    return file.las;
}

// Tells a failure: its message on standard output, and the system's
// reason, where there is one, on standard error.
int report(const Failure &f, const LasFileNames &file) {
    const std::string &name = nameOf(file, f.file);
    const char *message = "";
    switch (f.step) {
    case FileStep::openToRead:
        message = "\nCannot open binary file %s for reading\n\n";
        break;
    case FileStep::openToWrite:
        message = "\nFailed to open file %s for writing\n";
        break;
    case FileStep::read:
        message = "\nError reading binary file %s\n";
        break;
    case FileStep::write:
    case FileStep::close:
        message = "\nFailed to write file %s\n";
        break;
    case FileStep::recheck:
        message = "\nFile %s has changed since it was validated\n";
        break;
    case FileStep::none:
        return 0;
    }
    std::printf(message, name.c_str());
    noteSystemError(name, f.error);
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

// Closes a stream that was written, unless an earlier step failed; a close
// that loses data is the failure then.
Failure closeWritten(File &f, Failure earlier, FileRole role) {
    errno = 0;
    if (std::fclose(f.release()) != 0 && !earlier)
        return failed(FileStep::close, role);
    return earlier;
}

// Reads the public header and positions the file at its first record.  The
// file was validated before the run began; it must still be what it was.
Failure readHeader(std::FILE *in, tamarak::LasType type, LAS12Header &h) {
    unsigned char image[tamarak::layout::kHeaderBytes];
    errno = 0;
    if (std::fread(image, sizeof image, 1, in) != 1)
        return failed(FileStep::read, FileRole::las);
    h = tamarak::decode_header(image);
    if (!tamarak::header_declares_type(image, type))
        return {FileStep::recheck, FileRole::las, 0};
    if (tamarak::seek_to(in, h.OffsetToData) != 0)
        return failed(FileStep::read, FileRole::las);
    return {};
}

Failure writeHeaderFile(const LasFileNames &file, const LAS12Header &h,
                        tamarak::LasType type) {
    File out(tamarak::open_file(file.header.c_str(), ptx::kOutputFileMode));
    if (!out)
        return failed(FileStep::openToWrite, FileRole::header);
    errno = 0;
    Failure f;
    if (writeAsciiHeader(out.get(), h, type) != 0)
        f = failed(FileStep::write, FileRole::header);
    return closeWritten(out, f, FileRole::header);
}

// The rows, with the progress line shown meanwhile and erased before any
// message.
Failure writePoints(const RunPlan &plan, const RunOptions &options,
                    const LasFileNames &file, const LAS12Header &h,
                    uint64_t record_bytes, std::FILE *in, std::FILE *out,
                    PointSlots &slots) {
    const std::unique_ptr<Progress> progress = progressOnTerminal(
        file.las, record_bytes / plan.type.record_size(), options.progress);
    return writeAsciiPoints(plan.format, plan.type, h, in, out, slots,
                            record_bytes, progress.get());
}

Failure writePointFile(const RunPlan &plan, const RunOptions &options,
                       const LasFileNames &file, const LAS12Header &h,
                       std::FILE *in, PointSlots &slots) {
    File out(tamarak::open_file(file.points.c_str(), ptx::kOutputFileMode));
    if (!out)
        return failed(FileStep::openToWrite, FileRole::points);
    const uint64_t record_bytes = recordBytes(file.las, h);
    const Failure f =
        writePoints(plan, options, file, h, record_bytes, in, out.get(), slots);
    if (f.step == FileStep::read)
        return f;
    if (const Failure closed = closeWritten(out, f, FileRole::points))
        return closed;
    warnIfTruncated(file.las, record_bytes / plan.type.record_size(),
                    h.NumberOfPointReturns);
    return {};
}

Failure convertFile(const RunPlan &plan, const RunOptions &options,
                    std::size_t t, LAS12Header &h, PointSlots &slots) {
    const LasFileNames &file = plan.files[t];
    File in(tamarak::open_file(file.las.c_str(), "rb"));
    if (!in)
        return failed(FileStep::openToRead, FileRole::las);
    std::printf("Input LAS File:     %s\n", file.las.c_str());
    std::printf("Output ASCII File:  %s\n", file.points.c_str());
    if (plan.list_mode)
        std::printf("%zu / %zu\n\n", t + 1, plan.files.size());

    if (Failure f = readHeader(in.get(), plan.type, h))
        return f;
    warnIfScaleTooFine(file.las, h.XScaleFactor, h.YScaleFactor);
    if (Failure f = writeHeaderFile(file, h, plan.type))
        return f;
    return writePointFile(plan, options, file, h, in.get(), slots);
}

} // namespace

int convertRun(const RunPlan &plan, const RunOptions &options) {
    const auto beginTime = std::chrono::steady_clock::now();
    credits();
    // The header block and the point slots serve every file of the run.
    const std::unique_ptr<LAS12Header> header(new (std::nothrow) LAS12Header);
    if (!header) {
        std::printf("\nCannot allocate memory for LAS header\n");
        return kFailed;
    }
    PointSlots slots(options.workers ? options.workers : usableCpuCount(),
                     plan.type.record_size(), options.records_per_block);
    if (!slots.ready()) {
        std::printf("Failed to allocate memory for 1 record of data "
                    "structure\n");
        return kFailed;
    }
    for (std::size_t t = 0; t < plan.files.size(); ++t)
        if (const Failure f = convertFile(plan, options, t, *header, slots))
            return report(f, plan.files[t]);

    const auto finishTime = std::chrono::steady_clock::now();
    const std::chrono::duration<double> elapsed = finishTime - beginTime;
    std::printf("\nElapsed time: %.3f seconds\n\n", elapsed.count());
    return 0;
}

int runPtxport(int argc, char **argv, const RunOptions &options) {
    const Validation validation = validateRun(argc, argv);
    if (const Refusal *refusal = std::get_if<Refusal>(&validation)) {
        std::fputs(refusal->message.c_str(), stdout);
        std::fputs(refusal->reasons.c_str(), stderr);
        return kFailed;
    }
    const RunPlan &plan = std::get<RunPlan>(validation);
    std::fputs(plan.notes.c_str(), stderr);
    return convertRun(plan, options);
}

} // namespace ptx
