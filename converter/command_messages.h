/* SPDX-License-Identifier: MIT */
// command_messages.h - every fixed text that ptxport prints on standard output,
// in one table, so that what standard output holds can be reviewed in one
// place.  Each entry is a printf format and the names of its arguments, in
// their order (tamarak::Message).  The texts of the library's checks that
// the command passes on are the library's own (library/messages.h).
#ifndef PTXPORT_COMMAND_MESSAGES_H
#define PTXPORT_COMMAND_MESSAGES_H

#include "messages.h"

namespace ptx::msg {

using tamarak::Message;

constexpr Message kArgumentCount{
    "kArgumentCount", "\n\nMissing, or excessive number of, arguments\n\n%s",
    "usage"};
constexpr Message kCannotOpenList{
    "kCannotOpenList", "\nCannot open input ASCII file %s for reading\n",
    "list"};
constexpr Message kListedNotLas{
    "kListedNotLas", "%s (listed in %s) is not a valid LAS file\n",
    "file, list"}; // after the library's message for the file
constexpr Message kTypeDiffers{
    "kTypeDiffers",
    "\nType of file %s differs from that of previous files in %s\n",
    "file, list"};
constexpr Message kNoValidFiles{
    "kNoValidFiles", "\nFile %s contains no valid .las files\n", "list"};
constexpr Message kFormatUnknown{"kFormatUnknown",
                                 "\nError in Format specified\n\n%s", "usage"};
constexpr Message kNoGpsTime{
    "kNoGpsTime", "\n%s does not contain GPS Time data\n", "first_argument"};
constexpr Message kNoColour{"kNoColour", "\n%s does not contain RGB data\n",
                            "first_argument"};
constexpr Message kWouldOverwrite{
    "kWouldOverwrite", "\nOutput file %s would overwrite input file %s\n",
    "output, input"};
constexpr Message kWrittenTwice{
    "kWrittenTwice", "\nOutput file %s would be written for both %s and %s\n",
    "output, las, other_las"};
constexpr Message kNoMemoryForHeader{
    "kNoMemoryForHeader", "\nCannot allocate memory for LAS header\n", ""};
constexpr Message kNoMemoryForRecords{
    "kNoMemoryForRecords",
    "Failed to allocate memory for 1 record of data structure\n", ""};
constexpr Message kCannotOpenToRead{
    "kCannotOpenToRead", "\nCannot open binary file %s for reading\n\n",
    "file"};
constexpr Message kCannotOpenToWrite{
    "kCannotOpenToWrite", "\nFailed to open file %s for writing\n", "file"};
constexpr Message kReadFailed{"kReadFailed", "\nError reading binary file %s\n",
                              "file"};
constexpr Message kWriteFailed{"kWriteFailed", "\nFailed to write file %s\n",
                               "file"};
constexpr Message kChanged{
    "kChanged", "\nFile %s has changed since it was validated\n", "file"};
constexpr Message kInputFile{"kInputFile", "Input LAS File:     %s\n", "las"};
constexpr Message kOutputFile{"kOutputFile", "Output ASCII File:  %s\n",
                              "points"};
constexpr Message kListPosition{"kListPosition", "%zu / %zu\n\n",
                                "position, count"};
constexpr Message kElapsed{"kElapsed", "\nElapsed time: %.3f seconds\n\n",
                           "seconds"};

constexpr const Message *kConverterMessages[] = {
    &kArgumentCount,    &kCannotOpenList,    &kListedNotLas,
    &kTypeDiffers,      &kNoValidFiles,      &kFormatUnknown,
    &kNoGpsTime,        &kNoColour,          &kWouldOverwrite,
    &kWrittenTwice,     &kNoMemoryForHeader, &kNoMemoryForRecords,
    &kCannotOpenToRead, &kCannotOpenToWrite, &kReadFailed,
    &kWriteFailed,      &kChanged,           &kInputFile,
    &kOutputFile,       &kListPosition,      &kElapsed,
};

} // namespace ptx::msg

#endif
