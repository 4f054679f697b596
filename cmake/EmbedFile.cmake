# Writes a C++ source whose function FUNCTION returns the bytes of INPUT as a std::string_view, so
# that a file ships inside the program on every platform without a resource system.
# Usage: cmake -DINPUT=file -DOUTPUT=source.cpp -DFUNCTION=name -DHEADER=include/path.h -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# About 16 bytes a line keeps the source readable in a diff of the generated file.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.
#include \"${HEADER}\"

namespace zelvano {

namespace {
    constexpr unsigned char bytes[${byteCount}] = {
    ${bytes}
    };
}

std::string_view ${FUNCTION}()
{
    return { reinterpret_cast<const char*>(bytes), sizeof bytes };
}

} // namespace zelvano
")
