/* SPDX-License-Identifier: MIT */
// messages.h - every fixed text that the library prints on standard output,
// in one table, so that what the routines print can be reviewed in one
// place.  Each entry is a printf format and the names of its arguments, in
// their order; a name ending in "digit" is a small header number shown as
// the character '0' plus its value (%c).
#ifndef TAMARAK_MESSAGES_H
#define TAMARAK_MESSAGES_H

#include "platform_std.h"

#include <string>

namespace tamarak {

struct Message {
    const char *name;
    const char *text;
    const char *arguments; // comma-separated; empty for none
};

// The text of a message with its arguments, NUL bytes included.
TAMARAK_PRINTF_FORMAT(1, 2) std::string message_text(const char *text, ...);

// An entry printed on standard output straight away, as printf prints it:
// for the console lines of every run, which need no string of their own.
TAMARAK_PRINTF_FORMAT(1, 2) void message_print(const char *text, ...);

namespace msg {

constexpr Message kUnableToOpen{
    "kUnableToOpen", "Unable to open file %s in file_access()\n", "filename"};
constexpr Message kWrongExtension{"kWrongExtension",
                                  "\nFile extension of %s is not .%s\n",
                                  "filename, extension"};
constexpr Message kNameTooShort{"kNameTooShort",
                                "\nFile name (%s) is too short\n", "filename"};
constexpr Message kNoDot{
    "kNoDot", "\nExtension of file %s should be preceeded by a dot (.)\n",
    "filename"};
constexpr Message kDoesNotExist{"kDoesNotExist", "\nFile %s does NOT exist\n",
                                "text"};
constexpr Message kAlreadyExists{"kAlreadyExists", "\nFile %s already exists\n",
                                 "text"};
constexpr Message kSpecifiedTwice{
    "kSpecifiedTwice", "\nSame file name (%s) has been specified twice\n",
    "text"};
constexpr Message kCannotOpenBinary{
    "kCannotOpenBinary", "\nCannot open binary file %s for reading\n\n",
    "filename"};
constexpr Message kNotLas{"kNotLas", "\n%s is not a valid .las file\n\n",
                          "filename"};
constexpr Message kMajorVersion{"kMajorVersion",
                                "\nCannot handle las files of version %c.x\n",
                                "major_digit"};
constexpr Message kMinorVersion{"kMinorVersion",
                                "\nCannot handle las files of version %c.%c\n",
                                "major_digit, minor_digit"};
constexpr Message kPointFormat{
    "kPointFormat",
    "\nPointDataFormatID in %s is %c. Only 0, 1, 2, or 3 is accepted\n",
    "filename, format_digit"};
constexpr Message kRecordLength{
    "kRecordLength",
    "\nData format of %s (%c) is incompatible with Length of Data Record "
    "(%u)\n",
    "filename, format_digit, length"};
constexpr Message kUntyped{
    "kUntyped",
    "\nPoint data format %c of %s is not supported in LAS version %c.%c\n",
    "format_digit, filename, major_digit, minor_digit"};
constexpr Message kInvalidNumber{"kInvalidNumber",
                                 "\nInvalid argument value (%s)\n", "str"};
constexpr Message kYesNo{"kYesNo",
                         "\nASCII Header Flag should be either Y (y) or N "
                         "(n)\n",
                         ""};
constexpr Message kDemExtension{
    "kDemExtension",
    "\nDEM file extension should be either '.asc' (ASCII) or '.flt' "
    "(floating point binary)\n",
    ""};
constexpr Message kDemHeader{
    "kDemHeader",
    "\nFloating point binary DEM files also require a ASCII header file "
    "('.hdr')\n",
    ""};
constexpr Message kHeaderUpdated{
    "kHeaderUpdated", "\rHeader of file %s has been updated    ", "filename"};
constexpr Message kCannotOpenForUpdate{
    "kCannotOpenForUpdate",
    "\nCannot open binary file %s for header update\n\n", "filename"};
constexpr Message kNoMemoryForUpdate{
    "kNoMemoryForUpdate",
    "\nCannot allocate memory for storing a record of information from %s\n",
    "filename"};
constexpr Message kUpdateFailed{
    "kUpdateFailed", "\nFailed to update header of %s\n", "filename"};
constexpr Message kCredits{
    "kCredits",
    "\n%s\n\nDeveloped and maintained by the TAMARAK LiDAR development team"
    "\nTAMARAK LiDAR Utilities project"
    "\nContact: through the project's issue tracker"
    "\n\n** No warranty regarding script behavior is given or implied **"
    "\n** Acknowledging the author's efforts ensures script updates and "
    "availability **\n",
    "product_name"};

} // namespace msg

constexpr const Message *kLibraryMessages[] = {
    &msg::kUnableToOpen,
    &msg::kWrongExtension,
    &msg::kNameTooShort,
    &msg::kNoDot,
    &msg::kDoesNotExist,
    &msg::kAlreadyExists,
    &msg::kSpecifiedTwice,
    &msg::kCannotOpenBinary,
    &msg::kNotLas,
    &msg::kMajorVersion,
    &msg::kMinorVersion,
    &msg::kPointFormat,
    &msg::kRecordLength,
    &msg::kUntyped,
    &msg::kInvalidNumber,
    &msg::kYesNo,
    &msg::kDemExtension,
    &msg::kDemHeader,
    &msg::kHeaderUpdated,
    &msg::kCannotOpenForUpdate,
    &msg::kNoMemoryForUpdate,
    &msg::kUpdateFailed,
    &msg::kCredits,
};

} // namespace tamarak

#endif
