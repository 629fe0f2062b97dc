// Top-level media types (RFC 2046) and the file-extension table used to type attached files.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vandrel::mime {

// Index into MediaTypeNames; kMediaOther stands for every type without a name there.
using MediaType = int;
inline constexpr MediaType kMediaText = 0;
inline constexpr MediaType kMediaImage = 1;
inline constexpr MediaType kMediaAudio = 2;
inline constexpr MediaType kMediaVideo = 3;
inline constexpr MediaType kMediaApplication = 4;
inline constexpr MediaType kMediaMultipart = 5;
inline constexpr MediaType kMediaMessage = 6;
inline constexpr MediaType kMediaOther = 7;

// The seven names in RFC 2046 order, then a null end marker.
inline constexpr std::array<const char*, 8> MediaTypeNames = {
    "text", "image", "audio", "video", "application", "multipart", "message", nullptr};

struct ExtensionRow {
  MediaType type;
  const char* subtype;
  const char* extension;
};

// Searched in order; the last row (type kMediaOther) only marks the end.
inline constexpr std::array<ExtensionRow, 17> ExtensionTable = {{
    {kMediaApplication, "xml", "xml"},
    {kMediaApplication, "msword", "doc"},
    {kMediaApplication, "rtf", "rtf"},
    {kMediaApplication, "vnd.ms-excel", "xls"},
    {kMediaApplication, "vnd.ms-powerpoint", "ppt"},
    {kMediaApplication, "pdf", "pdf"},
    {kMediaApplication, "zip", "zip"},
    {kMediaImage, "jpeg", "jpeg"},
    {kMediaImage, "jpeg", "jpg"},
    {kMediaImage, "gif", "gif"},
    {kMediaImage, "tiff", "tif"},
    {kMediaImage, "tiff", "tiff"},
    {kMediaAudio, "basic", "wav"},
    {kMediaAudio, "basic", "mp3"},
    {kMediaVideo, "mpeg", "mpg"},
    {kMediaVideo, "mpeg", "mpeg"},
    {kMediaOther, "", ""},
}};

// The first name that the value begins with, ignoring case ("textual" counts as text);
// kMediaOther when none does.
MediaType MediaTypeFromName(std::string_view contentType);

// "type/subtype" chosen by the text after the last dot of the name;
// "application/octet-stream" when there is no dot or no row matches.
std::string ContentTypeForFileName(std::string_view fileName);

}  // namespace vandrel::mime
