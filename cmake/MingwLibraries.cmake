# The libraries the Windows program shares with the Linux one, for the mingw build: Debian's Boost
# headers and the QR code library built from Debian's source. Defines zelvano_boost and
# zelvano_qrcodegen.

# Boost.Asio and Boost.Beast are header-only in Debian's libboost1.81-dev. The cross compiler must
# not search /usr/include, which holds Linux's own headers, so it is given a folder that holds only
# a link to Boost's.
set(boost_headers /usr/include/boost)
if(NOT EXISTS ${boost_headers}/version.hpp)
    message(FATAL_ERROR "No Boost headers in ${boost_headers}: tools/install-deps windows installs them")
endif()
set(boost_include ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${boost_include})
file(CREATE_LINK ${boost_headers} ${boost_include}/boost SYMBOLIC)
add_library(zelvano_boost INTERFACE)
target_include_directories(zelvano_boost SYSTEM INTERFACE ${boost_include})
# Asio's completion ports need AcceptEx from mswsock.dll, which is no KnownDLL; its select-based
# reactor needs only ws2_32.dll, and one I/O thread with a few dozen sockets is well within it.
# Asio picks what it uses from _WIN32_WINNT: the program's own minimum, Windows 7 SP1.
target_compile_definitions(zelvano_boost INTERFACE BOOST_ASIO_DISABLE_IOCP BOOST_ASIO_NO_DEPRECATED
    _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zelvano_boost INTERFACE ws2_32)

# The QR code library: Debian's libqrcodegencpp-dev 1.8.0 on Linux; here the same version from the
# source Debian builds it from, fetched and checked by tools/install-deps and checked again here.
set(qrcodegen_archive ${PROJECT_SOURCE_DIR}/.cache/deps/qr-code-generator_1.8.0.orig.tar.gz)
set(qrcodegen_sha256 2ec0a4d33d6f521c942eeaf473d42d5fe139abcfa57d2beffe10c5cf7d34ae60)
if(NOT EXISTS ${qrcodegen_archive})
    message(FATAL_ERROR "No ${qrcodegen_archive}: tools/install-deps windows fetches it")
endif()
file(SHA256 ${qrcodegen_archive} archive_sha256)
if(NOT archive_sha256 STREQUAL qrcodegen_sha256)
    message(FATAL_ERROR "${qrcodegen_archive} is not Debian's: delete it and run tools/install-deps windows")
endif()
set(qrcodegen_source ${CMAKE_BINARY_DIR}/qrcodegen-source)
if(NOT EXISTS ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.cpp)
    file(ARCHIVE_EXTRACT INPUT ${qrcodegen_archive} DESTINATION ${qrcodegen_source}
        PATTERNS QR-Code-generator-1.8.0/cpp/qrcodegen.cpp QR-Code-generator-1.8.0/cpp/qrcodegen.hpp)
endif()
# Included as Debian installs it: <qrcodegen/qrcodegen.hpp>.
set(qrcodegen_include ${CMAKE_BINARY_DIR}/qrcodegen-include)
file(COPY ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.hpp
    DESTINATION ${qrcodegen_include}/qrcodegen)
add_library(zelvano_qrcodegen STATIC ${qrcodegen_source}/QR-Code-generator-1.8.0/cpp/qrcodegen.cpp)
target_include_directories(zelvano_qrcodegen SYSTEM PUBLIC ${qrcodegen_include})
target_include_directories(zelvano_qrcodegen PRIVATE ${qrcodegen_include}/qrcodegen)
