// SPDX-License-Identifier: MIT
// point_writer.cpp - the point file of one LAS file: its column-name line,
// then its rows from the point pipeline.
#include "point_writer.h"

#include "format_catalogue.h"

#include <string>

namespace ptx {

Failure writeAsciiPoints(int format, tamarak::LasType type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointSlots &slots,
                         std::uint64_t record_bytes, Progress *progress) {
    const std::string names = ptx::columnNames(format, type);
    tamarak::Stream stream(out);
    if (!stream.write(names.data(), names.size()))
        return failed(FileStep::write, FileRole::points, stream);
    const ptx::RowFormatter rows = rowFormatterFor(format, type);
    if (!rows)
        return {};
    const PointJob job{rows,
                       type.record_size(),
                       {header.XScaleFactor, header.YScaleFactor,
                        header.ZScaleFactor, header.XOffset, header.YOffset,
                        header.ZOffset}};
    return writePointRecords(in, out, job, slots, record_bytes, progress);
}

} // namespace ptx
