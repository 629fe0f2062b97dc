# Writes a compiled catalog into a C++ source as a byte array: cmake -DINPUT=x.mo
# -DOUTPUT=x.cpp -DFUNCTION=Name -P EmbedCatalog.cmake
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
       bytes "${bytes}")
file(WRITE ${OUTPUT}.new "// Made from ${INPUT} when Vandrel is built.
#include <span>

namespace vandrel {
namespace {
const unsigned char kBytes[] = {
${bytes}};
}  // namespace

std::span<const unsigned char> ${FUNCTION}() { return kBytes; }

}  // namespace vandrel
")
file(RENAME ${OUTPUT}.new ${OUTPUT})
