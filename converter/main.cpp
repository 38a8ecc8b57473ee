// main.cpp - ptxport: converts LAS files into ASCII text.
//
//   ptxport <LAS File | ASCII List> <Format>
//
// The run validates every input before it writes anything, then converts
// the LAS files one after another: for each, the header description file
// and the point file beside it.  Exit status 0 after a complete run, -1
// after any failure, always with a message on standard output.
#include "TAMARAK_LiDAR.h"
#include "file_handle.h"
#include "file_open.h"
#include "header_description.h"
#include "las_type.h"
#include "output_names.h"
#include "point_writer.h"
#include "run_validation.h"
#include "utf8_arguments.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

[[noreturn]] void fail() {
    std::exit(-1);
}

[[noreturn]] void failRead(const std::string &name) {
    std::printf("\nError reading binary file %s\n", name.c_str());
    fail();
}

[[noreturn]] void failWrite(const std::string &name) {
    std::printf("\nFailed to write file %s\n", name.c_str());
    fail();
}

// Reads the public header and positions the file at its first record.  The
// file was validated before the run began; it must still be what it was.
void readHeader(std::FILE *fin, const std::string &name, int16_t las_type,
                LAS12Header &h) {
    if (std::fread(&h, sizeof h, 1, fin) != 1)
        failRead(name);
    const bool same_type = tamarak::header_declares_type(
        reinterpret_cast<const unsigned char *>(&h), las_type);
    if (!same_type) {
        std::printf("\nFile %s has changed since it was validated\n",
                    name.c_str());
        fail();
    }
    if (tamarak::seek_to(fin, h.OffsetToData) != 0)
        failRead(name);
}

void convertFile(const RunPlan &plan, std::size_t t, LAS12Header &ph12) {
    const std::string &LASName = plan.las_names[t];
    tamarak::File fin(tamarak::open_file(LASName.c_str(), "rb"));
    if (!fin) {
        std::printf("\nCannot open binary file %s for reading\n\n",
                    LASName.c_str());
        fail();
    }
    const std::string LASNameASCII = pointFileName(LASName);
    std::printf("Input LAS File:     %s\n", LASName.c_str());
    std::printf("Output ASCII File:  %s\n", LASNameASCII.c_str());
    if (plan.list_mode)
        std::printf("%zu / %zu\n\n", t + 1, plan.las_names.size());

    readHeader(fin.get(), LASName, plan.las_type, ph12);
    writeAsciiHeader(LASName, ph12, plan.las_type);

    std::FILE *fout = tamarak::open_file(LASNameASCII.c_str(), "w");
    if (!fout) {
        std::printf("\nFailed to open file %s for writing\n",
                    LASNameASCII.c_str());
        fail();
    }
    PointBuffers buffers;
    if (!obtainPointBuffers(buffers)) {
        std::printf("Failed to allocate memory for 1 record of data "
                    "structure\n");
        fail();
    }
    const int16_t result = writeAsciiPoints(plan.format, plan.las_type, ph12,
                                            fin.get(), fout, buffers);
    if (result == kPointsReadError)
        failRead(LASName);
    const bool closed = std::fclose(fout) == 0;
    if (result == kPointsWriteError || !closed)
        failWrite(LASNameASCII);
}

int run(int argc, char **argv) {
    const RunPlan plan = validateRun(argc, argv);

    const auto beginTime = std::chrono::steady_clock::now();
    credits();
    std::unique_ptr<LAS12Header> ph12(new (std::nothrow) LAS12Header);
    if (!ph12) {
        std::printf("\nCannot allocate memory for LAS header\n");
        fail();
    }
    for (std::size_t t = 0; t < plan.las_names.size(); ++t)
        convertFile(plan, t, *ph12);

    const auto finishTime = std::chrono::steady_clock::now();
    const std::chrono::duration<double> elapsed = finishTime - beginTime;
    std::printf("\nElapsed time: %.3f seconds\n\n", elapsed.count());
    return 0;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t **argv) {
    Utf8Arguments arguments(argc, argv);
    return run(arguments.argc(), arguments.argv());
}
#else
int main(int argc, char **argv) {
    return run(argc, argv);
}
#endif
