// SPDX-License-Identifier: MIT
// run_driver.cpp - the conversion phase of ptxport.  Only this unit reports
// to the user; validation and the writers it calls return what failed.
#include "run_driver.h"

#include "TAMARAK_LiDAR.h"
#include "command_messages.h"
#include "cpu_count.h"
#include "diagnostics.h"
#include "failure.h"
#include "file_handle.h"
#include "header_bytes.h"
#include "header_description.h"
#include "line_end.h"
#include "output_file.h"
#include "platform.h"
#include "point_writer.h"
#include "run_validation.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace ptx {

using tamarak::message_print;
using tamarak::Stream;

namespace {

constexpr int kFailed = -1;

// The two files written for the LAS file in progress, until they are
// placed under their final names.
struct Outputs {
    OutputFile header;
    OutputFile points;
};

// Standard output is flushed after each message and each file's names, so
// that a log of a run that was killed shows how far it got; within those
// it stays fully buffered.
void flushMessages() {
    std::fflush(stdout);
}

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

// Tells a run's failures: the first one's message on standard output, and
// what standard error adds.
int report(const Failures &failures) {
    std::fputs(failureMessage(failures.list.front()).c_str(), stdout);
    flushMessages();
    std::fputs(failureNotes(failures).c_str(), stderr);
    return kFailed;
}

int report(Failure f, const LasFileNames &file) {
    f.names = {nameOf(file, f.file)};
    return report(Failures{{std::move(f)}, {}, {}});
}

int report(FileStep step) {
    return report(Failures{{refused(step)}, {}, {}});
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
Failure closeWritten(Stream &f, Failure earlier, FileRole role) {
    if (!f.close() && !earlier)
        return failed(FileStep::close, role, f);
    return earlier;
}

// Reads the public header and positions the file at its first record.  The
// file was validated before the run began; it must still be what it was.
Failure readHeader(Stream &in, tamarak::LasType type, LAS12Header &h) {
    unsigned char image[tamarak::layout::kHeaderBytes];
    if (in.read(image, sizeof image, 1) != 1)
        return failed(FileStep::read, FileRole::las, in);
    h = tamarak::decode_header(image);
    if (!tamarak::header_declares_type(image, type)) {
        Failure f{FileStep::recheck, FileRole::las, {}, {}};
        f.verdict.status = TAMARAK_CHANGED;
        return f;
    }
    if (!in.seek(h.OffsetToData))
        return failed(FileStep::read, FileRole::las, in);
    return {};
}

Failure writeHeaderFile(const LasFileNames &file, const LAS12Header &h,
                        tamarak::LasType type, OutputFile &written) {
    Stream out = openOutput(file.header, written);
    if (!out)
        return failed(FileStep::openToWrite, FileRole::header, out);
    Failure f;
    if (!writeHeaderDescription(out, h, type))
        f = failed(FileStep::write, FileRole::header, out);
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
                       std::FILE *in, PointSlots &slots, OutputFile &written) {
    Stream out = openOutput(file.points, written);
    if (!out)
        return failed(FileStep::openToWrite, FileRole::points, out);
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
                    std::size_t t, LAS12Header &h, PointSlots &slots,
                    Outputs &written) {
    const LasFileNames &file = plan.files[t];
    if (tamarak::interruption() != 0)
        return Failure{FileStep::interrupted, FileRole::las, {}, {}};
    Stream in = Stream::open(file.las.c_str(), "rb");
    if (!in)
        return failed(FileStep::openToRead, FileRole::las, in);
    message_print(msg::kInputFile.text, file.las.c_str());
    message_print(msg::kOutputFile.text, file.points.c_str());
    if (plan.list_mode)
        message_print(msg::kListPosition.text, t + 1, plan.files.size());
    flushMessages();

    if (Failure f = readHeader(in, plan.type, h))
        return f;
    warnIfScaleTooFine(file.las, h.XScaleFactor, h.YScaleFactor);
    if (Failure f = writeHeaderFile(file, h, plan.type, written.header))
        return f;
    return writePointFile(plan, options, file, h, in.get(), slots,
                          written.points);
}

// Puts what was written for a LAS file under the final names, the point
// file first: whole files after a complete conversion, and after a failure
// what was written so far, as a run that writes in place leaves it.
Failure placeOutputs(Outputs &written) {
    if (const int error = placeOutput(written.points)) {
        discardOutput(written.header);
        return failed(FileStep::write, FileRole::points, error);
    }
    if (const int error = placeOutput(written.header))
        return failed(FileStep::write, FileRole::header, error);
    return {};
}

// Ends a run that a signal stopped: the outputs of the LAS file in
// progress are dropped, those of the files before it stay.
[[noreturn]] void endInterrupted(int signal, const std::string *las,
                                 Outputs &written) {
    discardOutput(written.points);
    discardOutput(written.header);
    flushMessages();
    if (las)
        std::fputs(interruptedLine(*las).c_str(), stderr);
    tamarak::end_interrupted(signal);
}

} // namespace

int convertRun(const RunPlan &plan, const RunOptions &options) {
    const auto beginTime = std::chrono::steady_clock::now();
    credits();
    flushMessages();
    tamarak::catch_interruptions();
    // The header block and the point slots serve every file of the run.
    const std::unique_ptr<LAS12Header> header(new (std::nothrow) LAS12Header);
    if (!header)
        return report(FileStep::noMemoryForHeader);
    PointSlots slots(options.workers ? options.workers : usableCpuCount(),
                     plan.type.record_size(), options.records_per_block);
    if (!slots.ready())
        return report(FileStep::noMemoryForRecords);
    for (std::size_t t = 0; t < plan.files.size(); ++t) {
        Outputs written;
        const Failure f =
            convertFile(plan, options, t, *header, slots, written);
        // A read or write that the signal cut short failed for its sake.
        if (const int signal = tamarak::interruption())
            endInterrupted(signal, &plan.files[t].las, written);
        const Failure placed = placeOutputs(written);
        if (f || placed)
            return report(f ? f : placed, plan.files[t]);
    }
    if (const int signal = tamarak::interruption()) {
        Outputs none;
        endInterrupted(signal, nullptr, none);
    }

    const auto finishTime = std::chrono::steady_clock::now();
    const std::chrono::duration<double> elapsed = finishTime - beginTime;
    message_print(msg::kElapsed.text, elapsed.count());
    return 0;
}

int runPtxport(int argc, char **argv, const RunOptions &options) {
    const Validation validation = validateRun(argc, argv);
    if (const Failures *failures = std::get_if<Failures>(&validation))
        return report(*failures);
    const RunPlan &plan = std::get<RunPlan>(validation);
    std::fputs(plan.notes.c_str(), stderr);
    return convertRun(plan, options);
}

} // namespace ptx
