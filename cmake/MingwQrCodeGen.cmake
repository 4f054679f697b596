# The QR code library for the mingw build, as the target zelvano_qrcodegen: Debian's
# libqrcodegencpp-dev 1.8.0 on Linux; here the same version from the source Debian builds it from,
# fetched and checked by tools/install-deps and checked again here.

set(qrcodegen_archive ${PROJECT_SOURCE_DIR}/.cache/deps/qr-code-generator_1.8.0.orig.tar.gz)
set(qrcodegen_sha256 2ec0a4d33d6f521c942eeaf473d42d5fe139abcfa57d2beffe10c5cf7d34ae60)
if(NOT EXISTS ${qrcodegen_archive})
    message(FATAL_ERROR "No ${qrcodegen_archive}: tools/install-deps windows fetches it")
endif()
file(SHA256 ${qrcodegen_archive} archive_sha256)
if(NOT archive_sha256 STREQUAL qrcodegen_sha256)
    message(FATAL_ERROR "${qrcodegen_archive} is not Debian's: delete it and run tools/install-deps windows")
endif()
# One change of ours: the message of the error for a text too long for any QR code is put together
# without a string stream, which would bring the standard library's locales and streams into the
# program, about 740 KB of its 1.4 MB. Extracted and patched aside, then moved into place whole.
set(qrcodegen_patch ${CMAKE_CURRENT_LIST_DIR}/qrcodegen-error-without-streams.patch)
set(qrcodegen_source ${CMAKE_BINARY_DIR}/qrcodegen-source)
if(NOT EXISTS ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.cpp)
    set(unpacking ${CMAKE_BINARY_DIR}/qrcodegen-unpacking)
    file(REMOVE_RECURSE ${unpacking})
    file(ARCHIVE_EXTRACT INPUT ${qrcodegen_archive} DESTINATION ${unpacking}
        PATTERNS QR-Code-generator-1.8.0/cpp/qrcodegen.cpp QR-Code-generator-1.8.0/cpp/qrcodegen.hpp)
    execute_process(COMMAND patch --quiet --forward -p1 -i ${qrcodegen_patch}
        WORKING_DIRECTORY ${unpacking}/QR-Code-generator-1.8.0 COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${unpacking} ${qrcodegen_source})
endif()
# Included as Debian installs it: <qrcodegen/qrcodegen.hpp>.
set(qrcodegen_include ${CMAKE_BINARY_DIR}/qrcodegen-include)
file(COPY ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.hpp
    DESTINATION ${qrcodegen_include}/qrcodegen)
add_library(zelvano_qrcodegen STATIC ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.cpp)
target_include_directories(zelvano_qrcodegen SYSTEM PUBLIC ${qrcodegen_include})
target_include_directories(zelvano_qrcodegen PRIVATE ${qrcodegen_include}/qrcodegen)
